// Run control on compiled scripts: the run thread, stale builds, step, pause, stop, the card
// commands and the instruction box.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "interp_support.h"
#include "interpreter/run_controller.h"

namespace zeq::desk::test {
namespace {

using namespace std::chrono_literals;

struct ControlRig {
    FakePort port;
    StringSink sink;
    FakeClock clock;
    TempHome home;
    std::uint32_t boards[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    int target = 0;
    std::unique_ptr<RunController> ctl;
    ControlRig() {
        RunController::Setup s;
        s.port = &port;
        s.sink = &sink;
        s.boardTable = boards;
        s.programDir = home.dir;
        s.clock = &clock;
        s.targetBoard = [this] { return target; };
        ctl = std::make_unique<RunController>(s);
        ctl->setDocumentPath(home.source);
    }
    void source(const std::string& text) { TempHome::writeFile(home.source, text); }
    // Output of the run alone (the part after the compiler's messages).
    std::string runOutput() const {
        std::string t = sink.text();
        std::size_t at = t.find("\r\n开始解析执行：\r\n");
        return at == std::string::npos ? std::string() : t.substr(at);
    }
    template <class Pred>
    bool waitFor(Pred p) {
        for (int i = 0; i < 5000; ++i) {
            if (p()) return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
};

TEST(RunControl, StaleBuildIsCompiledBeforeTheRun) {
    ControlRig r;
    r.source("main\n  mg first\nend\n");
    ASSERT_TRUE(r.ctl->compileProgram(r.home.source));
    // Saved again after the compile, with another text.
    r.source("main\n  var x\n  x = 6/2\nend\n");
    TempHome::setMtime(r.home.source, TempHome::mtime(r.home.source) + 3);
    r.sink.clear();
    ASSERT_TRUE(r.ctl->run(false));
    r.ctl->waitIdle();
    EXPECT_NE(r.sink.text().find("开始语法分析"), std::string::npos);
    EXPECT_EQ(r.runOutput(), framed("x=3\r\n"));
    EXPECT_FALSE(r.ctl->lastRunFailed());
}

TEST(RunControl, BuildOfAnotherSourceIsNotRun) {
    ControlRig r;
    TempHome other;
    TempHome::writeFile(other.source, "main\n  mg other\nend\n");
    // Compile the other file into this home: its build names the other source.
    ScriptCompiler compiler(paramCatalogue(), nullptr);
    ASSERT_TRUE(compiler.compile(r.home.dir, other.source));
    r.source("main\n  mg mine\nend\n");
    ASSERT_TRUE(r.ctl->run(false));
    r.ctl->waitIdle();
    EXPECT_EQ(r.runOutput(), framed("mine\n"));
}

TEST(RunControl, CompileErrorsStopTheRun) {
    ControlRig r;
    r.source("main\n  x = 1\nend\n");
    ASSERT_TRUE(r.ctl->run(false));
    r.ctl->waitIdle();
    EXPECT_NE(r.sink.text().find("\r\n程序还有错误，运行停止！\r\n"), std::string::npos);
    EXPECT_EQ(r.runOutput(), "");
    EXPECT_TRUE(r.ctl->lastRunFailed());
    EXPECT_FALSE(r.ctl->isRunning());
    // A modified editor text is compiled first: nothing runs.
    r.sink.clear();
    EXPECT_TRUE(r.ctl->run(true));
    r.ctl->waitIdle();
    EXPECT_EQ(r.sink.text().rfind("代码被修改，保存并开始重新分析……", 0), 0u);
    EXPECT_NE(r.sink.text().find("\r\n程序还有错误，运行停止！\r\n"), std::string::npos);
    EXPECT_EQ(r.runOutput(), "");
    EXPECT_TRUE(r.ctl->lastRunFailed());
}

TEST(RunControl, MacrosOfAnotherProcessAreCompiledAgain) {
    ControlRig r;
    r.source("#def ZEQ_LONG speed\nmain\n  wr speed, 7\nend\n");
    ASSERT_TRUE(r.ctl->compileProgram(r.home.source));
    // Another compile (say, of another document) leaves the catalogue without `speed`.
    TempHome other;
    TempHome::writeFile(other.source, "main\nend\n");
    ScriptCompiler compiler(paramCatalogue(), nullptr);
    ASSERT_TRUE(compiler.compile(other.dir, other.source));
    CatalogueOwner::set(other.source, TempHome::mtime(other.source));
    r.sink.clear();
    ASSERT_TRUE(r.ctl->run(false));
    r.ctl->waitIdle();
    EXPECT_EQ(r.runOutput(), framed(""));
    EXPECT_EQ(r.port.reg(0, 352, 2), 7);
}

TEST(RunControl, RunNeedsABoard) {
    ControlRig r;
    std::fill(std::begin(r.boards), std::end(r.boards), 0u);
    r.source("main\nend\n");
    EXPECT_FALSE(r.ctl->run(false));
    EXPECT_FALSE(r.ctl->anyBoardConnected());
}

TEST(RunControl, StepStopsBeforeEachStatement) {
    ControlRig r;
    r.source("main\n  var x\n  x = 1\n  x = 2\n  x = 3\nend\n");
    r.ctl->step();  // starts the run, which waits before its first statement
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    EXPECT_EQ(r.sink.text().find("x=1"), std::string::npos);
    r.ctl->step();  // var x
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    r.ctl->step();  // x = 1
    ASSERT_TRUE(r.waitFor(
        [&] { return r.ctl->isPaused() && r.sink.text().find("x=1") != std::string::npos; }));
    EXPECT_EQ(r.sink.text().find("x=2"), std::string::npos);
    r.ctl->pauseOrContinue();  // continue: runs freely to the end
    r.ctl->waitIdle();
    EXPECT_EQ(r.runOutput(), framed("x=1\r\n继续运行!\r\nx=2\r\nx=3\r\n"));
}

TEST(RunControl, StopDuringAPauseEndsTheRun) {
    ControlRig r;
    r.source("main\n  var x\n  x = 1\n  pause\n  x = 2\nend\n");
    ASSERT_TRUE(r.ctl->run(false));
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    r.ctl->stop();
    r.ctl->waitIdle();
    EXPECT_EQ(r.runOutput(), "\r\n开始解析执行：\r\nx=1\r\n暂停运行!\r\n\r\n运行终止！\r\n");
    EXPECT_EQ(r.port.calls.back(), "W16(1,0,521,1,I)");
}

// The emergency stop always ends the run, whatever the card answers; with no board chosen it
// goes to every connected board.
TEST(RunControl, EmergencyStopAlwaysEndsTheRun) {
    struct Case {
        const char* what;
        int target;
        int writeStatus;
        std::vector<std::string> writes;
        const char* message;
    };
    const Case cases[] = {
        {"no board chosen", -1, 0, {"W16(1,0,500,65535,I)", "W16(2,0,500,65535,I)"}, ""},
        {"board chosen", 1, 0, {"W16(2,0,500,65535,I)"}, ""},
        {"write fails", 0, 3, {"W16(1,0,500,65535,I)"}, "急停指令发送失败!\n"},
        {"chosen board not connected", 5, 0, {}, "设备没有打开,急停指令发送失败!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ControlRig r;
        r.boards[1] = 2;
        r.source("main\n  var x\n  pause\n  x = 5\nend\n");
        r.target = c.target;
        ASSERT_TRUE(r.ctl->run(false));
        // The script's pause raises the flag before it writes its message.
        ASSERT_TRUE(r.waitFor([&] {
            return r.ctl->isPaused() && r.sink.text().find("暂停运行!") != std::string::npos;
        }));
        const int status = c.writeStatus;
        r.port.statusFor = [status](const std::string& n) { return n == "W16" ? status : 0; };
        r.port.calls.clear();
        r.sink.clear();
        r.ctl->emergencyStop();
        const std::vector<std::string> writes(r.port.calls.begin(), r.port.calls.end());
        r.ctl->waitIdle();
        std::vector<std::string> emstops;
        for (const std::string& call : writes)
            if (call.find(",500,") != std::string::npos) emstops.push_back(call);
        EXPECT_EQ(emstops, c.writes);
        const std::string out = r.sink.text();
        // The run thread's "运行终止！" may come before or after the stop's own message.
        if (*c.message)
            EXPECT_NE(out.find(c.message), std::string::npos) << out;
        else
            EXPECT_EQ(out.find("失败"), std::string::npos) << out;
        EXPECT_NE(out.find("\r\n运行终止！\r\n"), std::string::npos);
        EXPECT_EQ(out.find("x=5"), std::string::npos);
    }
}

TEST(RunControl, HoldMotionMessages) {
    ControlRig r;
    r.target = -1;
    r.ctl->holdMotion();
    r.target = 2;
    r.ctl->holdMotion();
    r.target = 0;
    r.ctl->holdMotion();
    r.port.statusFor = [](const std::string&) { return 3; };
    r.ctl->holdMotion();
    EXPECT_EQ(r.sink.text(),
              "暂停指令发送失败!\n设备没有打开,暂停指令发送失败!\n暂停指令发送失败!");
    EXPECT_EQ(r.port.calls[0], "W16(1,0,501,65535,I)");
}

TEST(RunControl, InstructionBox) {
    ControlRig r;
    r.ctl->executeInstruction("   \t ");
    r.ctl->waitIdle();
    EXPECT_EQ(r.sink.text(), "没有语句可执行!\r\n");
    EXPECT_STREQ(r.ctl->boxCaption(), "执行指令");

    r.sink.clear();
    r.ctl->executeInstruction("  MoveAbsolute 10, 1");
    r.ctl->waitIdle();
    EXPECT_NE(r.sink.text().find("\r\n开始执行...\r\n执行第1行:\n\r\n单指令运行结束！\r\n"),
              std::string::npos);
    EXPECT_EQ(r.port.calls.back(), "MoveAbsolute(1,10,1;0)");

    r.target = 3;
    r.sink.clear();
    r.ctl->executeInstruction("MoveAbsolute 10, 1");
    EXPECT_EQ(r.sink.text(), "设备没有连接!\n");
}

TEST(RunControl, BusyInstructionBoxIsStopped) {
    ControlRig r;
    r.port.statusFor = [](const std::string& n) { return n == "MoveAbsolute" ? 8 : 0; };
    r.ctl->executeInstruction("MoveAbsolute 10, 1");
    ASSERT_TRUE(r.waitFor([&] { return r.clock.sleptMs > 0; }));
    EXPECT_TRUE(r.ctl->boxBusy());
    EXPECT_STREQ(r.ctl->boxCaption(), "停止");
    r.ctl->executeInstruction("ignored while busy");
    r.ctl->waitIdle();
    EXPECT_NE(r.sink.text().find("\r\n单指令运行终止！\r\n"), std::string::npos);
    EXPECT_EQ(r.port.calls.back(), "W16(1,0,513,1,I)");
    EXPECT_FALSE(r.ctl->boxBusy());
}

TEST(RunControl, AnalyseCommand) {
    ControlRig r;
    r.ctl->analyse(true);
    EXPECT_EQ(r.sink.text(), "没有代码可分析!\r\n");
    r.source("main\nend\n");
    r.ctl->analyse(false);
    r.ctl->waitIdle();
    EXPECT_NE(r.sink.text().find("共 0 个错误"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(r.home.dir + "/dat/build.dat"));
}

// Records the observer's reports (from the workers) for the test thread.
class RecordingObserver : public RunObserver {
  public:
    void runStarted(bool stepping) override { add(stepping ? "started step" : "started"); }
    void runningLine(int line) override { lines.push_back(line); }
    void runPaused(int line, const std::vector<Variable>& vars) override {
        std::string e = "paused " + std::to_string(line);
        for (const Variable& v : vars)
            e += " " + v.name + (v.local ? "(l)" : "(g)") + "=" + std::to_string(int(v.value));
        add(e);
    }
    void runResumed() override { add("resumed"); }
    void runEnded(Result result, bool errors) override {
        add(std::string("ended ") +
            (result == Result::Finished  ? "finished"
             : result == Result::Stopped ? "stopped"
                                         : "not run") +
            (errors ? " errors" : ""));
    }
    void boxBusy(bool busy) override { add(busy ? "box busy" : "box idle"); }
    std::vector<std::string> take() {
        std::lock_guard lock(m);
        return std::exchange(events, {});
    }
    std::vector<int> lines;  // the run thread's alone until the run ends

  private:
    void add(std::string e) {
        std::lock_guard lock(m);
        events.push_back(std::move(e));
    }
    std::mutex m;
    std::vector<std::string> events;
};

// A breakpoint pauses before its statement as Pause does, with the variables as they are
// there; Step and Continue go on from it, and the observer hears every step of it.
TEST(RunControl, BreakpointPausesAndReportsVariables) {
    ControlRig r;
    RecordingObserver seen;
    r.ctl->setObserver(&seen);
    r.source("var g\nmain\n  var x\n  g = 7\n  x = 1\n  x = 2\n  x = 3\nend\n");
    r.ctl->setBreakpoints({5});  // x = 2
    ASSERT_TRUE(r.ctl->run(false));
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    EXPECT_EQ(r.runOutput(), "\r\n开始解析执行：\r\ng=7\r\nx=1\r\n暂停运行!\r\n");
    r.ctl->step();  // runs x = 2 and waits before x = 3
    ASSERT_TRUE(r.waitFor(
        [&] { return r.ctl->isPaused() && r.sink.text().find("x=2") != std::string::npos; }));
    EXPECT_EQ(r.sink.text().find("x=3"), std::string::npos);
    r.ctl->pauseOrContinue();
    r.ctl->waitIdle();
    EXPECT_EQ(seen.take(),
              (std::vector<std::string>{"started", "paused 5 g(g)=7 x(l)=1", "resumed",
                                        "paused 6 g(g)=7 x(l)=2", "resumed", "ended finished"}));
    EXPECT_EQ(seen.lines, (std::vector<int>{2, 3, 4, 5, 6, 7}));

    // Run to a line stops there once; cleared breakpoints stop nothing.
    r.ctl->setBreakpoints({});
    r.ctl->setRunToLine(6);
    ASSERT_TRUE(r.ctl->run(false));
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    r.ctl->pauseOrContinue();
    r.ctl->waitIdle();
    ASSERT_TRUE(r.ctl->run(false));
    r.ctl->waitIdle();
    const std::vector<std::string> events = seen.take();
    EXPECT_EQ(std::count(events.begin(), events.end(), "paused 6 g(g)=7 x(l)=2"), 1);
    EXPECT_EQ(events.back(), "ended finished");
}

TEST(RunControl, ObserverHearsHowARunEnds) {
    ControlRig r;
    RecordingObserver seen;
    r.ctl->setObserver(&seen);
    r.source("main\n  x = 1\nend\n");  // not declared: the compile fails
    ASSERT_TRUE(r.ctl->run(true));
    r.ctl->waitIdle();
    r.source("main\n  pause\nend\n");
    ASSERT_TRUE(r.ctl->run(true));
    ASSERT_TRUE(r.waitFor([&] { return r.ctl->isPaused(); }));
    r.ctl->stop();
    r.ctl->waitIdle();
    r.ctl->executeInstruction("wr mcsmaxvel, 10, 0");
    r.ctl->waitIdle();
    EXPECT_EQ(seen.take(),
              (std::vector<std::string>{"started", "ended not run errors", "started", "paused 2",
                                        "resumed", "ended stopped", "box busy", "box idle"}));
}

}  // namespace
}  // namespace zeq::desk::test
