// The motion model on the deterministic clock: profiles, gearing, group playback, homing,
// limits, emergency stop and event channels.
#include "sim_fixture.h"

using namespace simtest;
namespace reg = zeq::sim::reg;

namespace {

constexpr int32_t kOne = 65536;  // 1.0 in S16.16

class Motion : public SimFixture {
  protected:
    void SetUp() override {
        SimFixture::SetUp();
        card->set_clock(zeq::sim::ClockMode::Step, 1);  // bridge calls cost no ticks here
        card->run_ticks(1);
    }
    void profile(int axis, int32_t vmax, int32_t acc, int32_t dec) {
        card->write32(axis, reg::mcsmaxvel, vmax);
        card->write32(axis, reg::mcsaccel, acc);
        card->write32(axis, reg::mcsdecel, dec);
    }
    int32_t pos(int axis) { return card->reg32(axis, reg::curpos); }
    bool flag(int axis, int addr) { return card->reg16(axis, addr) != 0; }
};

}  // namespace

TEST_F(Motion, TrapezoidReachesTargetExactlyWithoutOvershoot) {
    profile(0, 10 * kOne, kOne, kOne);
    card->write32(0, reg::mcsdist, 1000);
    EXPECT_EQ(card->reg32(0, reg::mcstgpos), 1000);
    card->write16(0, reg::mcsgo, 0xFFFF);
    EXPECT_TRUE(flag(0, reg::mcsmoving));
    // 10 ticks of acceleration (55 counts), 90 at 10 counts per tick, 9 of deceleration.
    int32_t last = 0;
    int32_t peak = 0;
    for (int t = 1; t <= 120; ++t) {
        card->run_ticks(1);
        const int32_t p = card->reg32(0, reg::mcspos);
        ASSERT_LE(p, 1000) << "tick " << t;
        ASSERT_GE(p, last) << "tick " << t;
        peak = std::max(peak, p - last);
        last = p;
        if (t == 10) {
            EXPECT_EQ(p, 55);
        }
        if (t == 108) {
            EXPECT_EQ(p, 999);
            EXPECT_TRUE(flag(0, reg::mcsmoving));
        }
        if (t == 109) {
            EXPECT_EQ(p, 1000);
            EXPECT_FALSE(flag(0, reg::mcsmoving));
            EXPECT_FALSE(flag(0, reg::profiling));
            EXPECT_EQ(card->reg32(0, reg::mcsvel), 0);
        }
    }
    EXPECT_EQ(peak, 10);
    EXPECT_EQ(pos(0), 1000);
    EXPECT_EQ(card->reg32(0, reg::encp), 1000);
    EXPECT_FALSE(flag(0, reg::moving));
    EXPECT_EQ(card->reg16(0, reg::mcsgo), 0);
}

TEST_F(Motion, FractionalProfileStillLandsOnTheTarget) {
    profile(2, 3 * kOne + 12345, kOne / 7, kOne / 3);
    card->write32(2, reg::mcstgpos, -777);
    card->write16(2, reg::mcsgo, 0xFFFF);
    int32_t minimum = 0;
    for (int t = 0; t < 2000 && flag(2, reg::mcsmoving); ++t) {
        card->run_ticks(1);
        minimum = std::min(minimum, pos(2));
    }
    EXPECT_FALSE(flag(2, reg::mcsmoving));
    EXPECT_EQ(pos(2), -777);
    EXPECT_EQ(minimum, -777);
}

TEST_F(Motion, StopDeceleratesAndVelocityModeRamps) {
    profile(1, 20 * kOne, kOne, 2 * kOne);
    card->write32(1, reg::mcstgvel, 5 * kOne);
    card->run_ticks(3);
    EXPECT_EQ(card->reg32(1, reg::curvel), 3 * kOne);
    card->run_ticks(5);
    EXPECT_EQ(card->reg32(1, reg::curvel), 5 * kOne);
    EXPECT_TRUE(flag(1, reg::mcsmoving));
    card->write16(1, reg::mcsgo, 0);
    card->run_ticks(1);
    EXPECT_EQ(card->reg32(1, reg::curvel), 3 * kOne);
    card->run_ticks(3);
    EXPECT_EQ(card->reg32(1, reg::curvel), 0);
    EXPECT_FALSE(flag(1, reg::mcsmoving));
    const int32_t p = pos(1);
    card->run_ticks(10);
    EXPECT_EQ(pos(1), p);
}

TEST_F(Motion, QueueWaitToZeroOnMcsmovingHoldsUntilTheMoveEnds) {
    profile(1, 10 * kOne, kOne, kOne);
    send(write32(4, 1, reg::mcsdist, 100));
    send(write16(4, 1, reg::mcsgo, 0xFFFF));
    send(block(4, {cmd(7, 1, reg::mcsmoving)}));
    send(write16(4, 0, 307, 1));
    int ticks = 0;
    while (card->reg16(0, 307) == 0 && ticks < 1000) {
        EXPECT_TRUE(flag(1, reg::mcsmoving));
        card->run_ticks(1);
        ++ticks;
    }
    EXPECT_EQ(card->reg16(0, 307), 1);
    EXPECT_EQ(pos(1), 100);
    EXPECT_EQ(ticks, 19);  // 10 ticks up to 55 counts, 9 down: the wait ends in the last one
}

TEST_F(Motion, GearedAxisEndsAtRatioOfMasterTravel) {
    profile(0, 7 * kOne, kOne / 2, kOne / 3);
    card->write48(1, reg::gearratio, -(int64_t{3} << 30));  // −0.75 in S16.32
    card->write16(1, reg::master, 0);
    card->write16(1, reg::gearsrc, reg::curvel);
    card->write16(1, reg::engear, 0xFFFF);
    card->write32(0, reg::mcsdist, 1000);
    card->write16(0, reg::mcsgo, 0xFFFF);
    for (int t = 0; t < 1000 && flag(0, reg::mcsmoving); ++t) {
        card->run_ticks(1);
        // The slave's velocity is −0.75 of the master's, to the last bit (the remainder is
        // carried from tick to tick).
        const int64_t want = static_cast<int64_t>(card->reg32(0, reg::curvel)) * -3 / 4;
        EXPECT_LE(std::llabs(card->reg32(1, reg::curvel) - want), 1) << "tick " << t;
    }
    card->run_ticks(2);
    EXPECT_EQ(pos(0), 1000);
    EXPECT_EQ(pos(1), -750);
    // Gearing out at rest leaves the axis where it is.
    card->write16(1, reg::engear, 0);
    card->run_ticks(5);
    EXPECT_EQ(pos(1), -750);
    EXPECT_FALSE(flag(1, reg::moving));
}

TEST_F(Motion, SuperimposedMoveAddsToTheAxis) {
    profile(0, 10 * kOne, kOne, kOne);
    card->write32(0, reg::mcsdist, 300);
    card->write16(0, reg::mcsgo, 0xFFFF);
    card->write32(0, reg::pcsdist, -40);
    card->write16(0, reg::pcsgo, 0xFFFF);
    card->run_ticks(200);
    EXPECT_EQ(card->reg32(0, reg::mcspos), 300);
    EXPECT_EQ(card->reg32(0, reg::pcspos), -40);
    EXPECT_EQ(pos(0), 260);
    EXPECT_FALSE(flag(0, reg::pcsmoving));
}

TEST_F(Motion, GroupPlaysContourWordsPerInterpolationPeriod) {
    card->write16(0, reg::groupnum, 2);
    card->write16(0, reg::group_x, 2);
    card->write16(0, reg::group_x + 1, 3);
    // 1, −1, 1, −1 …: 20 words, 10 periods; axis 2 gets +1 and axis 3 −1 per period.
    Bytes b{0x90, 43, 20, 0};
    for (int i = 0; i < 20; ++i) {
        b.push_back(i % 2 ? 0xFF : 0x01);
        b.push_back(i % 2 ? 0xFF : 0x00);
    }
    b.insert(b.end(), {0, 0});
    send(b);
    EXPECT_EQ(card->reg16(0, reg::cfifocnt), 20);
    card->run_ticks(50);
    EXPECT_EQ(pos(2), 0);  // not started yet
    card->write16(0, reg::startgroup, 0xFFFF);
    // One period is 2^20 · 10 ns = 10.48576 ms = 104.8576 ticks of 100 µs.
    card->run_ticks(525);  // 5.0068 periods
    EXPECT_EQ(pos(2), 5);
    EXPECT_NEAR(pos(3), -5, 1);  // a sliver of the sixth period has already begun
    EXPECT_TRUE(flag(2, reg::contouring));
    card->run_ticks(600);
    EXPECT_EQ(pos(2), 10);
    EXPECT_EQ(pos(3), -10);
    EXPECT_EQ(card->reg16(0, reg::cfifocnt), 0);
    EXPECT_EQ(card->contour_words(), 0u);
}

TEST_F(Motion, EmergencyStopStopsEveryAxisAndRefusesNewMoves) {
    for (int a = 0; a < 4; ++a) card->write32(a, reg::mcstgvel, (a + 1) * kOne);
    card->run_ticks(20);
    for (int a = 0; a < 4; ++a) EXPECT_NE(card->reg32(a, reg::curvel), 0);
    card->write16(0, reg::emstop, 1);
    card->run_ticks(1);
    for (int a = 0; a < 4; ++a) {
        const int32_t p = pos(a);
        EXPECT_EQ(card->reg32(a, reg::curvel), 0);
        EXPECT_FALSE(flag(a, reg::moving));
        EXPECT_NE(card->reg16(a, reg::error) & 0x40, 0);
        card->run_ticks(3);
        EXPECT_EQ(pos(a), p);
    }
    card->write32(0, reg::mcsdist, 10);
    card->write16(0, reg::mcsgo, 0xFFFF);
    EXPECT_EQ(card->reg16(0, reg::mcsgo), 0);
    card->write16(0, reg::emstop, 0);
    card->write16(0, reg::clear, 0xFFFF);
    EXPECT_EQ(card->reg16(0, reg::error), 0);
    card->write32(0, reg::mcsdist, 10);
    card->write16(0, reg::mcsgo, 0xFFFF);
    const int32_t start = pos(0);
    card->run_ticks(50);
    EXPECT_EQ(pos(0), card->reg32(0, reg::mcstgpos));
    EXPECT_NE(pos(0), start);
}

TEST_F(Motion, HoldFreezesMotionUntilReleased) {
    card->write32(0, reg::mcstgvel, 2 * kOne);
    card->run_ticks(10);
    card->write16(0, reg::hpause, 1);
    card->run_ticks(1);
    const int32_t p = pos(0);
    card->run_ticks(10);
    EXPECT_EQ(pos(0), p);
    EXPECT_EQ(card->reg32(0, reg::curvel), 0);
    card->write16(0, reg::hpause, 0);
    card->run_ticks(1);
    EXPECT_GT(pos(0), p);
}

TEST_F(Motion, SoftLimitStopsTheAxisAtTheLimit) {
    profile(0, 10 * kOne, kOne, kOne);
    card->write32(0, reg::psoftlim, 500);
    card->write32(0, reg::mcsdist, 1000);
    card->write16(0, reg::mcsgo, 0xFFFF);
    card->run_ticks(200);
    EXPECT_EQ(pos(0), 500);
    EXPECT_NE(card->reg16(0, reg::error) & 0x04, 0);
    EXPECT_FALSE(flag(0, reg::mcsmoving));
}

TEST_F(Motion, VelocityAndAccelerationLimitsCapTheProfile) {
    profile(0, 10 * kOne, kOne, kOne);
    card->write32(0, reg::vellim, 4 * kOne);
    card->write32(0, reg::accellim, kOne / 2);
    card->write32(0, reg::mcstgvel, 10 * kOne);
    card->run_ticks(2);
    EXPECT_EQ(card->reg32(0, reg::curvel), kOne);
    card->run_ticks(20);
    EXPECT_EQ(card->reg32(0, reg::curvel), 4 * kOne);
}

TEST_F(Motion, HomingFindsTheSwitchEdgeAndSetsHomepos) {
    card->set_home_switch(0, 400);
    card->write32(0, reg::homepos, 1000);
    card->write16(0, reg::homeseq, 0x0005);  // positive direction
    card->write16(0, reg::gohome, 0xFFFF);
    EXPECT_FALSE(flag(0, reg::homed));
    int t = 0;
    while (flag(0, reg::gohome) && t < 5000) {
        card->run_ticks(1);
        ++t;
    }
    EXPECT_TRUE(flag(0, reg::homed));
    EXPECT_FALSE(flag(0, reg::moving));
    // The switch edge became 1000; the axis stopped just below it (low speed, 1 count/tick²).
    EXPECT_LE(pos(0), 1000);
    EXPECT_GE(pos(0), 998);
    EXPECT_EQ(card->reg32(0, reg::mcstgpos), pos(0));
}

TEST_F(Motion, SethomeMakesTheCurrentPositionHomepos) {
    card->write32(3, reg::mcsdist, 25);
    card->write16(3, reg::mcsgo, 0xFFFF);
    card->run_ticks(50);
    card->write32(3, reg::homepos, -7);
    card->write16(3, reg::sethome, 0xFFFF);
    EXPECT_EQ(pos(3), -7);
    EXPECT_EQ(card->reg32(3, reg::mcspos), -7);
    EXPECT_TRUE(flag(3, reg::homed));
    EXPECT_EQ(card->reg16(3, reg::sethome), 0);
}

TEST_F(Motion, EventChannelAdd32UpdatesItsDestinationEveryTick) {
    // ADD32 on channel 3, always: user32b0 ← user32b0 + user32b1, loaded as the host does.
    card->write32(0, 319, 5);
    send(write16(4, 0, reg::eventid, 3));
    send(write32(4, 0, reg::eventbase, 0x013D8000));      // W0 = 0x8000, W1 = 317
    send(write32(4, 0, reg::eventbase + 2, 0x013F0000));  // W2 = 0 (axis), W3 = 319
    send(write32(4, 0, reg::eventbase + 4, 0x00000000));  // W4 = 0, W5 = 0
    send(write32(4, 0, reg::eventbase + 6, 0x0000013D));  // W6 = 317, W7 = 0
    send(write16(4, 0, reg::events, 3));
    card->run_ticks(10);
    EXPECT_EQ(card->reg32(0, 317), 50);
    card->run_ticks(1);
    EXPECT_EQ(card->reg32(0, 317), 55);
    // Reading back the channel through eventid.
    send(write16(4, 0, reg::eventid, 3));
    EXPECT_EQ(card->reg16(0, reg::eventbase + 1), 317);
    send(write16(4, 0, reg::events, 0x8003));  // disable
    card->run_ticks(5);
    EXPECT_EQ(card->reg32(0, 317), 55);
}

TEST_F(Motion, EventCompareDrivesConditionalSet) {
    // Channel 0: CMP32 curpos(axis 0) with 100; channel 1: IFG SET16 user16b0 ← 1;
    // channel 2: @GE SET16 mcsgo(axis 1) ← go, once when the position reaches 100.
    auto load = [&](int chn, std::array<uint16_t, 8> w) {
        card->write16(0, reg::eventid, static_cast<uint16_t>(chn));
        for (int i = 0; i < 4; ++i)
            card->write32(0, reg::eventbase + 2 * i,
                          static_cast<int32_t>(w[2 * i] | (uint32_t(w[2 * i + 1]) << 16)));
        card->write16(0, reg::events, static_cast<uint16_t>(chn));
    };
    load(0, {0x1400 | 0x8000, reg::curpos, 0, 100, 0, 0, 0, 0});
    load(1, {0x3400 | 0x0300, 0, 0, 1, 0, 0, 307, 0});
    load(2, {0x3400 | 0x0900, 0, 0, 0xFFFF, 0, 0, reg::mcsgo, 1});
    card->write32(1, reg::mcstgpos, 30);
    card->write32(0, reg::mcsdist, 200);
    card->write16(0, reg::mcsgo, 0xFFFF);
    int t = 0;
    while (pos(0) < 100 && t < 1000) {
        EXPECT_EQ(card->reg16(0, 307), 0);
        card->run_ticks(1);
        ++t;
    }
    card->run_ticks(1);
    EXPECT_EQ(card->reg16(0, 307), 1);
    EXPECT_TRUE(flag(1, reg::mcsmoving));
    card->run_ticks(60);
    EXPECT_EQ(pos(1), 30);
    // The edge fired once: a second start would need the condition to fall and rise again.
    card->write32(1, reg::mcstgpos, 60);
    card->run_ticks(60);
    EXPECT_EQ(pos(1), 30);
}

TEST_F(Motion, TimerCountsDownEveryTick) {
    card->write16(0, reg::timer, 5);
    card->run_ticks(3);
    EXPECT_EQ(card->reg16(0, reg::timer), 2);
    card->run_ticks(5);
    EXPECT_EQ(card->reg16(0, reg::timer), 0);
}

TEST_F(Motion, MachineDataFollowsTheAxis) {
    card->write32(1, reg::mcstgvel, 3 * kOne);
    card->run_ticks(10);
    send({0xD0, 0x27});
    Bytes d = recv(40);
    ASSERT_EQ(d.size(), 40u);
    const int32_t encp = d[10] | (d[11] << 8) | (d[12] << 16) | (d[13] << 24);
    EXPECT_EQ(encp, pos(1));
    EXPECT_EQ(d[14] | (d[15] << 8), 0xFFFF);  // moving
}

TEST_F(Motion, MoveInTimeSpreadsSlaveDistanceOverTheSyncTime) {
    card->write16(1, reg::syntype, 0);
    card->write16(1, reg::gearsync, 0xFFFF);
    card->write16(1, reg::syntype, 0xFFFF);
    card->write16(1, reg::synsrc, reg::ticks);
    card->write32(1, reg::synsrcvar, 200);
    card->write32(1, reg::slavedist, -80);
    card->run_ticks(100);
    EXPECT_NEAR(pos(1), -40, 1);
    EXPECT_TRUE(flag(1, reg::moving));
    card->run_ticks(100);
    EXPECT_EQ(pos(1), -80);
    card->run_ticks(2);
    EXPECT_FALSE(flag(1, reg::moving));
}

TEST_F(Motion, GearInTimeRampsTheRatio) {
    card->write32(0, reg::mcstgvel, 4 * kOne);
    card->run_ticks(10);  // master at full speed
    card->write48(1, reg::gearratio, int64_t{1} << 32);
    card->write16(1, reg::synsrc, reg::ticks);
    card->write32(1, reg::synsrcvar, 100);
    card->write16(1, reg::syntype, 0);
    card->write16(1, reg::gearsync, 0xFFFF);
    card->write16(1, reg::engear, 0xFFFF);
    card->run_ticks(50);
    const int32_t half = card->reg32(1, reg::curvel);
    EXPECT_GT(half, kOne);
    EXPECT_LT(half, 3 * kOne);
    card->run_ticks(60);
    EXPECT_EQ(card->reg32(1, reg::curvel), 4 * kOne);
}

TEST_F(Motion, GearOutHandsTheSpeedToTheProfileGenerator) {
    card->write32(0, reg::mcstgvel, 6 * kOne);
    card->write16(1, reg::engear, 0xFFFF);
    card->run_ticks(20);
    EXPECT_EQ(card->reg32(1, reg::curvel), 6 * kOne);
    card->write32(1, reg::gearoutvel, 2 * kOne);
    card->write16(1, reg::engear, 0);
    card->run_ticks(1);
    EXPECT_EQ(card->reg32(1, reg::curvel), 5 * kOne);  // no jump, then down at mcsdecel
    card->run_ticks(10);
    EXPECT_EQ(card->reg32(1, reg::curvel), 2 * kOne);
    EXPECT_TRUE(flag(1, reg::mcsmoving));
}

TEST_F(Motion, PhasingShiftsTheMasterSeenByTheSlave) {
    card->write48(1, reg::gearratio, int64_t{2} << 32);
    card->write16(1, reg::engear, 0xFFFF);
    card->write16(1, reg::shiftmaster, 0xFFFF);
    card->write32(1, reg::pcsdist, 30);
    card->write16(1, reg::pcsgo, 0xFFFF);
    card->run_ticks(100);
    EXPECT_EQ(pos(0), 0);   // the master does not move
    EXPECT_EQ(pos(1), 60);  // the 30-count phase shift, through the ratio 2
}

TEST_F(Motion, LongCatchUpFinishesTheMoveThenCountsIdleTicks) {
    const uint32_t t0 = static_cast<uint32_t>(card->reg32(0, reg::ticks));
    card->write32(2, reg::mcsdist, 5000);
    card->write16(2, reg::mcsgo, 0xFFFF);
    card->run_ticks(20'000'000);
    EXPECT_EQ(pos(2), 5000);
    EXPECT_FALSE(flag(2, reg::moving));
    EXPECT_EQ(static_cast<uint32_t>(card->reg32(0, reg::ticks)) - t0, 20'000'000u);
}
