// The path planner's state, kept in each device record. Its defaults are the member
// initialisers; the record constructs it once per open.
//
// Units are in the names: _d user distance units, _dpp user units per interpolation period,
// _dpp2 user units per period², _dps user units per second, _counts encoder counts, _hz periods
// per second. Path coordinates are relative to the path origin (the axes' `curpos` at
// ZEQ_InitPath).
#pragma once

#include <cstdint>

#include "card/wire.h"

namespace zeq::link {

constexpr int kPathSegSlots = 65536;  // segment ring, indexed by a 16-bit index
constexpr int kPathCoords = 3;        // X, Y, Z
constexpr int kContourMaxWords = card::wire::kMaxContourWords;  // the largest block the card takes
constexpr double kDefaultInterpFreq_hz = 95.367431640625;       // 10^8 / 2^20
constexpr double kDefaultCornerLimit = 0.984807753012208;       // cos 10°

enum class SegKind : uint8_t { Line = 0, Arc = 1 };

// One segment of the path. For a line only kind, start, end, length and the velocities count.
struct PathSegment {
    SegKind kind = SegKind::Line;
    double start_d[3] = {};  // end of the previous slot, or the origin for a fresh list
    double end_d[3] = {};
    double centre_d[3] = {};  // arc only
    double normal[3] = {};    // arc only: unit normal, the arc runs counter-clockwise about it
    double length_d = 0;      // line length or arc length
    double radius_d = 0;      // arc only: |end - centre|
    double vel_dps = 0;       // path velocity wanted on this segment
    double endVel_dps = 0;    // velocity wanted at its end; 0 = stop there, corner not tested
};

// Orthonormal frame of the arc being interpolated: a point at arc distance u is
// centre + R cos(u/R) U + R sin(u/R) V.
struct ArcFrame {
    double u[3] = {};
    double v[3] = {};
    double w[3] = {};
    double centre_d[3] = {};
    double radius_d = 0;  // |start - centre|
};

struct PathState {
    double interpFreq_hz = kDefaultInterpFreq_hz;
    uint16_t writeIndex = 0;  // next free slot
    uint16_t curIndex = 0;    // slot being interpolated
    int32_t segCount = 0;     // segments added and not yet finished, at most kPathSegSlots
    double cornerLimit = kDefaultCornerLimit;  // cosine of the sharpest corner allowed
    double total_d = 0;                        // L: sum of all segment lengths
    double travelled_d = 0;                    // s: distance along the whole path
    double inSeg_d = 0;                        // u: distance into the current segment
    double vel_dpp = 0;                        // v: current path velocity
    double accel_dpp2 = 0;                     // A
    double decel_dpp2 = 0;  // D; a value <= 0 is replaced by A when interpolating
    int16_t axisMap[kPathCoords] = {0, 1, 2};  // card axis of X, Y, Z; negative = not driven
    bool endFlag = false;                      // the interpolation has reached the path's end
    double lenTol_d = 0;                       // ε: 20 counts in user units (SetPartCartesianSys)
    int32_t lastPos_counts[kPathCoords] = {};  // last commanded position, relative to origin
    ArcFrame arc;
    int16_t pending[kContourMaxWords] = {};  // words built and not yet taken by the card
    int pendingCount = 0;
    double feedOverride = 1.0;  // F, factor on every segment velocity
    double targetVel_dpp = 0;   // Vt: the current segment's velocity, or Ve when braking
    double endVel_dpp = 0;      // Ve: the current segment's end velocity
    double cmdVel_dpp = 0;      // Vc: the velocity commanded in the last step
    int32_t origin_counts[kPathCoords] = {};  // `curpos` of each driven axis at ZEQ_InitPath
    bool initialised = false;                 // set by ZEQ_InitPath, cleared by ZEQ_ExitGroup
    bool segEntered = false;  // Vt, Ve and the arc frame belong to the current segment
    PathSegment seg[kPathSegSlots] = {};
};

}  // namespace zeq::link
