// Fault injection: each fault as the host sees it on the wire.
#include "sim/faults.h"

#include <chrono>
#include <thread>

#include "sim_fixture.h"

using namespace simtest;
namespace reg = zeq::sim::reg;

using Faults = SimFixture;

TEST(FaultSyntax, ParsesEveryItemAndRejectsUnknownOnes) {
    zeq::sim::Faults f;
    ASSERT_TRUE(f.apply("drop=2, badsum=1,halffull,short=3,unplug=10,fifostatus=00:FF:0x10"));
    EXPECT_EQ(f.drop, 2u);
    EXPECT_EQ(f.badsum, 1u);
    EXPECT_TRUE(f.halffull);
    EXPECT_EQ(f.shortReads, 3u);
    EXPECT_EQ(f.unplugAfter, 10);
    EXPECT_EQ(f.fifoStatus, (std::vector<uint8_t>{0x00, 0xFF, 0x10}));
    std::string bad;
    for (const char* text : {"drop", "drop=x", "fifostatus=100", "fifostatus=", "nonsense=1",
                             "short=-1", "halffull=maybe"}) {
        zeq::sim::Faults g;
        EXPECT_FALSE(g.apply(text, &bad)) << text;
        EXPECT_EQ(g.drop, 0u) << text;
    }
    EXPECT_TRUE(f.apply("halffull=off"));
    EXPECT_FALSE(f.halffull);
    EXPECT_TRUE(f.apply("none"));
    EXPECT_EQ(f.drop, 0u);
}

TEST_F(Faults, DropLeavesTheAcknowledgeBitSetForNBlocks) {
    ASSERT_TRUE(card->set_faults("drop=2"));
    for (int attempt = 0; attempt < 3; ++attempt) {
        send(write16(4, 0, 307, 11));
        EXPECT_EQ(status(0x4C), attempt < 2 ? 0x01 : 0x00) << attempt;
    }
    EXPECT_EQ(card->reg16(0, 307), 11);
    EXPECT_EQ(card->refused(1), 2u);
}

TEST_F(Faults, BadsumCorruptsReplyChecksums) {
    ASSERT_TRUE(card->set_faults("badsum=1"));
    send(read_cmd(0, 16, 0, reg::naxis));
    EXPECT_EQ(word(0), 4);
    EXPECT_NE(word(0), 0x027E);
    send(read_cmd(0, 16, 0, reg::naxis));
    EXPECT_EQ(word(0), 4);
    EXPECT_EQ(word(0), 0x027E);
}

TEST_F(Faults, HalffullReportsBothCommandFifosHalfFull) {
    ASSERT_TRUE(card->set_faults("halffull"));
    EXPECT_EQ(status(0x49), 0x5A);
    EXPECT_EQ(status(0x49), 0x5A);
}

TEST_F(Faults, ScriptedFifoStatusIsAnsweredFirst) {
    ASSERT_TRUE(card->set_faults("fifostatus=00:00:00:10"));
    EXPECT_EQ(status(0x49), 0x00);
    EXPECT_EQ(status(0x49), 0x00);
    EXPECT_EQ(status(0x49), 0x00);
    EXPECT_EQ(status(0x49), 0x10);
    EXPECT_EQ(status(0x49), 0x0A);
    EXPECT_EQ(status(0x48), 0x00);  // other queries are not scripted
}

TEST_F(Faults, ShortReadsLoseOneByte) {
    ASSERT_TRUE(card->set_faults("short=1"));
    send({0x49, 0x49, 0x49});
    EXPECT_EQ(recv(3).size(), 2u);
    send({0x49, 0x49, 0x49});
    EXPECT_EQ(recv(3).size(), 3u);
}

TEST_F(Faults, UnplugMakesEveryCallFailAfterNCalls) {
    ASSERT_TRUE(card->set_faults("unplug=2"));
    uint8_t q = 0x49, b = 0;
    uint32_t n = 0;
    EXPECT_EQ(port->write(&q, 1, &n), ZEQ_FT_OK);
    EXPECT_EQ(port->read(&b, 1, &n), ZEQ_FT_OK);
    EXPECT_EQ(port->write(&q, 1, &n), ZEQ_FT_IO_ERROR);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(port->purge(3), ZEQ_FT_IO_ERROR);
    EXPECT_EQ(port->read(&b, 1, &n), ZEQ_FT_IO_ERROR);
    EXPECT_EQ(port->close(), ZEQ_FT_IO_ERROR);
    // Plugged in again: the card opens and answers.
    ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    EXPECT_EQ(status(0x49), 0x0A);
}

TEST_F(Faults, EnvironmentFaultsWaitForTheOpenUnlessMarkedOpen) {
    port.reset();
    setenv("ZEQLINK_SIM_FAULTS", "drop=1,bogus, open:halffull,badsum=2", 1);
    ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    unsetenv("ZEQLINK_SIM_FAULTS");
    EXPECT_TRUE(card->faults().halffull);  // from the start of the open
    EXPECT_EQ(card->faults().drop, 0u);
    port->opened();  // the library's open sequence is over
    EXPECT_EQ(card->faults().drop, 1u);
    EXPECT_EQ(card->faults().badsum, 2u);
}

TEST_F(Faults, StepClockAdvancesAFixedAmountPerCall) {
    card->set_clock(zeq::sim::ClockMode::Step, 50'000);
    uint64_t t0 = card->now_ns();
    for (int i = 0; i < 4; ++i) status(0x49);  // 8 bridge calls
    EXPECT_EQ(card->now_ns() - t0, 8u * 50'000u);
    uint32_t ticks = static_cast<uint32_t>(card->reg32(0, reg::ticks));
    card->run_ticks(7);
    EXPECT_EQ(static_cast<uint32_t>(card->reg32(0, reg::ticks)), ticks + 7);
}

TEST_F(Faults, ClockAndLatencyComeFromTheEnvironmentAtOpen) {
    port.reset();
    setenv("ZEQLINK_SIM_CLOCK", "step", 1);
    setenv("ZEQLINK_SIM_STEP_US", "250", 1);
    setenv("ZEQLINK_SIM_LATENCY_US", "1", 1);
    ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    EXPECT_EQ(card->clock_mode(), zeq::sim::ClockMode::Step);
    EXPECT_EQ(card->latency_us(), 1u);
    const uint64_t t0 = card->now_ns();
    status(0x49);
    EXPECT_EQ(card->now_ns() - t0, 2u * 250'000u);
    for (const char* v : {"ZEQLINK_SIM_CLOCK", "ZEQLINK_SIM_STEP_US", "ZEQLINK_SIM_LATENCY_US"})
        unsetenv(v);
}

TEST_F(Faults, LatencyDefaultsToAUsbRoundTripWithTheRealClockOnly) {
    auto& fresh = zeq::sim::card(1);
    fresh.set_clock(zeq::sim::ClockMode::Real, 0);
    EXPECT_EQ(fresh.latency_us(), 1000u);
    fresh.set_clock(zeq::sim::ClockMode::Step, 100'000);
    EXPECT_EQ(fresh.latency_us(), 0u);
    fresh.set_latency_us(0);
    fresh.set_clock(zeq::sim::ClockMode::Real, 0);
    EXPECT_EQ(fresh.latency_us(), 0u);  // a set latency holds for either clock
}

TEST_F(Faults, RealClockFollowsTheWallClock) {
    card->set_clock(zeq::sim::ClockMode::Real, 0);
    card->set_latency_us(0);
    const uint32_t before = static_cast<uint32_t>(card->reg32(0, reg::ticks));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    status(0x49);
    EXPECT_GE(static_cast<uint32_t>(card->reg32(0, reg::ticks)) - before, 50u);
}

TEST_F(Faults, IdleCardCountsLongStretchesExactly) {
    const uint32_t before = static_cast<uint32_t>(card->reg32(0, reg::ticks));
    card->run_ticks(36'000'000);  // an hour of card time
    EXPECT_EQ(static_cast<uint32_t>(card->reg32(0, reg::ticks)) - before, 36'000'000u);
    EXPECT_EQ(status(0x48) & 0x10, 0x10);  // the graph buffer has filled meanwhile
}

TEST_F(Faults, QueuedWaitOnTimerDelaysTheCommandsBehindIt) {
    send(write16(4, 0, reg::timer, 40));
    send(block(4, {cmd(7, 0, reg::timer)}));
    send(write16(4, 0, 313, 3));
    card->run_ticks(39);
    EXPECT_EQ(card->reg16(0, 313), 0);
    card->run_ticks(1);
    EXPECT_EQ(card->reg16(0, 313), 3);
}
