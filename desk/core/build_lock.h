// The lock that keeps processes sharing an application home from mixing up their builds.
//
// A compile writes dat/build.dat and dat/binfo.dat, and a run loads them again; two runs of
// different scripts in one home would otherwise overwrite each other's build between those
// steps, or read a half-written one. Whoever compiles or loads holds an advisory lock on the
// home's dat/ folder from the start of the compile until the build is loaded; the other
// process waits for it. The lock is advisory (flock on the folder): it binds only the programs
// of this system, and it is released when its holder ends, however it ends.
#pragma once

#include <string>

namespace zeq::desk {

class BuildFolderLock {
  public:
    // Waits until the lock on `programDir`/dat is free and takes it (the folder is created
    // when missing). When the folder cannot be opened nothing is locked (held() is false) and
    // the caller goes on: writing the build will then fail with its own message.
    explicit BuildFolderLock(const std::string& programDir);
    ~BuildFolderLock();
    BuildFolderLock(const BuildFolderLock&) = delete;
    BuildFolderLock& operator=(const BuildFolderLock&) = delete;

    // Lets go of the lock before the object ends (idempotent).
    void release();
    bool held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

}  // namespace zeq::desk
