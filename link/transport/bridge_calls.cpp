// The exported wrappers over the bridge calls, each with its own mapping of bridge status onto
// the library's return codes. None of them takes the exchange lock.
#include <atomic>
#include <cstdint>

#include "transport/device.h"
#include "transport/device_list.h"
#include "transport/link_io.h"
#include "zeqlink.h"

namespace zeq::link {

namespace {

// The mapping shared by purge and time-outs: OK, invalid handle, anything else a time-out.
int map_plain(bridge::Status st) {
    if (st == ZEQ_FT_OK) return ZEQ_OK;
    if (st == ZEQ_FT_INVALID_HANDLE) return ZEQ_ERR_HANDLE;
    return ZEQ_ERR_TIMEOUT;
}

struct Notify {
    std::atomic<uint32_t> target{0};
    std::atomic<ZEQ_NOTIFY_FN> fn{nullptr};
    std::atomic<void*> context{nullptr};
};

Notify& notify_state() {
    static Notify n;
    return n;
}

}  // namespace

int map_read_status(bridge::Status st) {
    if (st == ZEQ_FT_OK) return ZEQ_OK;
    if (st == ZEQ_FT_INVALID_HANDLE) return ZEQ_ERR_HANDLE;
    if (st == ZEQ_FT_DEVICE_NOT_OPENED) return ZEQ_ERR_OTHER;
    return ZEQ_ERR_TIMEOUT;
}

int map_write_status(bridge::Status st) {
    if (st == ZEQ_FT_OK) return ZEQ_OK;
    if (st == ZEQ_FT_INVALID_HANDLE) return ZEQ_ERR_HANDLE;
    if (st == ZEQ_FT_DEVICE_NOT_OPENED_FOR_WRITE || st == ZEQ_FT_FAILED_TO_WRITE_DEVICE)
        return ZEQ_ERR_SEND;
    return ZEQ_ERR_TIMEOUT;
}

int link_read(DeviceRecord* dev, void* buffer, uint32_t count, uint32_t* done) {
    uint32_t got = 0;
    bridge::Status st =
        dev->link ? dev->link->read(buffer, count, &got) : bridge::Status{ZEQ_FT_INVALID_HANDLE};
    if (done) *done = got;
    return map_read_status(st);
}

int link_write(DeviceRecord* dev, const void* buffer, uint32_t count, uint32_t* done) {
    uint32_t put = 0;
    bridge::Status st =
        dev->link ? dev->link->write(buffer, count, &put) : bridge::Status{ZEQ_FT_INVALID_HANDLE};
    if (done) *done = put;
    return map_write_status(st);
}

namespace {

void notify(uint32_t bytes, int32_t kind) {
    Notify& n = notify_state();
    uint32_t target = n.target.load(std::memory_order_relaxed);
    ZEQ_NOTIFY_FN fn = n.fn.load(std::memory_order_acquire);
    if (target != 0 && fn) fn(n.context.load(), target, ZEQ_NOTIFY_MESSAGE, bytes, kind);
}

}  // namespace

void notify_read(uint32_t bytes) {
    notify(bytes, ZEQ_NOTIFY_LPARAM);
}

void notify_sent(uint32_t bytes) {
    notify(bytes, ZEQ_NOTIFY_LPARAM_SENT);
}

}  // namespace zeq::link

using namespace zeq::link;
namespace bridge = zeq::bridge;

ZEQ_API int ZEQ_ListDevices(void* arg1, void* arg2, uint32_t flags) {
    bridge::Status st = list_devices(arg1, arg2, flags);
    if (st == ZEQ_FT_OK) return ZEQ_OK;
    if (st == ZEQ_FT_DEVICE_LIST_NOT_READY) return ZEQ_ERR_OTHER;
    return ZEQ_ERR_ARGUMENT;
}

ZEQ_API int ZEQ_Read(ZEQ_HANDLE handle, void* buffer, uint32_t count, uint32_t* done) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return link_read(dev, buffer, count, done);
}

ZEQ_API int ZEQ_Write(ZEQ_HANDLE handle, const void* buffer, uint32_t count, uint32_t* done) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return link_write(dev, buffer, count, done);
}

ZEQ_API int ZEQ_Purge(ZEQ_HANDLE handle, uint32_t mask) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return map_plain(dev->link->purge(mask));
}

ZEQ_API int ZEQ_SetTimeouts(ZEQ_HANDLE handle, uint32_t readMs, uint32_t writeMs) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    return map_plain(dev->link->setTimeouts(readMs, writeMs));
}

ZEQ_API int ZEQ_ResetDevice(ZEQ_HANDLE handle) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    bridge::Status st = dev->link->resetDevice();
    if (st == ZEQ_FT_OTHER_ERROR) return ZEQ_ERR_OTHER;
    return map_plain(st);
}

ZEQ_API int ZEQ_ReadProEEP(ZEQ_HANDLE handle, ZEQ_EEPROM_DATA* data) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!data) return ZEQ_ERR_ARGUMENT;
    bridge::Status st = dev->link->eeRead(data);
    if (st == ZEQ_FT_EEPROM_READ_FAILED) return ZEQ_ERR_RECEIVE;
    return map_plain(st);
}

ZEQ_API int ZEQ_WriteProEEP(ZEQ_HANDLE handle, const ZEQ_EEPROM_DATA* data) {
    DeviceRecord* dev = find_device(handle);
    if (!dev) return ZEQ_ERR_HANDLE;
    if (!data) return ZEQ_ERR_ARGUMENT;
    bridge::Status st = dev->link->eeProgram(data);
    if (st == ZEQ_FT_EEPROM_WRITE_FAILED) return ZEQ_ERR_SEND;
    return map_plain(st);
}

ZEQ_API unsigned char ZEQ_SethWnd(uint32_t target) {
    notify_state().target.store(target);
    return 1;
}

ZEQ_API void ZEQ_SetNotifyCallback(ZEQ_NOTIFY_FN fn, void* context) {
    Notify& n = notify_state();
    n.context.store(context);
    n.fn.store(fn, std::memory_order_release);
}
