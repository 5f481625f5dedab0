// Golden runs: scripts in interp_golden/ compiled and run on a virtual card through the bound
// device library, with the expected pane text (NAME.out) and card state (NAME.card).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "core/stdout_sink.h"
#include "interp_support.h"
#include "interpreter/binding_device_port.h"
#include "interpreter/run_controller.h"

namespace zeq::desk::test {
namespace {

std::string readText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// "\n" in the golden files stands for the pane's line ends as the CLI shows them.
std::string paneText(std::string t) {
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') continue;
        out += t[i];
    }
    return out;
}

class QuietDialogs : public UserDialogs {
  public:
    std::string seen;
    void message(std::string_view text) override { seen.append(text).append("\n"); }
    Answer askYesNo(std::string_view, Answer d) override { return d; }
    Answer askYesNoCancel(std::string_view, Answer d) override { return d; }
};

// One virtual card on the step clock, connected as board 0 through the bound library.
class SimRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("ZEQLINK_SIM", "1", 1);
        ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        DeviceBinding& b = deviceBinding();
        b.unload();
        b.setDialogs(&dialogs);
        b.setEndProgram([](int) {});
        b.setCardType(kCardUsb);
        b.setLibraryDir(ZEQ_DLL_DIR);
        if (b.load() != 0)
            GTEST_SKIP() << "the device library in " << ZEQ_DLL_DIR
                         << " does not bind: " << dialogs.seen;
        boards = std::make_unique<Boards>(b, sink, dialogs, systemClock());
        boards->startUp();
        ASSERT_EQ(boards->connectDevice(0, 0), 0);
        port = std::make_unique<BindingDevicePort>(
            [this](int board) { return boards->axisCount(board); });
    }
    void TearDown() override {
        if (boards) {
            for (int b = 0; b < Boards::kBoardCount; ++b) {
                ZEQ_HANDLE h = boards->handle(b);
                if (h) myClose(&h);
            }
        }
        boards.reset();
        DeviceBinding& b = deviceBinding();
        b.unload();
        b.setDialogs(nullptr);
        b.setEndProgram(nullptr);
        ::unsetenv("ZEQLINK_SIM");
        ::unsetenv("ZEQLINK_SIM_CLOCK");
    }

    QuietDialogs dialogs;
    StringSink sink;
    FakeClock clock;
    TempHome home;
    std::unique_ptr<Boards> boards;
    std::unique_ptr<BindingDevicePort> port;

    // Compiles and runs `script` to its end; the pane text from the start of the run.
    RunController* active = nullptr;  // the controller of the run in progress

    std::string runScript(const std::string& script) {
        TempHome::writeFile(home.source, script);
        RunController::Setup setup;
        setup.port = port.get();
        setup.sink = &sink;
        setup.boardTable = boards->handleTable();
        setup.programDir = home.dir;
        setup.clock = &clock;
        setup.targetBoard = [] { return 0; };
        RunController ctl(setup);
        active = &ctl;
        ctl.setDocumentPath(home.source);
        EXPECT_TRUE(ctl.run(false));
        ctl.waitIdle();
        active = nullptr;
        const std::string text = sink.text();
        const std::size_t at = text.find("\r\n开始解析执行：\r\n");
        return at == std::string::npos ? text : text.substr(at);
    }
};

class GoldenRun : public SimRun, public ::testing::WithParamInterface<std::string> {};

TEST_P(GoldenRun, PaneTextAndCardState) {
    const std::string dir = std::string(ZEQ_TEST_DIR) + "/desk/interp_golden/";
    const std::string name = GetParam();
    runScript(readText(dir + name + ".zeq"));
    std::string text = sink.text();
    std::size_t at = text.find("\r\n开始解析执行：\r\n");
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(paneText(text.substr(at)), readText(dir + name + ".out"));

    std::istringstream card(readText(dir + name + ".card"));
    std::string line;
    while (std::getline(card, line)) {
        if (line.empty() || line[0] == ';') continue;
        std::istringstream fields(line);
        int axis = 0;
        std::string param;
        long long expected = 0;
        fields >> axis >> param >> expected;
        ParamRow row{};
        ASSERT_GE(paramCatalogue().findByName(param, &row), 0) << param;
        std::int64_t value = 0;
        int status = 0;
        const std::uint32_t h = boards->handle(0);
        if (row.kind == kKindInt48)
            status = port->readParam48(h, axis, row.address, &value, false);
        else if (row.kind == kKindInt32 || row.kind == kKindUInt32)
            value = port->readParam32(h, axis, row.address, &status, false);
        else
            value =
                static_cast<std::uint16_t>(port->readParam16(h, axis, row.address, &status, false));
        EXPECT_EQ(status, 0) << line;
        EXPECT_EQ(value, expected) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, GoldenRun,
                         ::testing::Values("params", "motion", "events", "path", "long_wait"));

// Reads queued behind a wait that outlasts the read engine's polls (the step clock gives 100 µs
// of card time per bridge call, so the polls cover a few ms): the run collects the reply of the
// read it queued, for moves of 0.1 s, 1 s and 5 s of card time. The second move shows that no
// reply of the first read is left to answer a later one.
struct LongWait {
    const char* name;
    int counts;  // at 10 counts per 100 µs tick
};

class QueuedReadRun : public SimRun, public ::testing::WithParamInterface<LongWait> {};

TEST_P(QueuedReadRun, ReadAfterTheWaitGivesThePositionAfterTheMove) {
    const int d = GetParam().counts;
    char script[512];
    std::snprintf(script, sizeof script,
                  "var p\nmain\n  SetMCSmaxvel 10, 0\n  SetMCSaccel 100, 0\n"
                  "  SetMCSdecel 100, 0\n  MoveAbsolute %d, 0\n  wa 0\n  GetCurPos p, 0\n"
                  "  rd mcspos, 0\n  MoveRelative -%d, 0\n  wa 0\n  GetEncp 0\n"
                  "  GetMCSvel 0\nend\n",
                  d, d / 2);
    int pauses = 0;
    clock.onSleep = [&] { ++pauses; };
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "\r\n开始解析执行：\r\np = %d.00000000\r\ndata %d\r\ndata %d\n"
                  "data 0.00000000\n\r\n运行结束！\r\n",
                  d, d, d - d / 2);
    EXPECT_EQ(runScript(script), expected);
    EXPECT_GT(pauses, 2) << "the reads did not wait for the card";
}

INSTANTIATE_TEST_SUITE_P(Moves, QueuedReadRun,
                         ::testing::Values(LongWait{"tenth_second", 10'000},
                                           LongWait{"one_second", 100'000},
                                           LongWait{"five_seconds", 500'000}),
                         [](const auto& info) { return std::string(info.param.name); });

// A pause while a read waits for its reply holds the run (no further read-back check) until
// Continue; the read then still gives the position after the move.
TEST_F(SimRun, PauseWhileAReadWaitsHoldsTheRunUntilContinue) {
    std::atomic<int> pauses{0};
    std::atomic<int> checksWhilePaused{-1};
    std::thread continuer;
    clock.onSleep = [&] {
        if (++pauses != 3 || !active) return;
        active->pauseOrContinue();
        continuer = std::thread([&] {
            const int before = pauses.load();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            checksWhilePaused = pauses.load() - before;
            active->pauseOrContinue();
        });
    };
    const std::string text = runScript(
        "main\n  SetMCSmaxvel 10, 0\n  MoveAbsolute 100000, 0\n  wa 0\n  GetCurPos 0\nend\n");
    if (continuer.joinable()) continuer.join();
    EXPECT_EQ(text,
              "\r\n开始解析执行：\r\n暂停运行!\r\n继续运行!\r\ndata 100000.00000000\n"
              "\r\n运行结束！\r\n");
    EXPECT_EQ(checksWhilePaused.load(), 0);
    EXPECT_GT(pauses.load(), 3);
}

// While a read waits for its reply, the immediate FIFO stays usable (instruction box, tools,
// emergency stop): another thread's reads go through and see the axis on its way.
TEST_F(SimRun, ImmediateReadsGoThroughWhileAReadWaits) {
    constexpr std::int32_t kTarget = 500000;
    std::thread reader;
    std::atomic<int> failed{0};
    std::atomic<int> inBetween{0};
    int pauses = 0;
    // The reads run on another thread while the run sits in a pause between two read-back
    // checks of its queued read, so they meet the wait whatever the scheduling.
    clock.onSleep = [&] {
        if (++pauses != 3) return;
        const std::uint32_t h = boards->handle(0);
        reader = std::thread([&, h] {
            for (int i = 0; i < 20; ++i) {
                int status = 0;
                const std::int32_t pos = port->readParam32(h, 0, 225, &status, false);
                if (status != 0) ++failed;
                if (pos > 0 && pos < kTarget) ++inBetween;
            }
        });
        reader.join();
    };
    const std::string text = runScript(
        "main\n  SetMCSmaxvel 10, 0\n  MoveAbsolute 500000, 0\n  wa 0\n  GetCurPos 0\nend\n");
    EXPECT_GE(pauses, 3);
    EXPECT_EQ(text, "\r\n开始解析执行：\r\ndata 500000.00000000\n\r\n运行结束！\r\n");
    EXPECT_EQ(failed.load(), 0);
    EXPECT_GT(inBetween.load(), 0);
}

// A stop while a read waits for its reply ends the run at the next check, without an error, and
// empties the queue FIFO: a queue read right after the run is answered at once.
TEST_F(SimRun, StopWhileAReadWaitsEndsTheRunAndClearsTheQueue) {
    int pauses = 0;
    clock.onSleep = [&] {
        if (++pauses == 5 && active) active->stop();
    };
    const std::string text = runScript(
        "main\n  SetMCSmaxvel 10, 0\n  MoveAbsolute 500000, 0\n  wa 0\n  GetCurPos 0\n"
        "  mg not reached\nend\n");
    EXPECT_EQ(text, "\r\n开始解析执行：\r\n\r\n运行终止！\r\n");
    EXPECT_EQ(pauses, 5);
    int status = -1;
    const std::int32_t pos = port->readParam32(boards->handle(0), 0, 225, &status, true);
    EXPECT_EQ(status, 0);
    EXPECT_GT(pos, 0);
    EXPECT_LT(pos, 500000);
}

}  // namespace
}  // namespace zeq::desk::test
