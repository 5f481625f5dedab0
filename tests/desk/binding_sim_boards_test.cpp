// Boards against the real device library with virtual cards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "binding/boards.h"
#include "binding/device_wrappers.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {
namespace {

class SimBoards : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        simCards(2);
        deviceBinding().setLibraryDir(ZEQ_DLL_DIR);
        ASSERT_EQ(deviceBinding().load(), 0)
            << (dialogs.messages.empty() ? "" : dialogs.messages[0]);
        dir = std::filesystem::temp_directory_path() /
              ("zeq-simboards-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "dat");
        boards.setIniPath((dir / "dat" / "zeq.ini").string());
    }
    void TearDown() override {
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = boards.handle(b);
            if (h) myClose(&h);
        }
        ::unsetenv("ZEQLINK_SIM");
        ::unsetenv("ZEQLINK_SIM_CLOCK");
        ::unsetenv("ZEQLINK_SIM_FAULTS");
        std::filesystem::remove_all(dir);
        BindingTest::TearDown();
    }
    static void simCards(int n) { ::setenv("ZEQLINK_SIM", std::to_string(n).c_str(), 1); }
    void writeIni(const std::string& text) { std::ofstream(dir / "dat" / "zeq.ini") << text; }
    // Writes a new description into the bridge EEPROM of virtual card `index`.
    void renameCard(int index, const char* name) {
        ZEQ_HANDLE h = 0;
        ASSERT_EQ(USBOpen(index, &h), 0);
        char m[64] = {}, mi[64] = {}, d[64] = {}, s[64] = {};
        ZEQ_EEPROM_DATA data{};
        data.Signature2 = 0xFFFFFFFF;
        data.Manufacturer = m;
        data.ManufacturerId = mi;
        data.Description = d;
        data.SerialNumber = s;
        ASSERT_EQ(myReadProEEP(h, &data), 0);
        std::snprintf(d, sizeof d, "%s", name);
        ASSERT_EQ(myWriteProEEP(h, &data), 0);
        ASSERT_EQ(myClose(&h), 0);
    }

    std::filesystem::path dir;
    RecordingOutput output;
    CountingClock clock;
    Boards boards{deviceBinding(), output, dialogs, clock};
};

// A card pulled out while connected: its close fails, yet the board is freed, the boards and
// the board table agree, and the card found again connects as the same board.
TEST_F(SimBoards, UnpluggedCardDisconnectsAndConnectsAgainAsTheSameBoard) {
    ::setenv("ZEQLINK_SIM_FAULTS", "unplug=20", 1);
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    const ZEQ_HANDLE first = boards.handle(0);
    ASSERT_NE(first, 0u);
    int status = 0;
    for (int i = 0; i < 20 && status == 0; ++i) myReadParamWord(first, 0, 634, &status);
    EXPECT_NE(status, 0) << "the card did not vanish";
    output.take();
    boards.toggleConnection(0);  // disconnect: the bridge's close fails on the vanished card
    EXPECT_EQ(output.take(), "ZEQ-SIM0 已断开\r\n");
    EXPECT_EQ(boards.handle(0), 0u);
    EXPECT_FALSE(boards.anyConnected());
    ::unsetenv("ZEQLINK_SIM_FAULTS");
    boards.search();
    EXPECT_EQ(boards.slot(0).chosenBoard, 0);
    EXPECT_EQ(boards.toggleConnection(0), 0);
    EXPECT_EQ(output.take(), "ZEQ-SIM0 已连接\r\n");
    EXPECT_NE(boards.handle(0), 0u);
    EXPECT_NE(boards.handle(0), first);
}

TEST_F(SimBoards, TwoCardsGetBoardsZeroAndOneAndConnect) {
    boards.search();
    ASSERT_EQ(boards.slotCount(), 2);
    EXPECT_EQ(boards.slot(0).displayName, "ZEQ-SIM0");
    EXPECT_EQ(boards.slot(1).displayName, "ZEQ-SIM1");
    EXPECT_EQ(boards.slot(1).usbLocation, 0x1001);
    EXPECT_EQ(boards.slot(0).chosenBoard, 0);
    EXPECT_EQ(boards.slot(1).chosenBoard, 1);
    EXPECT_EQ(boards.toggleConnection(0), 0);
    EXPECT_EQ(boards.toggleConnection(1), 0);
    EXPECT_EQ(output.take(), "ZEQ-SIM0 已连接\r\nZEQ-SIM1 已连接\r\n");
    EXPECT_EQ(boards.axisCount(0), 4);
    EXPECT_NE(boards.handle(0), 0u);
    EXPECT_NE(boards.handle(1), boards.handle(0));
    EXPECT_EQ(boards.boardOfTargetDevice(), 0);
}

TEST_F(SimBoards, RememberedBoardOutsideTheRangeIsIgnored) {
    writeIni("[Drevices]\nZEQ-SIM0 = 12\nZEQ-SIM1 = 0\n");
    boards.search();
    EXPECT_EQ(boards.slot(1).chosenBoard, 0);
    EXPECT_EQ(boards.slot(0).chosenBoard, 1);
}

TEST_F(SimBoards, BoardTakenByAnotherSlotIsRefused) {
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    boards.chooseBoard(1, 0);
    EXPECT_NE(boards.toggleConnection(1), 0);
    EXPECT_EQ(dialogs.messages.back(), "Board:0已被其他设备占用,请选择其他!");
    EXPECT_FALSE(boards.isConnected(1));
    EXPECT_TRUE(boards.isConnected(0));
}

TEST_F(SimBoards, ChangedDeviceAtTheIndexIsRefused) {
    boards.search();
    // The card behind index 1 now reports another name, as when another device took its
    // place while unplugged.
    renameCard(1, "ZEQ-OTHER");
    output.take();
    EXPECT_EQ(boards.toggleConnection(1), 15);
    EXPECT_EQ(output.take(), "错误的设备名!\r\n请重新搜索后再重试!\r\n连接失败!\r\n");
    EXPECT_EQ(boards.handle(1), 0u);
    // Fewer cards than before: the index names no device any more.
    simCards(1);
    EXPECT_EQ(boards.toggleConnection(1), 15);
    EXPECT_EQ(
        output.take(),
        "找不到此设备,请确定此设备是否连接或已被占用!\r\n请重新搜索后再重试!\r\n连接失败!\r\n");
    simCards(2);
    renameCard(1, "ZEQ-SIM1");  // leave the cards as found: they outlive a test
}

TEST_F(SimBoards, BracketNameIsRememberedUnderTheTextBeforeIt) {
    renameCard(0, "Cell A [left]");
    boards.search();
    ASSERT_EQ(boards.slot(0).displayName, "Cell A [left]");
    boards.chooseBoard(0, 5);
    ASSERT_TRUE(boards.saveSettings());
    std::ifstream in(dir / "dat" / "zeq.ini");
    std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("Cell A=5"), std::string::npos);
    boards.search();
    EXPECT_EQ(boards.slot(0).chosenBoard, 5);
    EXPECT_TRUE(boards.renameDevice(0, "ZEQ-SIM0"));
    EXPECT_EQ(dialogs.messages.back(), "更改成功!");
}

TEST_F(SimBoards, CountersAddTheBytesTheLibraryReports) {
    boards.search();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    const std::uint32_t rx = boards.rxBytes();
    const std::uint32_t tx = boards.txBytes();
    EXPECT_GT(rx, 0u);  // the axis count read after the connect
    EXPECT_GT(tx, 0u);  // its command block
    int status = -1;
    myReadParam(boards.handle(0), 0, 225, &status);
    ASSERT_EQ(status, 0);
    // The value's bytes at least (the library may count the reply checksum too).
    const std::uint32_t after32 = boards.rxBytes();
    EXPECT_GE(after32, rx + 4);
    std::int64_t v = 0;
    ASSERT_EQ(myReadParamDouble(boards.handle(0), 0, 337, &v), 0);
    EXPECT_GE(boards.rxBytes(), after32 + 6);
    // The blocks the two reads sent: their commands and status requests.
    EXPECT_EQ(boards.txBytes() - tx, 26u);
}

}  // namespace
}  // namespace zeq::desk::test
