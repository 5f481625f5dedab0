#include "tools/jog/ui/jog_tool.h"

#include <QPointer>

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/jog/ui/jog_dialog.h"

namespace zeq::desk {

void installJogTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard) {
    auto dialog = std::make_shared<QPointer<JogDialog>>();
    window.setCommandHandler(cmd::kJog, [&window, &boards, targetBoard, dialog] {
        if (!*dialog) {
            *dialog = new JogDialog(boards, targetBoard, &window);
        } else if (!(*dialog)->isVisible()) {
            (*dialog)->refreshBoards();  // the connections may have changed meanwhile
        }
        (*dialog)->show();
        (*dialog)->raise();
        (*dialog)->activateWindow();
    });
    window.addCloseHook([dialog] { delete dialog->data(); });
}

}  // namespace zeq::desk
