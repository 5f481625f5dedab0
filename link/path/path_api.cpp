// The path planner exports: device-side set-up (group mapping, origin, positions), the rates
// and segment lists, and ZEQ_InterpolatePath feeding the planner core's blocks to the card.
#include <cmath>

#include "path/group.h"
#include "path/path_state.h"
#include "path/planner.h"
#include "transport/engine.h"
#include "zeqlink.h"

namespace zeq::link {
namespace {

constexpr double kDegToRad = 0.017453292519943;
constexpr double kTolCounts = 20.0;  // the length tolerance: 20 counts in user units

PathState* path_of(ZEQ_HANDLE handle, DeviceRecord** dev = nullptr) {
    DeviceRecord* d = find_device(handle);
    if (dev) *dev = d;
    return device_path(d);
}

PathScales scales_of(const DeviceRecord& dev, const PathState& st) {
    PathScales sc;
    for (int c = 0; c < kPathCoords; ++c) {
        const int axis = st.axisMap[c];
        sc.countsPerD[c] = (axis >= 0 && axis < kMaxScaleAxes) ? dev.distScale[axis] : 0.0;
    }
    return sc;
}

// Sends the planner's blocks to the card's contour port.
class DeviceSink final : public ContourSink {
  public:
    explicit DeviceSink(ZEQ_HANDLE handle) : handle_(handle) {}
    int put(const int16_t* words, int count) override {
        return ZEQ_PutContourData(handle_, words, count);
    }

  private:
    ZEQ_HANDLE handle_;
};

template <typename T>
T give(T value, T* out) {
    if (out) *out = value;
    return value;
}

// Last position (or origin) of coordinate c in user units; 0 when it is not driven.
double coord_value(ZEQ_HANDLE handle, int c, bool origin, double* out) {
    DeviceRecord* dev = nullptr;
    PathState* st = path_of(handle, &dev);
    if (!st) return give(double{ZEQ_ERR_HANDLE}, out);
    const int axis = st->axisMap[c];
    if (axis < 0 || axis >= kMaxScaleAxes || dev->distScale[axis] == 0) return give(0.0, out);
    const int32_t counts = origin ? st->origin_counts[c] : st->lastPos_counts[c];
    return give(counts / dev->distScale[axis], out);
}

}  // namespace
}  // namespace zeq::link

using namespace zeq::link;

ZEQ_API int ZEQ_InitPath(ZEQ_HANDLE handle, int xAxis, int yAxis, int zAxis, int selector) {
    DeviceRecord* dev = nullptr;
    PathState* st = path_of(handle, &dev);
    if (!st) return ZEQ_ERR_HANDLE;
    path_reset_run(*st);

    const int16_t map[kPathCoords] = {static_cast<int16_t>(xAxis), static_cast<int16_t>(yAxis),
                                      static_cast<int16_t>(zAxis)};
    if (map[0] < 0) return ZEQ_ERR_ARGUMENT;
    for (int c = 0; c < kPathCoords; ++c)
        if (map[c] >= dev->axisCount) return ZEQ_ERR_AXIS;
    for (int c = 0; c < kPathCoords; ++c) st->axisMap[c] = map[c] < 0 ? int16_t{-1} : map[c];

    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    if (int rc = ZEQ_SetParam16(handle, reg::startgroup, 0, 0, selector)) return rc;
    if (int rc = ZEQ_SetParam16(handle, reg::cfifocnt, 0, 0, selector)) return rc;
    // The card plays the words of a period in group-letter order, and the planner emits them in
    // X, Y, Z order of the driven coordinates: the n-th driven coordinate is group letter n.
    int n = 0;
    for (int c = 0; c < kPathCoords; ++c) {
        if (st->axisMap[c] < 0) continue;
        if (int rc = ZEQ_SetParam16(handle, reg::group_x + n, st->axisMap[c], 0, selector))
            return rc;
        ++n;
    }
    if (int rc = ZEQ_SetParam16(handle, reg::groupnum, n, 0, selector)) return rc;
    for (int c = 0; c < kPathCoords; ++c) {
        st->origin_counts[c] = 0;
        if (st->axisMap[c] < 0) continue;
        int32_t pos = 0;
        if (int rc = ZEQ_GetParam32(handle, reg::curpos, &pos, st->axisMap[c], selector)) return rc;
        st->origin_counts[c] = pos;
    }
    if (n > 0) st->initialised = true;
    return ZEQ_OK;
}

ZEQ_API int SetPartCartesianSys(ZEQ_HANDLE handle, double sx, double sy, double sz) {
    DeviceRecord* dev = nullptr;
    PathState* st = path_of(handle, &dev);
    if (!st) return ZEQ_ERR_HANDLE;
    for (int i = 0; i < 3; ++i) st->seg[0].start_d[i] = 0.0;
    for (int c = 0; c < kPathCoords; ++c) st->lastPos_counts[c] = 0;
    const double scale[kPathCoords] = {sx, sy, sz};
    for (int c = 0; c < kPathCoords; ++c) {
        if (st->axisMap[c] < 0) continue;
        if (!(std::fabs(scale[c]) >= 1) || !std::isfinite(scale[c])) return ZEQ_ERR_ARGUMENT;
    }
    double eps = 0;
    for (int c = 0; c < kPathCoords; ++c) {
        const int axis = st->axisMap[c];
        if (axis < 0) continue;
        if (axis < kMaxScaleAxes) dev->distScale[axis] = scale[c];
        eps = std::fmax(eps, std::fabs(kTolCounts / scale[c]));
    }
    st->lenTol_d = eps;
    return ZEQ_OK;
}

ZEQ_API void ZEQ_SetInterpFreq(ZEQ_HANDLE handle, double freq) {
    PathState* st = path_of(handle);
    if (st && freq > 0 && std::isfinite(freq)) st->interpFreq_hz = freq;
}

ZEQ_API void ZEQ_SetPathAccel(ZEQ_HANDLE handle, double accel) {
    PathState* st = path_of(handle);
    if (!st || !(accel > 0)) return;
    const double a = accel / st->interpFreq_hz / st->interpFreq_hz;
    if (std::isfinite(a) && a > 0) st->accel_dpp2 = a;
}

ZEQ_API void ZEQ_SetPathDecel(ZEQ_HANDLE handle, double decel) {
    PathState* st = path_of(handle);
    if (!st || !(decel > 0)) return;
    const double d = decel / st->interpFreq_hz / st->interpFreq_hz;
    if (std::isfinite(d) && d > 0) st->decel_dpp2 = d;
}

ZEQ_API void ZEQ_SetFeedOverride(ZEQ_HANDLE handle, double feed) {
    PathState* st = path_of(handle);
    if (st && feed >= 0 && std::isfinite(feed)) st->feedOverride = feed;
}

ZEQ_API void ZEQ_SetSegAngle(ZEQ_HANDLE handle, double degrees) {
    PathState* st = path_of(handle);
    if (st && degrees > 0 && std::isfinite(degrees))
        st->cornerLimit = std::cos(degrees * kDegToRad);
}

ZEQ_API int ZEQ_ClearSegList(ZEQ_HANDLE handle) {
    PathState* st = path_of(handle);
    if (!st) return ZEQ_ERR_HANDLE;
    path_clear_segments(*st);
    return ZEQ_OK;
}

ZEQ_API int ZEQ_AddLine3(ZEQ_HANDLE handle, double x, double y, double z, double vel,
                         double endVel) {
    PathState* st = path_of(handle);
    if (!st) return ZEQ_ERR_HANDLE;
    const double end[3] = {x, y, z};
    return path_add_line(*st, end, vel, endVel);
}

ZEQ_API int ZEQ_AddLine(ZEQ_HANDLE handle, double x, double y, double vel, double endVel) {
    return ZEQ_AddLine3(handle, x, y, 0.0, vel, endVel);
}

ZEQ_API int ZEQ_AddArc3(ZEQ_HANDLE handle, double ex, double ey, double ez, double cx, double cy,
                        double cz, double nx, double ny, double nz, double vel, double endVel) {
    PathState* st = path_of(handle);
    if (!st) return ZEQ_ERR_HANDLE;
    const double end[3] = {ex, ey, ez};
    const double centre[3] = {cx, cy, cz};
    const double normal[3] = {nx, ny, nz};
    return path_add_arc(*st, end, centre, normal, vel, endVel);
}

ZEQ_API int ZEQ_AddArc(ZEQ_HANDLE handle, double ex, double ey, double cx, double cy, int direction,
                       double vel, double endVel) {
    return ZEQ_AddArc3(handle, ex, ey, 0.0, cx, cy, 0.0, 0.0, 0.0, direction > 0 ? 1.0 : -1.0, vel,
                       endVel);
}

ZEQ_API int ZEQ_InterpolatePath(ZEQ_HANDLE handle) {
    DeviceRecord* dev = nullptr;
    PathState* st = path_of(handle, &dev);
    if (!st) return ZEQ_ERR_HANDLE;
    DeviceSink sink(handle);
    return path_interpolate(*st, scales_of(*dev, *st), sink);
}

ZEQ_API int ZEQ_UpdatePathPos(ZEQ_HANDLE handle, int selector) {
    PathState* st = path_of(handle);
    if (!st) return ZEQ_ERR_HANDLE;
    if (!st->initialised) return ZEQ_ERR_PATH_NOT_INIT;
    if (int rc = ZEQ_CheckFIFONotHalfFull(handle, selector)) return rc;
    for (int c = 0; c < kPathCoords; ++c) {
        if (st->axisMap[c] < 0) continue;
        int32_t pos = 0;
        if (int rc = ZEQ_GetParam32(handle, reg::curpos, &pos, st->axisMap[c], selector)) return rc;
        st->lastPos_counts[c] = static_cast<int32_t>(int64_t{pos} - st->origin_counts[c]);
    }
    return ZEQ_OK;
}

ZEQ_API int ZEQ_GetSegNum(ZEQ_HANDLE handle, int* out) {
    PathState* st = path_of(handle);
    return give(st ? static_cast<int>(st->segCount) : -1, out);
}

ZEQ_API int ZEQ_GetCurSegPt(ZEQ_HANDLE handle, int* out) {
    PathState* st = path_of(handle);
    return give(st ? static_cast<int>(st->curIndex) : -1, out);
}

ZEQ_API int ZEQ_GetRearSegPt(ZEQ_HANDLE handle, int* out) {
    PathState* st = path_of(handle);
    return give(st ? static_cast<int>(st->writeIndex) : -1, out);
}

ZEQ_API double ZEQ_GetPathLen(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->total_d : -1.0, out);
}

ZEQ_API double ZEQ_GetPathVel(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->vel_dpp * st->interpFreq_hz : -1.0, out);
}

ZEQ_API double ZEQ_GetPathAccel(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->accel_dpp2 * st->interpFreq_hz * st->interpFreq_hz : -1.0, out);
}

ZEQ_API double ZEQ_GetPathDecel(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->decel_dpp2 * st->interpFreq_hz * st->interpFreq_hz : -1.0, out);
}

ZEQ_API double ZEQ_GetFeedOverride(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->feedOverride : 0.0, out);
}

ZEQ_API double ZEQ_GetInterpFreq(ZEQ_HANDLE handle, double* out) {
    PathState* st = path_of(handle);
    return give(st ? st->interpFreq_hz : double{ZEQ_ERR_HANDLE}, out);
}

ZEQ_API double ZEQ_GetPathX(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 0, false, out);
}
ZEQ_API double ZEQ_GetPathY(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 1, false, out);
}
ZEQ_API double ZEQ_GetPathZ(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 2, false, out);
}
ZEQ_API double ZEQ_GetPathOrgX(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 0, true, out);
}
ZEQ_API double ZEQ_GetPathOrgY(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 1, true, out);
}
ZEQ_API double ZEQ_GetPathOrgZ(ZEQ_HANDLE handle, double* out) {
    return coord_value(handle, 2, true, out);
}
