// Frames, status queries and value reads. Every frame of a record is assembled in its own
// 1024-byte buffer and leaves with a single bridge write.
#include "transport/engine.h"
#include "transport/link_io.h"

namespace zeq::link {

uint16_t command_word(Width width, bool read, int axis, int address) {
    uint16_t op = 0;
    switch (width) {
        case Width::Bits16:
            op = read ? wire::kOpRead16 : wire::kOpWrite16;
            break;
        case Width::Bits32:
            op = read ? wire::kOpRead32 : wire::kOpWrite32;
            break;
        case Width::Bits48:
            op = read ? wire::kOpRead48 : wire::kOpWrite48;
            break;
        case Width::WaitToken:
            op = wire::kOpWaitToken;
            break;
        case Width::WaitToZero:
            op = wire::kOpWaitToZero;
            break;
    }
    return static_cast<uint16_t>(op | ((axis & wire::kCommandAxisMask) << wire::kCommandAxisShift) |
                                 (address & wire::kCommandAddressMask));
}

int send_frame(DeviceRecord* dev, const uint8_t* bytes, uint32_t n) {
    if (!dev) return ZEQ_ERR_HANDLE;
    uint32_t written = 0;
    int rc = link_write(dev, bytes, n, &written);
    if (rc == ZEQ_OK && written < n) return ZEQ_ERR_SEND;
    if (rc == ZEQ_OK) notify_sent(n);
    return rc;
}

int write_word(DeviceRecord* dev, int reg, uint16_t word) {
    if (!dev) return ZEQ_ERR_HANDLE;
    uint8_t* f = dev->frame;
    f[0] = static_cast<uint8_t>(wire::kFrameWrite | (reg & wire::kPortMask));
    f[1] = 0x01;
    f[2] = static_cast<uint8_t>(word & 0xFF);
    f[3] = static_cast<uint8_t>(word >> 8);
    return send_frame(dev, f, 4);
}

int status_query(DeviceRecord* dev, uint8_t query, uint8_t* status) {
    *status = 0xFF;
    if (!dev) return ZEQ_ERR_HANDLE;
    dev->frame[0] = query;
    int rc = send_frame(dev, dev->frame, 1);
    if (rc != ZEQ_OK) return rc;
    uint8_t byte = 0xFF;
    uint32_t got = 0;
    rc = link_read(dev, &byte, 1, &got);
    if (rc != ZEQ_OK || got != 1) return ZEQ_ERR_RECEIVE;
    *status = byte;
    return ZEQ_OK;
}

namespace {

// Sends the read transfer C0|reg, n-1 for n bytes (1..256).
int send_read_transfer(DeviceRecord* dev, int reg, uint32_t n) {
    dev->frame[0] = static_cast<uint8_t>(wire::kFrameRead | (reg & wire::kPortMask));
    dev->frame[1] = static_cast<uint8_t>(n - 1);
    return send_frame(dev, dev->frame, 2);
}

}  // namespace

int read_bytes(DeviceRecord* dev, int reg, void* out, uint32_t n) {
    if (!dev) return ZEQ_ERR_HANDLE;
    if (n == 0 || n > wire::kMaxTransferBytes) return ZEQ_ERR_ARGUMENT;
    int rc = send_read_transfer(dev, reg, n);
    if (rc != ZEQ_OK) return rc;
    uint32_t got = 0;
    rc = link_read(dev, out, n, &got);
    if (rc != ZEQ_OK || got != n) return ZEQ_ERR_TIMEOUT;
    notify_read(n);
    return ZEQ_OK;
}

int read_u16(DeviceRecord* dev, int reg, uint16_t* value) {
    uint8_t b[2];
    int rc = read_bytes(dev, reg, b, 2);
    *value = rc == ZEQ_OK ? static_cast<uint16_t>(b[0] | (b[1] << 8)) : 0xFFFF;
    return rc;
}

int read_u32(DeviceRecord* dev, int reg, uint32_t* value) {
    uint8_t b[4];
    int rc = read_bytes(dev, reg, b, 4);
    *value =
        rc == ZEQ_OK
            ? (uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24)
            : 0xFFFFFFFFu;
    return rc;
}

int read_s48(DeviceRecord* dev, int reg, int64_t* value) {
    *value = -1;
    if (!dev) return ZEQ_ERR_HANDLE;
    int rc = send_read_transfer(dev, reg, 6);
    if (rc != ZEQ_OK) return rc;
    uint8_t b[6];
    uint32_t got = 0;
    // The 48-bit read tells a failed bridge read (ZEQ_ERR_RECEIVE) from a short one
    // (ZEQ_ERR_TIMEOUT).
    if (link_read(dev, b, 6, &got) != ZEQ_OK) return ZEQ_ERR_RECEIVE;
    if (got != 6) return ZEQ_ERR_TIMEOUT;
    uint64_t raw = 0;
    for (int i = 5; i >= 0; --i) raw = (raw << 8) | b[i];
    if (raw & (uint64_t{1} << 47)) raw |= ~((uint64_t{1} << 48) - 1);  // sign-extend bit 47
    *value = static_cast<int64_t>(raw);
    notify_read(6);
    return ZEQ_OK;
}

namespace {

constexpr int kStatusPolls = 30;

// Polls `query` until `bit` is clear: ZEQ_OK, a query code at once, or `exhausted`.
int wait_bit_clear(DeviceRecord* dev, uint8_t query, uint8_t bit, int exhausted) {
    for (int i = 0; i < kStatusPolls; ++i) {
        uint8_t status = 0;
        int rc = status_query(dev, query, &status);
        if (rc != ZEQ_OK) return rc;
        if ((status & bit) == 0) return ZEQ_OK;
    }
    return exhausted;
}

}  // namespace

int ack_wait(DeviceRecord* dev, int selector) {
    return wait_bit_clear(dev, wire::kQueryAckStatus,
                          is_queue(selector) ? wire::kAckQueuePending : wire::kAckImmediatePending,
                          ZEQ_ERR_CHECKSUM);
}

int readback_wait(DeviceRecord* dev, int selector) {
    return wait_bit_clear(
        dev, wire::kQueryFifoStatus,
        is_queue(selector) ? wire::kFifoQueueReadbackEmpty : wire::kFifoImmediateReadbackEmpty,
        ZEQ_ERR_RBFIFO_EMPTY);
}

}  // namespace zeq::link
