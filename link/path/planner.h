// The host-side path planner core: segment geometry and the per-period interpolation, working
// on a PathState alone. It knows nothing of devices; the exports in path_api.cpp give it the
// distance scales of the mapped axes and a sink that carries contour blocks to the card.
#pragma once

#include <cstdint>

#include "path/path_state.h"

namespace zeq::link {

// Counts per user unit of each path coordinate (the distance scale of its mapped axis).
struct PathScales {
    double countsPerD[kPathCoords] = {1.0, 1.0, 1.0};
};

// Receives one contour block of 1..126 words. Returns 0 when the card took it, 8 when its
// contour FIFO is full (the words stay pending), any other code on a failure.
class ContourSink {
  public:
    virtual ~ContourSink() = default;
    virtual int put(const int16_t* words, int count) = 0;
};

// Clears the run state for a new path (ZEQ_InitPath step 1); the rates, the feed override,
// the corner limit and the end flag stay.
void path_reset_run(PathState& st);
// Empties the segment list (L, s, u, count and both indexes).
void path_clear_segments(PathState& st);

// Appends a line to end_d / an arc to end_d about centre_d, counter-clockwise about normal.
// 0, or 16 list full, 17 sharp corner after a line, 18 bad arc, 19 zero length (or a
// non-finite value). A refused segment is not counted, though its slot was written.
int path_add_line(PathState& st, const double end_d[3], double vel_dps, double endVel_dps);
int path_add_arc(PathState& st, const double end_d[3], const double centre_d[3],
                 const double normal[3], double vel_dps, double endVel_dps);

// Result of one interpolation step.
enum class StepResult {
    Point,   // the words of the driven coordinates were produced
    End,     // the path's end was signalled; no words
    TooFar,  // an increment broke the one-step bound or the 16-bit range: nothing produced
};

// One interpolation period: advances the path and writes the increments of the driven
// coordinates (X, Y, Z order) to words, their number to *count.
StepResult path_step(PathState& st, const PathScales& scales, int16_t* words, int* count);

// The body of ZEQ_InterpolatePath: plans up to one contour block and hands it to the sink.
// 0 path finished, 22 call again, 7 no acceleration set, 20, 21, or the sink's code.
int path_interpolate(PathState& st, const PathScales& scales, ContourSink& sink);

// Steps per call, so that one call yields at most 126 words.
int path_steps_per_call(const PathState& st);

}  // namespace zeq::link
