// End to end through the library against a virtual card that runs in real time: a move started
// with parameter writes is seen in progress and then at its target.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sim/regs.h"
#include "sim/sim.h"
#include "zeqlink.h"

namespace {

namespace reg = zeq::sim::reg;

TEST(RealTimeCard, ParameterWritesMoveAnAxisWhoseProgressCanBeRead) {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "real", 1);
    setenv("ZEQLINK_SIM_LATENCY_US", "0", 1);  // no modelled USB round trip: a quick test
    unsetenv("ZEQLINK_SIM_FAULTS");
    unsetenv("ZEQLINK_TRACE");
    zeq::sim::reset_all();
    ZEQ_HANDLE h = 0;
    ASSERT_EQ(ZEQ_Open(0, &h), ZEQ_OK);

    // 100000 counts at 20 counts per tick (100 us): about half a second of travel, long enough
    // to be seen in progress on a busy machine.
    const int target = 100000;
    ASSERT_EQ(ZEQ_SetParam32(h, reg::mcsmaxvel, 20 << 16, 1, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetParam32(h, reg::mcsaccel, 1 << 16, 1, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetParam32(h, reg::mcsdecel, 1 << 16, 1, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetParam32(h, reg::mcstgpos, target, 1, 0), ZEQ_OK);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(ZEQ_SetParam16(h, reg::mcsgo, 0xFFFF, 1, 0), ZEQ_OK);

    bool sawInBetween = false;
    int32_t pos = 0, last = 0;
    uint16_t moving = 1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        ASSERT_EQ(ZEQ_GetParam32(h, reg::curpos, &pos, 1, 0), ZEQ_OK);
        EXPECT_GE(pos, last);  // the move only goes forward
        EXPECT_LE(pos, target);
        if (pos > 0 && pos < target) sawInBetween = true;
        last = pos;
        ASSERT_EQ(ZEQ_GetParam16(h, reg::mcsmoving, &moving, 1, 0), ZEQ_OK);
        if (moving == 0) break;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    EXPECT_EQ(moving, 0) << "the move did not end within 10 s";
    EXPECT_TRUE(sawInBetween) << "no position was read while the axis moved";
    ASSERT_EQ(ZEQ_GetParam32(h, reg::curpos, &pos, 1, 0), ZEQ_OK);
    EXPECT_EQ(pos, target);
    // The other axes did not move.
    ASSERT_EQ(ZEQ_GetParam32(h, reg::curpos, &pos, 0, 0), ZEQ_OK);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    unsetenv("ZEQLINK_SIM_CLOCK");
    unsetenv("ZEQLINK_SIM_LATENCY_US");
}

}  // namespace
