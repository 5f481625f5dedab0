// The built `zeq` program on a virtual card: run, exec, their exit status and Ctrl-C.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out;
};

class ZeqRunCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zeq_run_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path script(const std::string& name, const std::string& text) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    std::string command(const std::string& args) const {
        return "ZEQLINK_SIM_CLOCK=step " + std::string(ZEQ_BIN_DIR) + "/zeq --home " +
               (dir / "home").string() + " --sim 1 " + args + " 2>" + (dir / "err.txt").string();
    }
    Result zeq(const std::string& args) const {
        Result r;
        FILE* p = ::popen(command(args).c_str(), "r");
        if (!p) return r;
        std::array<char, 4096> buf{};
        std::size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
        const int st = ::pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        return r;
    }
    fs::path dir;
};

TEST_F(ZeqRunCli, DemoRunsToTheEnd) {
    Result r = zeq("run " + std::string(ZEQ_TEST_DIR) + "/../examples/demo.zeq");
    if (r.status == 2) GTEST_SKIP() << "no usable device library";
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\n开始解析执行：\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("demo finished: axis 0 at 30, axis 1 at 15\n\n运行结束！\n"),
              std::string::npos)
        << r.out;
}

TEST_F(ZeqRunCli, ExitStatusFollowsTheErrors) {
    const fs::path bad = script("bad.zeq", "main\n  x = 1\nend\n");
    Result r = zeq("run " + bad.string());
    if (r.status == 2) GTEST_SKIP() << "no usable device library";
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\n程序还有错误，运行停止！\n"), std::string::npos) << r.out;

    const fs::path div = script("div.zeq", "main\n  var x\n  x = 1/0\nend\n");
    r = zeq("run " + div.string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("error(3):第3行：除数为0\n"), std::string::npos) << r.out;

    r = zeq("exec 'wr homeseq, 70000, 0'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("函数参数错误！\n"), std::string::npos) << r.out;

    r = zeq("exec 'MoveAbsolute 5, 0'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("\n开始执行...\n执行第1行:\n\n单指令运行结束！\n"), std::string::npos)
        << r.out;
}

TEST_F(ZeqRunCli, CtrlCStopsTheRun) {
    const fs::path s = script("long.zeq", "main\n  mg started\n  sleep 60000\n  mg never\nend\n");
    const fs::path out = dir / "out.txt";
    // exec: the shell becomes zeq, so the signal reaches it.
    std::string cmd = command("run " + s.string());
    cmd.insert(cmd.find(' ') + 1, "exec ");
    cmd += " >" + out.string();
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Wait until the run has started, then interrupt it.
    for (int i = 0; i < 500; ++i) {
        std::ifstream f(out);
        std::string text((std::istreambuf_iterator<char>(f)), {});
        if (text.find("started") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGINT);
    int st = 0;
    ::waitpid(pid, &st, 0);
    std::ifstream f(out);
    std::string text((std::istreambuf_iterator<char>(f)), {});
    if (WIFEXITED(st) && WEXITSTATUS(st) == 2) GTEST_SKIP() << "no usable device library";
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 1);
    EXPECT_NE(text.find("started\n\n运行终止！\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("never"), std::string::npos);
}

}  // namespace
