#include "binding/device_wrappers.h"

#include <type_traits>

#include "card/registers.h"

namespace zeq::desk {
namespace {

constexpr int kStatusInvalidHandle = ZEQ_ERR_HANDLE;

template <class F>
F bound(Entry e) {
    return reinterpret_cast<F>(deviceBinding().entry(e));
}

// The result of a setter call as a status: ZEQ_OK for the library's setters that keep none.
template <class Call>
int statusOf(Call call) {
    if constexpr (std::is_void_v<decltype(call())>) {
        call();
        return ZEQ_OK;
    } else {
        return call();
    }
}

}  // namespace

// ---- Generated wrappers --------------------------------------------------------------------

#define ZEQ_WRAP_PLAIN(list, name, wrapper, result, params, args) \
    result wrapper params {                                       \
        static_assert(std::is_same_v<result, int>);               \
        auto f = bound<fn::list##_##name>(Entry::list##_##name);  \
        if (!f) {                                                 \
            deviceBinding().reportInvalid(#wrapper);              \
            return kStatusInvalidHandle;                          \
        }                                                         \
        return f args;                                            \
    }
#define ZEQ_WRAP_NOTVALID_ZERO(list, name, wrapper, result, params, args) \
    result wrapper params {                                               \
        auto f = bound<fn::list##_##name>(Entry::list##_##name);          \
        if (!f) {                                                         \
            deviceBinding().reportNotValid(#wrapper);                     \
            return static_cast<result>(0);                                \
        }                                                                 \
        return f args;                                                    \
    }
#define ZEQ_WRAP_NOTVALID_FF(list, name, wrapper, result, params, args) \
    result wrapper params {                                             \
        auto f = bound<fn::list##_##name>(Entry::list##_##name);        \
        if (!f) {                                                       \
            deviceBinding().reportNotValid(#wrapper);                   \
            return static_cast<result>(0xFF);                           \
        }                                                               \
        return f args;                                                  \
    }
/* The setters answer the message box's OK (1) when missing; the library's setters that keep
 * no status give 0 once called. */
#define ZEQ_WRAP_NOTVALID_SET(list, name, wrapper, result, params, args) \
    int wrapper params {                                                 \
        auto f = bound<fn::list##_##name>(Entry::list##_##name);         \
        if (!f) {                                                        \
            deviceBinding().reportNotValid(#wrapper);                    \
            return 1;                                                    \
        }                                                                \
        return statusOf([&] { return f args; });                         \
    }
#define ZEQ_WRAP_CUSTOM(list, name, wrapper, result, params, args)
#define ZEQ_FN(list, name, wrapper, style, result, params, args) \
    ZEQ_WRAP_##style(list, name, wrapper, result, params, args)
#include "binding/device_functions.inc"
#undef ZEQ_FN

// ---- Wrappers with their own argument order ------------------------------------------------

int myClose(ZEQ_HANDLE* handle) {
    auto f = bound<fn::COMMON_ZEQ_Close>(Entry::COMMON_ZEQ_Close);
    if (!f) {
        deviceBinding().reportInvalid("myClose");
        return kStatusInvalidHandle;
    }
    if (!handle) return ZEQ_ERR_ARGUMENT;
    int status = f(*handle);
    // The library frees the device record whatever the bridge's own close gave (a card pulled
    // out fails it), and ZEQ_ERR_HANDLE means it never knew the handle: either way the handle is
    // gone, and keeping it would block its board for good.
    *handle = 0;
    return status;
}

namespace {

template <class Value>
int writeParam(Entry e, const char* wrapper, ZEQ_HANDLE handle, int axis, int address, Value value,
               int selector) {
    using F = int (*)(ZEQ_HANDLE, int, Value, int, int);
    auto f = bound<F>(e);
    if (!f) {
        deviceBinding().reportInvalid(wrapper);
        return kStatusInvalidHandle;
    }
    return f(handle, address, value, axis, selector);
}

// The 16- and 32-bit reads report nothing when unbound: the status says it.
template <class Value>
Value readParam(Entry e, ZEQ_HANDLE handle, int axis, int address, int* status, int selector) {
    using F = int (*)(ZEQ_HANDLE, int, Value*, int, int);
    auto f = bound<F>(e);
    int dummy = 0;
    int& st = status ? *status : dummy;
    if (!f) {
        st = kStatusInvalidHandle;
        return static_cast<Value>(-1);
    }
    Value value = 0;
    st = f(handle, address, &value, axis, selector);
    return value;
}

int readParam48(const char* wrapper, ZEQ_HANDLE handle, int axis, int address, std::int64_t* value,
                int selector) {
    auto f = bound<fn::COMMON_ZEQ_GetParam48>(Entry::COMMON_ZEQ_GetParam48);
    if (!f) {
        deviceBinding().reportInvalid(wrapper);
        return kStatusInvalidHandle;
    }
    return f(handle, address, value, axis, selector);
}

static_assert(std::is_same_v<fn::COMMON_ZEQ_SetParam16, int (*)(ZEQ_HANDLE, int, int, int, int)>);
static_assert(std::is_same_v<fn::COMMON_ZEQ_SetParam32, int (*)(ZEQ_HANDLE, int, int, int, int)>);
static_assert(
    std::is_same_v<fn::COMMON_ZEQ_SetParam48, int (*)(ZEQ_HANDLE, int, std::int64_t, int, int)>);
static_assert(
    std::is_same_v<fn::COMMON_ZEQ_GetParam16, int (*)(ZEQ_HANDLE, int, std::uint16_t*, int, int)>);
static_assert(
    std::is_same_v<fn::COMMON_ZEQ_GetParam32, int (*)(ZEQ_HANDLE, int, std::int32_t*, int, int)>);

}  // namespace

int myWriteParamWord(ZEQ_HANDLE handle, int axis, int address, int value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam16, "myWriteParamWord", handle, axis, address,
                      value, 0);
}
int myWriteParamWordQ(ZEQ_HANDLE handle, int axis, int address, int value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam16, "myWriteParamWordQ", handle, axis, address,
                      value, 1);
}
int myWriteParam(ZEQ_HANDLE handle, int axis, int address, int value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam32, "myWriteParam", handle, axis, address, value,
                      0);
}
int myWriteParamQ(ZEQ_HANDLE handle, int axis, int address, int value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam32, "myWriteParamQ", handle, axis, address, value,
                      1);
}
int myWriteParamDouble(ZEQ_HANDLE handle, int axis, int address, std::int64_t value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam48, "myWriteParamDouble", handle, axis, address,
                      value, 0);
}
int myWriteParamDoubleQ(ZEQ_HANDLE handle, int axis, int address, std::int64_t value) {
    return writeParam(Entry::COMMON_ZEQ_SetParam48, "myWriteParamDoubleQ", handle, axis, address,
                      value, 1);
}

std::uint16_t myReadParamWord(ZEQ_HANDLE handle, int axis, int address, int* status) {
    return readParam<std::uint16_t>(Entry::COMMON_ZEQ_GetParam16, handle, axis, address, status, 0);
}
std::uint16_t myReadParamWordQ(ZEQ_HANDLE handle, int axis, int address, int* status) {
    return readParam<std::uint16_t>(Entry::COMMON_ZEQ_GetParam16, handle, axis, address, status, 1);
}
std::int32_t myReadParam(ZEQ_HANDLE handle, int axis, int address, int* status) {
    return readParam<std::int32_t>(Entry::COMMON_ZEQ_GetParam32, handle, axis, address, status, 0);
}
std::int32_t myReadParamQ(ZEQ_HANDLE handle, int axis, int address, int* status) {
    return readParam<std::int32_t>(Entry::COMMON_ZEQ_GetParam32, handle, axis, address, status, 1);
}
int myReadParamDouble(ZEQ_HANDLE handle, int axis, int address, std::int64_t* value) {
    return readParam48("myReadParamDouble", handle, axis, address, value, 0);
}
int myReadParamDoubleQ(ZEQ_HANDLE handle, int axis, int address, std::int64_t* value) {
    return readParam48("myReadParamDoubleQ", handle, axis, address, value, 1);
}

int myIsRBFIFONoEmptyQ(ZEQ_HANDLE handle) {
    using F = int (*)(ZEQ_HANDLE, int);
    auto f = reinterpret_cast<F>(deviceBinding().optionalEntry(OptionalEntry::IsRBFIFONoEmpty));
    return f ? f(handle, 1) : kDeferredReadUnbound;
}

int myGetRFIFODataQ(ZEQ_HANDLE handle, int axis, int address, int words, std::int64_t* value) {
    DeviceBinding& b = deviceBinding();
    std::int64_t v = 0;
    int status = kDeferredReadUnbound;
    if (words == 1) {
        using F = int (*)(ZEQ_HANDLE, int, std::uint16_t*, int, int);
        std::uint16_t w = 0;
        if (auto f = reinterpret_cast<F>(b.optionalEntry(OptionalEntry::GetRFIFOData16)))
            status = f(handle, address, &w, axis, 1);
        v = w;
    } else if (words == 2) {
        using F = int (*)(ZEQ_HANDLE, int, std::int32_t*, int, int);
        std::int32_t w = 0;
        if (auto f = reinterpret_cast<F>(b.optionalEntry(OptionalEntry::GetRFIFOData32)))
            status = f(handle, address, &w, axis, 1);
        v = w;
    } else if (words == 3) {
        using F = int (*)(ZEQ_HANDLE, int, std::int64_t*, int, int);
        if (auto f = reinterpret_cast<F>(b.optionalEntry(OptionalEntry::GetRFIFOData48)))
            status = f(handle, address, &v, axis, 1);
    }
    if (value) *value = v;
    return status;
}

int myWriteWaitToken(ZEQ_HANDLE handle, int x, int y) {
    auto f = bound<fn::COMMON_ZEQ_WaitToken>(Entry::COMMON_ZEQ_WaitToken);
    if (!f) {
        deviceBinding().reportInvalid("myWriteWaitToken");
        return kStatusInvalidHandle;
    }
    return f(handle, y, x);
}

int myWriteWaitToZeroQ(ZEQ_HANDLE handle, int x, int y) {
    auto f = bound<fn::COMMON_ZEQ_WaitToZero>(Entry::COMMON_ZEQ_WaitToZero);
    if (!f) {
        deviceBinding().reportInvalid("myWriteWaitToZeroQ");
        return kStatusInvalidHandle;
    }
    return f(handle, y, x);
}

namespace {
int checkFifo(const char* wrapper, ZEQ_HANDLE handle, int selector) {
    auto f = bound<fn::COMMON_ZEQ_CheckFIFONotHalfFull>(Entry::COMMON_ZEQ_CheckFIFONotHalfFull);
    if (!f) {
        deviceBinding().reportInvalid(wrapper);
        return kStatusInvalidHandle;
    }
    return f(handle, selector);
}
}  // namespace

int WaitForQCDFIFONotHalfFull(ZEQ_HANDLE handle) {
    return checkFifo("WaitForQCDFIFONotHalfFull", handle, 1);
}
int WaitForICDFIFONotHalfFull(ZEQ_HANDLE handle) {
    return checkFifo("WaitForICDFIFONotHalfFull", handle, 0);
}

int myEnableGrou(ZEQ_HANDLE handle, int enable, int selector) {
    auto f = bound<fn::COMMON_ZEQ_EnableGroup>(Entry::COMMON_ZEQ_EnableGroup);
    if (!f) {
        deviceBinding().reportInvalid("myEnableGrou");
        return kStatusInvalidHandle;
    }
    return f(handle, enable != 0 ? 1 : 0, selector);
}

int MyPathAddArcSegData(ZEQ_HANDLE, const void*, int) {
    deviceBinding().reportInvalid("MyPathAddArcSegData");
    return kStatusInvalidHandle;
}

int MyPathAddArc(ZEQ_HANDLE, const void*, int) {
    deviceBinding().reportInvalid("MyPathAddArc");
    return kStatusInvalidHandle;
}

int readAxisCount(ZEQ_HANDLE handle) {
    int status = ZEQ_OK;
    std::uint16_t value = myReadParamWord(handle, 0, card::reg::naxis, &status);
    return status == ZEQ_OK ? static_cast<std::int16_t>(value) : -1;
}

}  // namespace zeq::desk
