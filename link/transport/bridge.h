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

}  // namespace zeq::bridge
