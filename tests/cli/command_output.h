// Runs a shell command line and collects what it wrote to stdout and its exit status, for the
// tests that drive the zeq program as a user does.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace zeq::cli::test {

struct Result {
    int status = -1;  // the exit status, -1 when the command did not exit normally
    std::string out;
};

inline Result runCommand(const std::string& cmd) {
    Result r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

}  // namespace zeq::cli::test
