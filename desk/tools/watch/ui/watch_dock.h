// The watch box as a dockable pane of the main frame: command 33011 shows and hides it, the
// frame's watch commands run through it, and the list is saved when the frame closes (after
// the frame has rewritten its own settings, so the interval set survives a restart).
#pragma once

class QDockWidget;

namespace zeq::desk {

class MainWindow;
class WatchList;
class WatchPane;

// Loads the list (`ListView`, `ListGetTime` from the frame's zeq.ini) when it is empty, starts
// reading the axis counts of the connected boards, and docks the pane on the right. `list`
// must outlive the window.
QDockWidget* installWatchPane(MainWindow& window, WatchList& list);

}  // namespace zeq::desk
