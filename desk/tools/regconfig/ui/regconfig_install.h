// The register configuration tool in the main frame: command 32938 opens the dialog
// "寄存器配置" on the target board, command 33018 sends an instruction file to it.
#pragma once

#include <functional>
#include <memory>

namespace zeq::desk {

class Boards;
class MainWindow;
class ShellDialogs;

// `targetBoard` gives the board the tools act on (-1: none). `boards` must outlive the window.
// `shell` null: the desktop's own message boxes and file dialogs.
void installRegisterConfig(MainWindow& window, Boards& boards, std::function<int()> targetBoard,
                           std::shared_ptr<ShellDialogs> shell = nullptr);

}  // namespace zeq::desk
