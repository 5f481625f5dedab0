// Opening, listing and closing devices; the card password; close-all; notification.
#include <gmock/gmock.h>

#include <atomic>
#include <cstring>

#include "link_fixture.h"
#include "transport/device.h"
#include "transport/device_registry.h"
#include "transport/engine.h"
#include "transport/flash.h"

using zeq::test::LinkTest;

namespace {

TEST_F(LinkTest, ListDevicesCountsAndDescribesTheVirtualCards) {
    uint32_t count = 0;
    ASSERT_EQ(ZEQ_ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY), ZEQ_OK);
    ASSERT_GE(count, 2u);
    // Virtual cards come last.
    char text[64] = {};
    ASSERT_EQ(ZEQ_ListDevices(reinterpret_cast<void*>(uintptr_t{count - 2}), text,
                              ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION),
              ZEQ_OK);
    EXPECT_STREQ(text, "ZEQ-SIM0");
    EXPECT_EQ(ZEQ_ListDevices(reinterpret_cast<void*>(uintptr_t{count}), text,
                              ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION),
              ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_ListDevices(&count, nullptr, 0), ZEQ_ERR_ARGUMENT);
}

TEST_F(LinkTest, OpenOnAMissingIndexGives5AndLeavesTheListAlone) {
    const size_t before = zeq::link::open_device_count();
    ZEQ_HANDLE h = 77;
    EXPECT_EQ(ZEQ_Open(1000, &h), ZEQ_ERR_NOT_FOUND);
    EXPECT_EQ(h, 77u);  // untouched
    EXPECT_EQ(zeq::link::open_device_count(), before);
}

TEST_F(LinkTest, OpenWithoutAnOutHandleGives7AndOpensNothing) {
    const size_t before = zeq::link::open_device_count();
    EXPECT_EQ(ZEQ_Open(0, nullptr), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_OpenEx(const_cast<char*>("ZEQ-SIM0"), ZEQ_FT_OPEN_BY_DESCRIPTION, nullptr),
              ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_OpenUsePassword(0, nullptr, nullptr), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(zeq::link::open_device_count(), before);
    open(0);  // the card is still free
}

TEST_F(LinkTest, OpenExByDescription) {
    char name[] = "ZEQ-SIM1";
    ZEQ_HANDLE h = 0;
    ASSERT_EQ(ZEQ_OpenEx(name, ZEQ_FT_OPEN_BY_DESCRIPTION, &h), ZEQ_OK);
    EXPECT_NE(h, 0u);
    char other[] = "NO-SUCH-CARD";
    ZEQ_HANDLE h2 = 0;
    EXPECT_EQ(ZEQ_OpenEx(other, ZEQ_FT_OPEN_BY_DESCRIPTION, &h2), ZEQ_ERR_NOT_FOUND);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
}

TEST_F(LinkTest, HandlesAreNeverReused) {
    ZEQ_HANDLE a = 0, b = 0;
    ASSERT_EQ(ZEQ_Open(0, &a), ZEQ_OK);
    ASSERT_EQ(ZEQ_Close(a), ZEQ_OK);
    ASSERT_EQ(ZEQ_Open(0, &b), ZEQ_OK);
    EXPECT_GT(b, a);
    uint16_t v;
    EXPECT_EQ(ZEQ_GetParam16(a, 634, &v, 0, 0), ZEQ_ERR_HANDLE);  // the stale handle is harmless
    EXPECT_EQ(ZEQ_Close(b), ZEQ_OK);
}

TEST_F(LinkTest, DoubleCloseGives6) {
    ZEQ_HANDLE h = 0;
    ASSERT_EQ(ZEQ_Open(0, &h), ZEQ_OK);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_Close(0), ZEQ_ERR_HANDLE);
}

TEST_F(LinkTest, UnknownHandleGives6Everywhere) {
    const ZEQ_HANDLE bogus = 0xFFFFFFF0u;
    uint32_t n;
    char buf[4];
    uint16_t v16;
    EXPECT_EQ(ZEQ_Read(bogus, buf, 1, &n), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_Write(bogus, buf, 1, &n), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_Purge(bogus, 3), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_SetTimeouts(bogus, 1, 1), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ResetDevice(bogus), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_SetParam16(bogus, 1, 1, 0, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_GetParam16(bogus, 1, &v16, 0, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_CheckFIFONotHalfFull(bogus, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ClearRBFIFO(bogus, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_Reset(bogus), ZEQ_ERR_HANDLE);
}

TEST_F(LinkTest, AxisCountComesFromNaxis) {
    setenv("ZEQLINK_SIM_AXES", "6", 1);
    ZEQ_HANDLE h = open(1);
    unsetenv("ZEQLINK_SIM_AXES");
    EXPECT_EQ(ZEQ_SetParam16(h, 12, 1, 5, 0), ZEQ_OK);
    clearTrace();
    EXPECT_EQ(ZEQ_SetParam16(h, 12, 1, 6, 0), ZEQ_ERR_AXIS);
    EXPECT_TRUE(trace().empty());
}

// Programs the password record into the card's flash through the byte protocol.
void program_password(ZEQ_HANDLE h, const std::vector<uint8_t>& bytesFrom3E700) {
    using namespace zeq::link;
    DeviceRecord* dev = find_device(h);
    ASSERT_NE(dev, nullptr);
    auto wait_ready = [&] {
        uint8_t st = 0xFF;
        for (int i = 0; i < 100000; ++i) {
            ASSERT_EQ(flash_status(dev, &st), ZEQ_OK);
            if ((st & 1) == 0) return;
        }
        FAIL() << "flash stays busy";
    };
    // Erase the sector, then program the page 0x3E700.
    ASSERT_EQ(flash_select(dev), ZEQ_OK);
    ASSERT_EQ(flash_byte_out(dev, kFlashWriteEnable), ZEQ_OK);
    ASSERT_EQ(flash_release(dev), ZEQ_OK);
    ASSERT_EQ(flash_select(dev), ZEQ_OK);
    for (uint8_t b : {uint8_t{kFlashSectorErase}, uint8_t{0x03}, uint8_t{0xE7}, uint8_t{0x00}})
        ASSERT_EQ(flash_byte_out(dev, b), ZEQ_OK);
    ASSERT_EQ(flash_release(dev), ZEQ_OK);
    wait_ready();
    ASSERT_EQ(flash_select(dev), ZEQ_OK);
    ASSERT_EQ(flash_byte_out(dev, kFlashWriteEnable), ZEQ_OK);
    ASSERT_EQ(flash_release(dev), ZEQ_OK);
    ASSERT_EQ(flash_select(dev), ZEQ_OK);
    for (uint8_t b : {uint8_t{kFlashPageProgram}, uint8_t{0x03}, uint8_t{0xE7}, uint8_t{0x00}})
        ASSERT_EQ(flash_byte_out(dev, b), ZEQ_OK);
    for (uint8_t b : bytesFrom3E700) ASSERT_EQ(flash_byte_out(dev, b), ZEQ_OK);
    ASSERT_EQ(flash_release(dev), ZEQ_OK);
    wait_ready();
}

std::vector<uint8_t> password_record(const std::string& pw) {
    std::vector<uint8_t> rec(8 + pw.size(), 0xFF);
    rec[0] = static_cast<uint8_t>(pw.size());
    std::memcpy(rec.data() + 8, pw.data(), pw.size());
    return rec;
}

class PasswordTest : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        ZEQ_HANDLE h = open(1);
        program_password(h, password_record("secret42"));
        ZEQ_Close(h);
        forget(h);
    }
    void TearDown() override {
        // Leave the card without a password for the other tests.
        ZEQ_HANDLE h = open(1);
        program_password(h, {0xFF});
        LinkTest::TearDown();
    }
};

TEST_F(PasswordTest, Cases) {
    const size_t before = zeq::link::open_device_count();
    const std::string tooLong(101, 'x');
    struct Case {
        const char* password;
        int code;
    } cases[] = {{"secret42", ZEQ_OK},          {nullptr, ZEQ_OK},
                 {"abc", ZEQ_ERR_PASSWORD},     {"secret43", ZEQ_ERR_PASSWORD},
                 {"secret4", ZEQ_ERR_PASSWORD}, {tooLong.c_str(), ZEQ_ERR_PASSWORD}};
    for (const Case& c : cases) {
        ZEQ_HANDLE h = 0xABCD;
        std::string pw = c.password ? c.password : "";
        int rc = ZEQ_OpenUsePassword(1, &h, c.password ? pw.c_str() : nullptr);
        EXPECT_EQ(rc, c.code) << pw;
        if (rc == ZEQ_OK) {
            EXPECT_NE(h, 0u);
            EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
        } else {
            EXPECT_EQ(h, 0u) << pw;
        }
        EXPECT_EQ(zeq::link::open_device_count(), before) << pw;
    }
    char name[] = "ZEQ-SIM1";
    ZEQ_HANDLE h = 0;
    EXPECT_EQ(ZEQ_OpenExUsePassword(name, ZEQ_FT_OPEN_BY_DESCRIPTION, &h, "secret42"), ZEQ_OK);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    EXPECT_EQ(ZEQ_OpenExUsePassword(name, ZEQ_FT_OPEN_BY_DESCRIPTION, &h, "wrongpass"),
              ZEQ_ERR_PASSWORD);
    EXPECT_EQ(h, 0u);
}

TEST_F(LinkTest, ErasedPasswordRecordMeansNoPassword) {
    ZEQ_HANDLE h = open(1);
    program_password(h, {0xFF});
    ZEQ_Close(h);
    forget(h);
    ASSERT_EQ(ZEQ_OpenUsePassword(1, &h, "anything"), ZEQ_OK);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    // Too short is still refused.
    EXPECT_EQ(ZEQ_OpenUsePassword(1, &h, "abc"), ZEQ_ERR_PASSWORD);
}

TEST_F(LinkTest, CloseAllClosesEveryOpenDevice) {
    ZEQ_HANDLE a = 0, b = 0;
    ASSERT_EQ(ZEQ_Open(0, &a), ZEQ_OK);
    ASSERT_EQ(ZEQ_Open(1, &b), ZEQ_OK);
    zeq::link::close_all_devices();
    EXPECT_EQ(zeq::link::open_device_count(), 0u);
    EXPECT_EQ(ZEQ_Close(a), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_Close(b), ZEQ_ERR_HANDLE);
    // The cards were released: they open again.
    ASSERT_EQ(ZEQ_Open(0, &a), ZEQ_OK);
    EXPECT_EQ(ZEQ_Close(a), ZEQ_OK);
}

struct Notified {
    std::atomic<int> calls{0};
    std::atomic<uint32_t> bytes{0};
    std::atomic<int> sentCalls{0};
    std::atomic<uint32_t> sentBytes{0};
    std::atomic<uint32_t> target{0};
    std::atomic<bool> wrong{false};
};

void on_notify(void* ctx, uint32_t target, uint32_t msg, uint32_t wParam, int32_t lParam) {
    auto* n = static_cast<Notified*>(ctx);
    n->target = target;
    if (msg == 0x040A && lParam == 0x200) {
        n->calls++;
        n->bytes += wParam;
    } else if (msg == 0x040A && lParam == 0x100) {
        n->sentCalls++;
        n->sentBytes += wParam;
    } else {
        n->wrong = true;
    }
}

TEST_F(LinkTest, EverySuccessfulValueReadIsNotified) {
    ZEQ_HANDLE h = open();
    Notified n;
    ZEQ_SetNotifyCallback(on_notify, &n);
    EXPECT_EQ(ZEQ_SethWnd(0x1234), 1);
    int32_t v = 0;
    ASSERT_EQ(ZEQ_GetParam32(h, 12, &v, 0, 0), ZEQ_OK);
    // The value (4 bytes) and its checksum word (2 bytes); status bytes are not notified.
    EXPECT_EQ(n.calls.load(), 2);
    EXPECT_EQ(n.bytes.load(), 6u);
    // The read's command block went out too (the bytes of every block sent are counted).
    EXPECT_GE(n.sentCalls.load(), 1);
    EXPECT_GE(n.sentBytes.load(), 2u);
    EXPECT_EQ(n.target.load(), 0x1234u);
    EXPECT_FALSE(n.wrong.load());
    ZEQ_SethWnd(0);
    ASSERT_EQ(ZEQ_GetParam32(h, 12, &v, 0, 0), ZEQ_OK);
    EXPECT_EQ(n.calls.load(), 2);
    ZEQ_SetNotifyCallback(nullptr, nullptr);
}

}  // namespace
