// The path planner core.
//
// The path is a ring of segments (lines and arcs) laid end to end from the path origin. The
// planner walks it one interpolation period at a time and emits, per period, the increment in
// counts of every driven axis; the card's coordinated group plays one such set of words per
// period. All velocities are per period (v, Vt, Ve, Vc in user units per period, A and D in
// user units per period²).
//
// One interpolation step:
//  1. End signal when the end flag is set and s = L (nothing moves).
//     A segment is entered (at the path's start and at each carry): Vt = its velocity / f,
//     Ve = its end velocity / f, and an arc's frame is built. These stay until the next entry,
//     so the words never depend on how the calls split the steps.
//  2. Braking test on the current segment: r = length − u, dv = v² − Ve²,
//     m = r·(A when dv ≤ 0, else D); if 2m + dv < 0 or 2m < dv, then Vt = Ve.
//  3. Vc = F·Vt, limited to √(2(L − s)D) so that the path can stop at its end, and never below
//     D so that a path braking to rest still creeps on to its end.
//  4. v moves toward Vc by at most A (up) or D (down).
//  5. Advance by v: past L the path ends (u = 0, count = 0, current = write index, s = L, end
//     flag set); within the segment u += v, s += v; otherwise u −= length and carry into the
//     next segment (out of the last one, the path ends) and repeat this step.
//  6. Point: the end point of the last segment at the end (v = 0 there, so the final period
//     may brake by more than D), else the point at distance u on the current segment.
//  7. Each driven coordinate: position = trunc(point · scale) counts, increment = position −
//     last position. An increment outside the 16-bit range, or (before the end) one whose
//     magnitude exceeds trunc(2(A + v)|scale|) + 1, refuses the whole step: no word and no last
//     position changes.
//     With nothing added since the list was emptied, the path ends where it stands.
//
// One call (path_interpolate): words still pending from a previous call are sent first and
// nothing new is planned until the card has taken them; otherwise 126, 63 or 42 periods (X;
// X, Y; X, Y, Z driven) are planned and sent as one contour block, so a call never plans far
// ahead of the card. A full contour FIFO keeps the words for the next call. With the feed
// override at 0 the path slows to D and then holds, planning nothing, until it is raised.
//
// Limits: positions are kept as 32-bit counts (a point beyond that range refuses the step);
// the segment geometry refuses anything that would bring a NaN or an infinity into the state.
#include "path/planner.h"

#include <cmath>
#include <cstdlib>

#include "zeqlink.h"

namespace zeq::link {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kNormalTol = 1e-9;  // smallest arc normal accepted
constexpr double kPlaneTol = 0.001;  // |normal · radial| allowed for arc end points

inline double dot(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline double norm(const double a[3]) {
    return std::sqrt(dot(a, a));
}
inline void sub(const double a[3], const double b[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}
inline void scale(double a[3], double k) {
    for (int i = 0; i < 3; ++i) a[i] *= k;
}
inline void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
inline bool finite3(const double a[3]) {
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

// Tangent of a stored segment at its end. False when it cannot be formed.
bool end_tangent(const PathSegment& seg, double eps_d, double out[3]) {
    if (seg.kind == SegKind::Line) {
        if (!(seg.length_d > 0) || seg.length_d < eps_d) return false;
        sub(seg.end_d, seg.start_d, out);
        scale(out, 1.0 / seg.length_d);
        return true;
    }
    double radial[3];
    sub(seg.end_d, seg.centre_d, radial);
    const double r = norm(radial);
    if (!(r > 0) || r < eps_d) return false;
    scale(radial, 1.0 / r);
    cross(seg.normal, radial, out);
    return true;
}

// The frame of an arc from its start, centre and unit normal; the returned angle is the
// counter-clockwise angle of its end in [0, 2π).
double build_frame(const PathSegment& seg, ArcFrame& f) {
    sub(seg.start_d, seg.centre_d, f.u);
    f.radius_d = norm(f.u);
    scale(f.u, 1.0 / f.radius_d);
    const double nu = dot(seg.normal, f.u);
    for (int i = 0; i < 3; ++i) f.w[i] = seg.normal[i] - nu * f.u[i];
    scale(f.w, 1.0 / norm(f.w));
    cross(f.w, f.u, f.v);
    for (int i = 0; i < 3; ++i) f.centre_d[i] = seg.centre_d[i];
    double re[3];
    sub(seg.end_d, seg.centre_d, re);
    double theta = std::atan2(dot(re, f.v), dot(re, f.u));
    if (theta < 0) theta += kTwoPi;
    return theta;
}

// Fills the common fields of the slot at the write index and returns it.
PathSegment& fill_slot(PathState& st, SegKind kind, const double end_d[3], double vel_dps,
                       double endVel_dps) {
    PathSegment& seg = st.seg[st.writeIndex];
    seg.kind = kind;
    for (int i = 0; i < 3; ++i) seg.end_d[i] = end_d[i];
    seg.vel_dps = vel_dps;
    seg.endVel_dps = endVel_dps;
    if (st.total_d > 0) {
        const PathSegment& prev = st.seg[static_cast<uint16_t>(st.writeIndex - 1)];
        for (int i = 0; i < 3; ++i) seg.start_d[i] = prev.end_d[i];
    } else {
        for (int i = 0; i < 3; ++i) seg.start_d[i] = 0.0;
    }
    return seg;
}

void commit_slot(PathState& st, double length_d) {
    st.segCount += 1;
    st.writeIndex = static_cast<uint16_t>(st.writeIndex + 1);
    st.total_d += length_d;
}

// Whether the corner into a new segment with start tangent t must be tested, and the previous
// segment's end tangent into prevT when it must.
bool corner_tested(const PathState& st, double prevT[3]) {
    if (st.segCount <= 0) return false;
    const PathSegment& prev = st.seg[static_cast<uint16_t>(st.writeIndex - 1)];
    if (prev.endVel_dps == 0) return false;
    return end_tangent(prev, st.lenTol_d, prevT);
}

// Entering the current segment: its velocities per period and, for an arc, its frame.
void enter_segment(PathState& st) {
    const PathSegment& seg = st.seg[st.curIndex];
    st.targetVel_dpp = seg.vel_dps / st.interpFreq_hz;
    st.endVel_dpp = seg.endVel_dps / st.interpFreq_hz;
    if (seg.kind == SegKind::Arc) build_frame(seg, st.arc);
    st.segEntered = true;
}

void end_path(PathState& st) {
    st.inSeg_d = 0;
    st.segCount = 0;
    st.curIndex = st.writeIndex;
    st.travelled_d = st.total_d;
    st.endFlag = true;
    st.segEntered = false;
}

// Steps 1 to 6: advances the path by one period and gives the point reached. False at the
// end signal.
bool advance(PathState& st, double point_d[3]) {
    if (st.endFlag && st.travelled_d == st.total_d) return false;
    if (!st.segEntered) {
        if (st.segCount <= 0) {
            // Nothing was added since the list was emptied: the path is over where it stands.
            st.endFlag = true;
            st.vel_dpp = 0;
            st.travelled_d = st.total_d;
            return false;
        }
        enter_segment(st);
    }
    st.endFlag = false;

    const double A = st.accel_dpp2;
    const double D = st.decel_dpp2;
    double v = st.vel_dpp;
    {
        const double r = st.seg[st.curIndex].length_d - st.inSeg_d;
        const double dv = v * v - st.endVel_dpp * st.endVel_dpp;
        const double m = r * (dv <= 0 ? A : D);
        if (2 * m + dv < 0 || 2 * m < dv) st.targetVel_dpp = st.endVel_dpp;
    }
    double vc = st.feedOverride * st.targetVel_dpp;
    // √(2(L − s)D) < Vc, with the root taken only where it can decide: far from the end the
    // squared room is well above Vc² and the root cannot fall below Vc.
    const double room = 2 * (st.total_d - st.travelled_d) * D;
    if (vc > 0 && room < vc * vc * (1 + 1e-12)) {
        const double stopVel = std::sqrt(room);
        if (stopVel < vc) vc = stopVel;
    }
    if (vc < D) vc = D;
    st.cmdVel_dpp = vc;
    if (vc > v) {
        v += A;
        if (v > vc) v = vc;
    } else if (vc < v) {
        v -= D;
        if (v < vc) v = vc;
    }
    st.vel_dpp = v;

    for (;;) {
        if (st.travelled_d + v > st.total_d) {
            end_path(st);
            break;
        }
        const double len = st.seg[st.curIndex].length_d;
        if (st.inSeg_d + v <= len) {
            st.inSeg_d += v;
            st.travelled_d += v;
            break;
        }
        st.inSeg_d -= len;
        if (st.segCount <= 1) {
            end_path(st);
            break;
        }
        st.curIndex = static_cast<uint16_t>(st.curIndex + 1);
        st.segCount -= 1;
        enter_segment(st);
    }

    if (st.endFlag) {
        const PathSegment& last = st.seg[static_cast<uint16_t>(st.writeIndex - 1)];
        for (int i = 0; i < 3; ++i) point_d[i] = last.end_d[i];
        st.vel_dpp = 0;
        return true;
    }
    const PathSegment& seg = st.seg[st.curIndex];
    const double u = st.inSeg_d;
    if (seg.kind == SegKind::Line) {
        const double k = u / seg.length_d;
        for (int i = 0; i < 3; ++i)
            point_d[i] = seg.start_d[i] + k * (seg.end_d[i] - seg.start_d[i]);
    } else {
        const ArcFrame& f = st.arc;
        const double a = u / f.radius_d;
        const double rc = f.radius_d * std::cos(a);
        const double rs = f.radius_d * std::sin(a);
        for (int i = 0; i < 3; ++i) point_d[i] = f.centre_d[i] + rc * f.u[i] + rs * f.v[i];
    }
    return true;
}

}  // namespace

void path_reset_run(PathState& st) {
    st.total_d = 0;
    st.travelled_d = 0;
    st.inSeg_d = 0;
    st.vel_dpp = 0;
    for (int c = 0; c < kPathCoords; ++c) st.lastPos_counts[c] = 0;
    st.pendingCount = 0;
    st.segCount = 0;
    st.writeIndex = 0;
    st.curIndex = 0;
    for (int i = 0; i < 3; ++i) st.seg[0].start_d[i] = 0.0;
    st.initialised = false;
    st.segEntered = false;
}

void path_clear_segments(PathState& st) {
    st.total_d = 0;
    st.travelled_d = 0;
    st.inSeg_d = 0;
    st.segCount = 0;
    st.writeIndex = 0;
    st.curIndex = 0;
    st.segEntered = false;
}

int path_add_line(PathState& st, const double end_d[3], double vel_dps, double endVel_dps) {
    if (st.segCount >= kPathSegSlots) return ZEQ_ERR_SEGLIST_FULL;
    PathSegment& seg = fill_slot(st, SegKind::Line, end_d, vel_dps, endVel_dps);
    if (!finite3(end_d) || !std::isfinite(vel_dps) || !std::isfinite(endVel_dps))
        return ZEQ_ERR_ZERO_SEGMENT;
    double d[3];
    sub(seg.end_d, seg.start_d, d);
    const double len = norm(d);
    seg.length_d = len;
    if (len == 0 || !std::isfinite(len)) return ZEQ_ERR_ZERO_SEGMENT;
    scale(d, 1.0 / len);
    double prevT[3];
    if (len > st.lenTol_d && corner_tested(st, prevT) && dot(d, prevT) < st.cornerLimit)
        return ZEQ_ERR_CORNER;
    commit_slot(st, len);
    return ZEQ_OK;
}

int path_add_arc(PathState& st, const double end_d[3], const double centre_d[3],
                 const double normal[3], double vel_dps, double endVel_dps) {
    if (st.segCount >= kPathSegSlots) return ZEQ_ERR_SEGLIST_FULL;
    PathSegment& seg = fill_slot(st, SegKind::Arc, end_d, vel_dps, endVel_dps);
    for (int i = 0; i < 3; ++i) {
        seg.centre_d[i] = centre_d[i];
        seg.normal[i] = normal[i];
    }
    if (!finite3(end_d) || !finite3(centre_d) || !finite3(normal) || !std::isfinite(vel_dps) ||
        !std::isfinite(endVel_dps))
        return ZEQ_ERR_ARC;
    const double eps = st.lenTol_d;

    const double nn = norm(seg.normal);
    if (!(nn >= kNormalTol)) return ZEQ_ERR_ARC;
    scale(seg.normal, 1.0 / nn);

    double re[3];
    sub(seg.end_d, seg.centre_d, re);
    const double rEnd = norm(re);
    if (!(rEnd > 0) || !std::isfinite(rEnd) || rEnd < eps) return ZEQ_ERR_ARC;
    if (std::fabs(dot(seg.normal, re) / rEnd) > kPlaneTol) return ZEQ_ERR_ARC;
    seg.radius_d = rEnd;

    double rs[3];
    sub(seg.start_d, seg.centre_d, rs);
    const double rStart = norm(rs);
    if (!(rStart > 0) || !std::isfinite(rStart)) return ZEQ_ERR_ARC;
    if (std::fabs(rEnd - rStart) > eps) return ZEQ_ERR_ARC;
    if (std::fabs(dot(seg.normal, rs) / rStart) > kPlaneTol) return ZEQ_ERR_ARC;

    double prevT[3];
    if (corner_tested(st, prevT)) {
        double radial[3] = {rs[0] / rStart, rs[1] / rStart, rs[2] / rStart};
        double startT[3];
        cross(seg.normal, radial, startT);
        if (dot(startT, prevT) < st.cornerLimit) return ZEQ_ERR_ARC;
    }

    ArcFrame frame;
    double theta = build_frame(seg, frame);
    double chord[3];
    sub(seg.end_d, seg.start_d, chord);
    const double gap = norm(chord);
    // An arc that closes on itself is a full turn, ending at its end point's angle.
    if ((gap < eps || gap == 0) && theta < kTwoPi / 2) theta += kTwoPi;
    const double len = std::fabs(theta * frame.radius_d);
    seg.length_d = len;
    if (len == 0 || !std::isfinite(len)) return ZEQ_ERR_ZERO_SEGMENT;
    commit_slot(st, len);
    return ZEQ_OK;
}

StepResult path_step(PathState& st, const PathScales& scales, int16_t* words, int* count) {
    double point_d[3];
    *count = 0;
    if (!advance(st, point_d)) return StepResult::End;

    int32_t pos[kPathCoords] = {};
    int n = 0;
    for (int c = 0; c < kPathCoords; ++c) {
        if (st.axisMap[c] < 0) continue;
        const double sc = scales.countsPerD[c];
        const double p = std::trunc(point_d[c] * sc);
        if (!(p >= -2147483648.0 && p <= 2147483647.0)) return StepResult::TooFar;
        pos[c] = static_cast<int32_t>(p);
        const int64_t inc = int64_t{pos[c]} - st.lastPos_counts[c];
        if (inc < INT16_MIN || inc > INT16_MAX) return StepResult::TooFar;
        if (!st.endFlag) {
            const double bound = std::trunc(2 * (st.accel_dpp2 + st.vel_dpp) * std::fabs(sc)) + 1;
            if (static_cast<double>(std::llabs(inc)) > bound) return StepResult::TooFar;
        }
        words[n++] = static_cast<int16_t>(inc);
    }
    for (int c = 0; c < kPathCoords; ++c)
        if (st.axisMap[c] >= 0) st.lastPos_counts[c] = pos[c];
    *count = n;
    return StepResult::Point;
}

int path_steps_per_call(const PathState& st) {
    if (st.axisMap[2] >= 0) return kContourMaxWords / 3;
    if (st.axisMap[1] >= 0) return kContourMaxWords / 2;
    return kContourMaxWords;
}

int path_interpolate(PathState& st, const PathScales& scales, ContourSink& sink) {
    if (!st.initialised) return ZEQ_ERR_PATH_NOT_INIT;
    if (!(st.accel_dpp2 > 0)) return ZEQ_ERR_ARGUMENT;

    const bool held = st.feedOverride == 0 && st.vel_dpp <= st.decel_dpp2;
    if (held && st.pendingCount == 0) return st.endFlag ? ZEQ_OK : ZEQ_ERR_PATH_NOT_DONE;

    if (st.pendingCount == 0) {
        if (st.decel_dpp2 <= 0) st.decel_dpp2 = st.accel_dpp2;
        const int steps = path_steps_per_call(st);
        for (int i = 0; i < steps; ++i) {
            int n = 0;
            const StepResult r = path_step(st, scales, st.pending + st.pendingCount, &n);
            if (r == StepResult::End) break;
            if (r == StepResult::TooFar) return ZEQ_ERR_PATH_JUMP;
            st.pendingCount += n;
            if (st.pendingCount == 0) return ZEQ_ERR_PATH_NOT_INIT;
        }
    }

    if (st.pendingCount > 0) {
        const int rc = sink.put(st.pending, st.pendingCount);
        if (rc == ZEQ_ERR_FIFO_FULL) return ZEQ_ERR_PATH_NOT_DONE;
        if (rc != ZEQ_OK) return rc;
        st.pendingCount = 0;
    }
    return st.endFlag ? ZEQ_OK : ZEQ_ERR_PATH_NOT_DONE;
}

}  // namespace zeq::link
