// `zeq watch` and `zeq graph` on a virtual card.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "command_output.h"

namespace fs = std::filesystem;

namespace {

using zeq::cli::test::Result;
using zeq::cli::test::runCommand;

class ZeqToolsCli : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("zeq_tools_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(home);
    }
    void TearDown() override { fs::remove_all(home); }

    Result run(const std::string& args) {
        const std::string cmd = "cd " + home.string() +
                                " && unset ZEQLINK_SIM; ZEQLINK_SIM_CLOCK=step " +
                                std::string(ZEQ_BIN_DIR) + "/zeq --home " + home.string() + " " +
                                args + " 2>" + (home / "err.txt").string();
        return runCommand(cmd);
    }
    std::string file(const char* name) {
        std::ifstream in(home / name);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    fs::path home;
};

TEST_F(ZeqToolsCli, WatchPrintsEachPass) {
    Result r = run("--sim 1 watch naxis:0:0 mcspos:0:0 mcsvel:0:3 --passes 2");
    EXPECT_EQ(r.status, 0);
    const std::string pass = "naxis:0:0\t4\nmcspos:0:0\t0\nmcsvel:0:3\t此设备无连接\n";
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n" + pass + pass);
}

TEST_F(ZeqToolsCli, WatchInHexadecimal) {
    Result r = run("--sim 1 watch naxis:0:0 gearratio:0:0 --hex --passes 1 --interval 5");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\nnaxis:0:0\t0004H\ngearratio:0:0\t000100000000H\n");
}

TEST_F(ZeqToolsCli, WatchRefusesAZeroInterval) {
    Result r = run("--sim 1 watch naxis:0:0 --interval 0 --passes 1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(file("err.txt").find("设置的间隔时间小于1ms"), std::string::npos);
}

TEST_F(ZeqToolsCli, GraphWritesEverySampleToCsv) {
    Result r =
        run("--sim 1 graph --x mcspos:0 --y curpos:0 --range 0:5120 --depth 64 --csv out.csv");
    EXPECT_EQ(r.status, 0) << file("err.txt");
    const std::string csv = file("out.csv");
    ASSERT_EQ(csv.rfind("sample,x,y1,y2,y3\n0,0,0,,\n", 0), 0u) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 65);
    EXPECT_NE(csv.find("\n63,0,0,,\n"), std::string::npos);
}

TEST_F(ZeqToolsCli, GraphRefusesAnEmptyRange) {
    Result r = run("--sim 1 graph --x mcspos:0 --y curpos:0 --range 7:7 --csv out.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(file("err.txt"), "横坐标的取值范围不能为零\n");
    EXPECT_FALSE(fs::exists(home / "out.csv"));
}

}  // namespace
