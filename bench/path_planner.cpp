// Interpolation throughput of the path planner: the core alone on long line and arc paths in
// three axes, and the planner feeding a virtual card through ZEQ_InterpolatePath.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "path/path_state.h"
#include "path/planner.h"
#include "sim/regs.h"
#include "sim/sim.h"
#include "zeqlink.h"

using namespace zeq::link;

namespace {

constexpr double kScale = 1000.0;  // counts per user unit
constexpr int kStepsPerRound = 1000;

std::unique_ptr<PathState> fresh_state() {
    auto st = std::make_unique<PathState>();
    const double f = st->interpFreq_hz;
    st->accel_dpp2 = st->decel_dpp2 = 500.0 / f / f;
    st->lenTol_d = 20.0 / kScale;
    st->initialised = true;
    return st;
}

// 2000 collinear 1000-unit lines in 3-D, passed through at speed: about 4.8 M periods.
void build_lines(PathState& st) {
    path_reset_run(st);
    st.initialised = true;
    for (int i = 1; i <= 2000; ++i) {
        const double k = 1000.0 * i / std::sqrt(3.0);
        const double e[3] = {k, k, k};
        path_add_line(st, e, 40, i == 2000 ? 0 : 40);
    }
}

// 400 full turns of radius 100 in a tilted plane: about 2.4 M periods.
void build_arcs(PathState& st) {
    path_reset_run(st);
    st.initialised = true;
    const double s = std::sqrt(0.5);
    const double normal[3] = {0, -s, s};
    const double centre[3] = {100, 0, 0};
    const double end[3] = {0, 0, 0};
    for (int i = 0; i < 400; ++i) path_add_arc(st, end, centre, normal, 40, i == 399 ? 0 : 40);
}

template <void (*Build)(PathState&)>
void BM_PlannerSteps(benchmark::State& state) {
    auto st = fresh_state();
    PathScales sc;
    for (double& c : sc.countsPerD) c = kScale;
    Build(*st);
    int16_t words[3];
    int n = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        for (int i = 0; i < kStepsPerRound; ++i) {
            if (path_step(*st, sc, words, &n) != StepResult::Point) Build(*st);
            benchmark::DoNotOptimize(words);
        }
        steps += kStepsPerRound;
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK_TEMPLATE(BM_PlannerSteps, build_lines)->Name("planner_line_3axes");
BENCHMARK_TEMPLATE(BM_PlannerSteps, build_arcs)->Name("planner_arc_3axes");

// ZEQ_InterpolatePath into a virtual card whose group is stopped; the contour FIFO is emptied
// behind the card's back whenever it fills, so every call plans and sends a full block.
void BM_InterpolateIntoVirtualCard(benchmark::State& state) {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "step", 1);
    zeq::sim::reset_all();
    ZEQ_HANDLE h = 0;
    if (ZEQ_Open(0, &h) != ZEQ_OK) {
        state.SkipWithError("no virtual card");
        return;
    }
    auto& card = zeq::sim::card(0);
    auto restart = [&] {
        ZEQ_InitPath(h, 0, 1, 2, 0);
        SetPartCartesianSys(h, kScale, kScale, kScale);
        ZEQ_SetPathAccel(h, 500);
        for (int i = 1; i <= 200; ++i) {
            const double k = 1000.0 * i / std::sqrt(3.0);
            ZEQ_AddLine3(h, k, k, k, 40, i == 200 ? 0 : 40);
        }
    };
    restart();
    int64_t words = 0;
    for (auto _ : state) {
        const size_t before = card.contour_words();
        const int rc = ZEQ_InterpolatePath(h);
        const size_t after = card.contour_words();
        if (after > before) words += static_cast<int64_t>(after - before);
        if (card.contour_words() > 8192 - 2 * 126) card.write16(0, zeq::sim::reg::cfifocnt, 0);
        if (rc == ZEQ_OK)
            restart();
        else if (rc != ZEQ_ERR_PATH_NOT_DONE) {
            state.SkipWithError("interpolation failed");
            break;
        }
    }
    state.SetItemsProcessed(words / 3);
    ZEQ_Close(h);
}
BENCHMARK(BM_InterpolateIntoVirtualCard)->Name("interpolate_virtual_card_3axes");

}  // namespace

BENCHMARK_MAIN();
