// The axis lists of the jog and homing dialogs.
#pragma once

#include <string>
#include <vector>

#include "binding/boards.h"

namespace zeq::desk {

// The axis count of a board: `naxis` read from the card when a device is connected as the
// board (and answers), else the count remembered for the board. Talks to the card: call it on a
// tool's worker.
int toolAxisCount(const Boards& boards, int board);
// The entries "轴 0" … "轴 count-1".
std::vector<std::string> axisListEntries(int count);

}  // namespace zeq::desk
