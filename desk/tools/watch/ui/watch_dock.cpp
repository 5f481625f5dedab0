#include "tools/watch/ui/watch_dock.h"

#include <QAction>
#include <QDockWidget>

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "tools/watch/ui/watch_pane.h"
#include "tools/watch/ui/watch_ui_messages.h"

namespace zeq::desk {

QDockWidget* installWatchPane(MainWindow& window, WatchList& list) {
    list.setIniPath(window.iniPath().toStdString());
    list.load();
    list.readAxisCounts();

    auto* dock = new QDockWidget(QString::fromUtf8(watch_ui_text::kPaneTitle), &window);
    dock->setObjectName(QStringLiteral("watchDock"));
    dock->setAccessibleName(QString::fromUtf8(watch_ui_text::kPaneTitle));
    auto* pane = new WatchPane(list, dock);
    dock->setWidget(pane);
    window.addDockWidget(Qt::RightDockWidgetArea, dock);
    window.resizeDocks({dock}, {pane->sizeHint().width()}, Qt::Horizontal);

    window.setCommandHandler(cmd::kViewWatch, [dock] { dock->setVisible(!dock->isVisible()); });
    const std::pair<int, WatchCommand> frameCommands[] = {
        {cmd::kWatchStart, WatchCommand::Start},
        {cmd::kWatchStop, WatchCommand::Stop},
        {cmd::kWatchInterval, WatchCommand::Interval},
    };
    for (const auto& [id, command] : frameCommands) {
        const WatchCommand c = command;
        window.setCommandHandler(id, [pane, c] { pane->run(c); });
    }
    // The frame's entries follow the pane's enabling.
    QObject::connect(pane, &WatchPane::commandsChanged, &window, [&window, pane] {
        for (const auto& [id, command] : {std::pair{cmd::kWatchStart, WatchCommand::Start},
                                          std::pair{cmd::kWatchStop, WatchCommand::Stop},
                                          std::pair{cmd::kWatchInterval, WatchCommand::Interval}})
            if (QAction* a = window.action(id)) a->setEnabled(pane->action(command)->isEnabled());
        if (QAction* a = window.action(cmd::kViewWatch)) a->setChecked(pane->isVisible());
    });
    QObject::connect(dock, &QDockWidget::visibilityChanged, pane, &WatchPane::updateActions);
    QObject::connect(&window, &MainWindow::boardsChanged, pane, &WatchPane::updateActions);
    window.addCloseHook([&list] {
        list.stop();
        list.save();
    });
    pane->updateActions();
    return dock;
}

}  // namespace zeq::desk
