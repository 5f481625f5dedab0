// The combined device list: the real bridges (FTDI's own driver when it can be loaded, libftdi1
// otherwise), then the virtual cards. Indexes run across the whole list.
#include "transport/device_list.h"

#include <cstring>
#include <mutex>
#include <vector>

#include "transport/trace.h"

#if __has_include("transport/backend_d2xx.h")
#include "transport/backend_d2xx.h"
#define ZEQ_HAS_D2XX_BACKEND 1
#endif
#if __has_include("transport/backend_ftdi.h")
#include "transport/backend_ftdi.h"
#define ZEQ_HAS_FTDI_BACKEND 1
#endif

namespace zeq::link {

namespace {

constexpr size_t kListTextSize = 64;  // D2XX's description and serial buffers

struct Backends {
    std::unique_ptr<bridge::Backend> real;
    std::vector<std::unique_ptr<bridge::Backend>> registered;  // the virtual cards, …
};

struct Registry {
    std::mutex mutex;
    std::vector<bridge::BackendMaker> makers;
};

Registry& registry() {
    static Registry r;
    return r;
}

Backends& backends() {
    // Made before the first record is registered, so destroyed after the list of open devices
    // has closed its ports.
    static Backends b = [] {
        Backends made;
#ifdef ZEQ_HAS_D2XX_BACKEND
        made.real = bridge::make_d2xx_backend();
#endif
#ifdef ZEQ_HAS_FTDI_BACKEND
        if (!made.real) made.real = bridge::make_ftdi_backend();
#endif
        for (bridge::BackendMaker maker : bridge::registered_backends())
            if (auto backend = maker()) made.registered.push_back(std::move(backend));
        return made;
    }();
    return b;
}

struct Entry {
    bridge::Backend* backend;
    size_t index;
    bridge::DeviceInfo info;
};

std::mutex& list_mutex() {
    static std::mutex m;
    return m;
}

std::vector<Entry> enumerate() {
    std::vector<Entry> all;
    Backends& b = backends();
    auto add = [&all](bridge::Backend* be) {
        if (!be) return;
        std::vector<bridge::DeviceInfo> infos = be->list();
        for (size_t i = 0; i < infos.size(); ++i) all.push_back({be, i, std::move(infos[i])});
    };
    add(b.real.get());
    for (const auto& be : b.registered) add(be.get());
    return all;
}

void copy_text(void* dst, const std::string& text) {
    auto* out = static_cast<char*>(dst);
    size_t n = std::min(text.size(), kListTextSize - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

bridge::Status describe(const Entry& e, void* dst, uint32_t flags) {
    if (!dst) return ZEQ_FT_INVALID_PARAMETER;
    if (flags & ZEQ_FT_OPEN_BY_LOCATION) {
        *static_cast<uint32_t*>(dst) = e.info.location;
    } else if (flags & ZEQ_FT_OPEN_BY_DESCRIPTION) {
        copy_text(dst, e.info.description);
    } else {
        copy_text(dst, e.info.serial);  // by serial number is the default
    }
    return ZEQ_FT_OK;
}

bridge::Status open_entry(const Entry& e, std::unique_ptr<bridge::Port>* out) {
    std::unique_ptr<bridge::Port> port;
    bridge::Status st = e.backend->open(e.index, &port);
    if (st != ZEQ_FT_OK) return st;
    if (!port) return ZEQ_FT_DEVICE_NOT_OPENED;
    *out = traced_port(std::move(port));
    return ZEQ_FT_OK;
}

}  // namespace

bridge::Status list_devices(void* arg1, void* arg2, uint32_t flags) {
    std::lock_guard<std::mutex> guard(list_mutex());
    std::vector<Entry> all = enumerate();
    if (flags & ZEQ_FT_LIST_NUMBER_ONLY) {
        if (!arg1) return ZEQ_FT_INVALID_PARAMETER;
        *static_cast<uint32_t*>(arg1) = static_cast<uint32_t>(all.size());
        return ZEQ_FT_OK;
    }
    if (flags & ZEQ_FT_LIST_BY_INDEX) {
        auto index = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(arg1));
        if (index >= all.size()) return ZEQ_FT_DEVICE_NOT_FOUND;
        return describe(all[index], arg2, flags);
    }
    if (flags & ZEQ_FT_LIST_ALL) {
        if (!arg1 || !arg2) return ZEQ_FT_INVALID_PARAMETER;
        for (size_t i = 0; i < all.size(); ++i) {
            if (flags & ZEQ_FT_OPEN_BY_LOCATION) {
                static_cast<uint32_t*>(arg1)[i] = all[i].info.location;
            } else {
                char* dst = static_cast<char**>(arg1)[i];
                if (!dst) return ZEQ_FT_INVALID_PARAMETER;
                describe(all[i], dst, flags);
            }
        }
        *static_cast<uint32_t*>(arg2) = static_cast<uint32_t>(all.size());
        return ZEQ_FT_OK;
    }
    return ZEQ_FT_INVALID_PARAMETER;
}

bridge::Status open_device(int index, std::unique_ptr<bridge::Port>* out) {
    std::lock_guard<std::mutex> guard(list_mutex());
    std::vector<Entry> all = enumerate();
    if (index < 0 || static_cast<size_t>(index) >= all.size()) return ZEQ_FT_DEVICE_NOT_FOUND;
    return open_entry(all[static_cast<size_t>(index)], out);
}

bridge::Status open_device_ex(void* arg, uint32_t flags, std::unique_ptr<bridge::Port>* out) {
    std::lock_guard<std::mutex> guard(list_mutex());
    if (!arg && !(flags & ZEQ_FT_OPEN_BY_LOCATION)) return ZEQ_FT_INVALID_PARAMETER;
    for (const Entry& e : enumerate()) {
        bool match = false;
        if (flags & ZEQ_FT_OPEN_BY_LOCATION) {
            match = e.info.location == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(arg));
        } else if (flags & ZEQ_FT_OPEN_BY_DESCRIPTION) {
            match = e.info.description == static_cast<const char*>(arg);
        } else if (flags & ZEQ_FT_OPEN_BY_SERIAL_NUMBER) {
            match = e.info.serial == static_cast<const char*>(arg);
        } else {
            return ZEQ_FT_INVALID_PARAMETER;
        }
        if (match) return open_entry(e, out);
    }
    return ZEQ_FT_DEVICE_NOT_FOUND;
}

}  // namespace zeq::link

namespace zeq::bridge {

bool register_backend(BackendMaker maker) {
    auto& r = zeq::link::registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    if (maker) r.makers.push_back(maker);
    return true;
}

std::vector<BackendMaker> registered_backends() {
    auto& r = zeq::link::registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    return r.makers;
}

}  // namespace zeq::bridge
