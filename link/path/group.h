// Card parameters of the coordinated group, shared by the group exports and the path planner.
#pragma once

#include "card/registers.h"
#include "transport/device.h"

namespace zeq::link {

// The group's parameters, all 16-bit on axis 0 except `curpos` (32-bit, per axis):
// `startgroup` (0xFFFF runs the group, 0 stops it), `groupnum` (number of group axes),
// `group_x`, then `group_y`, `group_z`, `group_a` .. `group_m` at consecutive addresses,
// `cfifocnt` (words in the contour FIFO; writing 0 clears it), `curpos` (counts).
namespace reg = card::reg;

// The group parameter address of a group letter (either case), or -1.
int group_letter_address(int letter);

// The path planner's state of an open record. The planner makes it at the first call that needs
// it (about 10 MB, so a record that never plans a path never holds one) and the record frees it
// when it is closed. nullptr for a null record, when `make` is false and there is none yet, or
// when it cannot be allocated.
PathState* device_path(DeviceRecord* dev, bool make = true);

}  // namespace zeq::link
