// DevicePort over the guard wrappers of the bound device library (binding/device_wrappers.h).
#pragma once

#include <functional>

#include "interpreter/device_port.h"

namespace zeq::desk {

class BindingDevicePort : public DevicePort {
  public:
    // `axisCount`: the axis count of a board (the board table's); 4 when not given.
    explicit BindingDevicePort(std::function<int(int)> axisCount = {})
        : m_axisCount(std::move(axisCount)) {}

    int writeParam16(std::uint32_t h, int axis, int address, int value, bool queue) override;
    int writeParam32(std::uint32_t h, int axis, int address, int value, bool queue) override;
    int writeParam48(std::uint32_t h, int axis, int address, std::int64_t value,
                     bool queue) override;
    int readParam16(std::uint32_t h, int axis, int address, int* status, bool queue) override;
    int readParam32(std::uint32_t h, int axis, int address, int* status, bool queue) override;
    int readParam48(std::uint32_t h, int axis, int address, std::int64_t* value,
                    bool queue) override;
    int waitFifoNotHalfFull(std::uint32_t h, bool queue) override;
    int writeWaitToken(std::uint32_t h, int axis, int address) override;
    int writeWaitToZero(std::uint32_t h, int axis, int address) override;
    int enableGroup(std::uint32_t h, int enable, int fifo) override;
    int exitGroup(std::uint32_t h, int fifo) override;
    int setGroupAxisNum(std::uint32_t h, int count, int fifo) override;
    int putContourData(std::uint32_t h, const std::int16_t* words, int count) override;
    int executePath(std::uint32_t h) override;
    int getMachineData(std::uint32_t h, AxisMachineData (&axes)[4]) override;
    int pathAddEvent(std::uint32_t h, const void* entries, int count) override;
    int builtin(int code, std::uint32_t h, std::span<const DeviceArg> args, int fifo,
                DeviceOut& out) override;
    int axisCount(int board) override;
    int queuedReplyWaiting(std::uint32_t h) override;
    int takeQueuedReply(std::uint32_t h, int axis, int address, int words,
                        std::int64_t* value) override;

  private:
    std::function<int(int)> m_axisCount;
};

}  // namespace zeq::desk
