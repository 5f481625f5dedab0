// Multi-axis straight lines. The card has no linear interpolator for this: the axis that
// travels furthest (in counts) becomes the master and runs a point-to-point move; every other
// axis is geared to the master's commanded velocity (`curvel`) with the ratio of the two
// travels, so all axes start, cruise and arrive together.
#include <cmath>
#include <cstdint>

#include "motion/motion_common.h"
#include "motion/units.h"

using namespace zeq::link;
using namespace zeq::link::motion;

namespace {

// `limitCount`: refuse more items than the card has axes (the array form).
int linear(ZEQ_HANDLE h, double velocity, const ZEQ_LINEAR_ITEM* items, int count, int* masterOut,
           int selector, bool limitCount) {
    DeviceRecord* dev = find_device(h);
    if (dev == nullptr) return ZEQ_ERR_HANDLE;
    if (items == nullptr || count <= 0) return ZEQ_ERR_ARGUMENT;
    if (limitCount && count > dev->axisCount) return ZEQ_ERR_ARGUMENT;
    for (int i = 0; i < count; ++i) {
        if (!axis_valid(*dev, items[i].axis)) return ZEQ_ERR_AXIS;
    }

    // Travel in counts per item; the first of equal magnitudes stays master.
    int m = 0;
    double pMaster = items[0].distance * dist_scale(*dev, items[0].axis);
    for (int i = 1; i < count; ++i) {
        const double p = items[i].distance * dist_scale(*dev, items[i].axis);
        if (std::fabs(p) > std::fabs(pMaster)) {
            m = i;
            pMaster = p;
        }
    }
    if (pMaster == 0.0 || std::isnan(pMaster)) return ZEQ_ERR_ARGUMENT;  // nothing moves
    const int master = items[m].axis;

    int rc = ZEQ_CheckFIFONotHalfFull(h, selector);
    if (rc != ZEQ_OK) return rc;
    if (masterOut != nullptr) *masterOut = master;

    int32_t vel = 0;
    if ((rc = to_velocity(velocity, dist_scale(*dev, master), dev->timeScale, &vel)) != ZEQ_OK) {
        return rc;
    }
    if ((rc = ZEQ_SetParam32(h, reg::mcsmaxvel, vel, master, selector)) != ZEQ_OK) return rc;

    for (int i = 0; i < count; ++i) {
        if (i == m) continue;
        const int axis = items[i].axis;
        if (!axis_valid(*dev, axis) || !axis_valid(*dev, master)) return ZEQ_ERR_AXIS;
        if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
        const double p = items[i].distance * dist_scale(*dev, axis);
        Writes w(h, axis, selector);
        int64_t ratio = 0;
        w.p16(reg::master, master) && w.check(to_gear_ratio(p / pMaster, &ratio)) &&
            w.p48(reg::gearratio, ratio) && w.p16(reg::gearsrc, reg::curvel) &&
            w.p16(reg::engear, kGo);
        if (w.rc != ZEQ_OK) return w.rc;
    }

    int32_t dist = 0;
    if ((rc = to_position(items[m].distance, dist_scale(*dev, master), &dist)) != ZEQ_OK) {
        return rc;
    }
    Writes w(h, master, selector);
    w.p32(reg::mcsdist, dist) && w.p16(reg::mcsgo, kGo);
    return w.rc;
}

}  // namespace

ZEQ_API int ZEQ_LinearNA(ZEQ_HANDLE h, double velocity, const ZEQ_LINEAR_ITEM* items, int count,
                         int* master, int selector) {
    return linear(h, velocity, items, count, master, selector, true);
}

ZEQ_API int ZEQ_Linear2A(ZEQ_HANDLE h, double velocity, double d0, int a0, double d1, int a1,
                         int* master, int selector) {
    const ZEQ_LINEAR_ITEM items[] = {{d0, a0}, {d1, a1}};
    return linear(h, velocity, items, 2, master, selector, false);
}

ZEQ_API int ZEQ_Linear3A(ZEQ_HANDLE h, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, int* master, int selector) {
    const ZEQ_LINEAR_ITEM items[] = {{d0, a0}, {d1, a1}, {d2, a2}};
    return linear(h, velocity, items, 3, master, selector, false);
}

ZEQ_API int ZEQ_Linear4A(ZEQ_HANDLE h, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, int* master, int selector) {
    const ZEQ_LINEAR_ITEM items[] = {{d0, a0}, {d1, a1}, {d2, a2}, {d3, a3}};
    return linear(h, velocity, items, 4, master, selector, false);
}

ZEQ_API int ZEQ_Linear5A(ZEQ_HANDLE h, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, double d4, int a4, int* master,
                         int selector) {
    const ZEQ_LINEAR_ITEM items[] = {{d0, a0}, {d1, a1}, {d2, a2}, {d3, a3}, {d4, a4}};
    return linear(h, velocity, items, 5, master, selector, false);
}

ZEQ_API int ZEQ_Linear6A(ZEQ_HANDLE h, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, double d4, int a4, double d5, int a5,
                         int* master, int selector) {
    const ZEQ_LINEAR_ITEM items[] = {{d0, a0}, {d1, a1}, {d2, a2}, {d3, a3}, {d4, a4}, {d5, a5}};
    return linear(h, velocity, items, 6, master, selector, false);
}
