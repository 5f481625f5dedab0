// The homing dialog as a command of the main frame (32985): the command opens the one dialog,
// or brings it to the front. The dialog keeps the working state of every board and axis while
// the frame lives.
#pragma once

#include <functional>

namespace zeq::desk {

class Boards;
class MainWindow;

// `targetBoard`: the board the tools act on (-1: none). `boards` must outlive the window.
void installHomingTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard);

}  // namespace zeq::desk
