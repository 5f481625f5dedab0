// The teach tool in the main frame: command 33013 opens the dialog "示教" on the target board.
#pragma once

#include <functional>
#include <memory>

namespace zeq::desk {

class Boards;
class MainWindow;
class ShellDialogs;

// `targetBoard` gives the board the dialog starts on (-1: none, board 0 is shown). `boards`
// must outlive the window. `shell` null: the desktop's own message boxes and file dialogs.
void installTeach(MainWindow& window, Boards& boards, std::function<int()> targetBoard,
                  std::shared_ptr<ShellDialogs> shell = nullptr);

}  // namespace zeq::desk
