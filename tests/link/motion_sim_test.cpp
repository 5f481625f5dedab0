// Motion commands issued through the library move the virtual card's axes as the user units
// say: a 100 µs servo tick, so T = 10000 ticks per second, and 1000 counts per millimetre.
#include "motion_fixture.h"

namespace zeq::test {
namespace {

class MotionOnCard : public MotionTest {
  protected:
    void SetUp() override {
        MotionTest::SetUp();
        ZEQ_SetTimescale(h_, 10000.0);  // seconds
        for (int a = 0; a < 4; ++a) {
            ZEQ_SetDistScale(h_, 1000.0, a);  // millimetres
            // 10 counts per tick and 1 count per tick^2, in mm/s and mm/s^2.
            ASSERT_EQ(ZEQ_SetMCSmaxvel(h_, 100.0, a, 0), ZEQ_OK);
            ASSERT_EQ(ZEQ_SetMCSaccel(h_, 100000.0, a, 0), ZEQ_OK);
            ASSERT_EQ(ZEQ_SetMCSdecel(h_, 100000.0, a, 0), ZEQ_OK);
        }
    }

    double position(int axis) {
        double v = 0;
        EXPECT_EQ(ZEQ_GetCurPos(h_, &v, axis, 0), ZEQ_OK);
        return v;
    }
};

TEST_F(MotionOnCard, MoveAbsoluteReachesTheTargetInUserUnits) {
    EXPECT_EQ(card().reg32(0, 16), 10 * 65536);
    EXPECT_EQ(card().reg32(0, 18), 65536);
    ASSERT_EQ(ZEQ_MoveAbsolute(h_, 1.0, 0, 0), ZEQ_OK);
    card().run_ticks(200);  // 1000 counts take 109 ticks
    EXPECT_DOUBLE_EQ(position(0), 1.0);
    EXPECT_EQ(card().reg32(0, 225), 1000);
    double vel = -1;
    ASSERT_EQ(ZEQ_GetCurvel(h_, &vel, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(vel, 0.0);
    EXPECT_DOUBLE_EQ(position(1), 0.0) << "other axes stay";

    ASSERT_EQ(ZEQ_MoveRelative(h_, -0.25, 0, 0), ZEQ_OK);
    card().run_ticks(200);
    EXPECT_DOUBLE_EQ(position(0), 0.75);
}

TEST_F(MotionOnCard, MoveVelocityRunsAtTheConvertedSpeed) {
    ASSERT_EQ(ZEQ_MoveVelocity(h_, 50.0, 2, 0), ZEQ_OK);  // 5 counts per tick
    card().run_ticks(100);
    double vel = 0;
    ASSERT_EQ(ZEQ_GetMCSvel(h_, &vel, 2, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(vel, 50.0);
    ASSERT_EQ(ZEQ_MCSstop(h_, 2, 0), ZEQ_OK);
    card().run_ticks(100);
    ASSERT_EQ(ZEQ_GetMCSvel(h_, &vel, 2, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(vel, 0.0);
}

TEST_F(MotionOnCard, Linear2AArrivesWithBothAxesAtTheirDistances) {
    int master = -1;
    ASSERT_EQ(ZEQ_Linear2A(h_, 100.0, 3.0, 0, -4.0, 1, &master, 0), ZEQ_OK);
    EXPECT_EQ(master, 1);
    card().run_ticks(1000);  // 4000 counts at 10 counts per tick
    EXPECT_DOUBLE_EQ(position(1), -4.0);
    EXPECT_DOUBLE_EQ(position(0), 3.0);
}

TEST_F(MotionOnCard, GearFreeFollowsTheMaster) {
    ASSERT_EQ(ZEQ_GearFree(h_, 2.0, 0, 0, 3, 0), ZEQ_OK);  // axis 3 on curvel of axis 0
    ASSERT_EQ(ZEQ_MoveRelative(h_, 0.5, 0, 0), ZEQ_OK);
    card().run_ticks(200);
    EXPECT_DOUBLE_EQ(position(0), 0.5);
    EXPECT_DOUBLE_EQ(position(3), 1.0);
    double ratio = 0;
    ASSERT_EQ(ZEQ_GetGearratio(h_, &ratio, 3, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(ratio, 2.0);
}

TEST_F(MotionOnCard, MoveInTimeCoversTheDistanceInTheTime) {
    ASSERT_EQ(ZEQ_MoveInTime(h_, 0.01, 2.0, 1, 0), ZEQ_OK);  // 100 ticks, 2000 counts
    card().run_ticks(50);
    const double halfway = position(1);
    EXPECT_GT(halfway, 0.5);
    EXPECT_LT(halfway, 1.5);
    card().run_ticks(100);
    EXPECT_DOUBLE_EQ(position(1), 2.0);
    double d = 0;
    ASSERT_EQ(ZEQ_GetSynMovedist(h_, &d, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(d, 2.0);
}

TEST_F(MotionOnCard, HomingEndsHomedAtTheSwitch) {
    card().set_home_switch(0, 2000);
    ASSERT_EQ(ZEQ_SetHighVel(h_, 50.0, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetLowVel(h_, 10.0, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetHomeOffset(h_, 0.0, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_HomeSwitch1(h_, 0, 0, 0, 0, 0), ZEQ_OK);  // positive direction
    card().run_ticks(5000);
    uint16_t homed = 0;
    ASSERT_EQ(ZEQ_GetParam16(h_, 154, &homed, 0, 0), ZEQ_OK);
    EXPECT_EQ(homed, 0xFFFF);
    EXPECT_EQ(card().reg16(0, 152), 0) << "gohome reads back 0 when done";
    // The switch edge is the new zero; the axis stops just past it.
    EXPECT_NEAR(position(0), 0.0, 0.1);
}

TEST_F(MotionOnCard, EventInstructionsRunOnTheCard) {
    // Channel 0 copies the position of axis 1 into user32b0 every tick; channel 1 sets
    // user32b1 once the axis has reached 500 counts (compare, then set on "greater or equal").
    ASSERT_EQ(ZEQ_COP32(h_, 0, 0, 225, 1, 317, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_CMP32i(h_, 1, 0, 225, 1, 500, 307, 0, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SET32(h_, 2, 11, 0x12345678, 319, 0, 0), ZEQ_OK);  // IFGE
    for (int c = 0; c < 3; ++c) ASSERT_EQ(ZEQ_EnableEvent(h_, c, 0), ZEQ_OK);
    card().run_ticks(5);
    EXPECT_EQ(card().reg32(0, 319), 0) << "not yet at 500 counts";
    ASSERT_EQ(ZEQ_MoveAbsolute(h_, 0.7, 1, 0), ZEQ_OK);
    card().run_ticks(200);
    EXPECT_EQ(card().reg32(0, 317), 700);
    EXPECT_EQ(card().reg32(0, 319), 0x12345678);
}

}  // namespace
}  // namespace zeq::test
