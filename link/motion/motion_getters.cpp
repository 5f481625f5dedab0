// Getters: read a parameter through the verified read and convert it back to user units. The
// out value is written whatever the read returned (the read leaves its failure value behind);
// the result is the read's code.
#include <cstdint>

#include "motion/motion_common.h"
#include "motion/units.h"

using namespace zeq::link;
using namespace zeq::link::motion;

namespace {

enum class Inverse { Position, Velocity, Acceleration, SynDistance, SynTime };

// Handle, axis, out pointer, FIFO check.
int begin(ZEQ_HANDLE h, const void* out, int axis, int selector, DeviceRecord** dev) {
    int rc = check_axes(h, {axis}, dev);
    if (rc != ZEQ_OK) return rc;
    if (out == nullptr) return ZEQ_ERR_ARGUMENT;
    return ZEQ_CheckFIFONotHalfFull(h, selector);
}

int get(ZEQ_HANDLE h, int address, Inverse inv, double* out, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, out, axis, selector, &dev);
    if (rc != ZEQ_OK) return rc;
    int32_t raw = 0;
    rc = ZEQ_GetParam32(h, address, &raw, axis, selector);
    const double s = dist_scale(*dev, axis);
    const double t = dev->timeScale;
    // `synsrcvar` holds an unsigned count or tick number (1 .. 2^32-1).
    const double unsignedRaw = static_cast<double>(static_cast<uint32_t>(raw));
    switch (inv) {
        case Inverse::Position:
            *out = from_position(raw, s);
            break;
        case Inverse::Velocity:
            *out = from_velocity(raw, s, t);
            break;
        case Inverse::Acceleration:
            *out = from_acceleration(raw, s, t);
            break;
        case Inverse::SynDistance:
            *out = from_position(unsignedRaw, s);
            break;
        case Inverse::SynTime:
            *out = from_syn_time(unsignedRaw, t);
            break;
    }
    return rc;
}

int get_raw(ZEQ_HANDLE h, int address, int* out, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, out, axis, selector, &dev);
    if (rc != ZEQ_OK) return rc;
    int32_t raw = 0;
    rc = ZEQ_GetParam32(h, address, &raw, axis, selector);
    *out = raw;
    return rc;
}

}  // namespace

#define ZEQ_GETTER(NAME, ADDRESS, INVERSE)                                  \
    ZEQ_API int NAME(ZEQ_HANDLE h, double* value, int axis, int selector) { \
        return get(h, ADDRESS, Inverse::INVERSE, value, axis, selector);    \
    }
ZEQ_GETTER(ZEQ_GetCurPos, reg::curpos, Position)
ZEQ_GETTER(ZEQ_GetMCSPos, reg::mcspos, Position)
ZEQ_GETTER(ZEQ_GetPCSPos, reg::pcspos, Position)
ZEQ_GETTER(ZEQ_GetActPos, reg::encp, Position)
ZEQ_GETTER(ZEQ_GetMCStgPos, reg::mcstgpos, Position)
ZEQ_GETTER(ZEQ_GetPCStgPos, reg::pcstgpos, Position)
ZEQ_GETTER(ZEQ_GetSynDist, reg::synsrcvar, SynDistance)
ZEQ_GETTER(ZEQ_GetSynMovedist, reg::slavedist, Position)
ZEQ_GETTER(ZEQ_GetCurvel, reg::curvel, Velocity)
ZEQ_GETTER(ZEQ_GetMCSvel, reg::mcsvel, Velocity)
ZEQ_GETTER(ZEQ_GetPCSvel, reg::pcsvel, Velocity)
ZEQ_GETTER(ZEQ_GetMCSmaxvel, reg::mcsmaxvel, Velocity)
ZEQ_GETTER(ZEQ_GetPCSmaxvel, reg::pcsmaxvel, Velocity)
ZEQ_GETTER(ZEQ_GetHighVel, reg::highvel, Velocity)
ZEQ_GETTER(ZEQ_GetLowVel, reg::lowvel, Velocity)
ZEQ_GETTER(ZEQ_GetActVel, reg::encpvel, Velocity)
ZEQ_GETTER(ZEQ_GetMCSaccel, reg::mcsaccel, Acceleration)
ZEQ_GETTER(ZEQ_GetPCSaccel, reg::pcsaccel, Acceleration)
ZEQ_GETTER(ZEQ_GetMCSdecel, reg::mcsdecel, Acceleration)
ZEQ_GETTER(ZEQ_GetPCSdecel, reg::pcsdecel, Acceleration)
ZEQ_GETTER(ZEQ_GetSynTime, reg::synsrcvar, SynTime)
#undef ZEQ_GETTER

ZEQ_API int ZEQ_GetGearratio(ZEQ_HANDLE h, double* value, int axis, int selector) {
    DeviceRecord* dev = nullptr;
    int rc = begin(h, value, axis, selector, &dev);
    if (rc != ZEQ_OK) return rc;
    int64_t raw = 0;
    rc = ZEQ_GetParam48(h, reg::gearratio, &raw, axis, selector);
    *value = from_gear_ratio(raw);
    return rc;
}

ZEQ_API int ZEQ_GetEncp(ZEQ_HANDLE h, int* value, int axis, int selector) {
    return get_raw(h, reg::encp, value, axis, selector);
}

ZEQ_API int ZEQ_GetEncs(ZEQ_HANDLE h, int* value, int axis, int selector) {
    return get_raw(h, reg::encs, value, axis, selector);
}
