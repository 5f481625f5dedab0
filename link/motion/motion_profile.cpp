// Unit scales, profile settings of the two profile generators (mcs…, pcs…), point-to-point
// moves, smoothing and homing.
#include <cstdint>

#include "motion/motion_common.h"
#include "motion/units.h"

using namespace zeq::link;
using namespace zeq::link::motion;

namespace {

// Handle, axis, FIFO check, then one 16-bit write of a raw value.
int write16(ZEQ_HANDLE h, int address, int value, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam16(h, address, value, axis, selector);
}

enum class Conv { Position, Velocity, Acceleration };

int convert(const DeviceRecord& dev, Conv conv, double x, int axis, int32_t* out) {
    const double s = dist_scale(dev, axis);
    switch (conv) {
        case Conv::Position:
            return to_position(x, s, out);
        case Conv::Velocity:
            return to_velocity(x, s, dev.timeScale, out);
        case Conv::Acceleration:
            return to_acceleration(x, s, dev.timeScale, out);
    }
    return ZEQ_ERR_RANGE;
}

// Handle, axis, conversion of `x` (12 before anything is sent), FIFO check, then the 32-bit
// write of the converted value followed by the 16-bit writes of `then` (address, value pairs).
struct Flag16 {
    int address;
    int value;
};
int write_converted(ZEQ_HANDLE h, Conv conv, double x, int address, int axis, int selector,
                    std::initializer_list<Flag16> before = {},
                    std::initializer_list<Flag16> after = {}) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    int32_t v = 0;
    if ((rc = convert(*dev, conv, x, axis, &v)) != ZEQ_OK) return rc;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    Writes w(h, axis, selector);
    for (const Flag16& f : before) w.p16(f.address, f.value);
    w.p32(address, v);
    for (const Flag16& f : after) w.p16(f.address, f.value);
    return w.rc;
}

// Home sequence word: direction in bit 15, flag A in bit 14, flag B in bit 12, the base code of
// the homing method in the low bits.
int home(ZEQ_HANDLE h, int base, int direction, int flagA, int flagB, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    if (direction != 0 && direction != 1) return ZEQ_ERR_RANGE;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    const int seq =
        direction * 0x8000 | base | (flagA != 0 ? 0x4000 : 0) | (flagB != 0 ? 0x1000 : 0);
    Writes w(h, axis, selector);
    w.p16(reg::homeseq, seq) && w.p16(reg::gohome, kGo);
    return w.rc;
}

}  // namespace

// ---- Unit scales ---------------------------------------------------------------------------

ZEQ_API void ZEQ_SetTimescale(ZEQ_HANDLE h, double t) {
    DeviceRecord* dev = find_device(h);
    if (dev != nullptr && t != 0.0) dev->timeScale = t;
}

ZEQ_API double ZEQ_GetTimescale(ZEQ_HANDLE h) {
    const DeviceRecord* dev = find_device(h);
    return dev != nullptr ? dev->timeScale : 0.0;
}

// The record holds scales for axes 0..15 only; other indexes are ignored.
ZEQ_API void ZEQ_SetDistScale(ZEQ_HANDLE h, double s, int axis) {
    DeviceRecord* dev = find_device(h);
    if (dev != nullptr && axis >= 0 && axis < kMaxScaleAxes) dev->distScale[axis] = s;
}

ZEQ_API double ZEQ_GetDistScale(ZEQ_HANDLE h, int axis) {
    const DeviceRecord* dev = find_device(h);
    if (dev == nullptr || axis < 0 || axis >= kMaxScaleAxes) return 0.0;
    return dev->distScale[axis];
}

// ---- Profile settings ----------------------------------------------------------------------

ZEQ_API int ZEQ_SetMCStrack(ZEQ_HANDLE h, int flag, int axis, int selector) {
    return write16(h, reg::mcstrack, flag != 0 ? 1 : 0, axis, selector);
}
ZEQ_API int ZEQ_SetPCStrack(ZEQ_HANDLE h, int flag, int axis, int selector) {
    return write16(h, reg::pcstrack, flag != 0 ? 1 : 0, axis, selector);
}
ZEQ_API int ZEQ_SetMCStgPos(ZEQ_HANDLE h, double position, int axis, int selector) {
    return write_converted(h, Conv::Position, position, reg::mcstgpos, axis, selector);
}
ZEQ_API int ZEQ_SetPCStgPos(ZEQ_HANDLE h, double position, int axis, int selector) {
    return write_converted(h, Conv::Position, position, reg::pcstgpos, axis, selector);
}
ZEQ_API int ZEQ_SetMCSdist(ZEQ_HANDLE h, double distance, int axis, int selector) {
    return write_converted(h, Conv::Position, distance, reg::mcsdist, axis, selector);
}
ZEQ_API int ZEQ_SetPCSdist(ZEQ_HANDLE h, double distance, int axis, int selector) {
    return write_converted(h, Conv::Position, distance, reg::pcsdist, axis, selector);
}
ZEQ_API int ZEQ_SetMCSmaxvel(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    return write_converted(h, Conv::Velocity, velocity, reg::mcsmaxvel, axis, selector);
}
ZEQ_API int ZEQ_SetPCSmaxvel(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    return write_converted(h, Conv::Velocity, velocity, reg::pcsmaxvel, axis, selector);
}
ZEQ_API int ZEQ_SetMCSaccel(ZEQ_HANDLE h, double acceleration, int axis, int selector) {
    return write_converted(h, Conv::Acceleration, acceleration, reg::mcsaccel, axis, selector);
}
ZEQ_API int ZEQ_SetPCSaccel(ZEQ_HANDLE h, double acceleration, int axis, int selector) {
    return write_converted(h, Conv::Acceleration, acceleration, reg::pcsaccel, axis, selector);
}
ZEQ_API int ZEQ_SetMCSdecel(ZEQ_HANDLE h, double deceleration, int axis, int selector) {
    return write_converted(h, Conv::Acceleration, deceleration, reg::mcsdecel, axis, selector);
}
ZEQ_API int ZEQ_SetPCSdecel(ZEQ_HANDLE h, double deceleration, int axis, int selector) {
    return write_converted(h, Conv::Acceleration, deceleration, reg::pcsdecel, axis, selector);
}
ZEQ_API int ZEQ_SetSmooth(ZEQ_HANDLE h, int smooth, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = check_axes(h, {axis}, &dev);
    if (rc != ZEQ_OK) return rc;
    if (smooth < 0 || smooth > 0xFFFF) return ZEQ_ERR_ARGUMENT;
    if ((rc = ZEQ_CheckFIFONotHalfFull(h, selector)) != ZEQ_OK) return rc;
    return ZEQ_SetParam16(h, reg::smooth, smooth, axis, selector);
}

// ---- Point-to-point moves ------------------------------------------------------------------

ZEQ_API int ZEQ_MCSmove(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::mcsgo, kGo, axis, selector);
}
ZEQ_API int ZEQ_PCSmove(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::pcsgo, kGo, axis, selector);
}
ZEQ_API int ZEQ_MCSstop(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::mcsgo, kStop, axis, selector);
}
ZEQ_API int ZEQ_PCSstop(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::pcsgo, kStop, axis, selector);
}
ZEQ_API int ZEQ_MoveAbsolute(ZEQ_HANDLE h, double position, int axis, int selector) {
    return write_converted(h, Conv::Position, position, reg::mcstgpos, axis, selector, {},
                           {{reg::mcsgo, kGo}});
}
ZEQ_API int ZEQ_MoveRelative(ZEQ_HANDLE h, double distance, int axis, int selector) {
    return write_converted(h, Conv::Position, distance, reg::mcsdist, axis, selector, {},
                           {{reg::mcsgo, kGo}});
}
// The superimposed generator adds its move to the axis; with `shiftmaster` set it shifts the
// phase against the gearing master instead.
ZEQ_API int ZEQ_MoveSuperimposed(ZEQ_HANDLE h, double distance, int axis, int selector) {
    return write_converted(h, Conv::Position, distance, reg::pcsdist, axis, selector,
                           {{reg::shiftmaster, 0}}, {{reg::pcsgo, kGo}});
}
ZEQ_API int ZEQ_Phasing(ZEQ_HANDLE h, double distance, int axis, int selector) {
    return write_converted(h, Conv::Position, distance, reg::pcsdist, axis, selector,
                           {{reg::shiftmaster, 0xFFFF}}, {{reg::pcsgo, kGo}});
}
ZEQ_API int ZEQ_MoveVelocity(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    return write_converted(h, Conv::Velocity, velocity, reg::mcstgvel, axis, selector);
}

// ---- Homing --------------------------------------------------------------------------------

ZEQ_API int ZEQ_HomeSwitch1(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                            int selector) {
    return home(h, 0x005, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeSwitch2(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                            int selector) {
    return home(h, 0x014, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeSwitch3(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                            int selector) {
    return home(h, 0x104, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeSwitchIndex1(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                                 int selector) {
    return home(h, 0x006, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeSwitchIndex2(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                                 int selector) {
    return home(h, 0x024, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeSwitchIndex3(ZEQ_HANDLE h, int direction, int flagA, int flagB, int axis,
                                 int selector) {
    return home(h, 0x204, direction, flagA, flagB, axis, selector);
}
ZEQ_API int ZEQ_HomeIndex(ZEQ_HANDLE h, int direction, int flagB, int axis, int selector) {
    return home(h, 0x007, direction, 0, flagB, axis, selector);
}
ZEQ_API int ZEQ_AbortHoming(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::gohome, kStop, axis, selector);
}
ZEQ_API int ZEQ_SetAtHome(ZEQ_HANDLE h, int axis, int selector) {
    return write16(h, reg::sethome, kGo, axis, selector);
}
ZEQ_API int ZEQ_SetHomeOffset(ZEQ_HANDLE h, double position, int axis, int selector) {
    return write_converted(h, Conv::Position, position, reg::homepos, axis, selector);
}
ZEQ_API int ZEQ_HomeDirect(ZEQ_HANDLE h, double position, int axis, int selector) {
    return write_converted(h, Conv::Position, position, reg::homepos, axis, selector, {},
                           {{reg::sethome, kGo}});
}
ZEQ_API int ZEQ_SetHighVel(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    return write_converted(h, Conv::Velocity, velocity, reg::highvel, axis, selector);
}
ZEQ_API int ZEQ_SetLowVel(ZEQ_HANDLE h, double velocity, int axis, int selector) {
    return write_converted(h, Conv::Velocity, velocity, reg::lowvel, axis, selector);
}
