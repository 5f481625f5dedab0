// `zeq info`, `zeq firmware`, `zeq password` and `zeq config` on virtual cards, each run in a
// process of its own (the card's flash carried over by ZEQLINK_SIM_FLASH).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

class ZeqMaintCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zeq_tools_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "home");
        fs::create_directories(dir / "flash");
    }
    void TearDown() override { fs::remove_all(dir); }

    Result zeq(const std::string& args) {
        const std::string cmd = "cd " + dir.string() +
                                " && ZEQLINK_SIM_CLOCK=step ZEQLINK_SIM_LATENCY_US=0 "
                                "ZEQLINK_SIM_FLASH=" +
                                (dir / "flash").string() + " " + std::string(ZEQ_BIN_DIR) +
                                "/zeq --home " + (dir / "home").string() + " --sim 1 " + args +
                                " 2>/dev/null";
        return runCommand(cmd);
    }
    fs::path dir;
};

TEST_F(ZeqMaintCli, InfoShowsTheCardLines) {
    const Result r = zeq("info");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "ZEQ-SIM0 已连接\n版本: 0408\n轴数: 4\n类型: USB\n日期: 2018/06/15\n更新功能: 有\n");
}

TEST_F(ZeqMaintCli, PasswordSetInOneProcessGuardsTheCardInTheNext) {
    Result r = zeq("password --old '' --new abcd");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("密码修改成功！"), std::string::npos) << r.out;
    r = zeq("password --old wrong --new x");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("密码错误！"), std::string::npos) << r.out;
    r = zeq("password --old abcd --new ''");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("密码已清除！"), std::string::npos) << r.out;
}

TEST_F(ZeqMaintCli, FirmwareUpdatePrintsProgressAndCompletes) {
    std::string bit("ZEQ\0\x04\x00\x08\x04\x15\x06\x00\x00\xFF\xFF\xFF\xFF", 16);
    for (int i = 0; i < 30 * 256; ++i) bit.push_back(static_cast<char>(i * 13));
    std::ofstream(dir / "test.bit", std::ios::binary) << bit;
    const Result r = zeq("firmware test.bit --new-password ''");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "ZEQ-SIM0 已连接\n正在准备更新……\n准备完成！开始更新……\n已更新 66%\n"
              "正在校验...（校验时间较长，请耐心等待）\n固件更新完成！\n");
}

TEST_F(ZeqMaintCli, GeneratedInstructionFileDownloadsAndCfgRestores) {
    Result r = zeq("config generate a.txt");
    EXPECT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(fs::exists(dir / "a.txt"));
    r = zeq("config download a.txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n配置成功!\n");
    r = zeq("config backup b.cfg");
    EXPECT_EQ(r.status, 0) << r.out;
    r = zeq("config restore b.cfg");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n配置成功\n");
    std::ofstream(dir / "bad.txt") << "wr encpctr 1 0\nwr encpctr 12a 0\n";
    r = zeq("config download bad.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n配置文件有错!  错误行: 2\n");
}

TEST_F(ZeqMaintCli, TeachPlaysASavedPointListAndStopsAtABadCell) {
    std::ofstream(dir / "p.csv") << "point,axis0,axis1,axis2,axis3,speed,endspeed\n"
                                    "point1,200,-100,,,2000,2000\npoint2,50,300,,,2000,2000\n";
    for (const char* mode : {"0", "1", "2"}) {
        const Result r = zeq(std::string("teach play p.csv --mode ") + mode);
        EXPECT_EQ(r.status, 0) << mode << ": " << r.out;
        EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n") << mode;
    }
    std::ofstream(dir / "bad.csv") << "point,axis0,speed,endspeed\npoint1,12a,1.0,1.0\n";
    Result r = zeq("teach play bad.csv --mode 1");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ZEQ-SIM0 已连接\n位置信息中包含有其他非数字字符!\n");
    r = zeq("teach play missing.csv");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "无法打开示教点文件!\n");
}

}  // namespace
