#include "sim/motion.h"

#include "sim/regs.h"

namespace zeq::sim {

void Motion::power_on(int naxis) { naxis_ = naxis; }

void Motion::on_write(int, uint16_t) {}

void Motion::tick() {}

bool Motion::idle() const { return true; }

}  // namespace zeq::sim
