// The interpreter's device port over the bound device library: every call goes through the
// guard wrapper of its function, with the handle the interpreter took from the board table.
#include "interpreter/binding_device_port.h"

#include "binding/device_wrappers.h"
#include "language/tokens.h"

namespace zeq::desk {

int BindingDevicePort::writeParam16(std::uint32_t h, int axis, int address, int value, bool queue) {
    return queue ? myWriteParamWordQ(h, axis, address, value)
                 : myWriteParamWord(h, axis, address, value);
}
int BindingDevicePort::writeParam32(std::uint32_t h, int axis, int address, int value, bool queue) {
    return queue ? myWriteParamQ(h, axis, address, value) : myWriteParam(h, axis, address, value);
}
int BindingDevicePort::writeParam48(std::uint32_t h, int axis, int address, std::int64_t value,
                                    bool queue) {
    return queue ? myWriteParamDoubleQ(h, axis, address, value)
                 : myWriteParamDouble(h, axis, address, value);
}
int BindingDevicePort::readParam16(std::uint32_t h, int axis, int address, int* status,
                                   bool queue) {
    return queue ? myReadParamWordQ(h, axis, address, status)
                 : myReadParamWord(h, axis, address, status);
}
int BindingDevicePort::readParam32(std::uint32_t h, int axis, int address, int* status,
                                   bool queue) {
    return queue ? myReadParamQ(h, axis, address, status) : myReadParam(h, axis, address, status);
}
int BindingDevicePort::readParam48(std::uint32_t h, int axis, int address, std::int64_t* value,
                                   bool queue) {
    return queue ? myReadParamDoubleQ(h, axis, address, value)
                 : myReadParamDouble(h, axis, address, value);
}
int BindingDevicePort::waitFifoNotHalfFull(std::uint32_t h, bool queue) {
    return queue ? WaitForQCDFIFONotHalfFull(h) : WaitForICDFIFONotHalfFull(h);
}
int BindingDevicePort::writeWaitToken(std::uint32_t h, int axis, int address) {
    return myWriteWaitToken(h, axis, address);
}
int BindingDevicePort::writeWaitToZero(std::uint32_t h, int axis, int address) {
    return myWriteWaitToZeroQ(h, axis, address);
}
int BindingDevicePort::enableGroup(std::uint32_t h, int enable, int fifo) {
    return myEnableGrou(h, enable, fifo);
}
int BindingDevicePort::exitGroup(std::uint32_t h, int fifo) {
    return myExitGrou(h, fifo);
}
int BindingDevicePort::setGroupAxisNum(std::uint32_t h, int count, int fifo) {
    return mySetGroupAxisNum(h, count, fifo);
}
int BindingDevicePort::putContourData(std::uint32_t h, const std::int16_t* words, int count) {
    return MyPutContourData(h, words, count);
}
int BindingDevicePort::executePath(std::uint32_t h) {
    return ExecutePath(h);
}
int BindingDevicePort::getMachineData(std::uint32_t h, AxisMachineData (&axes)[4]) {
    McData* table = nullptr;
    const int status = MyGetMCData(h, &table);
    if (status == ZEQ_OK && table) {
        for (int a = 0; a < 4; ++a)
            axes[a] = {table->axis[a].encp, table->axis[a].moving, table->axis[a].error,
                       table->axis[a].aio};
    }
    return status;
}
int BindingDevicePort::pathAddEvent(std::uint32_t h, const void* entries, int count) {
    return MyPathAddEvent(h, entries, count, 1);
}
int BindingDevicePort::queuedReplyWaiting(std::uint32_t h) {
    const int status = myIsRBFIFONoEmptyQ(h);
    return status == kDeferredReadUnbound ? kNoDeferredRead : status;
}
int BindingDevicePort::takeQueuedReply(std::uint32_t h, int axis, int address, int words,
                                       std::int64_t* value) {
    const int status = myGetRFIFODataQ(h, axis, address, words, value);
    return status == kDeferredReadUnbound ? kNoDeferredRead : status;
}
int BindingDevicePort::axisCount(int board) {
    return m_axisCount ? m_axisCount(board) : 4;
}

// The built-in's bound function, from the call column of the built-in table.
int BindingDevicePort::builtin(int code, std::uint32_t h, std::span<const DeviceArg> args, int fifo,
                               DeviceOut& out) {
    // Missing script arguments read as 0 rather than past the end.
    static const DeviceArg kZero{};
    auto a = [&](std::size_t k) -> const DeviceArg& { return k < args.size() ? args[k] : kZero; };
    auto dbl = [&](std::size_t k) { return a(k).d; };
    auto i32 = [&](std::size_t k) { return a(k).i32(); };
    auto i64 = [&](std::size_t k) { return a(k).i; };
    auto ptr = [&](std::size_t k) { return a(k).ptr(); };
    switch (code) {
#define RET(...) return __VA_ARGS__;
#define RUN(...) \
    __VA_ARGS__; \
    return ZEQ_OK;
#define OUTD(...)        \
    out.d = __VA_ARGS__; \
    return ZEQ_OK;
#define NO_CALL break;
#define ZEQ_BUILTIN(id, word, code, shape, count, tip, args, style, call) \
    case tok::id: {                                                       \
        call                                                              \
    }
#include "language/builtins.inc"
#undef ZEQ_BUILTIN
#undef RET
#undef RUN
#undef OUTD
#undef NO_CALL
        default:
            break;
    }
    return ZEQ_ERR_ARGUMENT;  // a built-in the port does not call
}

}  // namespace zeq::desk
