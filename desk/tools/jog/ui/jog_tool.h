// The jog dialog as a command of the main frame (32998): the command opens the one dialog, or
// brings it to the front; closing the frame ends a jog (velocity 0) before the boards go.
#pragma once

#include <functional>

namespace zeq::desk {

class Boards;
class MainWindow;

// `targetBoard`: the board the tools act on (-1: none). `boards` must outlive the window.
void installJogTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard);

}  // namespace zeq::desk
