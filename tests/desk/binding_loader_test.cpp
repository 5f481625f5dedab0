// Loading the device library, the binding lists and what a failed load does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "desk/binding_fixture.h"

namespace zeq::desk::test {
namespace {

const char* kMissingFunction = "错误: 在链接库中没有找到 %s 函数\r\n请确认链接库是否是最新版本";

std::string missing(const char* name) {
    char buf[256];
    std::snprintf(buf, sizeof buf, kMissingFunction, name);
    return buf;
}

int indexOf(std::span<const BindingName> list, const char* name) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (std::strcmp(list[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

TEST(BindingLists, NamesInBindingOrder) {
    auto usb = usbBindingList();
    auto pci = pciBindingList();
    auto common = commonBindingList();
    ASSERT_EQ(usb.size(), 14u);
    ASSERT_EQ(pci.size(), 19u);
    ASSERT_EQ(common.size(), 179u);
    EXPECT_STREQ(usb[0].name, "ZEQ_Write");
    EXPECT_STREQ(usb[13].name, "ZEQ_GetMCData");
    EXPECT_STREQ(pci[4].name, "ZEQ_DeviceFind");
    EXPECT_STREQ(pci[18].name, "ZEQ_PathAddLine");
    EXPECT_STREQ(common[0].name, "ZEQ_Close");
    EXPECT_STREQ(common[36].name, "SetPartCartesianSys");
    EXPECT_STREQ(common[99].name, "ZEQ_SetGearMaster");
    EXPECT_STREQ(common[178].name, "ZEQ_EnableEvent");
    EXPECT_EQ(indexOf(common, "ZEQ_SetPCStgPos"), 63);
    // The four shared names fill separate entries; every other name has one entry.
    for (const char* shared : {"ZEQ_Write", "ZEQ_Read", "ZEQ_Open", "ZEQ_OpenUsePassword"}) {
        SCOPED_TRACE(shared);
        EXPECT_NE(usb[indexOf(usb, shared)].entry, pci[indexOf(pci, shared)].entry);
    }
    EXPECT_EQ(indexOf(common, "ZEQ_ClearFIFO"), -1);
    EXPECT_EQ(indexOf(usb, "ZEQ_ClearFIFO"), -1);
    EXPECT_EQ(kEntryCount, 14 + 19 + 179);
}

TEST(BindingLists, LibraryFileNames) {
    EXPECT_EQ(DeviceBinding::libraryFileName(kCardUsb), "libzeqlink.so");
    EXPECT_EQ(DeviceBinding::libraryFileName(kCardPci), "libzeqbus.so");
    EXPECT_EQ(DeviceBinding::libraryFileName(2), "");
}

using BindingLoad = BindingTest;

TEST_F(BindingLoad, UsbLibraryBindsAndRegistersTheMainWindow) {
    DeviceBinding& b = deviceBinding();
    b.setLibraryDir(stubDir("usb"));
    ASSERT_EQ(b.load(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(b.isLoaded());
    for (const BindingName& n : usbBindingList()) EXPECT_NE(b.entry(n.entry), nullptr) << n.name;
    for (const BindingName& n : commonBindingList()) EXPECT_NE(b.entry(n.entry), nullptr) << n.name;
    for (const BindingName& n : pciBindingList()) EXPECT_EQ(b.entry(n.entry), nullptr) << n.name;
    zeqstub::Control* c = stubControl(libraryPath());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->last("ZEQ_SethWnd"), "ZEQ_SethWnd(1)");
    EXPECT_TRUE(b.hasNotifyCallback());
    EXPECT_NE(c->notify, nullptr);
}

TEST_F(BindingLoad, PciLibraryBindsWithoutNotificationWindow) {
    DeviceBinding& b = deviceBinding();
    b.setCardType(kCardPci);
    b.setLibraryDir(stubDir("pci"));
    ASSERT_EQ(b.load(), 0);
    for (const BindingName& n : pciBindingList()) EXPECT_NE(b.entry(n.entry), nullptr) << n.name;
    for (const BindingName& n : usbBindingList()) EXPECT_EQ(b.entry(n.entry), nullptr) << n.name;
    zeqstub::Control* c = stubControl(libraryPath());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->count("ZEQ_SethWnd"), 0);
    // Under a PCI card the USB-only wrappers report their missing function.
    EXPECT_EQ(MySethWnd(1), 0);
    EXPECT_EQ(dialogs.messages.back(), "MySethWnd is not valid!");
    EXPECT_EQ(ListDevices(nullptr, nullptr, 0), 6);
    EXPECT_EQ(dialogs.messages.back(), " ListDevices 函数无效");
}

TEST_F(BindingLoad, MissingLibraryIsReportedAndEndsTheProgramWithFailure) {
    DeviceBinding& b = deviceBinding();
    auto empty = std::filesystem::temp_directory_path() / "zeq-binding-empty";
    std::filesystem::create_directories(empty);
    b.setLibraryDir(empty.string());
    EXPECT_EQ(b.load(), -1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "错误: 动态链接库 libzeqlink.so 丢失或者损坏");

    b.setCardType(kCardPci);
    EXPECT_FALSE(b.loadOrEnd());
    EXPECT_EQ(dialogs.messages.back(), "错误: 动态链接库 libzeqbus.so 丢失或者损坏");
    EXPECT_NE(endStatus, 0);
    EXPECT_NE(endStatus, -1);
    EXPECT_FALSE(b.isLoaded());
}

TEST_F(BindingLoad, MissingFunctionIsNamedAndStopsTheBinding) {
    struct Case {
        const char* variant;
        const char* missingName;
        const char* boundBefore;
        const char* unboundAfter;
    };
    const Case cases[] = {
        {"no_pcstgpos", "ZEQ_SetPCStgPos", "ZEQ_SetMCStgPos", "ZEQ_SetMCSdist"},
        {"no_100th", "ZEQ_SetGearMaster", "ZEQ_SetGearoutVel", "ZEQ_SetGearSourceType"},
    };
    DeviceBinding& b = deviceBinding();
    auto common = commonBindingList();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variant);
        dialogs.messages.clear();
        endStatus = -1;
        b.setLibraryDir(stubDir(c.variant));
        EXPECT_EQ(b.load(), -1);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0], missing(c.missingName));
        EXPECT_NE(b.entry(common[indexOf(common, c.boundBefore)].entry), nullptr);
        EXPECT_EQ(b.entry(common[indexOf(common, c.missingName)].entry), nullptr);
        // No later name is looked up.
        EXPECT_EQ(b.entry(common[indexOf(common, c.unboundAfter)].entry), nullptr);
        EXPECT_EQ(b.entry(common.back().entry), nullptr);
        // The main window is only registered after a complete binding.
        zeqstub::Control* control = stubControl(libraryPath());
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->count("ZEQ_SethWnd"), 0);

        EXPECT_FALSE(b.loadOrEnd());
        EXPECT_EQ(endStatus, 1);
        EXPECT_FALSE(b.isLoaded());
    }
}

TEST_F(BindingLoad, CardTypeWithoutLibraryLoadsNothing) {
    DeviceBinding& b = deviceBinding();
    b.setCardType(2);
    b.setLibraryDir(stubDir("usb"));
    EXPECT_EQ(b.load(), 0);
    EXPECT_TRUE(b.loadOrEnd());
    EXPECT_EQ(endStatus, -1);
    EXPECT_FALSE(b.isLoaded());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(BindingLoad, UnloadClearsEveryEntry) {
    ASSERT_NE(loadStub("usb"), nullptr);
    DeviceBinding& b = deviceBinding();
    b.unload();
    EXPECT_FALSE(b.isLoaded());
    for (int i = 0; i < kEntryCount; ++i) EXPECT_EQ(b.entry(static_cast<Entry>(i)), nullptr);
    EXPECT_EQ(MyMoveAbsolute(1, 1.0, 0, 0), 6);
}

TEST_F(BindingLoad, SwitchingReplacesTheVariant) {
    ASSERT_NE(loadStub("usb"), nullptr);
    ASSERT_NE(loadStub("pci", kCardPci), nullptr);
    DeviceBinding& b = deviceBinding();
    EXPECT_EQ(b.entry(Entry::USB_ZEQ_Open), nullptr);
    EXPECT_NE(b.entry(Entry::PCI_ZEQ_Open), nullptr);
    EXPECT_NE(b.entry(Entry::COMMON_ZEQ_Close), nullptr);
}

TEST_F(BindingLoad, NotificationsReachTheHandler) {
    std::vector<std::uint32_t> got;
    deviceBinding().setNotifyHandler(
        [&](std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
            got = {message, wParam, static_cast<std::uint32_t>(lParam)};
        });
    ASSERT_NE(loadStub("usb"), nullptr);
    stubNotify(libraryPath(), 0x040A, 6, 0x200);
    EXPECT_EQ(got, (std::vector<std::uint32_t>{0x040A, 6, 0x200}));
}

}  // namespace
}  // namespace zeq::desk::test
