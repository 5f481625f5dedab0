// The exported parameter and FIFO services, and the raw frame exports.
#include "transport/engine.h"
#include "zeqlink.h"

namespace zeq::link {
namespace {

constexpr int kFifoStatusRereads = 100;
constexpr int kDrainRounds = 1024;
constexpr int kStatusPolls = 30;

// A null out value is refused before anything is sent or consumed.
template <typename T>
int read_into(ZEQ_HANDLE h, int address, T* out, int axis, int selector, Width width) {
    if (!out) return find_device(h) ? ZEQ_ERR_ARGUMENT : ZEQ_ERR_HANDLE;
    int64_t v = 0;
    int rc = read_engine(h, axis, address, &v, width, selector);
    *out = static_cast<T>(v);
    return rc;
}

template <typename T>
int retrieve_into(ZEQ_HANDLE h, int address, T* out, int axis, int selector, Width width) {
    if (!out) return find_device(h) ? ZEQ_ERR_ARGUMENT : ZEQ_ERR_HANDLE;
    int64_t v = 0;
    int rc = readback_retrieve(h, axis, address, &v, width, selector);
    *out = static_cast<T>(v);
    return rc;
}

}  // namespace
}  // namespace zeq::link

using namespace zeq::link;

ZEQ_API int ZEQ_Reset(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    dev->frame[0] = wire::kResetFrame0;
    dev->frame[1] = wire::kResetFrame1;
    return send_frame(dev, dev->frame, 2);
}

ZEQ_API int ZEQ_StartIFIFO(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return write_word(dev, wire::kPortControl, wire::kControlStartImmediate);
}

ZEQ_API int ZEQ_SetWordData(ZEQ_HANDLE handle, uint16_t word, int selector) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return write_word(dev, selector_port(selector), word);
}

ZEQ_API uint16_t ZEQ_GetWordData(ZEQ_HANDLE handle, int selector, int* code) {
    DeviceRecord* dev = find_device(handle);
    uint16_t word = 0xFFFF;
    int rc = dev ? read_u16(dev, selector_port(selector), &word) : ZEQ_ERR_HANDLE;
    if (rc != ZEQ_OK) word = 0xFFFF;
    if (code) *code = rc;
    return word;
}

ZEQ_API int ZEQ_SetParam16(ZEQ_HANDLE handle, int address, int value, int axis, int selector) {
    return write_engine(handle, axis, address, value & 0xFFFF, Width::Bits16, selector);
}

ZEQ_API int ZEQ_SetParam32(ZEQ_HANDLE handle, int address, int value, int axis, int selector) {
    return write_engine(handle, axis, address, static_cast<uint32_t>(value), Width::Bits32,
                        selector);
}

ZEQ_API int ZEQ_SetParam48(ZEQ_HANDLE handle, int address, int64_t value, int axis, int selector) {
    return write_engine(handle, axis, address, value, Width::Bits48, selector);
}

ZEQ_API int ZEQ_WaitToken(ZEQ_HANDLE handle, int address, int axis) {
    return write_engine(handle, axis, address, 0, Width::WaitToken, 1);
}

ZEQ_API int ZEQ_WaitToZero(ZEQ_HANDLE handle, int address, int axis) {
    return write_engine(handle, axis, address, 0, Width::WaitToZero, 1);
}

ZEQ_API int ZEQ_GetParam16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis,
                           int selector) {
    return read_into(handle, address, value, axis, selector, Width::Bits16);
}

ZEQ_API int ZEQ_GetParam32(ZEQ_HANDLE handle, int address, int32_t* value, int axis, int selector) {
    return read_into(handle, address, value, axis, selector, Width::Bits32);
}

ZEQ_API int ZEQ_GetParam48(ZEQ_HANDLE handle, int address, int64_t* value, int axis, int selector) {
    return read_into(handle, address, value, axis, selector, Width::Bits48);
}

ZEQ_API int ZEQ_GetParamCMD16(ZEQ_HANDLE handle, int address, int axis, int selector) {
    return queued_read_engine(handle, axis, address, Width::Bits16, selector);
}

ZEQ_API int ZEQ_GetParamCMD32(ZEQ_HANDLE handle, int address, int axis, int selector) {
    return queued_read_engine(handle, axis, address, Width::Bits32, selector);
}

ZEQ_API int ZEQ_GetParamCMD48(ZEQ_HANDLE handle, int address, int axis, int selector) {
    return queued_read_engine(handle, axis, address, Width::Bits48, selector);
}

ZEQ_API int ZEQ_GetRFIFOData16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis,
                               int selector) {
    return retrieve_into(handle, address, value, axis, selector, Width::Bits16);
}

ZEQ_API int ZEQ_GetRFIFOData32(ZEQ_HANDLE handle, int address, int32_t* value, int axis,
                               int selector) {
    return retrieve_into(handle, address, value, axis, selector, Width::Bits32);
}

ZEQ_API int ZEQ_GetRFIFOData48(ZEQ_HANDLE handle, int address, int64_t* value, int axis,
                               int selector) {
    return retrieve_into(handle, address, value, axis, selector, Width::Bits48);
}

ZEQ_API int ZEQ_IsRBFIFONoEmpty(ZEQ_HANDLE handle, int selector) {
    ExchangeGuard guard(exchange_lock());
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return readback_wait(dev, selector);
}

ZEQ_API int ZEQ_CheckFIFONotHalfFull(ZEQ_HANDLE handle, int selector) {
    uint8_t status = 0xFF;
    int rc;
    {
        ExchangeGuard guard(exchange_lock());
        DeviceRecord* dev = find_device(handle);
        if (!dev) return ZEQ_ERR_HANDLE;
        rc = status_query(dev, wire::kQueryFifoStatus, &status);
        // 0x00 and 0xFF are not valid FIFO readings: ask again, a bounded number of times.
        for (int i = 0;
             i < kFifoStatusRereads && rc == ZEQ_OK && (status == 0x00 || status == 0xFF); ++i)
            rc = status_query(dev, wire::kQueryFifoStatus, &status);
    }
    if (rc != ZEQ_OK) return rc;
    const uint8_t halfFull =
        is_queue(selector) ? wire::kFifoQueueHalfFull : wire::kFifoImmediateHalfFull;
    return (status & halfFull) ? ZEQ_ERR_FIFO_FULL : ZEQ_OK;
}

ZEQ_API int ZEQ_CheckRBFIFOHalfFull(ZEQ_HANDLE handle, int selector) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    const uint8_t bit = is_queue(selector) ? wire::kDataQueueReadbackHalfFull
                                           : wire::kDataImmediateReadbackHalfFull;
    for (int i = 0; i < kStatusPolls; ++i) {
        uint8_t status = 0;
        int rc = status_query(dev, wire::kQueryDataStatus, &status);
        if (rc != ZEQ_OK) return rc;
        if (status & bit) return ZEQ_OK;
    }
    return ZEQ_ERR_TIMEOUT;
}

ZEQ_API int ZEQ_ClearRBFIFO(ZEQ_HANDLE handle, int selector) {
    const uint8_t empty =
        is_queue(selector) ? wire::kFifoQueueReadbackEmpty : wire::kFifoImmediateReadbackEmpty;
    for (int round = 0; round < kDrainRounds; ++round) {
        uint8_t status = 0xFF;
        int rc;
        {
            ExchangeGuard guard(exchange_lock());
            DeviceRecord* dev = find_device(handle);
            if (!dev) return ZEQ_ERR_HANDLE;
            rc = status_query(dev, wire::kQueryFifoStatus, &status);
            if (rc == ZEQ_OK && status == 0x00)
                rc = status_query(dev, wire::kQueryFifoStatus, &status);
        }
        if (rc != ZEQ_OK) return rc;
        if (status == 0xFF) continue;
        if (status & empty) return ZEQ_OK;
        int code = ZEQ_OK;
        ZEQ_GetWordData(handle, selector, &code);
        if (code != ZEQ_OK) return code;
    }
    return ZEQ_ERR_TIMEOUT;
}

ZEQ_API int ZEQ_ClearFIFO(ZEQ_HANDLE handle, int selector) {
    // A stalled FIFO cannot clear itself: each is cleared through the other.
    if (is_queue(selector)) return ZEQ_SetParam16(handle, zeq::card::reg::clrqfifo, 0xFFFF, 0, 0);
    return ZEQ_SetParam16(handle, zeq::card::reg::clrififo, 0xFFFF, 0, 1);
}
