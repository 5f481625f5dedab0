// Boards against the test-only device library: search, board assignment, connections,
// remembered boards, counters.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "binding/boards.h"
#include "binding/device_wrappers.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {
namespace {

class RecordingView : public BoardsView {
  public:
    void setConnectionState(std::string_view t) override { state = t; }
    void setCounterText(std::string_view t) override { counters = t; }
    void slotsChanged() override { ++refills; }
    std::string state;
    std::string counters;
    int refills = 0;
};

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class BoardsTest : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        stub = loadStub("usb");
        ASSERT_NE(stub, nullptr);
        dir = std::filesystem::temp_directory_path() /
              ("zeq-boards-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "dat");
        boards.setIniPath((dir / "dat" / "zeq.ini").string());
        boards.setView(&view);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        BindingTest::TearDown();
    }
    void writeIni(const std::string& text) { std::ofstream(dir / "dat" / "zeq.ini") << text; }
    void addDevice(const std::string& description, std::uint32_t location,
                   std::uint16_t naxis = 4) {
        zeqstub::Device d;
        d.description = description;
        d.location = location;
        d.naxis = naxis;
        stub->devices.push_back(d);
    }

    zeqstub::Control* stub = nullptr;
    std::filesystem::path dir;
    RecordingOutput output;
    CountingClock clock;
    RecordingView view;
    Boards boards{deviceBinding(), output, dialogs, clock};
};

TEST_F(BoardsTest, TwoNewDevicesGetBoardsZeroAndOne) {
    addDevice("ZEQ-A", 0x11);
    addDevice("ZEQ-B", 0x12);
    boards.search();
    ASSERT_EQ(boards.slotCount(), 2);
    EXPECT_EQ(boards.slot(0).displayName, "ZEQ-A");
    EXPECT_EQ(boards.slot(0).usbIndex, 0);
    EXPECT_EQ(boards.slot(0).usbLocation, 0x11);
    EXPECT_EQ(boards.slot(1).usbIndex, 1);
    EXPECT_EQ(boards.slot(0).chosenBoard, 0);
    EXPECT_EQ(boards.slot(1).chosenBoard, 1);
    EXPECT_EQ(boards.targetSlot(), 0);
    EXPECT_EQ(view.refills, 1);
    EXPECT_EQ(clock.sleeps, 0);
}

TEST_F(BoardsTest, RememberedBoardsAreUsedAndOthersAvoidThem) {
    writeIni("[Drevices]\nZEQ-A = 9\nZEQ-B = 0\nZEQ-C = -3\nZEQ-D = x\n");
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    addDevice("ZEQ-C", 3);
    addDevice("ZEQ-D", 4);
    boards.search();
    ASSERT_EQ(boards.slotCount(), 4);
    // 9, -3 and "x" are no board: those slots get numbers that no other slot holds.
    EXPECT_EQ(boards.slot(1).chosenBoard, 0);
    EXPECT_EQ(boards.slot(0).chosenBoard, 1);
    EXPECT_EQ(boards.slot(2).chosenBoard, 2);
    EXPECT_EQ(boards.slot(3).chosenBoard, 3);
}

TEST_F(BoardsTest, AssignmentNeverDuplicatesARememberedBoard) {
    // Slot 0 remembers 1, slot 1 remembers 0: slot 2's candidate passes both.
    writeIni("[Drevices]\nZEQ-A = 1\nZEQ-B = 0\n");
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    addDevice("ZEQ-C", 3);
    boards.search();
    EXPECT_EQ(boards.slot(2).chosenBoard, 2);
}

TEST_F(BoardsTest, DescriptionThatNeverComesIsLeftOutAfterItsTries) {
    addDevice("ZEQ-LOST", 1);
    addDevice("ZEQ-B", 2);
    addDevice("ZEQ-SLOW", 3);
    stub->devices[0].descriptionFailures = 1000;
    stub->devices[2].descriptionFailures = 99;  // answers on the 100th try
    boards.search();
    ASSERT_EQ(boards.slotCount(), 2);
    EXPECT_EQ(boards.slot(0).displayName, "ZEQ-B");
    EXPECT_EQ(boards.slot(0).usbIndex, 1);
    EXPECT_EQ(boards.slot(1).displayName, "ZEQ-SLOW");
    EXPECT_EQ(boards.slot(1).usbIndex, 2);
    EXPECT_EQ(boards.slot(0).chosenBoard, 0);
    // 100 tries each, 50 ms apart.
    int descriptionCalls = 0;
    for (const auto& c : stub->calls)
        if (c.rfind("ZEQ_ListDevices(0,p,1073741826)", 0) == 0) ++descriptionCalls;
    EXPECT_EQ(descriptionCalls, 100);
    EXPECT_EQ(clock.sleeps, 99 + 99);
    EXPECT_EQ(clock.slept, std::chrono::milliseconds(50 * 198));
}

TEST_F(BoardsTest, LocationThatCannotBeReadIsMinusOne) {
    addDevice("ZEQ-A", 7);
    stub->devices[0].locationFails = true;
    boards.search();
    ASSERT_EQ(boards.slotCount(), 1);
    EXPECT_EQ(boards.slot(0).usbLocation, -1);
}

TEST_F(BoardsTest, SearchFailuresAndEmptyLists) {
    stub->countFails = true;
    boards.search();
    EXPECT_EQ(boards.slotCount(), 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "搜索失败!");
    stub->countFails = false;
    boards.search();
    EXPECT_EQ(output.take(), "没有找到设备!\r\n");
    EXPECT_EQ(boards.targetSlot(), -1);
    EXPECT_EQ(boards.boardOfTargetDevice(), -1);
    EXPECT_EQ(output.take(), "没有找到设备!\r\n");
}

TEST_F(BoardsTest, AtMostEightSlots) {
    for (int i = 0; i < 10; ++i) addDevice("ZEQ-" + std::to_string(i), i);
    boards.search();
    EXPECT_EQ(boards.slotCount(), 8);
    EXPECT_EQ(boards.slot(7).chosenBoard, 7);
}

TEST_F(BoardsTest, ConnectOpensSetsTimeOutsPurgesAndReadsTheAxisCount) {
    addDevice("ZEQ-A", 0x21, 6);
    boards.search();
    stub->calls.clear();
    EXPECT_EQ(boards.toggleConnection(0), 0);
    const ZEQ_HANDLE h = boards.handle(0);
    ASSERT_NE(h, 0u);
    const std::string hs = std::to_string(h);
    EXPECT_EQ(stub->last("ZEQ_Open"), "ZEQ_Open(0,p)");
    EXPECT_EQ(stub->last("ZEQ_SetTimeouts"), "ZEQ_SetTimeouts(" + hs + ",1000,1000)");
    EXPECT_EQ(stub->last("ZEQ_Purge"), "ZEQ_Purge(" + hs + ",1)");
    EXPECT_EQ(stub->last("ZEQ_GetParam16"), "ZEQ_GetParam16(" + hs + ",634,p,0,0)");
    EXPECT_EQ(boards.axisCount(0), 6);
    EXPECT_EQ(output.take(), "ZEQ-A 已连接\r\n");
    EXPECT_EQ(view.state, "ZEQ-A已连接");
    EXPECT_TRUE(boards.isConnected(0));
    EXPECT_TRUE(boards.anyConnected());
    EXPECT_EQ(boards.slot(0).connectedBoard, 0);
    EXPECT_EQ(boards.connectCaption(0), "断开设备");
    EXPECT_EQ(boards.boardOfTargetDevice(), 0);

    EXPECT_EQ(boards.toggleConnection(0), 0);
    EXPECT_EQ(boards.handle(0), 0u);
    EXPECT_EQ(output.take(), "ZEQ-A 已断开\r\n");
    EXPECT_EQ(view.state, "ZEQ-A已断开");
    EXPECT_EQ(boards.connectCaption(0), "连接设备");
    EXPECT_FALSE(boards.anyConnected());
}

TEST_F(BoardsTest, AxisCountOutsideZeroToSixteenTakesTheDefault) {
    struct Case {
        std::uint16_t naxis;
        int status;
        int expected;
    };
    const Case cases[] = {{20, 0, 4}, {16, 0, 16}, {0, 0, 0}, {0xFFFF, 0, 4}, {8, 13, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.naxis);
        stub->devices.clear();
        addDevice("ZEQ-A", 1, c.naxis);
        stub->naxisStatus = c.status;
        boards.search();
        ASSERT_EQ(boards.toggleConnection(0), 0);
        EXPECT_EQ(boards.axisCount(0), c.expected);
    }
}

TEST_F(BoardsTest, BoardHeldByAnotherSlotIsRefused) {
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    output.take();
    // Slot 1 picks board 0: the list change itself warns, the connect refuses.
    boards.chooseBoard(1, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "此Board号已经有设备连接,请选择其他的Board!");
    EXPECT_EQ(boards.slot(1).chosenBoard, 0);
    const int opens = stub->count("ZEQ_Open");
    EXPECT_NE(boards.toggleConnection(1), 0);
    EXPECT_EQ(dialogs.messages.back(), "Board:0已被其他设备占用,请选择其他!");
    EXPECT_EQ(stub->count("ZEQ_Open"), opens);
    EXPECT_FALSE(boards.isConnected(1));
    EXPECT_TRUE(boards.isConnected(0));
    EXPECT_EQ(output.take(), "");
}

TEST_F(BoardsTest, ChangingTheBoardOfAConnectedSlotDisconnectsIt) {
    addDevice("ZEQ-A", 1);
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    output.take();
    boards.chooseBoard(0, 5);
    EXPECT_EQ(output.take(), "已断开ZEQ-A连接的Board:0\r\n");
    EXPECT_EQ(view.state, "ZEQ-A已断开");
    EXPECT_EQ(boards.handle(0), 0u);
    EXPECT_FALSE(boards.isConnected(0));
    ASSERT_EQ(boards.toggleConnection(0), 0);
    EXPECT_NE(boards.handle(5), 0u);
}

TEST_F(BoardsTest, ReconnectAfterThePlugChangedIsRefused) {
    struct Case {
        const char* what;
        std::function<void(zeqstub::Control&)> change;
        std::string output;
        int status;
    };
    const Case cases[] = {
        {"other device at the index",
         [](zeqstub::Control& c) { c.devices[0].description = "ZEQ-B"; },
         "错误的设备名!\r\n请重新搜索后再重试!\r\n连接失败!\r\n", 15},
        {"description unreadable",
         [](zeqstub::Control& c) { c.devices[0].descriptionFailures = 1; },
         "找不到此设备,请确定此设备是否连接或已被占用!\r\n请重新搜索后再重试!\r\n连接失败!\r\n",
         15},
        {"other location", [](zeqstub::Control& c) { c.devices[0].location = 99; },
         "无法连接设备!\n请重新搜索后再重试!\n连接失败!\r\n", 15},
        {"location unreadable", [](zeqstub::Control& c) { c.devices[0].locationFails = true; },
         "无法连接设备!\n请重新搜索后再重试!\n连接失败!\r\n", 15},
        {"all unplugged", [](zeqstub::Control& c) { c.devices.clear(); },
         "没有找到设备!\r\n连接失败!\r\n", 4},
        {"version", [](zeqstub::Control& c) { c.openStatus = 14; }, "版本错误，连接失败!\r\n", 14},
        {"open fails", [](zeqstub::Control& c) { c.openStatus = 5; }, "连接失败!\r\n", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        *stub = zeqstub::Control{};
        addDevice("ZEQ-A", 1);
        boards.search();
        output.take();
        c.change(*stub);
        EXPECT_EQ(boards.toggleConnection(0), c.status);
        EXPECT_EQ(output.take(), c.output);
        EXPECT_EQ(view.state, "连接失败!");
        EXPECT_EQ(boards.handle(0), 0u);
        EXPECT_FALSE(boards.isConnected(0));
    }
}

TEST_F(BoardsTest, TargetDeviceMustBeConnected) {
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    boards.search();
    boards.selectTarget(1);
    EXPECT_EQ(boards.boardOfTargetDevice(), -1);
    EXPECT_EQ(output.take(), "Board[1] 对应的通信端口 ZEQ-B 没有连接!\r\n请先连接目标设备!\r\n");
    ASSERT_EQ(boards.toggleConnection(1), 0);
    EXPECT_EQ(boards.boardOfTargetDevice(), 1);
}

TEST_F(BoardsTest, NewSearchClosesEveryConnection) {
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    ASSERT_EQ(boards.toggleConnection(1), 0);
    const ZEQ_HANDLE h0 = boards.handle(0), h1 = boards.handle(1);
    boards.search();
    EXPECT_EQ(stub->count("ZEQ_Close"), 2);
    EXPECT_EQ(stub->last("ZEQ_Close"), "ZEQ_Close(" + std::to_string(h1) + ")");
    EXPECT_NE(h0, 0u);
    EXPECT_EQ(boards.handle(0), 0u);
    EXPECT_EQ(boards.handle(1), 0u);
    EXPECT_FALSE(boards.anyConnected());
}

TEST_F(BoardsTest, CountersAddNotifiedBytes) {
    boards.onNotification(0x040A, 10, 0x100);
    boards.onNotification(0x040A, 4, 0x200);
    boards.onNotification(0x040A, 2, 0x200);
    boards.onNotification(0x040A, 99, 0x300);  // neither direction
    boards.onNotification(0x0400, 99, 0x100);  // another message
    EXPECT_EQ(boards.txBytes(), 10u);
    EXPECT_EQ(boards.rxBytes(), 6u);
    EXPECT_EQ(view.counters, "");  // display off
    boards.toggleCounterDisplay();
    EXPECT_EQ(stub->last("ZEQ_SethWnd"), "ZEQ_SethWnd(1)");
    // Through the library's notification, which only counts; the view's refresh shows it.
    stubNotify(libraryPath(), 0x040A, 2, 0x200);
    EXPECT_EQ(view.counters, "");
    boards.refreshCounters();
    EXPECT_EQ(view.counters, "TX:10,RX:8");
    boards.toggleCounterDisplay();
    EXPECT_EQ(stub->last("ZEQ_SethWnd"), "ZEQ_SethWnd(0)");
    EXPECT_FALSE(boards.counterDisplay());
}

TEST_F(BoardsTest, RememberedBoardsAreSavedAndReadBack) {
    writeIni("[Drevices]\nOld = 3\n[Other]\nkeep = 1\n");
    addDevice("ZEQ-A [2]", 1);
    addDevice("ZEQ-B", 2);
    boards.search();
    boards.chooseBoard(0, 6);
    boards.chooseBoard(1, -1);
    ASSERT_TRUE(boards.saveSettings());
    const std::string ini = readFile(dir / "dat" / "zeq.ini");
    EXPECT_EQ(ini.rfind("\xEF\xBB\xBF", 0), std::string::npos);  // no byte-order mark
    EXPECT_EQ(ini.find("Old"), std::string::npos);
    EXPECT_NE(ini.find("keep=1"), std::string::npos);
    EXPECT_NE(ini.find("ZEQ-A=6"), std::string::npos);
    EXPECT_NE(ini.find("ZEQ-B=-1"), std::string::npos);
    EXPECT_NE(ini.find("BoardType=0"), std::string::npos);
    EXPECT_EQ(loadCardTypeSetting((dir / "dat" / "zeq.ini").string()), 0);

    // The next session finds the name with its bracket part under the key before "[".
    boards.search();
    EXPECT_EQ(boards.slot(0).chosenBoard, 6);
    EXPECT_EQ(boards.slot(1).chosenBoard, 0);
}

TEST_F(BoardsTest, SettingsFileIsCreatedWithItsFolder) {
    std::filesystem::remove_all(dir);
    addDevice("ZEQ-A", 1);
    boards.search();
    ASSERT_TRUE(boards.saveSettings());
    EXPECT_NE(readFile(dir / "dat" / "zeq.ini").find("ZEQ-A=0"), std::string::npos);
}

TEST_F(BoardsTest, CommandLineConnectsADeviceIndexAsABoard) {
    addDevice("ZEQ-A", 1);
    addDevice("ZEQ-B", 2);
    boards.search();
    EXPECT_EQ(boards.connectDevice(1, 4), 0);
    EXPECT_NE(boards.handle(4), 0u);
    EXPECT_EQ(boards.slot(1).connectedBoard, 4);
    EXPECT_EQ(boards.connectDevice(5, 0), ZEQ_ERR_NOT_FOUND);
    EXPECT_EQ(boards.connectDevice(0, 8), ZEQ_ERR_ARGUMENT);
}

TEST_F(BoardsTest, RenameWritesTheDescriptionIntoTheEeprom) {
    addDevice("ZEQ-A", 1);
    boards.search();
    EXPECT_FALSE(boards.renameDevice(0, std::string(33, 'n')));
    EXPECT_EQ(output.take(), "名称多于32个字符!\r\n");
    EXPECT_FALSE(boards.renameDevice(3, "X"));
    EXPECT_EQ(dialogs.messages.back(), "没有设备!");

    EXPECT_TRUE(boards.renameDevice(0, std::string(32, 'n')));
    EXPECT_EQ(dialogs.messages.back(), "更改成功!");
    EXPECT_EQ(stub->eepromDescription[0], std::string(32, 'n'));
    EXPECT_EQ(stub->openDevice.size(), 0u);  // the device was closed again

    // Through the board's handle while connected.
    ASSERT_EQ(boards.toggleConnection(0), 0);
    const int opens = stub->count("ZEQ_Open");
    EXPECT_TRUE(boards.renameDevice(0, "Cell 1"));
    EXPECT_EQ(stub->count("ZEQ_Open"), opens);
    EXPECT_EQ(stub->eepromDescription[0], "Cell 1");
    EXPECT_TRUE(boards.isConnected(0));

    stub->results["ZEQ_WriteProEEP"] = 1;
    EXPECT_FALSE(boards.renameDevice(0, "Cell 2"));
    EXPECT_EQ(dialogs.messages.back(), "更改失败!");
    boards.toggleConnection(0);
    stub->openStatus = 4;
    EXPECT_FALSE(boards.renameDevice(0, "Cell 3"));
    EXPECT_EQ(dialogs.messages.back(), "无法打开USB设备,修改不成功!");
}

TEST_F(BoardsTest, ConnectionsCloseWithTheirBoards) {
    addDevice("ZEQ-A", 1);
    ZEQ_HANDLE h = 0;
    {
        Boards local(deviceBinding(), output, dialogs, clock);
        local.search();
        ASSERT_EQ(local.toggleConnection(0), 0);
        h = local.handle(0);
    }
    EXPECT_EQ(stub->last("ZEQ_Close"), "ZEQ_Close(" + std::to_string(h) + ")");
    EXPECT_TRUE(stub->openDevice.empty());
}

TEST(BoardTitles, CardTagReplacesTheBracketPart) {
    EXPECT_EQ(titleForCardType("ZeqDesk - a.zeq (USB)", kCardPci), "ZeqDesk - a.zeq (PCI)");
    EXPECT_EQ(titleForCardType("ZeqDesk (PCI) x", kCardUsb), "ZeqDesk (USB)");
    EXPECT_EQ(titleForCardType("ZeqDesk", kCardUsb), "ZeqDesk (USB)");
    EXPECT_EQ(rememberedKey("ZEQ USB [3] x"), "ZEQ USB ");
    EXPECT_EQ(rememberedKey("ZEQ-SIM0"), "ZEQ-SIM0");
}

}  // namespace
}  // namespace zeq::desk::test
