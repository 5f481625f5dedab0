// `zeq run` on a virtual card with its default settings (real clock, a USB card's round trip
// per bridge call): a read queued behind a wait for a one-second move prints the position the
// axis reached.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(ZeqLongWaitCli, ReadAfterAOneSecondMovePrintsTheFinalPosition) {
    const fs::path dir =
        fs::temp_directory_path() / ("zeq_long_wait_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path source = dir / "wait.zeq";
    std::ofstream(source, std::ios::binary)
        << "main\nSetMCSmaxvel 10, 0\nSetMCSaccel 100, 0\nSetMCSdecel 100, 0\n"
           "MoveAbsolute 100000, 0\nwa 0\nGetCurPos 0\nend\n";
    const std::string cmd =
        "env -u ZEQLINK_SIM_CLOCK -u ZEQLINK_SIM_LATENCY_US -u ZEQLINK_SIM_FAULTS " +
        std::string(ZEQ_BIN_DIR) + "/zeq --home " + (dir / "home").string() + " --sim 1 run " +
        source.string() + " 2>/dev/null";
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    const int st = ::pclose(p);
    fs::remove_all(dir);
    const int status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    if (status == 2) GTEST_SKIP() << "no usable device library";
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\n开始解析执行：\ndata 100000.00000000\n\n运行结束！\n"), std::string::npos)
        << out;
}

}  // namespace
