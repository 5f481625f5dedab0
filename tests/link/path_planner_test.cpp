// The path planner core without a device: segment geometry, the per-period profile and the
// contour blocks it hands to its sink.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "path/planner.h"
#include "zeqlink.h"

using namespace zeq::link;

namespace {

constexpr double kPi = 3.141592653589793;

struct PathSetup {
    std::array<int16_t, 3> map{0, 1, 2};
    double scale = 1000.0;  // counts per user unit, every coordinate
    double accel_dps2 = 500.0;
    double decel_dps2 = 0.0;  // 0: the same as the acceleration
};

std::unique_ptr<PathState> make_state(const PathSetup& s = {}) {
    auto st = std::make_unique<PathState>();
    for (int c = 0; c < 3; ++c) st->axisMap[c] = s.map[c];
    const double f = st->interpFreq_hz;
    st->accel_dpp2 = s.accel_dps2 / f / f;
    st->decel_dpp2 = (s.decel_dps2 > 0 ? s.decel_dps2 : s.accel_dps2) / f / f;
    st->lenTol_d = std::fabs(20.0 / s.scale);
    st->initialised = true;
    return st;
}

PathScales scales_for(const PathSetup& s) {
    PathScales sc;
    for (int c = 0; c < 3; ++c) sc.countsPerD[c] = s.map[c] >= 0 ? s.scale : 0.0;
    return sc;
}

int line(PathState& st, double x, double y, double z, double vel, double endVel) {
    const double e[3] = {x, y, z};
    return path_add_line(st, e, vel, endVel);
}

int arc(PathState& st, std::array<double, 3> e, std::array<double, 3> c, std::array<double, 3> n,
        double vel, double endVel) {
    return path_add_arc(st, e.data(), c.data(), n.data(), vel, endVel);
}

// Every step of a path, driven by path_step alone.
struct Trace {
    std::vector<std::array<int, 3>> inc;  // per step; 0 for a coordinate not driven
    std::vector<double> vel_dpp;          // v after each step
    std::array<int64_t, 3> sum{};
    bool refused = false;
};

Trace run_steps(PathState& st, const PathScales& sc, int maxSteps = 2000000) {
    Trace t;
    for (int k = 0; k < maxSteps; ++k) {
        int16_t w[3];
        int n = 0;
        const StepResult r = path_step(st, sc, w, &n);
        if (r == StepResult::End) break;
        if (r == StepResult::TooFar) {
            t.refused = true;
            break;
        }
        std::array<int, 3> inc{};
        int j = 0;
        for (int c = 0; c < 3; ++c)
            if (st.axisMap[c] >= 0) inc[c] = w[j++];
        EXPECT_EQ(j, n);
        for (int c = 0; c < 3; ++c) t.sum[c] += inc[c];
        t.inc.push_back(inc);
        t.vel_dpp.push_back(st.vel_dpp);
    }
    return t;
}

// The profile rules every finished path obeys.
void check_profile(const PathState& st, const Trace& t, double maxVel_dps, double scale) {
    ASSERT_FALSE(t.refused);
    ASSERT_FALSE(t.inc.empty());
    EXPECT_TRUE(st.endFlag);
    EXPECT_EQ(t.vel_dpp.back(), 0.0);  // ends at rest
    const double vmax = st.feedOverride * maxVel_dps / st.interpFreq_hz;
    const double tiny = 1e-12;
    double prev = 0;
    const size_t last = t.vel_dpp.size() - 1;
    for (size_t k = 0; k < t.vel_dpp.size(); ++k) {
        const double v = t.vel_dpp[k];
        EXPECT_LE(v, vmax + tiny) << "step " << k;
        EXPECT_LE(v - prev, st.accel_dpp2 + tiny) << "step " << k;
        if (k != last) {
            EXPECT_LE(prev - v, st.decel_dpp2 + tiny) << "step " << k;
        }
        // A period moves the point at most v along the path: no axis moves further.
        const double reach = std::ceil(std::max(v, prev) * std::fabs(scale)) + 1;
        for (int c = 0; c < 3; ++c) EXPECT_LE(std::abs(t.inc[k][c]), reach) << "step " << k;
        prev = v;
    }
}

// The end position in counts of each driven coordinate.
std::array<int64_t, 3> end_counts(const PathState& st, double scale, std::array<double, 3> p) {
    std::array<int64_t, 3> out{};
    for (int c = 0; c < 3; ++c)
        out[c] = st.axisMap[c] >= 0 ? static_cast<int64_t>(std::trunc(p[c] * scale)) : 0;
    return out;
}

class CaptureSink : public ContourSink {
  public:
    int put(const int16_t* words, int count) override {
        ++calls;
        blocks.emplace_back(words, words + count);
        if (!answers.empty()) {
            const int rc = answers.front();
            answers.erase(answers.begin());
            if (rc != 0) return rc;
        }
        taken.insert(taken.end(), words, words + count);
        return 0;
    }
    std::vector<int> answers;                  // scripted results, then 0
    std::vector<std::vector<int16_t>> blocks;  // every block offered
    std::vector<int16_t> taken;                // the words accepted, in order
    int calls = 0;
};

// Drives path_interpolate until it stops asking to be called again.
int run_calls(PathState& st, const PathScales& sc, CaptureSink& sink, int maxCalls = 100000) {
    int rc = ZEQ_ERR_PATH_NOT_DONE;
    for (int i = 0; i < maxCalls && rc == ZEQ_ERR_PATH_NOT_DONE; ++i)
        rc = path_interpolate(st, sc, sink);
    return rc;
}

}  // namespace

// ---- Geometry -----------------------------------------------------------------------------

TEST(PathGeometry, LineLengthAndZeroLength) {
    auto st = make_state();
    EXPECT_EQ(line(*st, 3, 4, 0, 10, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(st->total_d, 5.0);
    EXPECT_EQ(line(*st, 3, 4, 0, 10, 0), ZEQ_ERR_ZERO_SEGMENT);
    EXPECT_EQ(st->segCount, 1);
    EXPECT_EQ(st->writeIndex, 1);
    EXPECT_DOUBLE_EQ(st->total_d, 5.0);
    // The refused slot is reused by the next segment, which starts at the last end point.
    EXPECT_EQ(line(*st, 3, 14, 0, 10, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(st->seg[1].start_d[1], 4.0);
    EXPECT_DOUBLE_EQ(st->total_d, 15.0);
}

TEST(PathGeometry, CornerLimitOnlyWhenNotStopping) {
    struct Case {
        double firstEndVel;
        double degrees;  // 0: default limit of 10°
        double x2, y2;
        int expected;
    };
    const Case cases[] = {
        {5.0, 0, 10, 10, ZEQ_ERR_CORNER},  // 90° at speed
        {0.0, 0, 10, 10, ZEQ_OK},          // 90° after a stop
        {5.0, 0, 20, 1, ZEQ_OK},           // 5.7°
        {5.0, 0, 20, 3, ZEQ_ERR_CORNER},   // 16.7°
        {5.0, 20, 20, 3, ZEQ_OK},          // 16.7° with a 20° limit
    };
    for (const Case& c : cases) {
        auto st = make_state();
        if (c.degrees > 0) st->cornerLimit = std::cos(c.degrees * 0.017453292519943);
        ASSERT_EQ(line(*st, 10, 0, 0, 5, c.firstEndVel), ZEQ_OK);
        EXPECT_EQ(line(*st, c.x2, c.y2, 0, 5, 0), c.expected) << c.x2 << "," << c.y2;
        EXPECT_EQ(st->segCount, c.expected == ZEQ_OK ? 2 : 1);
    }
}

TEST(PathGeometry, FullCircleAndClockwise) {
    auto st = make_state();
    // Start at the origin, centre (5, 0): the end on the start is one full turn.
    ASSERT_EQ(arc(*st, {0, 0, 0}, {5, 0, 0}, {0, 0, 1}, 10, 0), ZEQ_OK);
    EXPECT_NEAR(st->total_d, 2 * kPi * 5, 1e-12);

    // A quarter arc counter-clockwise and clockwise about (0, 10) from (0, 0) to (10, 10).
    auto ccw = make_state();
    ASSERT_EQ(arc(*ccw, {10, 10, 0}, {0, 10, 0}, {0, 0, 1}, 10, 0), ZEQ_OK);
    EXPECT_NEAR(ccw->total_d, 0.5 * kPi * 10, 1e-9);
    auto cw = make_state();
    ASSERT_EQ(arc(*cw, {10, 10, 0}, {0, 10, 0}, {0, 0, -1}, 10, 0), ZEQ_OK);
    EXPECT_NEAR(cw->total_d, 1.5 * kPi * 10, 1e-9);  // three quarters the long way round
}

TEST(PathGeometry, BadArcsRefused) {
    struct Case {
        const char* what;
        std::array<double, 3> end, centre, normal;
        int expected;
    };
    // Every arc starts at (10, 0, 0) after a line from the origin that stops there.
    const Case cases[] = {
        {"normal zero", {0, 10, 0}, {0, 0, 0}, {0, 0, 0}, ZEQ_ERR_ARC},
        {"normal below 1e-9", {0, 10, 0}, {0, 0, 0}, {0, 0, 1e-10}, ZEQ_ERR_ARC},
        {"end on centre", {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, ZEQ_ERR_ARC},
        {"end off plane", {0, 0, 10}, {0, 0, 0}, {0, 0, 1}, ZEQ_ERR_ARC},
        {"radii differ", {0, 12, 0}, {0, 0, 0}, {0, 0, 1}, ZEQ_ERR_ARC},
        {"start off plane", {0, 10, 0}, {0, 0, 0}, {1, 0, 0.001}, ZEQ_ERR_ARC},
        {"short normal fine", {0, 10, 0}, {0, 0, 0}, {0, 0, 1e-6}, ZEQ_OK},
        {"quarter", {0, 10, 0}, {0, 0, 0}, {0, 0, 3}, ZEQ_OK},
    };
    for (const Case& c : cases) {
        auto st = make_state();  // ε = 0.02 user units
        ASSERT_EQ(line(*st, 10, 0, 0, 5, 0), ZEQ_OK);
        EXPECT_EQ(arc(*st, c.end, c.centre, c.normal, 5, 0), c.expected) << c.what;
        EXPECT_EQ(st->segCount, c.expected == ZEQ_OK ? 2 : 1) << c.what;
        EXPECT_TRUE(std::isfinite(st->total_d)) << c.what;
    }
}

TEST(PathGeometry, ArcCornerAfterMovingSegment) {
    auto st = make_state();
    ASSERT_EQ(line(*st, 10, 0, 0, 5, 5), ZEQ_OK);
    // Tangent at (10, 0) about (10, 10) counter-clockwise is +X: smooth.
    EXPECT_EQ(arc(*st, {20, 10, 0}, {10, 10, 0}, {0, 0, 1}, 5, 5), ZEQ_OK);
    // From (20, 10), heading +Y, an arc heading -Y at its start is a reversal.
    EXPECT_EQ(arc(*st, {30, 10, 0}, {25, 10, 0}, {0, 0, 1}, 5, 0), ZEQ_ERR_ARC);
    EXPECT_EQ(arc(*st, {30, 10, 0}, {25, 10, 0}, {0, 0, -1}, 5, 0), ZEQ_OK);
}

TEST(PathGeometry, LargeToleranceDoesNotRefuseNormals) {
    // 1 count per unit: the length tolerance is 20 units, far longer than any unit normal.
    auto st = make_state({{0, 1, 2}, 1.0});
    ASSERT_DOUBLE_EQ(st->lenTol_d, 20.0);
    ASSERT_EQ(line(*st, 100, 0, 0, 5, 0), ZEQ_OK);
    EXPECT_EQ(arc(*st, {0, 100, 0}, {0, 0, 0}, {0, 0, 1}, 5, 0), ZEQ_OK);
}

TEST(PathGeometry, SmallAngleArcKeepsItsAngle) {
    auto st = make_state();
    ASSERT_EQ(line(*st, 1000, 0, 0, 5, 0), ZEQ_OK);
    // 0.5 units along a circle of radius 1000: 0.0005 rad, well away from the start point.
    const double th = 0.0005;
    ASSERT_EQ(arc(*st, {1000 * std::cos(th), 1000 * std::sin(th), 0}, {0, 0, 0}, {0, 0, 1}, 5, 0),
              ZEQ_OK);
    EXPECT_NEAR(st->total_d - 1000, 0.5, 1e-9);
}

TEST(PathGeometry, ArcEndNearStartIsFullTurn) {
    auto st = make_state();  // ε = 0.02
    ASSERT_EQ(line(*st, 10, 0, 0, 5, 0), ZEQ_OK);
    const double th = -0.001;  // 0.01 units short of the start
    ASSERT_EQ(arc(*st, {10 * std::cos(th), 10 * std::sin(th), 0}, {0, 0, 0}, {0, 0, 1}, 5, 0),
              ZEQ_OK);
    EXPECT_NEAR(st->total_d - 10, (2 * kPi + th) * 10, 1e-9);
}

TEST(PathGeometry, NonFiniteValuesNeverEnterTheState) {
    const double nan = std::nan("");
    const double inf = INFINITY;
    {
        // Before the scales are set the tolerance is 0: a centre on the start point must still
        // be refused, not divided by.
        auto st = make_state();
        st->lenTol_d = 0;
        EXPECT_EQ(arc(*st, {10, 0, 0}, {0, 0, 0}, {0, 0, 1}, 5, 0), ZEQ_ERR_ARC);
        EXPECT_EQ(arc(*st, {0, 0, 0}, {0, 0, 0}, {0, 0, 1}, 5, 0), ZEQ_ERR_ARC);
        EXPECT_EQ(line(*st, nan, 0, 0, 5, 0), ZEQ_ERR_ZERO_SEGMENT);
        EXPECT_EQ(line(*st, 1, 0, 0, inf, 0), ZEQ_ERR_ZERO_SEGMENT);
        EXPECT_EQ(line(*st, 1, 0, 0, 5, nan), ZEQ_ERR_ZERO_SEGMENT);
        EXPECT_EQ(line(*st, 1e308, 1e308, 0, 5, 0), ZEQ_ERR_ZERO_SEGMENT);  // length overflows
        EXPECT_EQ(arc(*st, {10, 0, 0}, {5, 0, 0}, {0, 0, inf}, 5, 0), ZEQ_ERR_ARC);
        EXPECT_EQ(arc(*st, {10, 0, 0}, {5, nan, 0}, {0, 0, 1}, 5, 0), ZEQ_ERR_ARC);
        EXPECT_EQ(st->segCount, 0);
        EXPECT_EQ(st->total_d, 0.0);
        // An exact half turn is still fine with a zero tolerance.
        ASSERT_EQ(line(*st, 10, 0, 0, 5, 0), ZEQ_OK);
        EXPECT_EQ(arc(*st, {-10, 0, 0}, {0, 0, 0}, {0, 0, 1}, 5, 0), ZEQ_OK);
        EXPECT_NEAR(st->total_d, 10 + 10 * kPi, 1e-9);
    }
}

TEST(PathGeometry, ListFullAt65536) {
    auto st = make_state();
    for (int i = 0; i < kPathSegSlots; ++i) ASSERT_EQ(line(*st, i + 1.0, 0, 0, 5, 5), ZEQ_OK) << i;
    EXPECT_EQ(st->writeIndex, 0);  // wrapped
    EXPECT_EQ(line(*st, 1e6, 0, 0, 5, 0), ZEQ_ERR_SEGLIST_FULL);
    EXPECT_EQ(st->segCount, kPathSegSlots);
    EXPECT_DOUBLE_EQ(st->seg[0].end_d[0], 1.0);  // the oldest segment is untouched
}

// ---- Whole paths ----------------------------------------------------------------------------

namespace {

enum class Shape { Square, LineArcLine, Circle };

// Builds the shape; returns the end point. 3-D variants leave the XY plane.
std::array<double, 3> build(PathState& st, Shape shape, bool threeD, double vel) {
    const double z = threeD ? 1.0 : 0.0;
    switch (shape) {
        case Shape::Square:
            EXPECT_EQ(line(st, 10, 0, 2 * z, vel, 0), ZEQ_OK);
            EXPECT_EQ(line(st, 10, 10, 4 * z, vel, 0), ZEQ_OK);
            EXPECT_EQ(line(st, 0, 10, 2 * z, vel, 0), ZEQ_OK);
            EXPECT_EQ(line(st, 0, 0, 0, vel, 0), ZEQ_OK);
            return {0, 0, 0};
        case Shape::LineArcLine: {
            EXPECT_EQ(line(st, 10, 0, 0, vel, vel), ZEQ_OK);
            // Radial U and normal chosen so that the arc leaves along +X (tangent n × U = +X).
            const double s = std::sqrt(0.5);
            const std::array<double, 3> U =
                threeD ? std::array<double, 3>{0, -s, -s} : std::array<double, 3>{0, -1, 0};
            const std::array<double, 3> n =
                threeD ? std::array<double, 3>{0, -s, s} : std::array<double, 3>{0, 0, 1};
            const double R = 8;
            const std::array<double, 3> c{10 - R * U[0], -R * U[1], -R * U[2]};
            const std::array<double, 3> e{c[0] + R, c[1], c[2]};  // a quarter turn: c + R·V
            EXPECT_EQ(arc(st, e, c, n, vel, vel), ZEQ_OK);
            // End tangent n × V = -U.
            const std::array<double, 3> p{e[0] - 20 * U[0], e[1] - 20 * U[1], e[2] - 20 * U[2]};
            EXPECT_EQ(line(st, p[0], p[1], p[2], vel, 0), ZEQ_OK);
            return p;
        }
        case Shape::Circle: {
            const double s = std::sqrt(0.5);
            const std::array<double, 3> n =
                threeD ? std::array<double, 3>{0, -s, s} : std::array<double, 3>{0, 0, 1};
            EXPECT_EQ(arc(st, {0, 0, 0}, {6, 0, 0}, n, vel, 0), ZEQ_OK);
            return {0, 0, 0};
        }
    }
    return {};
}

}  // namespace

TEST(PathRun, ShapesEndExactlyWithinTheProfile) {
    const std::array<int16_t, 3> maps[] = {{0, -1, -1}, {0, 1, -1}, {0, 1, 2}};
    for (Shape shape : {Shape::Square, Shape::LineArcLine, Shape::Circle}) {
        for (const auto& map : maps) {
            const bool threeD = map[2] >= 0;
            for (double scale : {1000.0, -250.0}) {
                PathSetup s;
                s.map = map;
                s.scale = scale;
                auto st = make_state(s);
                const double vel = 40;
                const auto end = build(*st, shape, threeD, vel);
                const Trace t = run_steps(*st, scales_for(s));
                SCOPED_TRACE(testing::Message() << "shape " << int(shape) << " axes "
                                                << (map[2] >= 0   ? 3
                                                    : map[1] >= 0 ? 2
                                                                  : 1)
                                                << " scale " << scale);
                check_profile(*st, t, vel, scale);
                const auto want = end_counts(*st, scale, end);
                for (int c = 0; c < 3; ++c) {
                    EXPECT_EQ(t.sum[c], want[c]) << "coord " << c;
                    EXPECT_EQ(st->lastPos_counts[c], want[c]) << "coord " << c;
                }
                EXPECT_EQ(st->segCount, 0);
                EXPECT_EQ(st->curIndex, st->writeIndex);
                EXPECT_DOUBLE_EQ(st->travelled_d, st->total_d);
            }
        }
    }
}

TEST(PathRun, SquareVisitsItsCornersAtRest) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    build(*st, Shape::Square, false, 40);
    const double D = st->accel_dpp2;
    // Positions after each step, and the steps where the current segment changed.
    std::array<int64_t, 3> pos{};
    int corners = 0;
    int prevIndex = st->curIndex;
    for (int guard = 0; guard < 100000; ++guard) {
        int16_t w[3];
        int n = 0;
        const StepResult r = path_step(*st, scales_for(s), w, &n);
        if (r != StepResult::Point) break;
        pos[0] += w[0];
        pos[1] += w[1];
        if (st->curIndex != prevIndex && !st->endFlag) {
            // The path creeps through a stopping corner at the least velocity, D.
            EXPECT_LE(st->vel_dpp, 4 * D);
            ++corners;
            prevIndex = st->curIndex;
        }
    }
    EXPECT_EQ(corners, 3);
    EXPECT_EQ(pos[0], 0);
    EXPECT_EQ(pos[1], 0);
}

TEST(PathRun, FullCirclePassesThroughTheOppositePoint) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(arc(*st, {0, 0, 0}, {6, 0, 0}, {0, 0, 1}, 40, 0), ZEQ_OK);
    std::array<int64_t, 3> pos{};
    int64_t maxX = 0, minY = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        int16_t w[3];
        int n = 0;
        if (path_step(*st, scales_for(s), w, &n) != StepResult::Point) break;
        pos[0] += w[0];
        pos[1] += w[1];
        maxX = std::max(maxX, pos[0]);
        minY = std::min(minY, pos[1]);
    }
    EXPECT_NEAR(maxX, 12000, 2);  // through (12, 0)
    EXPECT_NEAR(minY, -6000, 2);  // counter-clockwise from (0, 0) about (6, 0): down first
}

TEST(PathRun, ClockwiseArcRunsTheOtherWay) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(arc(*st, {12, 0, 0}, {6, 0, 0}, {0, 0, -1}, 40, 0), ZEQ_OK);
    int64_t y = 0, maxY = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        int16_t w[3];
        int n = 0;
        if (path_step(*st, scales_for(s), w, &n) != StepResult::Point) break;
        y += w[1];
        maxY = std::max(maxY, y);
    }
    EXPECT_NEAR(maxY, 6000, 2);
    EXPECT_EQ(y, 0);
}

TEST(PathRun, FeedOverrideScalesTheVelocity) {
    PathSetup s;
    auto st = make_state(s);
    st->feedOverride = 0.5;
    ASSERT_EQ(line(*st, 50, 0, 0, 40, 0), ZEQ_OK);
    const Trace t = run_steps(*st, scales_for(s));
    check_profile(*st, t, 40, s.scale);
    EXPECT_NEAR(*std::max_element(t.vel_dpp.begin(), t.vel_dpp.end()), 20 / st->interpFreq_hz,
                1e-12);
    EXPECT_EQ(t.sum[0], 50000);
}

TEST(PathRun, SlowPathsAndSmallScales) {
    // One count per unit and a crawl: the bound 2(A + v)s truncates to 0 while a position still
    // moves by a count now and then.
    PathSetup s;
    s.scale = 1.0;
    s.accel_dps2 = 1.0;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 300, 200, 0, 20, 0), ZEQ_OK);
    const Trace t = run_steps(*st, scales_for(s));
    check_profile(*st, t, 20, 1.0);
    EXPECT_EQ(t.sum[0], 300);
    EXPECT_EQ(t.sum[1], 200);
}

TEST(PathRun, SeparateDecelerationIsHonoured) {
    PathSetup s;
    s.accel_dps2 = 800;
    s.decel_dps2 = 200;
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 30, 0, 0, 40, 0), ZEQ_OK);
    const Trace t = run_steps(*st, scales_for(s));
    check_profile(*st, t, 40, s.scale);
    // It accelerates at A at first.
    EXPECT_NEAR(t.vel_dpp[1] - t.vel_dpp[0], st->accel_dpp2, 1e-15);
    EXPECT_EQ(t.sum[0], 30000);
}

// ---- Interpolation calls ----------------------------------------------------------------------

TEST(PathCalls, StepsPerCallByDrivenAxes) {
    struct Case {
        std::array<int16_t, 3> map;
        int steps;
        int words;
    };
    const Case cases[] = {
        {{0, -1, -1}, 126, 126}, {{0, 1, -1}, 63, 126}, {{0, 1, 2}, 42, 126}, {{0, -1, 2}, 42, 84}};
    for (const Case& c : cases) {
        PathSetup s;
        s.map = c.map;
        auto st = make_state(s);
        EXPECT_EQ(path_steps_per_call(*st), c.steps);
        ASSERT_EQ(line(*st, 100, 50, 25, 40, 0), ZEQ_OK);
        CaptureSink sink;
        EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
        ASSERT_EQ(sink.blocks.size(), 1u);
        EXPECT_EQ(static_cast<int>(sink.blocks[0].size()), c.words);
        EXPECT_EQ(st->pendingCount, 0);
        EXPECT_EQ(run_calls(*st, scales_for(s), sink), ZEQ_OK);
        for (const auto& b : sink.blocks) EXPECT_LE(b.size(), 126u);
        // Further calls keep reporting the finished path and send nothing.
        const int before = sink.calls;
        EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_OK);
        EXPECT_EQ(sink.calls, before);
    }
}

TEST(PathCalls, FullContourFifoKeepsTheWords) {
    PathSetup s;
    s.map = {0, 1, 2};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 30, 20, 10, 40, 0), ZEQ_OK);
    CaptureSink sink;
    sink.answers = {ZEQ_ERR_FIFO_FULL, ZEQ_ERR_FIFO_FULL, ZEQ_ERR_TIMEOUT};
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    const double sAfterFirst = st->travelled_d;
    EXPECT_EQ(st->pendingCount, 126);
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_TIMEOUT);
    EXPECT_EQ(st->travelled_d, sAfterFirst);  // nothing planned while words wait
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    ASSERT_EQ(sink.blocks.size(), 4u);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(sink.blocks[i], sink.blocks[0]);
    EXPECT_EQ(st->pendingCount, 0);
    EXPECT_EQ(run_calls(*st, scales_for(s), sink), ZEQ_OK);
    int64_t sum[3] = {};
    for (size_t i = 0; i < sink.taken.size(); ++i) sum[i % 3] += sink.taken[i];
    EXPECT_EQ(sum[0], 30000);
    EXPECT_EQ(sum[1], 20000);
    EXPECT_EQ(sum[2], 10000);
}

TEST(PathCalls, FeedOverrideZeroHoldsAndResumes) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 600, 300, 0, 40, 0), ZEQ_OK);
    CaptureSink sink;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(path_interpolate(*st, scales_for(s), sink), 22);
    st->feedOverride = 0;
    // It brakes to the least velocity, then holds: calls plan nothing and send nothing.
    int rc = 0;
    for (int i = 0; i < 10; ++i) rc = path_interpolate(*st, scales_for(s), sink);
    EXPECT_EQ(rc, ZEQ_ERR_PATH_NOT_DONE);
    EXPECT_LE(st->vel_dpp, st->decel_dpp2);
    const size_t words = sink.taken.size();
    const double at = st->travelled_d;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    EXPECT_EQ(sink.taken.size(), words);
    EXPECT_EQ(st->travelled_d, at);
    st->feedOverride = 1;
    EXPECT_EQ(run_calls(*st, scales_for(s), sink), ZEQ_OK);
    int64_t sum[2] = {};
    for (size_t i = 0; i < sink.taken.size(); ++i) sum[i % 2] += sink.taken[i];
    EXPECT_EQ(sum[0], 600000);
    EXPECT_EQ(sum[1], 300000);
}

TEST(PathCalls, NotInitialisedAndNoAcceleration) {
    PathSetup s;
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 10, 0, 0, 40, 0), ZEQ_OK);
    CaptureSink sink;
    st->initialised = false;
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_INIT);
    st->initialised = true;
    st->accel_dpp2 = 0;
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(sink.calls, 0);
}

TEST(PathCalls, EmptyPathEndsWithoutMoving) {
    PathSetup s;
    auto st = make_state(s);
    CaptureSink sink;
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_OK);
    EXPECT_EQ(sink.calls, 0);
    // Segments added after the end continue from where the path stands.
    ASSERT_EQ(line(*st, 5, 0, 0, 40, 0), ZEQ_OK);
    EXPECT_EQ(run_calls(*st, scales_for(s), sink), ZEQ_OK);
    ASSERT_EQ(line(*st, 5, 5, 0, 40, 0), ZEQ_OK);
    EXPECT_EQ(run_calls(*st, scales_for(s), sink), ZEQ_OK);
    int64_t sum[3] = {};
    for (size_t i = 0; i < sink.taken.size(); ++i) sum[i % 3] += sink.taken[i];
    EXPECT_EQ(sum[0], 5000);
    EXPECT_EQ(sum[1], 5000);
}

TEST(PathCalls, DecelerationDefaultsToAcceleration) {
    PathSetup s;
    auto st = make_state(s);
    st->decel_dpp2 = 0;
    ASSERT_EQ(line(*st, 10, 0, 0, 40, 0), ZEQ_OK);
    CaptureSink sink;
    path_interpolate(*st, scales_for(s), sink);
    EXPECT_EQ(st->decel_dpp2, st->accel_dpp2);
}

// ---- Faults of the textbook step that the planner avoids ------------------------------------

TEST(PathFaults, RefusedStepProducesNothing) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 50, 0, 0, 40, 0), ZEQ_OK);
    CaptureSink sink;
    ASSERT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    // Y's last position drifted far away (as after a stale position read): its next increment
    // breaks the bound while X's would not.
    st->lastPos_counts[1] = 5000;
    const int32_t lastX = st->lastPos_counts[0];
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_JUMP);
    EXPECT_EQ(st->pendingCount, 0);  // not even X's word of the refused step
    EXPECT_EQ(st->lastPos_counts[0], lastX);
    EXPECT_EQ(st->lastPos_counts[1], 5000);

    // Increments beyond 16 bits are refused even at the path's end, where the bound is off.
    auto big = make_state(s);
    ASSERT_EQ(line(*big, 1e-3, 0, 0, 40, 0), ZEQ_OK);
    big->lastPos_counts[0] = -40000;
    int16_t w[3];
    int n = 0;
    EXPECT_EQ(path_step(*big, scales_for(s), w, &n), StepResult::TooFar);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(big->lastPos_counts[0], -40000);
}

TEST(PathFaults, NegativeIncrementsAreBounded) {
    PathSetup s;
    s.map = {0, -1, -1};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, -500, 0, 0, 40, 0), ZEQ_OK);
    CaptureSink sink;
    ASSERT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_NOT_DONE);
    st->lastPos_counts[0] += 3000;  // the next step goes 3000 counts backwards at once
    EXPECT_EQ(path_interpolate(*st, scales_for(s), sink), ZEQ_ERR_PATH_JUMP);
}

TEST(PathFaults, BrakingIsNotUndoneAtCallBoundaries) {
    // A corner taken at a low end velocity: the X words must not depend on whether a call
    // plans 126 steps (X only) or 42 (X, Y, Z).
    auto build_path = [](PathState& st) {
        EXPECT_EQ(line(st, 40, 0, 0, 60, 2), ZEQ_OK);
        EXPECT_EQ(line(st, 80, 0.5, 5, 60, 0), ZEQ_OK);
    };
    PathSetup one;
    one.map = {0, -1, -1};
    one.accel_dps2 = 100;  // braking takes longer than one call
    PathSetup three;
    three.accel_dps2 = 100;
    auto a = make_state(one);
    auto b = make_state(three);
    build_path(*a);
    build_path(*b);
    CaptureSink sa, sb;
    ASSERT_EQ(run_calls(*a, scales_for(one), sa), ZEQ_OK);
    ASSERT_EQ(run_calls(*b, scales_for(three), sb), ZEQ_OK);
    std::vector<int16_t> xb;
    for (size_t i = 0; i < sb.taken.size(); i += 3) xb.push_back(sb.taken[i]);
    EXPECT_EQ(sa.taken, xb);

    // And the velocity, once braking for the corner, falls until the corner is passed.
    auto c = make_state(one);
    build_path(*c);
    bool braking = false;
    double prev = 0;
    while (c->curIndex == 0) {
        int16_t w[3];
        int n = 0;
        ASSERT_EQ(path_step(*c, scales_for(one), w, &n), StepResult::Point);
        if (c->curIndex != 0) break;
        if (braking) {
            EXPECT_LE(c->vel_dpp, prev);
        }
        if (c->vel_dpp < prev) braking = true;
        prev = c->vel_dpp;
    }
    EXPECT_TRUE(braking);
}

TEST(PathFaults, CarryOutOfTheLastSegmentEndsThePath) {
    PathSetup s;
    s.map = {0, 1, -1};
    auto st = make_state(s);
    ASSERT_EQ(line(*st, 10, 0, 0, 40, 0), ZEQ_OK);
    // The running total runs ahead of the segment (rounding over a long list can do this), and
    // the next slot holds an old segment's leftovers.
    st->total_d += 0.2;
    st->seg[1].kind = SegKind::Line;
    st->seg[1].start_d[0] = 10;
    st->seg[1].end_d[0] = 10.1;
    st->seg[1].end_d[1] = 1;
    st->seg[1].length_d = 1.005;
    const Trace t = run_steps(*st, scales_for(s));
    ASSERT_FALSE(t.refused);
    EXPECT_TRUE(st->endFlag);
    EXPECT_EQ(t.sum[0], 10000);
    EXPECT_EQ(t.sum[1], 0);
    EXPECT_EQ(st->curIndex, 1);
    // Not a single period strays from the line.
    int64_t x = 0;
    for (const auto& inc : t.inc) {
        x += inc[0];
        EXPECT_EQ(inc[1], 0);
        EXPECT_LE(x, 10000);
    }
}
