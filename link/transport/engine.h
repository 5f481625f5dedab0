// Frame-level operations and the send/acknowledge/read engines. All of them assemble their
// frames in the record's own buffer; none allocates.
#pragma once

#include <cstdint>

#include "card/registers.h"
#include "card/wire.h"
#include "transport/device.h"

namespace zeq::link {

// Port registers, status queries and status bits of the card (card/wire.h).
namespace wire = card::wire;

// Parameter widths understood by the engines.
enum class Width { Bits16, Bits32, Bits48, WaitToken, WaitToZero };

// The port register of a FIFO selector (only its low byte counts).
inline int selector_port(int selector) {
    return (selector & 0xFF) ? wire::kPortQueue : wire::kPortImmediate;
}
inline bool is_queue(int selector) {
    return (selector & 0xFF) != 0;
}

// A parameter address fits the command word's 10 bits; any other would wrap onto another
// register, so the services refuse it (ZEQ_ERR_ARGUMENT) before anything is sent.
constexpr int kMaxAddress = card::reg::kMaxAddress;
inline bool address_valid(int address) {
    return address >= 0 && address <= kMaxAddress;
}

// The command word for an operation, axis (3 bits) and address (10 bits).
uint16_t command_word(Width width, bool read, int axis, int address);

// Sends `n` bytes with one bridge write: ZEQ_ERR_SEND on a short write, else the ZEQ_Write code;
// ZEQ_ERR_HANDLE for a null record.
int send_frame(DeviceRecord* dev, const uint8_t* bytes, uint32_t n);
// Write transfer of one word to a register (80|reg, 01, lo, hi).
int write_word(DeviceRecord* dev, int reg, uint16_t word);
// One status query; *status is 0xFF when the code is not ZEQ_OK (ZEQ_ERR_RECEIVE for a failed
// or short read).
int status_query(DeviceRecord* dev, uint8_t query, uint8_t* status);
// Read transfer of n bytes from a register (C0|reg, n-1), then a bridge read of exactly n
// bytes; ZEQ_ERR_TIMEOUT when the read fails or is short. Posts the notification on success.
int read_bytes(DeviceRecord* dev, int reg, void* out, uint32_t n);
// The 2-, 4- and 6-byte value reads (the 6-byte read gives ZEQ_ERR_RECEIVE on a failed bridge
// read).
int read_u16(DeviceRecord* dev, int reg, uint16_t* value);
int read_u32(DeviceRecord* dev, int reg, uint32_t* value);
int read_s48(DeviceRecord* dev, int reg, int64_t* value);

// Acknowledge wait (0x4C) and read-back wait (0x49) for a selector: ZEQ_OK, a query code,
// ZEQ_ERR_CHECKSUM / ZEQ_ERR_RBFIFO_EMPTY.
int ack_wait(DeviceRecord* dev, int selector);
int readback_wait(DeviceRecord* dev, int selector);

// The engines behind ZEQ_SetParam*/Wait*, ZEQ_GetParam*, ZEQ_GetParamCMD* and
// ZEQ_GetRFIFOData*. They validate and lock by themselves.
int write_engine(ZEQ_HANDLE handle, int axis, int address, int64_t value, Width width,
                 int selector);
int read_engine(ZEQ_HANDLE handle, int axis, int address, int64_t* value, Width width,
                int selector);
int queued_read_engine(ZEQ_HANDLE handle, int axis, int address, Width width, int selector);
int readback_retrieve(ZEQ_HANDLE handle, int axis, int address, int64_t* value, Width width,
                      int selector);

// Post the notification message to the target set with ZEQ_SethWnd (if any): bytes read
// (lParam 0x200) and bytes of a command block sent (lParam 0x100).
void notify_read(uint32_t bytes);
void notify_sent(uint32_t bytes);

}  // namespace zeq::link
