// Electronic gearing and synchronised moves. The card gears an axis to a source quantity
// (`gearsrc`) of a master axis with an S16.32 ratio; a synchronised start waits until the
// source (`synsrc` of `synaxis`) has travelled `synsrcvar` counts or ticks.
#include <cstdint>

#include "motion/motion_common.h"
#include "motion/units.h"

using namespace zeq::link;
using namespace zeq::link::motion;

namespace {

// Handle, axes, FIFO check; the caller then writes.
int begin(ZEQ_HANDLE h, std::initializer_list<int> axes, int selector, DeviceRecord** dev) {
    int rc = check_axes(h, axes, dev);
    if (rc != ZEQ_OK) return rc;
    return ZEQ_CheckFIFONotHalfFull(h, selector);
}

int as_int(uint32_t v) {
    return static_cast<int32_t>(v);
}

// An enumerator the command does not accept: ZEQ_ERR_ARGUMENT, else its card address.
int source_or_error(int address, int* out) {
    if (address < 0) return ZEQ_ERR_ARGUMENT;
    *out = address;
    return ZEQ_OK;
}

// The first three writes of every gearing command: ratio, master, gear source.
bool gear_head(Writes& w, int64_t ratio, int master, int gearSourceEnum) {
    int src = 0;
    return w.p48(reg::gearratio, ratio) && w.p16(reg::master, master) &&
           w.check(source_or_error(gear_source_address(gearSourceEnum), &src)) &&
           w.p16(reg::gearsrc, src);
}

}  // namespace

ZEQ_API int ZEQ_SetGearratio(ZEQ_HANDLE h, double ratio, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    int64_t r = 0;
    if ((rc = to_gear_ratio(ratio, &r)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam48(h, reg::gearratio, r, axis, selector);
}

ZEQ_API int ZEQ_SetGearSync(ZEQ_HANDLE h, int flag, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, {axis}, selector, &dev);
    if (rc != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    w.gear_sync((flag & 0xFF) != 0);
    return w.rc;
}

ZEQ_API int ZEQ_Gearin(ZEQ_HANDLE h, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, {axis}, selector, &dev);
    return rc != ZEQ_OK ? rc : ZEQ_SetParam16(h, reg::engear, kGo, axis, selector);
}

ZEQ_API int ZEQ_Gearout(ZEQ_HANDLE h, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, {axis}, selector, &dev);
    return rc != ZEQ_OK ? rc : ZEQ_SetParam16(h, reg::engear, kStop, axis, selector);
}

ZEQ_API int ZEQ_SetGearoutVel(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    int32_t v = 0;
    if ((rc = to_velocity(velocity, dist_scale(*dev, axis), dev->timeScale, &v)) != ZEQ_OK) {
        return rc;
    }
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam32(h, reg::gearoutvel, v, axis, selector);
}

ZEQ_API int ZEQ_SetGearMaster(ZEQ_HANDLE h, int master, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, {axis, master}, selector, &dev);
    return rc != ZEQ_OK ? rc : ZEQ_SetParam16(h, reg::master, master, axis, selector);
}

ZEQ_API int ZEQ_SetGearSourceType(ZEQ_HANDLE h, int type, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    const int src = gear_source_address(type);
    if (src < 0) return ZEQ_ERR_ARGUMENT;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam16(h, reg::gearsrc, src, axis, selector);
}

ZEQ_API int ZEQ_SetSynSourceType(ZEQ_HANDLE h, int type, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    const int src = syn_source_address(type, true);
    if (src < 0) return ZEQ_ERR_ARGUMENT;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam16(h, reg::synsrc, src, axis, selector);
}

// The source axis is the card's business here (it is only stored), so it is not checked.
ZEQ_API int ZEQ_SetSynAxis(ZEQ_HANDLE h, int sourceAxis, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, {axis}, selector, &dev);
    return rc != ZEQ_OK ? rc : ZEQ_SetParam16(h, reg::synaxis, sourceAxis, axis, selector);
}

ZEQ_API int ZEQ_SetSynDist(ZEQ_HANDLE h, double distance, int sourceAxis, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, sourceAxis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t v = 0;
    if ((rc = to_syn_distance(distance, dist_scale(*dev, sourceAxis), &v)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam32(h, reg::synsrcvar, as_int(v), axis, selector);
}

ZEQ_API int ZEQ_SetSynTime(ZEQ_HANDLE h, double time, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t v = 0;
    if ((rc = to_syn_time(time, dev->timeScale, &v)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam32(h, reg::synsrcvar, as_int(v), axis, selector);
}

// ---- Composite gearing commands ------------------------------------------------------------
// The first value is range-checked before anything is sent; every later value only when its
// write is reached, so a bad later value leaves the earlier writes done.

ZEQ_API int ZEQ_GearFree(ZEQ_HANDLE h, double ratio, int master, int gearSource, int axis,
                         int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, master}, &dev);
    if (rc != ZEQ_OK) return rc;
    int64_t r = 0;
    if ((rc = to_gear_ratio(ratio, &r)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    gear_head(w, r, master, gearSource) && w.gear_sync(false) && w.p16(reg::engear, kGo);
    return w.rc;
}

// A hand wheel is geared through the velocity of the secondary encoder (`encsvel`).
ZEQ_API int ZEQ_HandWheel(ZEQ_HANDLE h, double ratio, int master, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, master}, &dev);
    if (rc != ZEQ_OK) return rc;
    int64_t r = 0;
    if ((rc = to_gear_ratio(ratio, &r)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    w.p48(reg::gearratio, r) && w.p16(reg::master, master) && w.p16(reg::gearsrc, reg::encsvel) &&
        w.gear_sync(false) && w.p16(reg::engear, kGo);
    return w.rc;
}

// The source axis is not checked against the axis count, but its distance scale must exist.
ZEQ_API int ZEQ_GearInDist(ZEQ_HANDLE h, double ratio, int master, int gearSource, int sourceAxis,
                           int synSource, double sourceDistance, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, master}, &dev);
    if (rc != ZEQ_OK) return rc;
    if (sourceAxis < 0 || sourceAxis >= kMaxScaleAxes) return ZEQ_ERR_AXIS;
    int64_t r = 0;
    if ((rc = to_gear_ratio(ratio, &r)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    int syn = 0;
    uint32_t dist = 0;
    gear_head(w, r, master, gearSource) && w.p16(reg::synaxis, sourceAxis) &&
        w.check(source_or_error(syn_source_address(synSource, false), &syn)) &&
        w.p16(reg::synsrc, syn) &&
        w.check(to_syn_distance(sourceDistance, dev->distScale[sourceAxis], &dist)) &&
        w.p32(reg::synsrcvar, as_int(dist)) && w.p16(reg::syntype, 0) && w.gear_sync(true) &&
        w.p16(reg::engear, kGo);
    return w.rc;
}

ZEQ_API int ZEQ_GearInTime(ZEQ_HANDLE h, double ratio, int master, int gearSource, double time,
                           int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, master}, &dev);
    if (rc != ZEQ_OK) return rc;
    int64_t r = 0;
    if ((rc = to_gear_ratio(ratio, &r)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    uint32_t ticks = 0;
    gear_head(w, r, master, gearSource) && w.p16(reg::synsrc, reg::ticks) &&
        w.check(to_syn_time(time, dev->timeScale, &ticks)) &&
        w.p32(reg::synsrcvar, as_int(ticks)) && w.p16(reg::syntype, 0) && w.gear_sync(true) &&
        w.p16(reg::engear, kGo);
    return w.rc;
}

// ---- Synchronised moves --------------------------------------------------------------------
// `syntype` 0xFFFF: the slave moves `slavedist` while the source travels `synsrcvar`;
// `syntype` 0: the slave reaches `mcstgvel` while the source travels `synsrcvar`.

ZEQ_API int ZEQ_MoveInTime(ZEQ_HANDLE h, double time, double distance, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t ticks = 0;
    if ((rc = to_syn_time(time, dev->timeScale, &ticks)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    int32_t slave = 0;
    w.gear_sync(true) && w.p16(reg::syntype, 0xFFFF) && w.p16(reg::synsrc, reg::ticks) &&
        w.p32(reg::synsrcvar, as_int(ticks)) &&
        w.check(to_slave_distance(distance, dist_scale(*dev, axis), &slave)) &&
        w.p32(reg::slavedist, slave);
    return w.rc;
}

ZEQ_API int ZEQ_MoveInDist(ZEQ_HANDLE h, double sourceDistance, int sourceAxis, double distance,
                           int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, sourceAxis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t src = 0;
    if ((rc = to_syn_distance(sourceDistance, dist_scale(*dev, sourceAxis), &src)) != ZEQ_OK) {
        return rc;
    }
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    int32_t slave = 0;
    w.gear_sync(true) && w.p16(reg::syntype, 0xFFFF) && w.p16(reg::synsrc, reg::curpos) &&
        w.p16(reg::synaxis, sourceAxis) && w.p32(reg::synsrcvar, as_int(src)) &&
        w.check(to_slave_distance(distance, dist_scale(*dev, axis), &slave)) &&
        w.p32(reg::slavedist, slave);
    return w.rc;
}

ZEQ_API int ZEQ_TgvelInTime(ZEQ_HANDLE h, double time, double velocity, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t ticks = 0;
    if ((rc = to_syn_time(time, dev->timeScale, &ticks)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    int32_t vel = 0;
    w.gear_sync(true) && w.p16(reg::syntype, 0) && w.p16(reg::synsrc, reg::ticks) &&
        w.p32(reg::synsrcvar, as_int(ticks)) &&
        w.check(to_velocity(velocity, dist_scale(*dev, axis), dev->timeScale, &vel)) &&
        w.p32(reg::mcstgvel, vel);
    return w.rc;
}

ZEQ_API int ZEQ_TgvelInDist(ZEQ_HANDLE h, double sourceDistance, int sourceAxis, double velocity,
                            int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis, sourceAxis}, &dev);
    if (rc != ZEQ_OK) return rc;
    uint32_t src = 0;
    if ((rc = to_syn_distance(sourceDistance, dist_scale(*dev, sourceAxis), &src)) != ZEQ_OK) {
        return rc;
    }
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    int32_t vel = 0;
    w.gear_sync(true) && w.p16(reg::syntype, 0) && w.p16(reg::synsrc, reg::curpos) &&
        w.p16(reg::synaxis, sourceAxis) && w.p32(reg::synsrcvar, as_int(src)) &&
        w.check(to_velocity(velocity, dist_scale(*dev, axis), dev->timeScale, &vel)) &&
        w.p32(reg::mcstgvel, vel);
    return w.rc;
}
