#include "core/app_home.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zeq::desk {

namespace fs = std::filesystem;

std::string executableDir() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) return {};
    return self.parent_path().string();
}

bool isPortableFolder(const std::string& dir) {
    // A program installed by the package manager lives below /usr; even when root can write
    // there, its settings and build files belong in the user's data folder.
    if (dir.empty() || dir == "/usr" || dir.rfind("/usr/", 0) == 0) return false;
    return ::access(dir.c_str(), W_OK) == 0;
}

std::string applicationHome() {
    if (const char* home = std::getenv("ZEQ_HOME"); home && *home) {
        std::string h = home;
        while (h.size() > 1 && h.back() == '/') h.pop_back();
        return h;
    }
    const std::string exe = executableDir();
    if (isPortableFolder(exe)) return exe;
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* user = std::getenv("HOME"); user && *user) {
        base = std::string(user) + "/.local/share";
    } else {
        base = ".";
    }
    return base + "/zeqdesk";
}

std::string applicationDatDir() {
    return applicationHome() + "/dat";
}

bool ensureDirectory(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

}  // namespace zeq::desk
