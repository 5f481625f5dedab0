#include "tools/teach/ui/teach_install.h"

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/common/ui/tool_shell_dialogs.h"
#include "tools/teach/ui/teach_dialog.h"

namespace zeq::desk {

void installTeach(MainWindow& window, Boards& boards, std::function<int()> targetBoard,
                  std::shared_ptr<ShellDialogs> shell) {
    if (!shell) shell = std::make_shared<ToolShellDialogs>(&window);
    window.setCommandHandler(cmd::kTeach, [&window, &boards, targetBoard, shell] {
        auto* dialog = new teach::TeachDialog(boards, targetBoard(), *shell,
                                              window.iniPath().toStdString(), &window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
}

}  // namespace zeq::desk
