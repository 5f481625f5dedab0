// Start-up, the card type switch and the PCI boards.
#include <gtest/gtest.h>

#include "binding/boards.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {
namespace {

class TypeView : public BoardsView {
  public:
    void setConnectionState(std::string_view t) override { state = t; }
    void setCounterText(std::string_view t) override { counters = t; }
    void cardTypeChanged(int type) override { types.push_back(type); }
    std::string state;
    std::string counters = "unset";
    std::vector<int> types;
};

// A library folder holding both variants, as the program's Dll folder does.
class CardTypes : public BindingTest {
  protected:
    void SetUp() override {
        BindingTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("zeq-dll-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::create_symlink(stubDir("usb") + "/libzeqlink.so", dir / "libzeqlink.so");
        std::filesystem::create_symlink(stubDir("pci") + "/libzeqbus.so", dir / "libzeqbus.so");
        deviceBinding().setLibraryDir(dir.string());
        boards.setView(&view);
    }
    void TearDown() override {
        BindingTest::TearDown();
        std::filesystem::remove_all(dir);
    }

    std::filesystem::path dir;
    RecordingOutput output;
    CountingClock clock;
    TypeView view;
    Boards boards{deviceBinding(), output, dialogs, clock};
};

TEST_F(CardTypes, StartUpSearchesTheUsbDevices) {
    ASSERT_TRUE(deviceBinding().loadOrEnd());
    freshStub()->devices.push_back({"ZEQ-A", 1});
    boards.startUp();
    EXPECT_EQ(view.state, " 没有设备连接! ");
    EXPECT_EQ(boards.slotCount(), 1);
    EXPECT_EQ(boards.axisCount(7), 4);
    EXPECT_EQ(view.counters, "unset");
}

TEST_F(CardTypes, SwitchIsRefusedWhileABoardIsConnected) {
    ASSERT_TRUE(deviceBinding().loadOrEnd());
    freshStub()->devices.push_back({"ZEQ-A", 1});
    boards.startUp();
    ASSERT_EQ(boards.toggleConnection(0), 0);
    EXPECT_FALSE(boards.switchCardType(kCardPci));
    EXPECT_EQ(dialogs.messages.back(), "先关闭连接的设备!");
    EXPECT_EQ(deviceBinding().cardType(), kCardUsb);
    EXPECT_TRUE(boards.isConnected(0));
    EXPECT_TRUE(view.types.empty());
}

TEST_F(CardTypes, SwitchToPciSearchesItsCardsAndConnects) {
    ASSERT_TRUE(deviceBinding().loadOrEnd());
    boards.startUp();
    ASSERT_TRUE(boards.switchCardType(kCardPci));
    EXPECT_EQ(deviceBinding().cardType(), kCardPci);
    EXPECT_EQ(view.types, std::vector<int>{kCardPci});
    EXPECT_EQ(view.counters, "  ");
    EXPECT_EQ(boards.defaultAxisCount(), 8);
    EXPECT_EQ(boards.axisCount(0), 8);
    output.take();

    zeqstub::Control* pci = freshStub();
    pci->pciIds = {0x1A2B, 0x3C};
    boards.search();
    ASSERT_EQ(boards.slotCount(), 2);
    EXPECT_EQ(boards.slot(0).displayName, "ZEQ_PCI_Card(0x1A2B)");
    EXPECT_EQ(boards.slot(1).displayName, "ZEQ_PCI_Card(0x3C)");
    EXPECT_EQ(boards.slot(1).pciCard.word[1], 0x3Cu);
    EXPECT_EQ(boards.slot(1).chosenBoard, 1);

    pci->calls.clear();
    ASSERT_EQ(boards.toggleConnection(1), 0);
    EXPECT_EQ(pci->last("ZEQ_Open"), "ZEQ_Open(p,p)");
    EXPECT_EQ(pci->count("ZEQ_SetTimeouts"), 0);  // not a USB bridge
    const ZEQ_HANDLE h = boards.handle(1);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(pci->openDevice.at(h), 0x3C);  // opened with the slot's card entry
    EXPECT_EQ(boards.axisCount(1), 8);       // card 0x3C is not in the device list: naxis 8
    EXPECT_EQ(output.take(), "ZEQ_PCI_Card(0x3C) 已连接\r\n");

    pci->openStatus = 5;
    EXPECT_EQ(boards.toggleConnection(0), 5);
    EXPECT_EQ(boards.handle(0), 0u);

    // A failed PCI search only writes to the output pane.
    pci->findStatus = 5;
    boards.search();
    EXPECT_EQ(boards.slotCount(), 0);
    EXPECT_NE(output.take().find("没有找到设备!\r\n"), std::string::npos);
    EXPECT_FALSE(boards.anyConnected());
}

TEST_F(CardTypes, SwitchBackToUsbShowsTheCounters) {
    deviceBinding().setCardType(kCardPci);
    ASSERT_TRUE(deviceBinding().loadOrEnd());
    boards.startUp();
    EXPECT_EQ(view.counters, "  ");
    boards.onNotification(0x040A, 3, 0x100);
    ASSERT_TRUE(boards.switchCardType(kCardUsb));
    EXPECT_EQ(view.counters, "TX:3,RX:0");
    EXPECT_EQ(boards.axisCount(3), 4);
}

TEST_F(CardTypes, SwitchToAMissingLibraryEndsTheProgram) {
    ASSERT_TRUE(deviceBinding().loadOrEnd());
    std::filesystem::remove(dir / "libzeqbus.so");
    EXPECT_FALSE(boards.switchCardType(kCardPci));
    EXPECT_EQ(dialogs.messages.back(), "错误: 动态链接库 libzeqbus.so 丢失或者损坏");
    EXPECT_EQ(endStatus, 1);
}

}  // namespace
}  // namespace zeq::desk::test
