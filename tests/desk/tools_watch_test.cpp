// The watch list's core: cell texts, the load rule, the interval, and polling passes against a
// virtual card (step clock) and the stub library (the statuses a virtual card never returns).
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "desk/tools_fixture.h"
#include "tools/watch/watch_list.h"
#include "tools/watch/watch_messages.h"

namespace zeq::desk::test {
namespace {

// Stops the list after its first complete pass.
class OnePass : public WatchObserver {
  public:
    explicit OnePass(WatchList& list) : m_list(list) {}
    void passEnded(bool complete) override {
        if (complete) ++passes;
        m_list.stop();
    }
    void pollingEnded() override { ended = true; }
    std::atomic<int> passes{0};
    std::atomic<bool> ended{false};

  private:
    WatchList& m_list;
};

std::vector<std::string> cells(const WatchList& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.rowCount(); ++i) out.push_back(list.valueText(i));
    return out;
}

TEST(WatchFormat, ValueCellsByKindAndDisplay) {
    struct Case {
        std::int64_t value;
        int kind;
        bool hex;
        const char* text;
    };
    const Case cases[] = {
        {-1, kKindInt16, true, "FFFFH"},
        {-1, kKindInt16, false, "-1"},
        {0xFFFF, kKindUInt16, false, "65535"},
        {-1, kKindFlag16, false, "65535"},
        {255, kKindInt32, true, "000000FFH"},
        {-2, kKindUInt32, false, "-2"},
        {5'000'000'000LL, kKindInt48, false, "5000000000"},
        {5'000'000'000LL, kKindInt48, true, "00012A05F200H"},
        {-5, kKindInt48, true, "FFFFFFFFFFFBH"},
        {-5, kKindInt48, false, "-5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatWatchValue(c.value, c.kind, c.hex), c.text)
            << c.value << " kind " << c.kind;
}

TEST(WatchFormat, RowTextsByTheLoadRule) {
    struct Case {
        const char* text;
        bool taken;
        const char* name;
        int axis, board;
    };
    const Case cases[] = {
        {"mcsvel:5:9", true, "mcsvel", 5, 0},  // an 8-axis card has axis 5
        {"mcspos:7:7", true, "mcspos", 7, 7},
        {"mcspos:8:-1", true, "mcspos", 0, 0},
        {"naxis", true, "naxis", 0, 0},
        {"curpos:x:2", true, "curpos", 0, 2},
        {"ab", false, "", 0, 0},
        {"", false, "", 0, 0},
    };
    for (const Case& c : cases) {
        WatchRow row;
        ASSERT_EQ(parseWatchRow(c.text, row), c.taken) << c.text;
        if (!c.taken) continue;
        EXPECT_EQ(row.name, c.name) << c.text;
        EXPECT_EQ(row.axis, c.axis) << c.text;
        EXPECT_EQ(row.board, c.board) << c.text;
    }
}

class WatchSettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("zeq-watch-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        ini = (dir / "zeq.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    std::string ini;
};

TEST_F(WatchSettingsFile, LoadsSavedRowsAndKeepsOtherSections) {
    std::ofstream(ini) << "[Toolcfg]\nZoom = 3\nListGetTime = 0\n"
                          "[ListView]\nparamnum = 4\n0 = mcsvel:5:9\n1 = x\n3 = naxis:1:2\n";
    WatchSettings s = loadWatchSettings(ini);
    EXPECT_EQ(s.interval, 100);  // below 1: the default
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(watchRowText(s.rows[0]), "mcsvel:5:0");
    EXPECT_EQ(watchRowText(s.rows[1]), "naxis:1:2");

    s.interval = 250;
    ASSERT_TRUE(saveWatchSettings(ini, s));
    ASSERT_TRUE(saveWatchInterval(ini, 40));  // the application's close
    const WatchSettings again = loadWatchSettings(ini);
    EXPECT_EQ(again.interval, 40);
    ASSERT_EQ(again.rows.size(), 2u);
    EXPECT_EQ(watchRowText(again.rows[0]), "mcsvel:5:0");
    std::ifstream in(ini);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("Zoom"), std::string::npos);
    EXPECT_EQ(text.find("= x"), std::string::npos);
}

class WatchSim : public SimToolTest {};

TEST_F(WatchSim, OnePassShowsEveryCellText) {
    write16("user16b0", 0, 0xFFFF);
    write16("homeseq", 1, 0xFFFF);
    write32("homepos", 0, 255);
    write48("user48b0", 0, 5'000'000'000LL);
    WatchList list(boards, output, dialogs, clock);
    ASSERT_TRUE(list.setRows({{"mcsvel", 0, 3},    // no device as board 3: the pass goes on
                              {"user16b0", 0, 0},  // kind 3
                              {"homeseq", 1, 0},   // kind 2
                              {"homepos", 0, 0},   // 32 bits
                              {"user48b0", 0, 0},  // 48 bits, above 2^32
                              {"naxis", 4, 0},     // a 4-axis card
                              {"nosuchname", 0, 0},
                              {"NAXIS", 0, 0}}));  // case as typed
    OnePass observer(list);
    list.setObserver(&observer);
    ASSERT_TRUE(list.start());
    list.waitIdle();
    EXPECT_EQ(observer.passes, 1);
    EXPECT_FALSE(list.polling());
    EXPECT_EQ(cells(list),
              (std::vector<std::string>{"此设备无连接", "-1", "65535", "255", "5000000000",
                                        "此轴号无效", "参数名错误", "4"}));
    list.toggleHex();
    ASSERT_TRUE(list.start());
    list.waitIdle();
    EXPECT_EQ(cells(list),
              (std::vector<std::string>{"此设备无连接", "FFFFH", "FFFFH", "000000FFH",
                                        "00012A05F200H", "此轴号无效", "参数名错误", "0004H"}));
    EXPECT_EQ(output.take(), "");
}

TEST_F(WatchSim, InvalidHandleStopsPollingWithTheMessage) {
    boards.handleTable()[1] = 0x7777;  // a handle the library never gave
    WatchList list(boards, output, dialogs, clock);
    ASSERT_TRUE(list.setRows({{"naxis", 0, 0}, {"mcspos", 0, 1}}));
    OnePass observer(list);
    list.setObserver(&observer);
    ASSERT_TRUE(list.start());
    list.waitIdle();
    boards.handleTable()[1] = 0;
    EXPECT_TRUE(observer.ended);
    EXPECT_FALSE(list.polling());
    EXPECT_EQ(cells(list), (std::vector<std::string>{"4", "error"}));
    EXPECT_EQ(output.take(),
              "无法获取mcspos数据!请检查board是否正确或通信端口是否打开!\r\n已停止获取数据!\r\n");
}

TEST_F(WatchSim, PassesRepeatUntilStopped) {
    WatchList list(boards, output, dialogs, clock);
    ASSERT_TRUE(list.setInterval(1));
    ASSERT_TRUE(list.setRows({{"naxis", 0, 0}}));
    struct Count : WatchObserver {
        explicit Count(WatchList& l) : list(l) {}
        void passEnded(bool complete) override {
            if (complete && ++passes == 3) list.stop();
        }
        WatchList& list;
        std::atomic<int> passes{0};
    } observer(list);
    list.setObserver(&observer);
    ASSERT_TRUE(list.start());
    EXPECT_FALSE(list.start());  // one polling at a time
    while (list.polling()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    list.waitIdle();
    EXPECT_EQ(observer.passes, 3);
}

TEST_F(WatchSim, EditingRulesAndTheAddWindow) {
    WatchList list(boards, output, dialogs, clock);
    EXPECT_FALSE(list.setInterval(0));
    EXPECT_EQ(list.interval(), 100);
    EXPECT_TRUE(list.setInterval(1));

    EXPECT_FALSE(list.enabled(WatchCommand::Start, true, false));  // empty
    EXPECT_TRUE(list.addTypedName("McsPos"));
    EXPECT_EQ(list.row(0).name, "McsPos");
    EXPECT_FALSE(list.addTypedName("mcspo"));
    EXPECT_FALSE(list.addTypedName(""));
    EXPECT_FALSE(list.deleteTypedName("mcspos"));  // names are compared as typed here
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0], "设置的间隔时间小于1ms\r\n\r\n设置失败!");
    EXPECT_EQ(dialogs.messages[1], "mcspo 不是系统参数，请重新选择或者输入！");
    EXPECT_EQ(dialogs.messages[2], "没有找到可删除的参数 mcspos !");

    EXPECT_EQ(list.axisChoices(0), 4);  // board 0: the card's naxis
    EXPECT_FALSE(list.setAxis(0, 4));
    EXPECT_TRUE(list.setBoard(0, 5));  // not connected: the default count
    EXPECT_EQ(list.axisChoices(0), 4);
    EXPECT_TRUE(list.setBoard(0, 0));

    struct Case {
        WatchCommand command;
        bool visible, selected, enabled;
    };
    const Case stopped[] = {
        {WatchCommand::Start, true, false, true}, {WatchCommand::Start, false, false, false},
        {WatchCommand::Stop, true, false, false}, {WatchCommand::Delete, true, false, false},
        {WatchCommand::Delete, true, true, true}, {WatchCommand::DeleteAll, true, false, true},
        {WatchCommand::Add, true, false, true},   {WatchCommand::Interval, false, false, true},
    };
    for (const Case& c : stopped)
        EXPECT_EQ(list.enabled(c.command, c.visible, c.selected), c.enabled)
            << static_cast<int>(c.command);
    EXPECT_TRUE(list.deleteTypedName("McsPos"));
    EXPECT_EQ(list.rowCount(), 0);
}

class WatchStub : public StubToolTest {};

TEST_F(WatchStub, FullFifoWaitsAndGivesUpWhenStopped) {
    stub->results["ZEQ_GetParam32"] = ZEQ_ERR_FIFO_FULL;
    struct StopAfter : CountingClock {
        void sleepFor(std::chrono::milliseconds ms) override {
            CountingClock::sleepFor(ms);
            if (sleeps == 3) list->stop();
        }
        WatchList* list = nullptr;
    } stopClock;
    WatchList list(boards, output, dialogs, stopClock);
    stopClock.list = &list;
    ASSERT_TRUE(list.setRows({{"mcspos", 0, 0}, {"naxis", 0, 0}}));
    OnePass observer(list);
    list.setObserver(&observer);
    ASSERT_TRUE(list.start());
    list.waitIdle();
    EXPECT_EQ(stopClock.sleeps, 3);
    EXPECT_EQ(stopClock.slept, std::chrono::milliseconds(15));
    EXPECT_EQ(stub->count("ZEQ_GetParam32"), 3);
    EXPECT_EQ(observer.passes, 0);  // the pass ended at the stop
    EXPECT_EQ(cells(list), (std::vector<std::string>{"", ""}));
}

TEST_F(WatchStub, ChecksumErrorIsReportedAndPollingGoesOn) {
    stub->results["ZEQ_GetParam32"] = ZEQ_ERR_CHECKSUM;
    WatchList list(boards, output, dialogs, clock);
    ASSERT_TRUE(list.setRows({{"mcspos", 0, 0}}));
    struct Count : WatchObserver {
        explicit Count(WatchList& l) : list(l) {}
        void passEnded(bool complete) override {
            if (complete && ++passes == 2) list.stop();
        }
        WatchList& list;
        std::atomic<int> passes{0};
    } observer(list);
    ASSERT_TRUE(list.setInterval(1));
    list.setObserver(&observer);
    ASSERT_TRUE(list.start());
    while (list.polling()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    list.waitIdle();
    EXPECT_EQ(observer.passes, 2);
    EXPECT_EQ(list.valueText(0), "error");
    EXPECT_EQ(output.take(), "指令校验错误!\n指令校验错误!\n");
}

}  // namespace
}  // namespace zeq::desk::test
