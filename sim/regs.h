// Register addresses of the card as the virtual card uses them: the card's named addresses
// (card/registers.h). Per-axis registers live in the axis's block of 1024 words; global registers
// live in the block of axis 0.
#pragma once

#include "card/registers.h"

namespace zeq::sim {
namespace reg = card::reg;
}  // namespace zeq::sim
