// Shared pieces of the motion commands: the card parameters they write, the argument checks
// every command starts with, and a write sequence that stops at the first failure.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "card/registers.h"
#include "transport/device.h"
#include "zeqlink.h"

namespace zeq::link::motion {

// Card parameters (address on each axis) written or read by the motion commands.
namespace reg = card::reg;

constexpr int kGo = 0xFFFF;  // flag words: start
constexpr int kStop = 0;     // flag words: stop

// True for an axis the record can address: 0 .. axis count - 1, and within the 16 distance
// scales of the record (a card reporting more axes cannot have scales for them).
bool axis_valid(const DeviceRecord& dev, int axis);

// The common start of a command: ZEQ_ERR_HANDLE for an unknown handle, ZEQ_ERR_AXIS when any of
// `axes` is invalid; *dev is set on success.
int check_axes(ZEQ_HANDLE handle, std::initializer_list<int> axes, DeviceRecord** dev);

// Distance scale of a valid axis.
inline double dist_scale(const DeviceRecord& dev, int axis) {
    return dev.distScale[axis];
}

// Parameter writes of one command on one axis and selector. Each call does nothing once a
// write or check has failed; `rc` holds the first failure. Use as
//   Writes w(h, axis, sel); w.p16(...) && w.check(conv(...)) && w.p32(...); return w.rc;
struct Writes {
    ZEQ_HANDLE handle;
    int axis;
    int selector;
    int rc = ZEQ_OK;

    Writes(ZEQ_HANDLE h, int a, int sel) : handle(h), axis(a), selector(sel) {}
    bool check(int code) {
        if (rc == ZEQ_OK) rc = code;
        return rc == ZEQ_OK;
    }
    bool p16(int address, int value) {
        return rc == ZEQ_OK && check(ZEQ_SetParam16(handle, address, value, axis, selector));
    }
    bool p32(int address, int32_t value) {
        return rc == ZEQ_OK && check(ZEQ_SetParam32(handle, address, value, axis, selector));
    }
    bool p48(int address, int64_t value) {
        return rc == ZEQ_OK && check(ZEQ_SetParam48(handle, address, value, axis, selector));
    }
    // The gear-sync step: with the flag set `syntype` <- 0 and then the flag word <- go; with
    // it clear only the flag word <- stop.
    bool gear_sync(bool set) {
        if (set) return p16(reg::syntype, 0) && p16(reg::gearsync, kGo);
        return p16(reg::gearsync, kStop);
    }
};

// Source-type enumerators: the card address of the quantity that drives gearing or
// synchronisation. -1 for an enumerator the command does not accept.
int gear_source_address(int enumerator);                  // 0..4
int syn_source_address(int enumerator, bool allowTicks);  // 0..4, and 5 (`ticks`) if allowed

}  // namespace zeq::link::motion
