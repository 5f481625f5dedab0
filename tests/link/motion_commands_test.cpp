// Motion commands against the virtual card: conversions as they reach the card's registers,
// the order of the writes of each command, and the checks that must come before any frame.
#include <functional>

#include "motion_fixture.h"

namespace zeq::test {
namespace {

constexpr int64_t kOne32 = 4294967296LL;  // 1.0 in S16.32

class MotionCommands : public MotionTest {};

TEST_F(MotionCommands, MaxVelocityIsS16_16CountsPerTick) {
    ZEQ_SetDistScale(h_, 1000.0, 0);
    ZEQ_SetTimescale(h_, 1000.0);
    ASSERT_EQ(ZEQ_SetMCSmaxvel(h_, 10.0, 0, 0), ZEQ_OK);
    EXPECT_EQ(card().reg32(0, 16), 655360);
    double back = 0;
    ASSERT_EQ(ZEQ_GetMCSmaxvel(h_, &back, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, 10.0);

    mark();
    EXPECT_EQ(ZEQ_SetMCSmaxvel(h_, 9000.0, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_TRUE(since().empty()) << "a range error comes before any frame, even the FIFO check";
    EXPECT_EQ(card().reg32(0, 16), 655360);
}

TEST_F(MotionCommands, TargetPositionLimitsAndTruncation) {
    ZEQ_SetDistScale(h_, 1000.0, 1);
    ASSERT_EQ(ZEQ_SetMCStgPos(h_, 2147483.0, 1, 0), ZEQ_OK);
    EXPECT_EQ(card().reg32(1, 12), 2147483000);
    EXPECT_EQ(ZEQ_SetMCStgPos(h_, 2147484.0, 1, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(card().reg32(1, 12), 2147483000);
    ASSERT_EQ(ZEQ_SetPCStgPos(h_, -2.5, 2, 0), ZEQ_OK);  // axis 2 keeps scale 1
    EXPECT_EQ(card().reg32(2, 35), -2);
    double back = 0;
    ASSERT_EQ(ZEQ_GetMCStgPos(h_, &back, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, 2147483.0);
}

TEST_F(MotionCommands, GearRatioIsS16_32InA48BitWrite) {
    ASSERT_EQ(ZEQ_SetGearratio(h_, 1.5, 0, 0), ZEQ_OK);
    ASSERT_EQ(writes().size(), 1u);
    EXPECT_EQ(writes()[0].width(), 48);
    EXPECT_EQ(writes()[0].value, 0x000180000000LL);
    EXPECT_EQ(card().reg48(0, 175), 0x000180000000LL);
    double back = 0;
    ASSERT_EQ(ZEQ_GetGearratio(h_, &back, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, 1.5);

    ASSERT_EQ(ZEQ_SetGearratio(h_, -32768.0, 0, 0), ZEQ_OK);
    EXPECT_EQ(card().reg48(0, 175), -32768LL * kOne32);
    ASSERT_EQ(ZEQ_GetGearratio(h_, &back, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, -32768.0) << "the 48-bit value is read back sign-extended";
    EXPECT_EQ(ZEQ_SetGearratio(h_, 32768.0, 0, 0), ZEQ_ERR_RANGE);
}

// Each single-value setter converts with the right formula and writes the right parameter.
TEST_F(MotionCommands, SettersWriteTheirParameterWithTheirConversion) {
    ZEQ_SetDistScale(h_, 4.0, 1);
    ZEQ_SetTimescale(h_, 2.0);
    struct Case {
        const char* name;
        std::function<int(ZEQ_HANDLE)> call;
        int address;
        int width;
        int64_t value;
    };
    // x = 3: position 12 counts, velocity 4/2*3*65536 = 393216, acceleration 4/4*3*65536.
    const Case cases[] = {
        {"SetMCStgPos", [](ZEQ_HANDLE h) { return ZEQ_SetMCStgPos(h, 3, 1, 0); }, 12, 32, 12},
        {"SetPCStgPos", [](ZEQ_HANDLE h) { return ZEQ_SetPCStgPos(h, 3, 1, 0); }, 35, 32, 12},
        {"SetMCSdist", [](ZEQ_HANDLE h) { return ZEQ_SetMCSdist(h, 3, 1, 0); }, 14, 32, 12},
        {"SetPCSdist", [](ZEQ_HANDLE h) { return ZEQ_SetPCSdist(h, 3, 1, 0); }, 37, 32, 12},
        {"SetMCSmaxvel", [](ZEQ_HANDLE h) { return ZEQ_SetMCSmaxvel(h, 3, 1, 0); }, 16, 32, 393216},
        {"SetPCSmaxvel", [](ZEQ_HANDLE h) { return ZEQ_SetPCSmaxvel(h, 3, 1, 0); }, 39, 32, 393216},
        {"SetMCSaccel", [](ZEQ_HANDLE h) { return ZEQ_SetMCSaccel(h, 3, 1, 0); }, 18, 32, 196608},
        {"SetPCSaccel", [](ZEQ_HANDLE h) { return ZEQ_SetPCSaccel(h, 3, 1, 0); }, 41, 32, 196608},
        {"SetMCSdecel", [](ZEQ_HANDLE h) { return ZEQ_SetMCSdecel(h, 3, 1, 0); }, 20, 32, 196608},
        {"SetPCSdecel", [](ZEQ_HANDLE h) { return ZEQ_SetPCSdecel(h, 3, 1, 0); }, 43, 32, 196608},
        {"MoveVelocity", [](ZEQ_HANDLE h) { return ZEQ_MoveVelocity(h, 3, 1, 0); }, 6, 32, 393216},
        {"SetHomeOffset", [](ZEQ_HANDLE h) { return ZEQ_SetHomeOffset(h, 3, 1, 0); }, 145, 32, 12},
        {"SetHighVel", [](ZEQ_HANDLE h) { return ZEQ_SetHighVel(h, 3, 1, 0); }, 149, 32, 393216},
        {"SetLowVel", [](ZEQ_HANDLE h) { return ZEQ_SetLowVel(h, 3, 1, 0); }, 147, 32, 393216},
        {"SetGearoutVel", [](ZEQ_HANDLE h) { return ZEQ_SetGearoutVel(h, 3, 1, 0); }, 178, 32,
         393216},
        {"SetSynTime", [](ZEQ_HANDLE h) { return ZEQ_SetSynTime(h, 3, 1, 0); }, 193, 32, 6},
        {"SetSynDist", [](ZEQ_HANDLE h) { return ZEQ_SetSynDist(h, 3, 1, 1, 0); }, 193, 32, 12},
        {"SetMCStrack", [](ZEQ_HANDLE h) { return ZEQ_SetMCStrack(h, 7, 1, 0); }, 22, 16, 1},
        {"SetPCStrack", [](ZEQ_HANDLE h) { return ZEQ_SetPCStrack(h, 0, 1, 0); }, 45, 16, 0},
        {"SetSmooth", [](ZEQ_HANDLE h) { return ZEQ_SetSmooth(h, 0xFFFF, 1, 0); }, 132, 16, 0xFFFF},
        {"SetGearMaster", [](ZEQ_HANDLE h) { return ZEQ_SetGearMaster(h, 3, 1, 0); }, 169, 16, 3},
        {"SetSynAxis", [](ZEQ_HANDLE h) { return ZEQ_SetSynAxis(h, 9, 1, 0); }, 192, 16, 9},
        {"MCSmove", [](ZEQ_HANDLE h) { return ZEQ_MCSmove(h, 1, 0); }, 23, 16, 0xFFFF},
        {"MCSstop", [](ZEQ_HANDLE h) { return ZEQ_MCSstop(h, 1, 0); }, 23, 16, 0},
        {"PCSmove", [](ZEQ_HANDLE h) { return ZEQ_PCSmove(h, 1, 0); }, 46, 16, 0xFFFF},
        {"PCSstop", [](ZEQ_HANDLE h) { return ZEQ_PCSstop(h, 1, 0); }, 46, 16, 0},
        {"AbortHoming", [](ZEQ_HANDLE h) { return ZEQ_AbortHoming(h, 1, 0); }, 152, 16, 0},
        {"SetAtHome", [](ZEQ_HANDLE h) { return ZEQ_SetAtHome(h, 1, 0); }, 153, 16, 0xFFFF},
        {"Gearin", [](ZEQ_HANDLE h) { return ZEQ_Gearin(h, 1, 0); }, 171, 16, 0xFFFF},
        {"Gearout", [](ZEQ_HANDLE h) { return ZEQ_Gearout(h, 1, 0); }, 171, 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mark();
        ASSERT_EQ(c.call(h_), ZEQ_OK);
        const std::vector<Block> w = writes();
        ASSERT_EQ(w.size(), 1u);
        EXPECT_EQ(w[0].address, c.address);
        EXPECT_EQ(w[0].axis, 1);
        EXPECT_EQ(w[0].width(), c.width);
        EXPECT_EQ(w[0].value, c.value);
    }
}

TEST_F(MotionCommands, SourceTypeEnumeratorsMapToCardAddresses) {
    const int gear[] = {227, 75, 4, 27, 83};
    for (int e = 0; e < 5; ++e) {
        SCOPED_TRACE(e);
        ASSERT_EQ(ZEQ_SetGearSourceType(h_, e, 0, 0), ZEQ_OK);
        EXPECT_EQ(card().reg16(0, 170), gear[e]);
    }
    const int syn[] = {225, 78, 10, 33, 86, 502};
    for (int e = 0; e < 6; ++e) {
        SCOPED_TRACE(e);
        ASSERT_EQ(ZEQ_SetSynSourceType(h_, e, 0, 0), ZEQ_OK);
        EXPECT_EQ(card().reg16(0, 191), syn[e]);
    }
    mark();
    EXPECT_EQ(ZEQ_SetGearSourceType(h_, 5, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_SetGearSourceType(h_, -1, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_SetSynSourceType(h_, 6, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(since().empty());
}

TEST_F(MotionCommands, HomingSequenceWords) {
    struct Case {
        const char* name;
        std::function<int(ZEQ_HANDLE, int dir)> call;
        int seq;  // with direction 1, flag A 1, flag B 1
    };
    const Case cases[] = {
        {"HomeSwitch1", [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitch1(h, d, 1, 1, 0, 0); },
         0xD005},
        {"HomeSwitch2", [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitch2(h, d, 1, 1, 0, 0); },
         0xD014},
        {"HomeSwitch3", [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitch3(h, d, 1, 1, 0, 0); },
         0xD104},
        {"HomeSwitchIndex1",
         [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitchIndex1(h, d, 1, 1, 0, 0); }, 0xD006},
        {"HomeSwitchIndex2",
         [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitchIndex2(h, d, 1, 1, 0, 0); }, 0xD024},
        {"HomeSwitchIndex3",
         [](ZEQ_HANDLE h, int d) { return ZEQ_HomeSwitchIndex3(h, d, 1, 1, 0, 0); }, 0xD204},
        {"HomeIndex", [](ZEQ_HANDLE h, int d) { return ZEQ_HomeIndex(h, d, 1, 0, 0); }, 0x9007},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mark();
        ASSERT_EQ(c.call(h_, 1), ZEQ_OK);
        std::vector<Block> w = writes();
        ASSERT_EQ(w.size(), 2u);
        EXPECT_EQ(w[0].address, 151);
        EXPECT_EQ(w[0].value, c.seq);
        EXPECT_EQ(w[1].address, 152);
        EXPECT_EQ(w[1].value, 0xFFFF);
        mark();
        ASSERT_EQ(c.call(h_, 0), ZEQ_OK);
        EXPECT_EQ(writes().at(0).value, c.seq & 0x7FFF);
        mark();
        EXPECT_EQ(c.call(h_, 2), ZEQ_ERR_RANGE);
        EXPECT_EQ(c.call(h_, -1), ZEQ_ERR_RANGE);
        EXPECT_TRUE(since().empty());
    }
    mark();
    ASSERT_EQ(ZEQ_HomeSwitch2(h_, 1, 1, 0, 0, 0), ZEQ_OK);
    EXPECT_EQ(writes().at(0).value, 0xC014);
}

TEST_F(MotionCommands, AxisAndHandleChecksComeFirst) {
    mark();
    EXPECT_EQ(ZEQ_SetMCStgPos(h_, 1e12, 4, 0), ZEQ_ERR_AXIS) << "axis before range";
    EXPECT_EQ(ZEQ_MCSmove(h_, -1, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_SetGearMaster(h_, 4, 0, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_SetMCStgPos(h_ + 1000, 1.0, 0, 0), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_SetSmooth(h_, 0x10000, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_SetSmooth(h_, -1, 0, 0), ZEQ_ERR_ARGUMENT);
    double v = 0;
    EXPECT_EQ(ZEQ_GetCurPos(h_, &v, 4, 0), ZEQ_ERR_AXIS);
    EXPECT_TRUE(since().empty());
}

TEST_F(MotionCommands, HalfFullFifoStopsACommandBeforeItsWrites) {
    ASSERT_TRUE(card().set_faults("halffull"));
    EXPECT_EQ(ZEQ_MoveAbsolute(h_, 1.0, 0, 1), ZEQ_ERR_FIFO_FULL);
    EXPECT_EQ(ZEQ_GearFree(h_, 1.0, 1, 0, 0, 0), ZEQ_ERR_FIFO_FULL);
    int master = -1;
    EXPECT_EQ(ZEQ_Linear2A(h_, 1.0, 1.0, 0, 2.0, 1, &master, 0), ZEQ_ERR_FIFO_FULL);
    double v = 123;
    EXPECT_EQ(ZEQ_GetCurPos(h_, &v, 0, 0), ZEQ_ERR_FIFO_FULL);
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(since().size() % 2, 0u) << "only status queries and their answers";
    card().clear_faults();
}

TEST_F(MotionCommands, AFailedWriteEndsTheCommand) {
    ASSERT_TRUE(card().set_faults("drop=4"));  // every attempt of the first block is lost
    EXPECT_EQ(ZEQ_MoveAbsolute(h_, 1.0, 0, 0), ZEQ_ERR_CHECKSUM);
    for (const Block& b : writes()) EXPECT_EQ(b.address, 12) << "mcsgo never sent";
    EXPECT_EQ(writes().size(), 4u);
}

TEST_F(MotionCommands, SynDistChecksItsSourceAxisAndScalesWithIt) {
    ZEQ_SetDistScale(h_, 100.0, 3);
    mark();
    EXPECT_EQ(ZEQ_SetSynDist(h_, 1.0, 4, 0, 0), ZEQ_ERR_AXIS);  // source axis = axis count
    EXPECT_EQ(ZEQ_SetSynDist(h_, 1.0, -1, 0, 0), ZEQ_ERR_AXIS);
    EXPECT_TRUE(since().empty());
    ASSERT_EQ(ZEQ_SetSynDist(h_, 2.5, 3, 0, 0), ZEQ_OK);
    EXPECT_EQ(card().reg32(0, 193), 250);
    double back = 0;
    ZEQ_SetDistScale(h_, 100.0, 0);
    ASSERT_EQ(ZEQ_GetSynDist(h_, &back, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, 2.5);
    EXPECT_EQ(ZEQ_SetSynDist(h_, 0.0, 3, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(ZEQ_SetSynTime(h_, 0.0, 0, 0), ZEQ_ERR_RANGE);
}

TEST_F(MotionCommands, SynTimeAboveTwoToThe31ReadsBackUnsigned) {
    ASSERT_EQ(ZEQ_SetSynTime(h_, 3000000000.0, 0, 0), ZEQ_OK);
    double back = 0;
    ASSERT_EQ(ZEQ_GetSynTime(h_, &back, 0, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(back, 3000000000.0);
}

TEST_F(MotionCommands, PointToPointMovesWriteTargetThenGo) {
    ASSERT_EQ(ZEQ_MoveAbsolute(h_, 100.0, 2, 1), ZEQ_OK);
    std::vector<Block> w = writes();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].address, 12);
    EXPECT_EQ(w[0].value, 100);
    EXPECT_TRUE(w[0].queue);
    EXPECT_EQ(w[1].address, 23);
    EXPECT_EQ(w[1].value, 0xFFFF);

    mark();
    ASSERT_EQ(ZEQ_MoveRelative(h_, -7.0, 2, 0), ZEQ_OK);
    EXPECT_EQ(written_addresses(), (std::vector<int>{14, 23}));
    EXPECT_EQ(writes()[0].value, 0xFFFFFFF9);

    mark();
    ASSERT_EQ(ZEQ_MoveSuperimposed(h_, 5.0, 2, 0), ZEQ_OK);
    w = writes();
    EXPECT_EQ(written_addresses(), (std::vector<int>{174, 37, 46}));
    EXPECT_EQ(w[0].value, 0);

    mark();
    ASSERT_EQ(ZEQ_Phasing(h_, 5.0, 2, 0), ZEQ_OK);
    w = writes();
    EXPECT_EQ(written_addresses(), (std::vector<int>{174, 37, 46}));
    EXPECT_EQ(w[0].value, 0xFFFF);

    mark();
    ASSERT_EQ(ZEQ_HomeDirect(h_, 5.0, 2, 0), ZEQ_OK);
    EXPECT_EQ(written_addresses(), (std::vector<int>{145, 153}));
}

TEST_F(MotionCommands, GearSyncStep) {
    ASSERT_EQ(ZEQ_SetGearSync(h_, 0x100, 0, 0), ZEQ_OK);  // low byte clear
    EXPECT_EQ(written_addresses(), (std::vector<int>{163}));
    EXPECT_EQ(writes()[0].value, 0);
    mark();
    ASSERT_EQ(ZEQ_SetGearSync(h_, 1, 0, 0), ZEQ_OK);
    const std::vector<Block> w = writes();
    EXPECT_EQ(written_addresses(), (std::vector<int>{190, 163}));
    EXPECT_EQ(w[0].value, 0);
    EXPECT_EQ(w[1].value, 0xFFFF);
}

// The composite commands and their write orders.
TEST_F(MotionCommands, CompositeWriteOrders) {
    struct Case {
        const char* name;
        std::function<int(ZEQ_HANDLE)> call;
        std::vector<int> addresses;
    };
    const Case cases[] = {
        {"GearFree",
         [](ZEQ_HANDLE h) { return ZEQ_GearFree(h, 0.5, 1, 2, 0, 0); },
         {175, 169, 170, 163, 171}},
        {"HandWheel",
         [](ZEQ_HANDLE h) { return ZEQ_HandWheel(h, 0.5, 1, 0, 0); },
         {175, 169, 170, 163, 171}},
        {"GearInDist",
         [](ZEQ_HANDLE h) { return ZEQ_GearInDist(h, 0.5, 1, 0, 2, 1, 10.0, 0, 0); },
         {175, 169, 170, 192, 191, 193, 190, 190, 163, 171}},
        {"GearInTime",
         [](ZEQ_HANDLE h) { return ZEQ_GearInTime(h, 0.5, 1, 0, 10.0, 0, 0); },
         {175, 169, 170, 191, 193, 190, 190, 163, 171}},
        {"MoveInTime",
         [](ZEQ_HANDLE h) { return ZEQ_MoveInTime(h, 10.0, 5.0, 0, 0); },
         {190, 163, 190, 191, 193, 197}},
        {"MoveInDist",
         [](ZEQ_HANDLE h) { return ZEQ_MoveInDist(h, 10.0, 1, 5.0, 0, 0); },
         {190, 163, 190, 191, 192, 193, 197}},
        {"TgvelInTime",
         [](ZEQ_HANDLE h) { return ZEQ_TgvelInTime(h, 10.0, 5.0, 0, 0); },
         {190, 163, 190, 191, 193, 6}},
        {"TgvelInDist",
         [](ZEQ_HANDLE h) { return ZEQ_TgvelInDist(h, 10.0, 1, 5.0, 0, 0); },
         {190, 163, 190, 191, 192, 193, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mark();
        ASSERT_EQ(c.call(h_), ZEQ_OK);
        EXPECT_EQ(written_addresses(), c.addresses);
        for (const Block& b : writes()) EXPECT_EQ(b.axis, 0);
    }
}

TEST_F(MotionCommands, CompositeValues) {
    ZEQ_SetDistScale(h_, 10.0, 2);
    ZEQ_SetTimescale(h_, 1000.0);
    ASSERT_EQ(ZEQ_GearInDist(h_, -0.25, 1, 4, 2, 4, 3.0, 0, 0), ZEQ_OK);
    std::vector<Block> w = writes();
    ASSERT_EQ(w.size(), 10u);
    EXPECT_EQ(w[0].value, static_cast<int64_t>(0xFFFFC0000000LL));  // -0.25, low 48 bits
    EXPECT_EQ(w[1].value, 1);
    EXPECT_EQ(w[2].value, 83);  // encsvel
    EXPECT_EQ(w[3].value, 2);   // synaxis
    EXPECT_EQ(w[4].value, 86);  // encs
    EXPECT_EQ(w[5].value, 30);  // 3.0 * s[2]
    EXPECT_EQ(w[8].value, 0xFFFF);
    EXPECT_EQ(w[9].value, 0xFFFF);

    mark();
    ASSERT_EQ(ZEQ_MoveInTime(h_, 0.5, -2.0, 2, 0), ZEQ_OK);
    w = writes();
    ASSERT_EQ(w.size(), 6u);
    EXPECT_EQ(w[2].value, 0xFFFF);      // syntype: move a distance
    EXPECT_EQ(w[3].value, 502);         // ticks
    EXPECT_EQ(w[4].value, 500);         // 0.5 * T
    EXPECT_EQ(w[5].value, 0xFFFFFFEC);  // -2.0 * s[2] = -20
    for (const Block& b : w) EXPECT_EQ(b.axis, 2);

    mark();
    ASSERT_EQ(ZEQ_TgvelInDist(h_, 1.5, 2, 2.0, 0, 0), ZEQ_OK);
    w = writes();
    EXPECT_EQ(w[2].value, 0);    // syntype: reach a velocity
    EXPECT_EQ(w[3].value, 225);  // curpos
    EXPECT_EQ(w[4].value, 2);    // source axis
    EXPECT_EQ(w[5].value, 15);   // 1.5 * s[2]
    EXPECT_EQ(w[6].value, 131);  // 1/1000*2*65536 = 131.07 (axis 0 keeps s = 1)
}

TEST_F(MotionCommands, LaterValuesAreCheckedWhenTheirWriteIsReached) {
    EXPECT_EQ(ZEQ_GearFree(h_, 0.5, 1, 5, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(written_addresses(), (std::vector<int>{175, 169}));

    mark();
    EXPECT_EQ(ZEQ_GearInDist(h_, 0.5, 1, 0, 2, 5, 10.0, 0, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(written_addresses(), (std::vector<int>{175, 169, 170, 192}));

    mark();
    EXPECT_EQ(ZEQ_GearInDist(h_, 0.5, 1, 0, 2, 0, 0.0, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(written_addresses(), (std::vector<int>{175, 169, 170, 192, 191}));

    mark();
    EXPECT_EQ(ZEQ_TgvelInTime(h_, 1.0, 9000.0, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(written_addresses(), (std::vector<int>{190, 163, 190, 191, 193}));

    mark();
    EXPECT_EQ(ZEQ_GearInTime(h_, 40000.0, 1, 0, 1.0, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_TRUE(since().empty()) << "the first value is checked before anything is sent";

    mark();
    EXPECT_EQ(ZEQ_MoveInTime(h_, 0.0, 1.0, 0, 0), ZEQ_ERR_RANGE);
    EXPECT_TRUE(since().empty());
}

TEST_F(MotionCommands, GearInDistSourceAxisNeedsAScale) {
    mark();
    EXPECT_EQ(ZEQ_GearInDist(h_, 0.5, 1, 0, 16, 0, 1.0, 0, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(ZEQ_GearInDist(h_, 0.5, 1, 0, -1, 0, 1.0, 0, 0), ZEQ_ERR_AXIS);
    EXPECT_TRUE(since().empty());
    // Beyond the card's axes but within the record's scales: stored as given.
    ASSERT_EQ(ZEQ_GearInDist(h_, 0.5, 1, 0, 9, 0, 1.0, 0, 0), ZEQ_OK);
    EXPECT_EQ(writes().at(3).value, 9);
}

TEST_F(MotionCommands, Linear2AGearsTheShorterAxisToTheLonger) {
    int master = -1;
    ASSERT_EQ(ZEQ_Linear2A(h_, 2.0, 3.0, 0, -4.0, 1, &master, 0), ZEQ_OK);
    EXPECT_EQ(master, 1);
    const std::vector<Block> w = writes();
    ASSERT_EQ(w.size(), 7u);
    // mcsmaxvel of the master
    EXPECT_EQ(w[0].address, 16);
    EXPECT_EQ(w[0].axis, 1);
    EXPECT_EQ(w[0].value, 2 * 65536);
    // the slave, geared to the master's curvel with -0.75
    EXPECT_EQ(w[1].address, 169);
    EXPECT_EQ(w[1].axis, 0);
    EXPECT_EQ(w[1].value, 1);
    EXPECT_EQ(w[2].address, 175);
    EXPECT_EQ(w[2].axis, 0);
    EXPECT_EQ(card().reg48(0, 175), -3 * kOne32 / 4);
    EXPECT_EQ(w[3].address, 170);
    EXPECT_EQ(w[3].value, 227);
    EXPECT_EQ(w[4].address, 171);
    EXPECT_EQ(w[4].value, 0xFFFF);
    // the master's move
    EXPECT_EQ(w[5].address, 14);
    EXPECT_EQ(w[5].axis, 1);
    EXPECT_EQ(static_cast<int32_t>(w[5].value), -4);
    EXPECT_EQ(w[6].address, 23);
    EXPECT_EQ(w[6].axis, 1);
}

TEST_F(MotionCommands, LinearMasterChoice) {
    int master = -1;
    ASSERT_EQ(ZEQ_Linear2A(h_, 1.0, -5.0, 2, 5.0, 3, &master, 0), ZEQ_OK);
    EXPECT_EQ(master, 2) << "equal magnitudes keep the first axis";
    EXPECT_EQ(card().reg48(3, 175), -kOne32);

    // Scales count: 2 units at 100 counts beat 150 units at 1 count.
    ZEQ_SetDistScale(h_, 100.0, 1);
    ASSERT_EQ(ZEQ_Linear3A(h_, 1.0, 150.0, 0, 2.0, 1, 0.0, 2, &master, 0), ZEQ_OK);
    EXPECT_EQ(master, 1);

    mark();
    EXPECT_EQ(ZEQ_Linear2A(h_, 1.0, 0.0, 0, 0.0, 1, &master, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_Linear2A(h_, 1.0, 1.0, 0, 1.0, 4, &master, 0), ZEQ_ERR_AXIS);
    EXPECT_TRUE(since().empty());
    ASSERT_EQ(ZEQ_Linear2A(h_, 1.0, 1.0, 0, 2.0, 1, nullptr, 0), ZEQ_OK) << "master out optional";
}

TEST_F(MotionCommands, LinearNAChecksItsItemList) {
    const ZEQ_LINEAR_ITEM items[] = {{1.0, 0}, {2.0, 1}, {3.0, 2}, {4.0, 3}, {5.0, 0}};
    int master = -1;
    mark();
    EXPECT_EQ(ZEQ_LinearNA(h_, 1.0, items, 5, &master, 0), ZEQ_ERR_ARGUMENT);  // > axis count
    EXPECT_EQ(ZEQ_LinearNA(h_, 1.0, items, 0, &master, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(ZEQ_LinearNA(h_, 1.0, nullptr, 2, &master, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(since().empty());
    ASSERT_EQ(ZEQ_LinearNA(h_, 1.0, items, 4, &master, 0), ZEQ_OK);
    EXPECT_EQ(master, 3);
    EXPECT_EQ(card().reg48(0, 175), kOne32 / 4);
    EXPECT_EQ(card().reg48(1, 175), kOne32 / 2);
    EXPECT_EQ(card().reg48(2, 175), 3 * kOne32 / 4);
}

TEST_F(MotionCommands, LinearVelocityRangeIsCheckedAfterTheMasterIsKnown) {
    int master = -1;
    EXPECT_EQ(ZEQ_Linear2A(h_, 9000.0, 1.0, 0, 2.0, 1, &master, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(master, 1);
    EXPECT_TRUE(writes().empty());
    mark();
    ZEQ_SetDistScale(h_, 1e9, 1);  // the master's distance no longer fits S32
    EXPECT_EQ(ZEQ_Linear2A(h_, 0.000001, 1.0, 0, 3.0, 1, &master, 0), ZEQ_ERR_RANGE);
    EXPECT_EQ(written_addresses(), (std::vector<int>{16, 169, 175, 170, 171}))
        << "the gearing stays written";
}

TEST_F(MotionCommands, ScalesStayInsideTheRecord) {
    ZEQ_SetDistScale(h_, 5.0, 15);
    EXPECT_DOUBLE_EQ(ZEQ_GetDistScale(h_, 15), 5.0);
    ZEQ_SetDistScale(h_, 7.0, 16);
    ZEQ_SetDistScale(h_, 7.0, -1);
    EXPECT_DOUBLE_EQ(ZEQ_GetDistScale(h_, 16), 0.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetDistScale(h_, -1), 0.0);
    for (int a = 0; a < 15; ++a) EXPECT_DOUBLE_EQ(ZEQ_GetDistScale(h_, a), 1.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetDistScale(h_, 15), 5.0);

    EXPECT_DOUBLE_EQ(ZEQ_GetTimescale(h_), 1.0);
    ZEQ_SetTimescale(h_, 250.0);
    ZEQ_SetTimescale(h_, 0.0);
    EXPECT_DOUBLE_EQ(ZEQ_GetTimescale(h_), 250.0) << "0 keeps the previous time scale";
    ZEQ_SetTimescale(h_ + 1000, 3.0);  // unknown handle: nothing to set
    EXPECT_DOUBLE_EQ(ZEQ_GetTimescale(h_ + 1000), 0.0);
}

TEST_F(MotionCommands, GettersConvertBack) {
    ZEQ_SetDistScale(h_, 8.0, 1);
    ZEQ_SetTimescale(h_, 4.0);
    ASSERT_EQ(ZEQ_SetParam32(h_, 18, 65536, 1, 0), ZEQ_OK);  // mcsaccel: 1 count per tick^2
    double v = 0;
    ASSERT_EQ(ZEQ_GetMCSaccel(h_, &v, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(v, 2.0);                                     // 1 * 16 / 8
    ASSERT_EQ(ZEQ_SetParam32(h_, 39, -65536 * 3, 1, 0), ZEQ_OK);  // pcsmaxvel
    ASSERT_EQ(ZEQ_GetPCSmaxvel(h_, &v, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(v, -1.5);                              // -3 * 4 / 8
    ASSERT_EQ(ZEQ_SetParam32(h_, 197, -40, 1, 0), ZEQ_OK);  // slavedist
    ASSERT_EQ(ZEQ_GetSynMovedist(h_, &v, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(v, -5.0);
    ASSERT_EQ(ZEQ_SetParam32(h_, 35, -123456, 1, 0), ZEQ_OK);  // pcstgpos
    ASSERT_EQ(ZEQ_GetPCStgPos(h_, &v, 1, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(v, -15432.0);
    ASSERT_EQ(ZEQ_SetParam32(h_, 86, -123456, 1, 0), ZEQ_OK);  // encs
    int raw = 0;
    ASSERT_EQ(ZEQ_GetEncs(h_, &raw, 1, 0), ZEQ_OK);
    EXPECT_EQ(raw, -123456) << "raw counts, no scale";
    EXPECT_EQ(ZEQ_GetEncp(h_, nullptr, 1, 0), ZEQ_ERR_ARGUMENT);
}

}  // namespace
}  // namespace zeq::test
