// The send/acknowledge engine behind every parameter write and the read engines behind every
// parameter read.
//
// Command block: the command word, its value words, then the 16-bit wrap-around sum of all of
// them. Read and wait blocks are the command word twice. A block goes out as one write transfer
// (80|port, n-1, words) to the FIFO's port register.
#include "transport/engine.h"
#include "transport/link_io.h"

namespace zeq::link {

namespace {

constexpr int kWriteAttempts = 4;
constexpr int kReadRetries = 3;

int value_words(Width width) {
    switch (width) {
        case Width::Bits16:
            return 1;
        case Width::Bits32:
            return 2;
        case Width::Bits48:
            return 3;
        default:
            return 0;
    }
}

bool valid_width(Width width) {
    switch (width) {
        case Width::Bits16:
        case Width::Bits32:
        case Width::Bits48:
        case Width::WaitToken:
        case Width::WaitToZero:
            return true;
    }
    return false;
}

// Assembles a command block in the record's frame buffer; returns its length in bytes.
uint32_t build_block(DeviceRecord* dev, uint16_t command, const uint16_t* values, int nvalues,
                     int port) {
    uint8_t* f = dev->frame;
    uint16_t sum = command;
    int words = 0;
    auto put = [&](uint16_t w) {
        f[2 + 2 * words] = static_cast<uint8_t>(w & 0xFF);
        f[3 + 2 * words] = static_cast<uint8_t>(w >> 8);
        ++words;
    };
    put(command);
    for (int i = 0; i < nvalues; ++i) {
        put(values[i]);
        sum = static_cast<uint16_t>(sum + values[i]);
    }
    put(sum);
    const uint32_t n = static_cast<uint32_t>(2 + 2 * words);
    f[0] = static_cast<uint8_t>(wire::kFrameWrite | port);
    f[1] = static_cast<uint8_t>(n - 3);
    return n;
}

// Sends the read block for (axis, address, width) through the selector's port.
int send_read_block(DeviceRecord* dev, int axis, int address, Width width, int selector) {
    const uint16_t cmd = command_word(width, true, axis, address);
    const uint32_t n = build_block(dev, cmd, nullptr, 0, selector_port(selector));
    return send_frame(dev, dev->frame, n);
}

// Reads the reply value (and then the checksum word) of a read of `width`; *sum receives the
// 16-bit sum of the value words.
int read_reply(DeviceRecord* dev, Width width, int selector, int64_t* value, uint16_t* sum) {
    const int port = selector_port(selector);
    int rc = ZEQ_OK;
    switch (width) {
        case Width::Bits16: {
            uint16_t v = 0;
            rc = read_u16(dev, port, &v);
            *value = v;
            *sum = v;
            break;
        }
        case Width::Bits32: {
            uint32_t v = 0;
            rc = read_u32(dev, port, &v);
            *value = static_cast<int32_t>(v);
            *sum = static_cast<uint16_t>((v & 0xFFFF) + (v >> 16));
            break;
        }
        default: {
            int64_t v = 0;
            rc = read_s48(dev, port, &v);
            *value = v;
            const auto u = static_cast<uint64_t>(v);
            *sum =
                static_cast<uint16_t>((u & 0xFFFF) + ((u >> 16) & 0xFFFF) + ((u >> 32) & 0xFFFF));
            break;
        }
    }
    return rc;
}

bool axis_valid(const DeviceRecord* dev, int axis) {
    return axis >= 0 && axis < dev->axisCount;
}

}  // namespace

int write_engine(ZEQ_HANDLE handle, int axis, int address, int64_t value, Width width,
                 int selector) {
    ExchangeGuard guard(exchange_lock());
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!axis_valid(dev, axis)) return ZEQ_ERR_AXIS;
    if (!valid_width(width) || !address_valid(address)) return ZEQ_ERR_ARGUMENT;

    const auto raw = static_cast<uint64_t>(value);
    const uint16_t values[3] = {static_cast<uint16_t>(raw & 0xFFFF),
                                static_cast<uint16_t>((raw >> 16) & 0xFFFF),
                                static_cast<uint16_t>((raw >> 32) & 0xFFFF)};
    const uint16_t cmd = command_word(width, false, axis, address);
    const int nvalues = value_words(width);
    // Wait blocks carry no value: the command word twice, like a read.
    const int port = (width == Width::WaitToken || width == Width::WaitToZero)
                         ? wire::kPortQueue
                         : selector_port(selector);
    const int ackSelector = port == wire::kPortQueue ? 1 : 0;

    int result = ZEQ_ERR_TIMEOUT;
    for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
        const uint32_t n = build_block(dev, cmd, values, nvalues, port);
        int rc = send_frame(dev, dev->frame, n);
        if (rc != ZEQ_OK) return rc;
        rc = ack_wait(dev, ackSelector);
        if (rc == ZEQ_OK) return ZEQ_OK;
        result = rc == ZEQ_ERR_CHECKSUM ? ZEQ_ERR_CHECKSUM : ZEQ_ERR_TIMEOUT;
    }
    return result;
}

int read_engine(ZEQ_HANDLE handle, int axis, int address, int64_t* value, Width width,
                int selector) {
    {
        DeviceRecord* dev = find_device(handle);
        if (!dev) return ZEQ_ERR_HANDLE;
        if (!axis_valid(dev, axis)) return ZEQ_ERR_AXIS;
        if (!address_valid(address)) return ZEQ_ERR_ARGUMENT;
    }
    // Replies still waiting from earlier requests would be taken for ours: drain them first,
    // before the lock is taken.
    int rc = ZEQ_ClearRBFIFO(handle, selector);
    if (rc != ZEQ_OK) return rc;

    ExchangeGuard guard(exchange_lock());
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (width != Width::Bits16 && width != Width::Bits32 && width != Width::Bits48)
        return ZEQ_ERR_ARGUMENT;
    const uint16_t cmd = command_word(width, true, axis, address);

    int retries = 0;
    for (;;) {
        rc = send_read_block(dev, axis, address, width, selector);
        if (rc != ZEQ_OK) return rc;  // a block that never left cannot be acknowledged
        rc = ack_wait(dev, selector);
        if (rc == ZEQ_ERR_HANDLE) return rc;
        if (rc == ZEQ_ERR_CHECKSUM) {
            if (retries < kReadRetries) {
                ++retries;
                continue;
            }
            return ZEQ_ERR_CHECKSUM;
        }
        rc = readback_wait(dev, selector);
        if (rc != ZEQ_OK) return rc;
        uint16_t sum = 0;
        rc = read_reply(dev, width, selector, value, &sum);
        if (rc != ZEQ_OK) return rc;
        uint16_t checksum = 0;
        rc = read_u16(dev, selector_port(selector), &checksum);
        if (rc != ZEQ_OK) return rc;
        if (checksum == static_cast<uint16_t>(cmd + sum)) return ZEQ_OK;
        if (retries >= kReadRetries) return ZEQ_ERR_CHECKSUM;
        ++retries;
    }
}

int queued_read_engine(ZEQ_HANDLE handle, int axis, int address, Width width, int selector) {
    ExchangeGuard guard(exchange_lock());
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!axis_valid(dev, axis)) return ZEQ_ERR_AXIS;
    if (width != Width::Bits16 && width != Width::Bits32 && width != Width::Bits48)
        return ZEQ_ERR_ARGUMENT;
    if (!address_valid(address)) return ZEQ_ERR_ARGUMENT;
    for (int retries = 0;; ++retries) {
        int rc = send_read_block(dev, axis, address, width, selector);
        if (rc != ZEQ_OK) return rc;
        rc = ack_wait(dev, selector);
        if (rc == ZEQ_OK || rc == ZEQ_ERR_HANDLE) return rc;
        if (retries >= kReadRetries) return rc;
    }
}

int readback_retrieve(ZEQ_HANDLE handle, int axis, int address, int64_t* value, Width width,
                      int selector) {
    ExchangeGuard guard(exchange_lock());
    DeviceRecord* dev = find_device(handle);  // the bridge write would give ZEQ_ERR_HANDLE too
    if (!dev) return ZEQ_ERR_HANDLE;
    if (width != Width::Bits16 && width != Width::Bits32 && width != Width::Bits48)
        return ZEQ_ERR_ARGUMENT;
    // A reply can only answer a read of a valid address: leave it waiting.
    if (!address_valid(address)) return ZEQ_ERR_ARGUMENT;
    uint16_t sum = 0;
    int rc = read_reply(dev, width, selector, value, &sum);
    if (rc != ZEQ_OK) return rc;
    uint16_t checksum = 0;
    rc = read_u16(dev, selector_port(selector), &checksum);
    if (rc != ZEQ_OK) return rc;
    const uint16_t cmd = command_word(width, true, axis, address);
    return checksum == static_cast<uint16_t>(cmd + sum) ? ZEQ_OK : ZEQ_ERR_CHECKSUM;
}

}  // namespace zeq::link
