// The bridge interface: the D2XX-shaped calls the transport makes on a USB bridge, with the
// same FT_ status numbers (ZEQ_FT_* in zeqlink.h). A Backend enumerates and opens devices of one
// kind (virtual cards, libftdi1, FTDI's own driver); a Port is one opened device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zeqlink.h"

namespace zeq::bridge {

using Status = uint32_t;  // a ZEQ_FT_* value

struct DeviceInfo {
    std::string description;  // product description, e.g. "ZEQ-SIM0"
    std::string serial;       // serial number text
    uint32_t location = 0;    // location id
};

// One opened bridge device. The transport calls a Port from one thread at a time for a given
// device exchange; a Port must never block longer than its time-outs, and must tolerate any
// call after close() by returning ZEQ_FT_INVALID_HANDLE.
class Port {
  public:
    virtual ~Port() = default;
    // Reads up to `count` bytes; *got receives the bytes read (fewer on a time-out).
    virtual Status read(void* buffer, uint32_t count, uint32_t* got) = 0;
    // Writes `count` bytes; *written receives the bytes taken.
    virtual Status write(const void* buffer, uint32_t count, uint32_t* written) = 0;
    // mask: ZEQ_PURGE_RX | ZEQ_PURGE_TX.
    virtual Status purge(uint32_t mask) = 0;
    virtual Status setTimeouts(uint32_t readMs, uint32_t writeMs) = 0;
    virtual Status resetDevice() = 0;
    // The bridge's EEPROM; the strings are the caller's buffers (at least 64 bytes each).
    virtual Status eeRead(ZEQ_EEPROM_DATA* data) = 0;
    virtual Status eeProgram(const ZEQ_EEPROM_DATA* data) = 0;
    virtual Status close() = 0;
    // Called once when the library's open sequence (and password check) has succeeded on this
    // port. A bridge has nothing to do; the virtual card arms the faults that spare the open.
    virtual void opened() {}
};

class Backend {
  public:
    virtual ~Backend() = default;
    // The devices this backend sees now, in a stable order.
    virtual std::vector<DeviceInfo> list() = 0;
    // Opens the device at `index` of the last list(). ZEQ_FT_DEVICE_NOT_FOUND when there is no
    // such device, ZEQ_FT_DEVICE_NOT_OPENED when it is in use or refuses.
    virtual Status open(size_t index, std::unique_ptr<Port>* out) = 0;
};

// ---- Backends from outside the transport -------------------------------------------------
// The real bridges' backends belong to the transport. Any other kind of device (the virtual
// cards) registers a maker here from its own module, so that the transport never names it; the
// device list makes each registered backend once, at its first use, and shows its devices after
// the real ones, in the order of registration.
using BackendMaker = std::unique_ptr<Backend> (*)();

// Adds `maker`; returns true, so that a backend can register while its file is initialised:
//   const bool registered = bridge::register_backend(make_my_backend);
// The registry is made at its first use, so the order of static initialisation does not matter.
// A backend that registers after the device list was first used is not seen by this process.
// Thread-safe.
bool register_backend(BackendMaker maker);
// The makers registered so far, in the order of registration.
std::vector<BackendMaker> registered_backends();

}  // namespace zeq::bridge
