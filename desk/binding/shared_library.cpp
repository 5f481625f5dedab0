#include "binding/shared_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#endif

namespace zeq::desk::platform {

#if defined(_WIN32)

void* openLibrary(const std::string& path, std::string* error) {
    HMODULE m = LoadLibraryA(path.c_str());
    if (!m && error) *error = "LoadLibrary failed (" + std::to_string(GetLastError()) + ")";
    return reinterpret_cast<void*>(m);
}

void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

std::string executableDir() {
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string p(buf, n);
    auto slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string{} : p.substr(0, slash);
}

std::string libraryFileName(const std::string& base) {
    return base + ".dll";
}

#else

void* openLibrary(const std::string& path, std::string* error) {
    // RTLD_NOW: a library that cannot resolve its own dependencies is refused here, not at
    // the first call of some wrapper.
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h && error) {
        const char* e = dlerror();
        *error = e ? e : "dlopen failed";
    }
    return h;
}

void* findSymbol(void* library, const char* name) {
    if (!library) return nullptr;
    return dlsym(library, name);
}

void closeLibrary(void* library) {
    if (library) dlclose(library);
}

std::string executableDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string p(buf, static_cast<std::size_t>(n));
    auto slash = p.find_last_of('/');
    return slash == std::string::npos ? std::string{} : p.substr(0, slash);
}

std::string libraryFileName(const std::string& base) {
    return "lib" + base + ".so";
}

#endif

}  // namespace zeq::desk::platform
