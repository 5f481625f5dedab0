#include "tools/firmware/ui/firmware_install.h"

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/common/ui/tool_shell_dialogs.h"
#include "tools/firmware/ui/firmware_dialog.h"

namespace zeq::desk {

void installFirmware(MainWindow& window, Boards& boards, std::function<int()> targetBoard,
                     std::shared_ptr<ShellDialogs> shell) {
    if (!shell) shell = std::make_shared<ToolShellDialogs>(&window);
    window.setCommandHandler(cmd::kFirmware, [&window, &boards, targetBoard, shell] {
        auto* dialog = new firmware::FirmwareDialog(boards, targetBoard(), *shell, &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
}

}  // namespace zeq::desk
