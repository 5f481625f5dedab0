#include "tools/graph/ui/graph_tool.h"

#include <QPointer>

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/graph/ui/graph_dialog.h"

namespace zeq::desk {

void installGraphTool(MainWindow& window, Boards& boards, std::function<int()> targetBoard) {
    auto dialog = std::make_shared<QPointer<GraphDialog>>();
    window.setCommandHandler(cmd::kGraph, [&window, &boards, targetBoard, dialog] {
        if (!*dialog) {
            *dialog = new GraphDialog(boards, targetBoard, window.iniPath(), &window);
            const QByteArray file = qgetenv("ZEQDESK_GRAPH_OPEN");
            if (!file.isEmpty()) (*dialog)->openCsv(QString::fromLocal8Bit(file));
        }
        (*dialog)->show();
        (*dialog)->raise();
        (*dialog)->activateWindow();
    });
    // Closing the frame closes the dialog (its settings) and ends its capture before the
    // boards and the library go.
    window.addCloseHook([dialog] {
        if (!*dialog) return;
        if ((*dialog)->isVisible()) (*dialog)->reject();
        delete dialog->data();
    });
}

}  // namespace zeq::desk
