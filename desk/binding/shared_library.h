// The platform's dynamic loading: a library by file name, its functions by name.
#pragma once

#include <string>

namespace zeq::desk::platform {

// Opens the library at `path`; null on failure (the reason, when known, goes to `error`).
void* openLibrary(const std::string& path, std::string* error = nullptr);
// Address of the exported function `name`, or null.
void* findSymbol(void* library, const char* name);
void closeLibrary(void* library);

// The folder that holds the running executable (empty when it cannot be told).
std::string executableDir();

// File name of a device library on this platform: "zeqlink" -> "libzeqlink.so".
std::string libraryFileName(const std::string& base);

}  // namespace zeq::desk::platform
