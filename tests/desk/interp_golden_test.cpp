// Golden runs: scripts in interp_golden/ compiled and run on a virtual card through the bound
// device library, with the expected pane text (NAME.out) and card state (NAME.card).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

class GoldenRun : public ::testing::TestWithParam<std::string> {
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
};

TEST_P(GoldenRun, PaneTextAndCardState) {
    const std::string dir = std::string(ZEQ_TEST_DIR) + "/desk/interp_golden/";
    const std::string name = GetParam();
    TempHome::writeFile(home.source, readText(dir + name + ".zeq"));
    RunController::Setup setup;
    setup.port = port.get();
    setup.sink = &sink;
    setup.boardTable = boards->handleTable();
    setup.programDir = home.dir;
    setup.clock = &clock;
    setup.targetBoard = [] { return 0; };
    {
        RunController ctl(setup);
        ctl.setDocumentPath(home.source);
        ASSERT_TRUE(ctl.run(false));
        ctl.waitIdle();
    }
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
                         ::testing::Values("params", "motion", "events", "path"));

}  // namespace
}  // namespace zeq::desk::test
