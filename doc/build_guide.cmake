# cmake -DCMARK=… -DCHAPTERS=a.md|b.md|… -DTITLE=… -DVERSION=… -DOUTPUT=… -P build_guide.cmake
# Joins the chapters, converts them with cmark-gfm and wraps the result in a UTF-8 HTML page.
string(REPLACE "|" ";" _chapters "${CHAPTERS}")
get_filename_component(_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${_dir}")
set(_joined "${OUTPUT}.md")
file(WRITE "${_joined}" "")
foreach(chapter IN LISTS _chapters)
  file(READ "${chapter}" _text)
  file(APPEND "${_joined}" "${_text}\n\n")
endforeach()
execute_process(COMMAND "${CMARK}" --to html -e table -e autolink "${_joined}"
  OUTPUT_VARIABLE _body RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "cmark failed on ${_joined}")
endif()
file(READ "${CMAKE_CURRENT_LIST_DIR}/guide.css" _css)
file(WRITE "${OUTPUT}.tmp" "<!DOCTYPE html>
<html lang=\"zh-CN\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
<meta name=\"generator\" content=\"ZeqDesk ${VERSION}\">
<style>
${_css}</style>
</head>
<body>
${_body}<p class=\"version\">ZeqDesk ${VERSION}</p>
</body>
</html>
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
file(REMOVE "${_joined}")
