#include "core/build_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "core/app_home.h"

namespace zeq::desk {

BuildFolderLock::BuildFolderLock(const std::string& programDir) {
    std::string dat = programDir;
    while (dat.size() > 1 && dat.back() == '/') dat.pop_back();
    dat += "/dat";
    ensureDirectory(dat);
    m_fd = ::open(dat.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    int rc;
    do {
        rc = ::flock(m_fd, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) release();
}

BuildFolderLock::~BuildFolderLock() {
    release();
}

void BuildFolderLock::release() {
    if (m_fd < 0) return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

}  // namespace zeq::desk
