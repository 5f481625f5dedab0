// Opening and closing devices: the open sequence, the card password check and close.
#include <cstring>
#include <memory>

#include "card/registers.h"
#include "transport/device.h"
#include "transport/device_list.h"
#include "transport/device_registry.h"
#include "transport/flash.h"
#include "zeqlink.h"

namespace zeq::link {

namespace {

constexpr int kOpenFifoChecks = 1024;
constexpr uint32_t kOpenTimeoutMs = 200;
constexpr size_t kPasswordMin = 4;
constexpr size_t kPasswordMax = 100;
constexpr uint8_t kNoPassword = 0xFF;  // an erased length byte: no password has been set

int map_open_status(bridge::Status st) {
    if (st == ZEQ_FT_DEVICE_NOT_FOUND) return ZEQ_ERR_NOT_FOUND;
    if (st == ZEQ_FT_DEVICE_NOT_OPENED) return ZEQ_ERR_NOT_OPENED;
    return ZEQ_ERR_HANDLE;
}

// Steps 3 to 6 of the open sequence, once the bridge is open.
int finish_open(std::unique_ptr<bridge::Port> port, ZEQ_HANDLE* handle) {
    auto fresh = std::make_unique<DeviceRecord>();
    fresh->link = std::move(port);
    DeviceRecord* dev = register_device(std::move(fresh));
    const ZEQ_HANDLE h = dev->handle;

    // Bring the bridge and the card to a known state; these results are not checked.
    dev->link->resetDevice();
    ZEQ_Purge(h, ZEQ_PURGE_RX | ZEQ_PURGE_TX);
    ZEQ_StartIFIFO(h);
    dev->link->setTimeouts(kOpenTimeoutMs, kOpenTimeoutMs);

    *handle = h;

    // Learn the axis count: wait for room in the immediate FIFO, then read naxis.
    dev->axisCount = 4;
    int rc = ZEQ_ERR_FIFO_FULL;
    for (int i = 0; i < kOpenFifoChecks && rc == ZEQ_ERR_FIFO_FULL; ++i)
        rc = ZEQ_CheckFIFONotHalfFull(h, 0);
    if (rc != ZEQ_ERR_FIFO_FULL) {
        uint16_t naxis = 0;
        rc = ZEQ_GetParam16(h, card::reg::naxis, &naxis, 0, 0);
        if (rc == ZEQ_OK) dev->axisCount = static_cast<int16_t>(naxis);
    }
    if (rc != ZEQ_OK) {
        ZEQ_Close(h);
        *handle = 0;
    }
    return rc;
}

// Compares `password` with the record stored in the card's flash.
int check_password(ZEQ_HANDLE h, const char* password) {
    if (!password) return ZEQ_OK;
    const size_t len = std::strlen(password);
    if (len < kPasswordMin || len > kPasswordMax) return ZEQ_ERR_PASSWORD;
    DeviceRecord* dev = find_device(h);
    if (!dev) return ZEQ_ERR_HANDLE;
    uint8_t stored = 0;
    int rc = flash_read(dev, kFlashPasswordLength, &stored, 1);
    if (rc != ZEQ_OK) return rc;
    if (stored == kNoPassword) return ZEQ_OK;
    if (stored != len) return ZEQ_ERR_PASSWORD;
    uint8_t chars[kPasswordMax];
    rc = flash_read(dev, kFlashPassword, chars, static_cast<uint32_t>(len));
    if (rc != ZEQ_OK) return rc;
    for (size_t i = 0; i < len; ++i)
        if (chars[i] != static_cast<uint8_t>(password[i])) return ZEQ_ERR_PASSWORD;
    return ZEQ_OK;
}

int with_password(int rc, ZEQ_HANDLE* handle, const char* password) {
    if (rc != ZEQ_OK || !handle) return rc;
    rc = check_password(*handle, password);
    if (rc != ZEQ_OK) {
        ZEQ_Close(*handle);
        *handle = 0;
    }
    return rc;
}

int open_index(int index, ZEQ_HANDLE* handle) {
    // Without somewhere to put the handle an open would leave an unreachable device behind.
    if (!handle) return ZEQ_ERR_ARGUMENT;
    std::unique_ptr<bridge::Port> port;
    bridge::Status st = open_device(index, &port);
    if (st != ZEQ_FT_OK) return map_open_status(st);
    return finish_open(std::move(port), handle);
}

int open_ex(void* arg, uint32_t flags, ZEQ_HANDLE* handle) {
    if (!handle) return ZEQ_ERR_ARGUMENT;
    std::unique_ptr<bridge::Port> port;
    bridge::Status st = open_device_ex(arg, flags, &port);
    if (st != ZEQ_FT_OK) return map_open_status(st);
    return finish_open(std::move(port), handle);
}

// The open's own traffic is over: tell the bridge (the virtual card arms its faults here).
int opened(int rc, const ZEQ_HANDLE* handle) {
    if (rc == ZEQ_OK)
        if (DeviceRecord* dev = find_device(*handle); dev && dev->link) dev->link->opened();
    return rc;
}

}  // namespace

}  // namespace zeq::link

using namespace zeq::link;
namespace bridge = zeq::bridge;

ZEQ_API int ZEQ_Open(int index, ZEQ_HANDLE* handle) {
    return opened(open_index(index, handle), handle);
}

ZEQ_API int ZEQ_OpenEx(void* arg, uint32_t flags, ZEQ_HANDLE* handle) {
    return opened(open_ex(arg, flags, handle), handle);
}

ZEQ_API int ZEQ_OpenUsePassword(int index, ZEQ_HANDLE* handle, const char* password) {
    return opened(with_password(open_index(index, handle), handle, password), handle);
}

ZEQ_API int ZEQ_OpenExUsePassword(void* arg, uint32_t flags, ZEQ_HANDLE* handle,
                                  const char* password) {
    return opened(with_password(open_ex(arg, flags, handle), handle, password), handle);
}

ZEQ_API int ZEQ_Close(ZEQ_HANDLE handle) {
    std::unique_ptr<DeviceRecord> dev = unregister_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    zeq::bridge::Status st =
        dev->link ? dev->link->close() : zeq::bridge::Status{ZEQ_FT_INVALID_HANDLE};
    if (st == ZEQ_FT_OK) return ZEQ_OK;
    if (st == ZEQ_FT_DEVICE_NOT_OPENED) return ZEQ_ERR_NOT_OPENED;
    return ZEQ_ERR_HANDLE;
}
