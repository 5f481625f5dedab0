// Internal registers, machine data, the identification text and the bit reversal.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "maint_fixture.h"

namespace zeq::test {
namespace {

using RegisterTest = MaintTest;

TEST_F(RegisterTest, ReadSendsTheAddressTwiceAndTheReadInOneWrite) {
    card().set_internal_reg(5, 0xBEEF);
    int code = -1;
    EXPECT_EQ(ZEQ_ReserveGR(h_, 5, &code), 0xBEEF);
    EXPECT_EQ(code, ZEQ_OK);
    const auto w = written();
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], "88 01 05 80 88 01 05 80 CC 01");
}

TEST_F(RegisterTest, WriteStoresTheValue) {
    EXPECT_EQ(ZEQ_ReserveWR(h_, 0x123, 0xA55A), ZEQ_OK);
    EXPECT_EQ(card().internal_reg(0x123), 0xA55A);
    EXPECT_EQ(written(), (std::vector<std::string>{"88 01 23 81", "8C 01 5A A5"}));
    int code = -1;
    EXPECT_EQ(ZEQ_ReserveGR(h_, 0x123, &code), 0xA55A);
    EXPECT_EQ(code, ZEQ_OK);
}

TEST_F(RegisterTest, FailuresReadAsAllOnes) {
    int code = -1;
    EXPECT_EQ(ZEQ_ReserveGR(h_ + 1000, 5, &code), 0xFFFF);
    EXPECT_EQ(code, ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveGR(h_, 0x8000, &code), 0xFFFF);
    EXPECT_EQ(code, ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_ReserveGR(h_, -1, &code), 0xFFFF);
    EXPECT_EQ(code, ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_ReserveWR(h_, 0x8000, 1), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_ReserveWR(h_ + 1000, 1, 1), ZEQ_ERR_HANDLE);
    EXPECT_TRUE(trace().empty());

    card().set_internal_reg(6, 0x1234);
    ASSERT_TRUE(card().set_faults("short=1"));
    EXPECT_EQ(ZEQ_ReserveGR(h_, 6, &code), 0xFFFF);
    EXPECT_EQ(code, ZEQ_ERR_TIMEOUT);
}

TEST(MachineDataLayout, FieldsSitWhereCallersReadThem) {
    EXPECT_EQ(offsetof(ZEQ_MCDATA_AXIS, encp), 0u);
    EXPECT_EQ(offsetof(ZEQ_MCDATA_AXIS, moving), 4u);
    EXPECT_EQ(offsetof(ZEQ_MCDATA_AXIS, error), 6u);
    EXPECT_EQ(offsetof(ZEQ_MCDATA_AXIS, aio), 8u);
    EXPECT_EQ(sizeof(ZEQ_MCDATA), 4 * sizeof(ZEQ_MCDATA_AXIS));
}

struct Notice {
    int count = 0;
    uint32_t wParam = 0;
};

void on_notify(void* ctx, uint32_t, uint32_t message, uint32_t wParam, int32_t lParam) {
    auto* n = static_cast<Notice*>(ctx);
    if (message != ZEQ_NOTIFY_MESSAGE || lParam != ZEQ_NOTIFY_LPARAM) return;
    ++n->count;
    n->wParam = wParam;
}

using MachineDataTest = MaintTest;

TEST_F(MachineDataTest, SnapshotOfFourAxesFromTheGraphPort) {
    using namespace zeq::sim;
    const int32_t encp[4] = {-100000, 7, 0x12345678, -1};
    for (int a = 0; a < 4; ++a) {
        card().poke16(a, reg::encp, static_cast<uint16_t>(encp[a]));
        card().poke16(a, reg::encp + 1,
                      static_cast<uint16_t>(static_cast<uint32_t>(encp[a]) >> 16));
        card().poke16(a, reg::moving, static_cast<uint16_t>(a == 2));
        card().poke16(a, reg::error, static_cast<uint16_t>(0x100 + a));
        card().poke16(a, reg::aio, static_cast<uint16_t>(0xF000 + a));
    }
    Notice notice;
    ZEQ_SetNotifyCallback(&on_notify, &notice);
    ZEQ_SethWnd(77);
    ZEQ_MCDATA* table = nullptr;
    const int rc = ZEQ_GetMCData(h_, &table);
    ZEQ_SethWnd(0);
    ZEQ_SetNotifyCallback(nullptr, nullptr);
    ASSERT_EQ(rc, ZEQ_OK);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(written(), (std::vector<std::string>{"D0 27"}));
    for (int a = 0; a < 4; ++a) {
        EXPECT_EQ(table->axis[a].encp, encp[a]) << a;
        EXPECT_EQ(table->axis[a].moving, a == 2 ? 1 : 0) << a;
        EXPECT_EQ(table->axis[a].error, 0x100 + a) << a;
        EXPECT_EQ(table->axis[a].aio, 0xF000 + a) << a;
    }
    EXPECT_EQ(notice.count, 1);
    EXPECT_EQ(notice.wParam, 1u);
}

TEST_F(MachineDataTest, IncompleteBlockGivesTwoAndKeepsTheLastSnapshot) {
    ZEQ_MCDATA* table = nullptr;
    ASSERT_EQ(ZEQ_GetMCData(h_, &table), ZEQ_OK);
    ZEQ_MCDATA before;
    std::memcpy(&before, table, sizeof before);
    card().poke16(1, zeq::sim::reg::error, 0x7777);
    ASSERT_TRUE(card().set_faults("short=1"));
    ZEQ_MCDATA* again = nullptr;
    EXPECT_EQ(ZEQ_GetMCData(h_, &again), ZEQ_ERR_RECEIVE);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(std::memcmp(&before, table, sizeof before), 0);
    EXPECT_EQ(ZEQ_GetMCData(h_, nullptr), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_GetMCData(h_ + 1000, &again), ZEQ_ERR_HANDLE);
}

TEST_F(MachineDataTest, IdentificationTextBelongsToTheOpenDevice) {
    const char* ident = ZEQ_ReserveGInfo(h_);
    ASSERT_NE(ident, nullptr);
    EXPECT_GT(std::strlen(ident), 0u);
    EXPECT_LT(std::strlen(ident), 20u);
    EXPECT_EQ(ZEQ_ReserveGInfo(h_ + 1000), nullptr);
}

TEST(Reverse, MirrorsTheLowByte) {
    const struct {
        int in, out;
    } cases[] = {{0x01, 0x80}, {0x0F, 0xF0}, {0x80, 0x01},  {0xA5, 0xA5},   {0x12, 0x48},
                 {0x00, 0x00}, {0xFF, 0xFF}, {0x101, 0x80}, {0x7F00, 0x00}, {-1, 0xFF}};
    for (const auto& c : cases) EXPECT_EQ(ZEQ_Reverse(c.in), c.out) << std::hex << c.in;
    for (int b = 0; b < 256; ++b) ASSERT_EQ(ZEQ_Reverse(ZEQ_Reverse(b)), b);
}

}  // namespace
}  // namespace zeq::test
