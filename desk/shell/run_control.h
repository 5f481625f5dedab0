// Run control in the main frame: the commands of the project menu and bars (analyse, run,
// step, pause, continue, stop), hold and emergency stop, the instruction box, the running-line
// mark, breakpoints in the editor's gutter with run to cursor, and the variables pane. The
// work is the session's RunController; this object gives it the window's commands and shows
// what it reports.
//
// Threads: the commands run on the user-interface thread and never wait for a card; hold and
// emergency stop, which write to a card, run on a worker of their own. The controller's
// reports (RunObserver, EditorMarks) come on its workers; they are queued to the window's
// thread, and the running-line marks are coalesced there to one repaint per frame, always
// ending on the line the interpreter marked last.
//
//   auto runControl = installRunControl(window, session);   // after the session is open
//   ... app.exec() ...
//   runControl.reset();                                      // before the session goes
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/interfaces.h"
#include "interpreter/run_observer.h"
#include "shell/rules/breakpoint_book.h"

class QAction;
class QDockWidget;
class QMenu;

namespace zeq::desk {

class MainWindow;
class RunController;
class Session;
class SourceEditor;
class VariablesPane;

class RunControl : public QObject, public RunObserver, public EditorMarks {
    Q_OBJECT
  public:
    // Installs the commands in `window` and makes itself the controller's observer and editor.
    RunControl(MainWindow& window, Session& session);
    // Stops a run and a box statement, waits for every worker, then leaves the controller.
    ~RunControl() override;

    VariablesPane* variablesPane() const { return m_variables; }
    QDockWidget* variablesDock() const { return m_variablesDock; }
    // The editor's context menu and the instruction box's, as they open now (the caller owns
    // them).
    QMenu* editorMenu();
    QMenu* commandBoxMenu();
    QAction* runToCursorAction() const { return m_runToCursor; }
    QAction* toggleBreakpointAction() const { return m_toggleBreakpoint; }

    // ---- RunObserver: the controller's workers ----
    void runStarted(bool stepping) override;
    void runningLine(int) override {}  // the marks come through EditorMarks
    void runPaused(int line, const std::vector<Variable>& variables) override;
    void runResumed() override;
    void runEnded(Result result, bool errors) override;
    void boxBusy(bool busy) override;

    // ---- EditorMarks: the run thread ----
    void markLine(int line) override;
    void clearMark() override;
    bool markingEnabled() const override { return m_marking.load(); }

  signals:
    // A program run or a box statement starts (true) or the last of them ends (false).
    void runActiveChanged(bool active);

  protected:
    // The run commands' Alt keys win over the menu bar's mnemonics of the same letters (Alt+S,
    // Alt+P, Alt+T, Alt+E), as accelerators do: in the main window the key runs the command.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* acceleratorFor(QObject* watched, QEvent* event) const;
    void installCommands();
    void buildMenus();
    void buildVariablesDock();
    void analyse();
    void run(int runToLine);
    void step();
    void pause();
    void resume();
    void stop();
    void holdMotion();
    void emergencyStop();
    void executeInstruction();
    void runToCursor();
    void setMarking(bool on);
    // Saves the document before a run when it changed or has no path yet (the Save dialog
    // then asks for one). False when the run should not start; `compileFirst` says it saved.
    bool saveForRun(bool& compileFirst);
    void focusEditor();
    void refreshEnabling();
    // Queued to the window's thread.
    void post(std::function<void()> fn);
    void postMark(int line);
    void scheduleMark();
    void applyMark();
    // Runs `task` (which talks to a card) on a worker, then `done` on the window's thread.
    void startCardTask(std::function<void()> task, std::function<void()> done);
    void reapCardTasks(bool all);
    // Breakpoints: the controller follows the gutter marks; the settings keep them per file.
    void breakpointsChanged();
    void documentReplaced();
    void documentRenamed();
    void loadBreakpoints();
    void storeBreakpoints();

    MainWindow& m_window;
    Session& m_session;
    RunController& m_controller;
    SourceEditor* m_editor;
    VariablesPane* m_variables = nullptr;
    QDockWidget* m_variablesDock = nullptr;
    QAction* m_runToCursor = nullptr;
    QAction* m_toggleBreakpoint = nullptr;
    std::vector<std::pair<QAction*, int>> m_editorMirrors;  // context entry, main command
    QAction* m_executeMirror = nullptr;

    QTimer m_enablingTimer;
    // Running-line marks from the run thread: the latest line (-1: clear) and whether a paint
    // is queued.
    std::atomic<int> m_markLine{-1};
    std::atomic<bool> m_markPending{false};
    std::atomic<bool> m_marking{true};
    QTimer m_markTimer;
    QElapsedTimer m_lastMarkPaint;

    struct CardTask {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<CardTask> m_cardTasks;
    int m_holdsInFlight = 0;

    BreakpointBook m_book;
    QString m_breakPath;       // the file the gutter's breakpoints belong to
    bool m_replacing = false;  // a load is under way: its breakpoints come when it is done
    bool m_applying = false;   // the gutter is being filled from the settings
    QTimer m_storeTimer;
};

// Builds the run control of `window` over `session`. Destroy it before the session.
std::unique_ptr<RunControl> installRunControl(MainWindow& window, Session& session);

}  // namespace zeq::desk
