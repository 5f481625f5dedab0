// The board list of a tool window: the boards a device is connected as, "Board %d" each, the
// board number as the entry's data.
#pragma once

#include "binding/boards.h"

class QComboBox;

namespace zeq::desk {

// Refills `list`; selects `preferred` when it is listed, else the first entry. Returns the
// selected board, -1 when none is connected. Reads the handle table only (no card access).
int fillBoardList(QComboBox* list, const Boards& boards, int preferred);
// The board of the list's current entry, -1 when none.
int selectedBoard(const QComboBox* list);

}  // namespace zeq::desk
