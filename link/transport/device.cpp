// Device records, the list of open devices, handles and the process-wide exchange lock.
#include "transport/device.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "transport/device_registry.h"

namespace zeq::link {

namespace {

constexpr char kIdentText[kIdentSize] = "ZEQ-USB Motion Card";
static_assert(sizeof(kIdentText) <= kIdentSize);

// Open records: a new record goes directly behind the head (or becomes the head of an empty
// list); close-all works from the head.
struct OpenList {
    std::mutex mutex;
    std::vector<DeviceRecord*> records;
    std::atomic<uint32_t> nextHandle{1};

    // When the library is unloaded (or the process ends) every device still open is closed:
    // its bridge is released and its record freed.
    ~OpenList() {
        for (DeviceRecord* rec : records) {
            if (rec->link) rec->link->close();
            delete rec;
        }
    }
};

OpenList& open_list() {
    static OpenList list;
    return list;
}

}  // namespace

DeviceRecord::DeviceRecord() {
    std::fill(std::begin(distScale), std::end(distScale), 1.0);
    std::memset(ident, 0, sizeof ident);
    std::memcpy(ident, kIdentText, sizeof kIdentText);
    std::memset(frame, 0, sizeof frame);
}

DeviceRecord::~DeviceRecord() = default;

DeviceRecord* find_device(ZEQ_HANDLE handle) {
    if (handle == 0) return nullptr;
    OpenList& list = open_list();
    std::lock_guard<std::mutex> guard(list.mutex);
    for (DeviceRecord* rec : list.records)
        if (rec->handle == handle) return rec;
    return nullptr;
}

std::recursive_mutex& exchange_lock() {
    static std::recursive_mutex lock;
    return lock;
}

DeviceRecord* register_device(std::unique_ptr<DeviceRecord> rec) {
    OpenList& list = open_list();
    std::lock_guard<std::mutex> guard(list.mutex);
    rec->handle = list.nextHandle.fetch_add(1);
    if (rec->handle == 0) rec->handle = list.nextHandle.fetch_add(1);  // never hand out 0
    DeviceRecord* raw = rec.release();
    auto pos = list.records.empty() ? list.records.end() : list.records.begin() + 1;
    list.records.insert(pos, raw);
    return raw;
}

std::unique_ptr<DeviceRecord> unregister_device(ZEQ_HANDLE handle) {
    OpenList& list = open_list();
    std::lock_guard<std::mutex> guard(list.mutex);
    auto it = std::find_if(list.records.begin(), list.records.end(),
                           [handle](DeviceRecord* r) { return r->handle == handle; });
    if (it == list.records.end()) return nullptr;
    std::unique_ptr<DeviceRecord> rec(*it);
    list.records.erase(it);
    return rec;
}

ZEQ_HANDLE head_device() {
    OpenList& list = open_list();
    std::lock_guard<std::mutex> guard(list.mutex);
    return list.records.empty() ? 0 : list.records.front()->handle;
}

size_t open_device_count() {
    OpenList& list = open_list();
    std::lock_guard<std::mutex> guard(list.mutex);
    return list.records.size();
}

void close_all_devices() {
    // Repeatedly close the record at the head until the list is empty.
    for (ZEQ_HANDLE h = head_device(); h != 0; h = head_device()) {
        if (ZEQ_Close(h) == ZEQ_ERR_HANDLE) unregister_device(h);  // cannot loop forever
    }
}

}  // namespace zeq::link
