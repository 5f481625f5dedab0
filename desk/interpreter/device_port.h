// What the interpreter needs from the device side: the guard wrappers of the bound device
// library, addressed by the handle taken from the board table at the moment of each call.
// The binding implements it (BindingDevicePort); tests plug in a recording fake.
#pragma once

#include <cstdint>
#include <span>

namespace zeq::desk {

// One converted script argument: doubles stay doubles, integers are already truncated.
struct DeviceArg {
    enum Kind : char { Real = 'd', Integer = 'i', Pointer = 'p' };
    double d = 0.0;
    std::int64_t i = 0;
    Kind kind = Integer;
    static DeviceArg real(double v) { return {v, 0, Real}; }
    static DeviceArg integer(std::int64_t v) { return {0.0, v, Integer}; }
    static DeviceArg pointer(const void* p) {
        return {0.0, static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(p)), Pointer};
    }
    int i32() const { return static_cast<int>(i); }
    const void* ptr() const { return reinterpret_cast<const void*>(static_cast<std::intptr_t>(i)); }
};

// Values a built-in hands back besides its status.
struct DeviceOut {
    double d = 0.0;
    std::int32_t i = 0;
};

// One axis of the card's machine data table.
struct AxisMachineData {
    std::int32_t encp = 0;
    std::uint16_t moving = 0;
    std::uint16_t error = 0;
    std::uint16_t aio = 0;
};

class DevicePort {
  public:
    virtual ~DevicePort() = default;

    // Parameter services. `queue` selects the Q wrappers (queue FIFO) over the plain ones.
    virtual int writeParam16(std::uint32_t h, int axis, int address, int value, bool queue) = 0;
    virtual int writeParam32(std::uint32_t h, int axis, int address, int value, bool queue) = 0;
    virtual int writeParam48(std::uint32_t h, int axis, int address, std::int64_t value,
                             bool queue) = 0;
    // Reads store the status through `status` / return it; values as the card holds them.
    virtual int readParam16(std::uint32_t h, int axis, int address, int* status, bool queue) = 0;
    virtual int readParam32(std::uint32_t h, int axis, int address, int* status, bool queue) = 0;
    virtual int readParam48(std::uint32_t h, int axis, int address, std::int64_t* value,
                            bool queue) = 0;
    // WaitForQCDFIFONotHalfFull / WaitForICDFIFONotHalfFull.
    virtual int waitFifoNotHalfFull(std::uint32_t h, bool queue) = 0;
    // myWriteWaitToken / myWriteWaitToZeroQ (axis, parameter address).
    virtual int writeWaitToken(std::uint32_t h, int axis, int address) = 0;
    virtual int writeWaitToZero(std::uint32_t h, int axis, int address) = 0;

    // Groups and contour data.
    virtual int enableGroup(std::uint32_t h, int enable, int fifo) = 0;  // myEnableGrou
    virtual int exitGroup(std::uint32_t h, int fifo) = 0;                // myExitGrou
    virtual int setGroupAxisNum(std::uint32_t h, int count, int fifo) = 0;
    virtual int putContourData(std::uint32_t h, const std::int16_t* words, int count) = 0;
    virtual int executePath(std::uint32_t h) = 0;  // ExecutePath: 22 while not finished
    // MyGetMCData: fills axes 0..3 of the machine data table.
    virtual int getMachineData(std::uint32_t h, AxisMachineData (&axes)[4]) = 0;
    // ZEQ_PathAddEvent with `count` 24-byte entries.
    virtual int pathAddEvent(std::uint32_t h, const void* entries, int count) = 0;

    // The built-in whose keyword code is `code` (motion, path, getters, event instructions,
    // path FIFO functions), with the script's arguments in script order. `fifo` is -1 for the
    // functions that take no FIFO selector. Results besides the status go to `out`.
    virtual int builtin(int code, std::uint32_t h, std::span<const DeviceArg> args, int fifo,
                        DeviceOut& out) = 0;

    // Axis count of a board (for contour files); a default when the card was not asked.
    virtual int axisCount(int board) = 0;

    // The deferred read-back of the queue FIFO, for a read whose command the card answers only
    // after a queued wait. queuedReplyWaiting: 0 when a reply waits in the queue's read-back
    // FIFO, 24 while none does (one exchange of the library). takeQueuedReply: the reply of the
    // read of (axis, address) in `words` 16-bit words (1, 2, 3), checked against that read's
    // command word (13 when it answers another read); the 16-bit value unsigned, the 48-bit one
    // sign-extended. kNoDeferredRead when the device side cannot collect replies.
    static constexpr int kNoDeferredRead = -1;
    virtual int queuedReplyWaiting(std::uint32_t /*h*/) { return kNoDeferredRead; }
    virtual int takeQueuedReply(std::uint32_t /*h*/, int /*axis*/, int /*address*/, int /*words*/,
                                std::int64_t* /*value*/) {
        return kNoDeferredRead;
    }
};

}  // namespace zeq::desk
