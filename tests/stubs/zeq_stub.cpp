// A test-only device library: exports the names the IDE binds (the USB variant, or with
// ZEQ_STUB_PCI the PCI variant), logs every call and answers from its control block.
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "binding/device_types.h"
#include "stubs/stub_control.h"

using zeq::desk::LinearItem;
using zeq::desk::McData;
using zeq::desk::PciCardEntry;
using zeq::desk::PciDeviceList;

#define STUB_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

zeqstub::Control g_control;

template <class T>
std::string one(T v) {
    if constexpr (std::is_pointer_v<T>) {
        return v ? "p" : "0";
    } else if constexpr (std::is_floating_point_v<T>) {
        char b[64];
        std::snprintf(b, sizeof b, "%g", v);
        return b;
    } else {
        return std::to_string(v);
    }
}
template <class T, class... R>
std::string argText(T first, R... rest) {
    std::string s = one(first);
    ((s += "," + one(rest)), ...);
    return s;
}

template <class R>
R defaultResult(const char* name) {
    if constexpr (std::is_void_v<R>) {
        return;
    } else if constexpr (std::is_floating_point_v<R>) {
        return static_cast<R>(g_control.doubleResult);
    } else {
        auto it = g_control.results.find(name);
        return static_cast<R>(it == g_control.results.end() ? 0 : it->second);
    }
}

int resultOr(const char* name, int fallback) {
    auto it = g_control.results.find(name);
    return it == g_control.results.end() ? fallback : it->second;
}

// Calls that behave like a device rather than answer a fixed result.
struct Custom {
    int ZEQ_ListDevices(void* a1, void* a2, std::uint32_t flags) {
        if (flags & ZEQ_FT_LIST_NUMBER_ONLY) {
            if (g_control.countFails) return ZEQ_ERR_ARGUMENT;
            *static_cast<std::uint32_t*>(a1) = static_cast<std::uint32_t>(g_control.devices.size());
            return 0;
        }
        auto i = reinterpret_cast<std::uintptr_t>(a1);
        if (i >= g_control.devices.size()) return ZEQ_ERR_ARGUMENT;
        zeqstub::Device& d = g_control.devices[i];
        if (flags & ZEQ_FT_OPEN_BY_DESCRIPTION) {
            if (d.descriptionFailures > 0) {
                --d.descriptionFailures;
                return ZEQ_ERR_ARGUMENT;
            }
            std::snprintf(static_cast<char*>(a2), 64, "%s", d.description.c_str());
            return 0;
        }
        if (flags & ZEQ_FT_OPEN_BY_LOCATION) {
            if (d.locationFails) return ZEQ_ERR_ARGUMENT;
            *static_cast<std::uint32_t*>(a2) = d.location;
            return 0;
        }
        return ZEQ_ERR_ARGUMENT;
    }
    int ZEQ_Open(int index, ZEQ_HANDLE* handle) {
        if (g_control.openStatus != 0) return g_control.openStatus;
        if (index < 0 || index >= static_cast<int>(g_control.devices.size())) return 5;
        *handle = g_control.nextHandle++;
        g_control.openDevice[*handle] = index;
        return 0;
    }
    int ZEQ_Open(ZEQ_HANDLE* handle, const PciCardEntry* card) {
        if (g_control.openStatus != 0) return g_control.openStatus;
        *handle = g_control.nextHandle++;
        g_control.openDevice[*handle] = static_cast<int>(card->word[1]);
        return 0;
    }
    int ZEQ_Close(ZEQ_HANDLE handle) {
        if (g_control.closeStatus != 0) return g_control.closeStatus;
        return g_control.openDevice.erase(handle) ? 0 : ZEQ_ERR_HANDLE;
    }
    int ZEQ_GetParam16(ZEQ_HANDLE handle, int address, std::uint16_t* value, int, int) {
        auto it = g_control.openDevice.find(handle);
        if (it == g_control.openDevice.end()) return ZEQ_ERR_HANDLE;
        if (address == 634) {
            if (g_control.naxisStatus != 0) return g_control.naxisStatus;
            std::size_t i = static_cast<std::size_t>(it->second);
            *value = i < g_control.devices.size() ? g_control.devices[i].naxis : 8;
            return 0;
        }
        *value = static_cast<std::uint16_t>(resultOr("value16", 0));
        return resultOr("ZEQ_GetParam16", 0);
    }
    unsigned char ZEQ_SethWnd(std::uint32_t) { return 1; }
    int ZEQ_DeviceFind(PciDeviceList* list) {
        if (g_control.findStatus != 0) return g_control.findStatus;
        list->count = static_cast<std::int32_t>(g_control.pciIds.size());
        for (std::size_t i = 0; i < g_control.pciIds.size() && i < PciDeviceList::kMaxCards; ++i)
            list->card[i] =
                PciCardEntry{{0x10u + static_cast<std::uint32_t>(i), g_control.pciIds[i], 0}};
        return 0;
    }
    int ZEQ_ReadProEEP(ZEQ_HANDLE handle, ZEQ_EEPROM_DATA* data) {
        auto it = g_control.openDevice.find(handle);
        if (it == g_control.openDevice.end()) return ZEQ_ERR_HANDLE;
        std::snprintf(data->Description, 64, "%s", g_control.eepromDescription[it->second].c_str());
        return resultOr("ZEQ_ReadProEEP", 0);
    }
    int ZEQ_WriteProEEP(ZEQ_HANDLE handle, const ZEQ_EEPROM_DATA* data) {
        auto it = g_control.openDevice.find(handle);
        if (it == g_control.openDevice.end()) return ZEQ_ERR_HANDLE;
        int r = resultOr("ZEQ_WriteProEEP", 0);
        if (r == 0) g_control.eepromDescription[it->second] = data->Description;
        return r;
    }
};
Custom g_custom;

}  // namespace

// The exports are defined under their own C++ names and given the library's symbol names:
// the PCI variant's ZEQ_Open differs from the one the public header declares.
#define STUB_DEFINE(name, result, params, args)                                   \
    STUB_EXPORT result stub_##name params __asm__(#name);                         \
    STUB_EXPORT result stub_##name params {                                       \
        g_control.calls.push_back(std::string(#name) + "(" + argText args + ")"); \
        auto run = [&](auto* c) -> result {                                       \
            if constexpr (requires { c->name args; }) {                           \
                return c->name args;                                              \
            } else {                                                              \
                return defaultResult<result>(#name);                              \
            }                                                                     \
        };                                                                        \
        return run(&g_custom);                                                    \
    }

#if defined(ZEQ_STUB_PCI)
#define STUB_USB(name, result, params, args)
#define STUB_PCI(name, result, params, args) STUB_DEFINE(name, result, params, args)
#else
#define STUB_USB(name, result, params, args) STUB_DEFINE(name, result, params, args)
#define STUB_PCI(name, result, params, args)
#endif
#define STUB_COMMON(name, result, params, args) STUB_DEFINE(name, result, params, args)

#define ZEQ_FN(list, name, wrapper, style, result, params, args) \
    STUB_##list(name, result, params, args)
#include "binding/device_functions.inc"
#undef ZEQ_FN

#if !defined(ZEQ_STUB_PCI)
STUB_EXPORT void ZEQ_SetNotifyCallback(ZEQ_NOTIFY_FN fn, void* context) {
    g_control.notify = fn;
    g_control.notifyContext = context;
}
#endif

STUB_EXPORT zeqstub::Control* zeqstub_control() {
    return &g_control;
}

STUB_EXPORT void zeqstub_notify(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
    if (g_control.notify) g_control.notify(g_control.notifyContext, 1, message, wParam, lParam);
}
