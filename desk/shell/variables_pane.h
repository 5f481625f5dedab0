// The variables pane: the globals and the locals of the running function of a paused program
// run, with their values. Filled when the run pauses, greyed while it goes on, emptied when
// it ends.
#pragma once

#include <QTreeWidget>
#include <vector>

#include "interpreter/run_observer.h"

namespace zeq::desk {

class VariablesPane : public QTreeWidget {
    Q_OBJECT
  public:
    explicit VariablesPane(QWidget* parent = nullptr);

    // The run paused: one row per variable (name, value, scope), the locals after the globals.
    void showPaused(const std::vector<RunObserver::Variable>& variables);
    // The run goes on: the rows stay, greyed, until the next pause or the end.
    void showRunning();
    void showEnded();

    // The value column's text of `name` (for the locals when `local`); empty when absent.
    QString valueText(const QString& name, bool local = false) const;
};

}  // namespace zeq::desk
