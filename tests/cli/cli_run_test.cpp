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
    // Starts `zeq ARGS` with stdout to `out` (stderr to err.txt) as a process of its own; the
    // shell execs zeq, so signals sent to the pid reach it.
    pid_t spawn(const std::string& args, const fs::path& out,
                const std::string& env = std::string()) const {
        std::string cmd = command(args);
        cmd.insert(cmd.find(' ') + 1, "exec ");
        cmd = env + cmd + " >" + out.string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }
    static std::string readText(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    // Waits (at most 10 s) until the file holds `text`.
    static bool waitForText(const fs::path& p, const std::string& text) {
        for (int i = 0; i < 500; ++i) {
            if (readText(p).find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    // Exit status of a finished child, -1 when it did not exit normally.
    static int exitStatus(pid_t pid) {
        int st = 0;
        ::waitpid(pid, &st, 0);
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    fs::path dir;
};

// An axis that keeps moving after the run: a velocity move, then a long sleep.
const char* const kVelocityScript =
    "main\n  SetMCSaccel 1000, 0\n  MoveVelocity 50, 0\n  mg started\n  sleep 60000\nend\n";
// The emergency stop on the wire: write 0xFFFF to address 500 of axis 0, with its checksum.
const char* const kEmstopBlock = "F4 81 FF FF F3 81";

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

TEST_F(ZeqRunCli, TerminateStopsTheRunAndTheMotors) {
    const fs::path s = script("velocity.zeq", kVelocityScript);
    const fs::path out = dir / "out.txt", trace = dir / "trace.txt";
    for (int sig : {SIGTERM, SIGHUP}) {
        fs::remove(trace);
        fs::remove(out);
        const pid_t pid = spawn("run " + s.string(), out, "ZEQLINK_TRACE=" + trace.string() + " ");
        ASSERT_GT(pid, 0);
        waitForText(out, "started");
        ::kill(pid, sig);
        const int status = exitStatus(pid);
        if (status == 2) GTEST_SKIP() << "no usable device library";
        EXPECT_EQ(status, 1) << sig;
        const std::string text = readText(out);
        EXPECT_NE(text.find("started\n\n运行终止！\n"), std::string::npos) << text;
        EXPECT_NE(readText(trace).find(kEmstopBlock), std::string::npos) << sig;
        EXPECT_NE(readText(dir / "err.txt").find("已向 Board0 发送急停指令"), std::string::npos);
    }
}

TEST_F(ZeqRunCli, SecondCtrlCStopsTheMotors) {
    const fs::path s = script("velocity.zeq", kVelocityScript);
    const fs::path out = dir / "out.txt", trace = dir / "trace.txt";
    const pid_t pid = spawn("run " + s.string(), out, "ZEQLINK_TRACE=" + trace.string() + " ");
    ASSERT_GT(pid, 0);
    waitForText(out, "started");
    ::kill(pid, SIGINT);
    // The run ends, the axis goes on, and zeq waits for it, saying so.
    const bool told = waitForText(dir / "err.txt", "再按一次 Ctrl-C 将急停所有电机");
    EXPECT_NE(readText(out).find("started\n\n运行终止！\n"), std::string::npos);
    EXPECT_EQ(readText(trace).find(kEmstopBlock), std::string::npos);
    ::kill(pid, SIGINT);
    const int status = exitStatus(pid);
    if (status == 2) GTEST_SKIP() << "no usable device library";
    EXPECT_TRUE(told) << readText(dir / "err.txt");
    EXPECT_NE(readText(dir / "err.txt").find("Board0 轴0"), std::string::npos);
    EXPECT_EQ(status, 1);
    EXPECT_NE(readText(trace).find(kEmstopBlock), std::string::npos);
}

TEST_F(ZeqRunCli, DeviceOptionsAreCheckedFirst) {
    const fs::path s = script("ok.zeq", "main\nend\n");
    struct Case {
        std::string options;
        std::string message;
    };
    const Case cases[] = {
        {"--board 0=1 --board 1=1", "device 1 is given for boards 0 and 1"},
        {"--board 2=0 --board 2=1", "board 2 is given twice"},
        {"--board 8=0", "B in 0..7"},
        {"--sim 9", "at most 8 virtual cards exist"},
    };
    for (const Case& c : cases) {
        const std::string cmd = std::string(ZEQ_BIN_DIR) + "/zeq --home " +
                                (dir / "home").string() + " " + c.options + " run " + s.string() +
                                " 2>" + (dir / "err.txt").string();
        FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        std::array<char, 256> buf{};
        std::string out;
        for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;)
            out.append(buf.data(), n);
        const int st = ::pclose(p);
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 2) << c.options;
        EXPECT_EQ(out, "") << c.options;
        EXPECT_NE(readText(dir / "err.txt").find(c.message), std::string::npos)
            << c.options << ": " << readText(dir / "err.txt");
    }
}

// Runs of two different scripts side by side in one home: each compiles, loads and runs its
// own program, never the other's or a half-written one.
TEST_F(ZeqRunCli, ConcurrentRunsInOneHomeRunTheirOwnPrograms) {
    const fs::path a = script("a.zeq", "var alpha\nmain\n  alpha = 11\n  mg run-A &alpha\nend\n");
    const fs::path b =
        script("b.zeq",
               "var beta gamma\nmain\n  call f\n  mg run-B &beta\nend\nfun f\n  beta = 22\nend\n");
    for (int pair = 0; pair < 50; ++pair) {
        const fs::path outA = dir / "a.txt", outB = dir / "b.txt";
        const pid_t pa = spawn("run " + a.string(), outA);
        const pid_t pb = spawn("run " + b.string(), outB);
        ASSERT_GT(pa, 0);
        ASSERT_GT(pb, 0);
        const int sa = exitStatus(pa), sb = exitStatus(pb);
        if (sa == 2 && sb == 2) GTEST_SKIP() << "no usable device library";
        const std::string ta = readText(outA), tb = readText(outB);
        ASSERT_EQ(sa, 0) << "pair " << pair << ":\n" << ta;
        ASSERT_EQ(sb, 0) << "pair " << pair << ":\n" << tb;
        ASSERT_NE(ta.find("alpha=11\nrun-A 11\n\n运行结束！\n"), std::string::npos) << ta;
        ASSERT_NE(tb.find("beta=22\nrun-B 22\n\n运行结束！\n"), std::string::npos) << tb;
        ASSERT_EQ(ta.find("run-B"), std::string::npos) << ta;
        ASSERT_EQ(tb.find("run-A"), std::string::npos) << tb;
    }
}

}  // namespace
