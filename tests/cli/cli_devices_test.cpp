// `zeq devices`: the device search on virtual cards.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
};

Result run_zeq(const std::string& args) {
    const fs::path home = fs::temp_directory_path() / ("zeq_devices_" + std::to_string(::getpid()));
    fs::create_directories(home);
    const std::string cmd = "unset ZEQLINK_SIM; " + std::string(ZEQ_BIN_DIR) + "/zeq --home " +
                            home.string() + " " + args + " 2>/dev/null";
    Result r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int st = ::pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    fs::remove_all(home);
    return r;
}

TEST(ZeqDevicesCli, ListsTheVirtualCardsWithTheirLocations) {
    Result r = run_zeq("--sim 2 devices");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0\tZEQ-SIM0\t0x1000\n1\tZEQ-SIM1\t0x1001\n");
}

TEST(ZeqDevicesCli, NoDeviceListsNoLineButSaysSo) {
    Result r = run_zeq("--sim 0 devices");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find('\t'), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("没有找到设备"), std::string::npos) << r.out;
}

}  // namespace
