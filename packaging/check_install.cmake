# cmake -DBUILD_DIR=… -DSTAGE=… -DLIBDIR=lib/<multiarch> -DPROGRAMS=zeq;zeqdesk -DGUIDE=name.html
#       -P check_install.cmake
# Installs the build under STAGE with the prefix /usr and checks the layout the installed
# programs and developers rely on.
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
                        ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix /usr
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed")
endif()
set(root "${STAGE}/usr")
set(problems "")

foreach(program IN LISTS PROGRAMS)
  set(target "")
  if(IS_SYMLINK "${root}/bin/${program}")
    file(READ_SYMLINK "${root}/bin/${program}" target)
  endif()
  if(NOT target STREQUAL "../lib/zeq/${program}" OR NOT EXISTS "${root}/lib/zeq/${program}")
    list(APPEND problems "bin/${program} -> '${target}', lib/zeq/${program} must exist")
  endif()
endforeach()
file(REAL_PATH "${root}/lib/zeq/Dll/libzeqlink.so" dll)
if(NOT dll MATCHES "/${LIBDIR}/libzeqlink\\.so\\.[0-9]" OR NOT EXISTS "${dll}")
  list(APPEND problems "lib/zeq/Dll/libzeqlink.so resolves to ${dll}")
endif()
if(NOT EXISTS "${root}/lib/zeq/doc/${GUIDE}")
  list(APPEND problems "the guide is not in lib/zeq/doc")
endif()
file(READ "${root}/${LIBDIR}/pkgconfig/zeqlink.pc" pc)
if(NOT pc MATCHES "prefix=/usr\n")
  list(APPEND problems "zeqlink.pc does not name the prefix /usr")
endif()
foreach(f include/zeqlink.h ${LIBDIR}/cmake/zeqlink/zeqlinkConfig.cmake
          share/applications/zeqdesk.desktop share/mime/packages/zeq.xml
          share/icons/hicolor/scalable/apps/zeqdesk.svg lib/udev/rules.d/70-zeq-ftdi.rules
          share/man/man1/zeq.1 share/man/man1/zeqdesk.1 share/doc/zeq/examples/c/Makefile
          share/doc/zeq/examples/cmake/CMakeLists.txt lib/python3/dist-packages/zeqlink/__init__.py)
  if(NOT EXISTS "${root}/${f}")
    list(APPEND problems "${f} missing")
  endif()
endforeach()
if(EXISTS "${root}/share/doc/zeq/examples/CMakeLists.txt")
  list(APPEND problems "the build's examples/CMakeLists.txt is installed")
endif()
file(REMOVE_RECURSE "${STAGE}")
if(problems)
  string(REPLACE ";" "\n  " problems "${problems}")
  message(FATAL_ERROR "install layout:\n  ${problems}")
endif()
message(STATUS "install layout ok")
