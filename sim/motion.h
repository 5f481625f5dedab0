// The motion model of the virtual card: profile generators, gearing, homing, group playback
// and event channels, stepped once per servo tick. It reads and writes the register file
// directly, so that everything it does is visible to the host as register values.
#pragma once

#include <cstdint>

#include "sim/register_file.h"
#include "sim/ring.h"

namespace zeq::sim {

class Motion {
public:
    Motion(RegisterFile& regs, Ring<int16_t>& contour) : r_(regs), contour_(contour) {}

    // Power-on state of every motion register for a card of `naxis` axes.
    void power_on(int naxis);
    // Side effects of a host write that started at `addr` on `axis`.
    void on_write(int axis, uint16_t addr);
    // One servo tick.
    void tick();
    // True when a tick would change nothing but the tick counter.
    bool idle() const;

private:
    RegisterFile& r_;
    Ring<int16_t>& contour_;
    int naxis_ = 4;
};

}  // namespace zeq::sim
