// The guard wrappers: the only way the IDE calls the device library. Each calls its entry of
// the function table (device_binding.h) with the arguments passed through and returns the
// result unchanged; an entry that is not bound is reported and the call fails (see the styles
// in device_functions.inc).
//
// Names: `My` + the function's name without "ZEQ_" (MyMoveAbsolute wraps ZEQ_MoveAbsolute),
// `MyEvent` + the name for the event instructions (MyEventADD32 wraps ZEQ_ADD32), and the
// exceptions listed in device_functions.inc (ListDevices, usbPurge, USBOpen, PCIOpen,
// myPCIFindDev, ReadID25, ExecutePath, AddLineSeg, MySetSynSource, MyGetGetEncp …). The PCI
// entries of ZEQ_Write, ZEQ_Read and ZEQ_OpenUsePassword are wrapped by MyPCIWrite, MyPCIRead
// and MyPCIOpenUsePassword. The signatures of the generated wrappers are the lines of
// device_functions.inc; the wrappers with another argument order are declared below.
#pragma once

#include <cstdint>

#include "binding/device_binding.h"
#include "binding/device_types.h"

namespace zeq::desk {

#define ZEQ_DECL_PLAIN(result, wrapper, params) result wrapper params;
#define ZEQ_DECL_NOTVALID_ZERO(result, wrapper, params) result wrapper params;
#define ZEQ_DECL_NOTVALID_FF(result, wrapper, params) result wrapper params;
#define ZEQ_DECL_NOTVALID_SET(result, wrapper, params) int wrapper params;
#define ZEQ_DECL_CUSTOM(result, wrapper, params)
#define ZEQ_FN(list, name, wrapper, style, result, params, args) \
    ZEQ_DECL_##style(result, wrapper, params)
#include "binding/device_functions.inc"
#undef ZEQ_FN
#undef ZEQ_DECL_PLAIN
#undef ZEQ_DECL_NOTVALID_ZERO
#undef ZEQ_DECL_NOTVALID_FF
#undef ZEQ_DECL_NOTVALID_SET
#undef ZEQ_DECL_CUSTOM

// ZEQ_Close: closes *handle and sets it to 0 whatever the close returned (the library keeps no
// record of a handle it was asked to close); the result is the library's.
int myClose(ZEQ_HANDLE* handle);

// ZEQ_SetParam16/32/48 (handle, address, value, axis, selector). The plain forms use the
// immediate FIFO (selector 0), the Q forms the queue FIFO (1).
int myWriteParamWord(ZEQ_HANDLE handle, int axis, int address, int value);
int myWriteParamWordQ(ZEQ_HANDLE handle, int axis, int address, int value);
int myWriteParam(ZEQ_HANDLE handle, int axis, int address, int value);
int myWriteParamQ(ZEQ_HANDLE handle, int axis, int address, int value);
int myWriteParamDouble(ZEQ_HANDLE handle, int axis, int address, std::int64_t value);
int myWriteParamDoubleQ(ZEQ_HANDLE handle, int axis, int address, std::int64_t value);

// ZEQ_GetParam16/32: the status goes to *status, the value is the result. Not bound: nothing
// is shown, *status is ZEQ_ERR_HANDLE and the result 0xFFFF / -1.
std::uint16_t myReadParamWord(ZEQ_HANDLE handle, int axis, int address, int* status);
std::uint16_t myReadParamWordQ(ZEQ_HANDLE handle, int axis, int address, int* status);
std::int32_t myReadParam(ZEQ_HANDLE handle, int axis, int address, int* status);
std::int32_t myReadParamQ(ZEQ_HANDLE handle, int axis, int address, int* status);
// ZEQ_GetParam48: the value goes to *value, the status is the result.
int myReadParamDouble(ZEQ_HANDLE handle, int axis, int address, std::int64_t* value);
int myReadParamDoubleQ(ZEQ_HANDLE handle, int axis, int address, std::int64_t* value);

// The deferred read-back of the queue FIFO (optional entries; a library without them gives
// kDeferredReadUnbound and nothing is shown). ZEQ_IsRBFIFONoEmpty: ZEQ_OK when a reply waits,
// ZEQ_ERR_RBFIFO_EMPTY while the read-back FIFO stays empty. ZEQ_GetRFIFOData16/32/48 by `words`
// (1, 2, 3): the reply of the read of (axis, address), the 16-bit value unsigned, the 48-bit one
// sign-extended.
inline constexpr int kDeferredReadUnbound = -1;
int myIsRBFIFONoEmptyQ(ZEQ_HANDLE handle);
int myGetRFIFODataQ(ZEQ_HANDLE handle, int axis, int address, int words, std::int64_t* value);

// ZEQ_WaitToken / ZEQ_WaitToZero: wrapper (handle, x, y) calls (handle, y, x); the interpreter
// passes (axis, parameter address).
int myWriteWaitToken(ZEQ_HANDLE handle, int x, int y);
int myWriteWaitToZeroQ(ZEQ_HANDLE handle, int x, int y);

// ZEQ_CheckFIFONotHalfFull on the queue FIFO / the immediate FIFO: 0, 8 while half full.
int WaitForQCDFIFONotHalfFull(ZEQ_HANDLE handle);
int WaitForICDFIFONotHalfFull(ZEQ_HANDLE handle);

// ZEQ_EnableGroup with 1 for any non-zero `enable`, else 0.
int myEnableGrou(ZEQ_HANDLE handle, int enable, int selector);

// Script built-ins that no binding list fills: they always report and return ZEQ_ERR_HANDLE.
int MyPathAddArcSegData(ZEQ_HANDLE handle, const void* record, int fifo);
int MyPathAddArc(ZEQ_HANDLE handle, const void* record, int fifo);

// The card's axis count: `naxis` (634) of axis 0 through the immediate FIFO, as a signed
// 16-bit number; -1 when the read fails.
int readAxisCount(ZEQ_HANDLE handle);

}  // namespace zeq::desk
