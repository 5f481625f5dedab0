#include "shell/rules/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace zeq::desk {
namespace {

namespace fs = std::filesystem;

bool fail(std::string* error, std::string what, int err) {
    if (error) *error = what + ": " + std::strerror(err);
    return false;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    std::string pattern = target.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail(error, "cannot create a file in " + target.parent_path().string(), errno);
    const std::string temp(name.data());

    const auto abandon = [&](const std::string& what, int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(error, what, err);
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return abandon("cannot write " + temp, errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp creates the file private; a replaced file keeps its own mode, a new one gets the
    // usual mode under the umask.
    mode_t mode = 0;
    if (existed) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return abandon("cannot set the mode of " + temp, errno);
    if (::fsync(fd) != 0) return abandon("cannot write " + temp, errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return fail(error, "cannot write " + temp, err);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return fail(error, "cannot replace " + target.string(), err);
    }
    return true;
}

}  // namespace zeq::desk
