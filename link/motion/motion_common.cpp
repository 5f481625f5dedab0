#include "motion/motion_common.h"

namespace zeq::link::motion {

bool axis_valid(const DeviceRecord& dev, int axis) {
    return axis >= 0 && axis < dev.axisCount && axis < kMaxScaleAxes;
}

int check_axes(ZEQ_HANDLE handle, std::initializer_list<int> axes, DeviceRecord** dev) {
    DeviceRecord* d = find_device(handle);
    if (d == nullptr) return ZEQ_ERR_HANDLE;
    for (int a : axes) {
        if (!axis_valid(*d, a)) return ZEQ_ERR_AXIS;
    }
    *dev = d;
    return ZEQ_OK;
}

int gear_source_address(int enumerator) {
    static constexpr int kAddr[] = {reg::curvel, reg::encpvel, reg::mcsvel, reg::pcsvel,
                                    reg::encsvel};
    if (enumerator < 0 || enumerator > 4) return -1;
    return kAddr[enumerator];
}

int syn_source_address(int enumerator, bool allowTicks) {
    static constexpr int kAddr[] = {reg::curpos, reg::encp, reg::mcspos,
                                    reg::pcspos, reg::encs, reg::ticks};
    if (enumerator < 0 || enumerator > (allowTicks ? 5 : 4)) return -1;
    return kAddr[enumerator];
}

}  // namespace zeq::link::motion
