#include "tools/homing/ui/homing_tool.h"

#include <QPointer>

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/homing/ui/homing_dialog.h"

namespace zeq::desk {

void installHomingTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard) {
    auto dialog = std::make_shared<QPointer<HomingDialog>>();
    window.setCommandHandler(cmd::kHoming, [&window, &boards, targetBoard, dialog] {
        if (!*dialog) *dialog = new HomingDialog(boards, targetBoard, &window);
        (*dialog)->show();
        (*dialog)->raise();
        (*dialog)->activateWindow();
    });
    window.addCloseHook([dialog] { delete dialog->data(); });
}

}  // namespace zeq::desk
