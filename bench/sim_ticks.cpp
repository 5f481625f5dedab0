// Simulated servo ticks per second of the virtual card's motion model. The "realtime" counter is
// simulated seconds per wall-clock second at the default 100 µs tick (aim: at least 100).
#include <benchmark/benchmark.h>

#include "sim/sim.h"

namespace {

namespace reg = zeq::sim::reg;
constexpr int32_t kOne = 65536;

zeq::sim::SimCard& eight_axis_card() {
    zeq::sim::reset_all();
    auto& c = zeq::sim::card(0);
    c.set_clock(zeq::sim::ClockMode::Step, 1);
    c.set_naxis(8);
    return c;
}

void report(benchmark::State& state, uint64_t ticksPerIter) {
    const double ticks = static_cast<double>(state.iterations() * ticksPerIter);
    state.SetItemsProcessed(static_cast<int64_t>(ticks));
    state.counters["realtime"] = benchmark::Counter(ticks * 100e-6, benchmark::Counter::kIsRate);
}

// Eight axes in back-and-forth point-to-point moves.
void BM_EightAxesPointToPoint(benchmark::State& state) {
    auto& c = eight_axis_card();
    for (int a = 0; a < 8; ++a) {
        c.write32(a, reg::mcsmaxvel, (a + 2) * kOne);
        c.write32(a, reg::mcsaccel, kOne / 4);
        c.write32(a, reg::mcsdecel, kOne / 4);
    }
    const uint64_t n = 1000;
    int32_t sign = 1;
    for (auto _ : state) {
        for (int a = 0; a < 8; ++a) {
            if (c.reg16(a, reg::mcsmoving) == 0) {
                c.write32(a, reg::mcsdist, sign * 20000);
                c.write16(a, reg::mcsgo, 0xFFFF);
            }
        }
        sign = -sign;
        c.run_ticks(n);
    }
    report(state, n);
}
BENCHMARK(BM_EightAxesPointToPoint);

// Four axes in velocity mode, four geared to them, four event channels running.
void BM_EightAxesGearedWithEvents(benchmark::State& state) {
    auto& c = eight_axis_card();
    for (int a = 0; a < 4; ++a) {
        c.write32(a, reg::mcstgvel, (a + 1) * kOne / 3);
        c.write16(a + 4, reg::master, static_cast<uint16_t>(a));
        c.write48(a + 4, reg::gearratio, -(int64_t{3} << 30));
        c.write16(a + 4, reg::engear, 0xFFFF);
        // ADD32 user32b[a] += curpos of axis a, always.
        c.write16(0, reg::eventid, static_cast<uint16_t>(a));
        c.write32(0, reg::eventbase, static_cast<int32_t>(0x8000u | ((317u + 2 * a) << 16)));
        c.write32(0, reg::eventbase + 2, static_cast<int32_t>(reg::curpos << 16));
        c.write32(0, reg::eventbase + 4, a);
        c.write32(0, reg::eventbase + 6, static_cast<int32_t>(317 + 2 * a));
        c.write16(0, reg::events, static_cast<uint16_t>(a));
    }
    const uint64_t n = 1000;
    for (auto _ : state) c.run_ticks(n);
    report(state, n);
}
BENCHMARK(BM_EightAxesGearedWithEvents);

}  // namespace

BENCHMARK_MAIN();
