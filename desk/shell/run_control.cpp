#include "shell/run_control.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>
#include <QWindow>

#include "interpreter/interp_messages.h"
#include "interpreter/run_controller.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/output_box.h"
#include "shell/rules/ini_store.h"
#include "shell/rules/run_rules.h"
#include "shell/run_messages.h"
#include "shell/shell_messages.h"
#include "shell/source_editor.h"
#include "shell/variables_pane.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// One repaint of the running line per frame at most.
constexpr int kFrameMs = 16;
// The enabling follows states that change on workers (a run ends, a board connects).
constexpr int kEnablingMs = 100;
// Breakpoints that moved with the text are written to the settings this long after the last
// change.
constexpr int kStoreDelayMs = 1000;

constexpr int kRunCommands[] = {cmd::kCompile,     cmd::kRun,           cmd::kStep,
                                cmd::kPause,       cmd::kContinue,      cmd::kStop,
                                cmd::kPauseMotors, cmd::kEmergencyStop, cmd::kExecInstruction};

}  // namespace

RunControl::RunControl(MainWindow& window, Session& session)
    : m_window(window),
      m_session(session),
      m_controller(session.controller()),
      m_editor(window.editor()) {
    m_markTimer.setSingleShot(true);
    connect(&m_markTimer, &QTimer::timeout, this, &RunControl::applyMark);
    m_storeTimer.setSingleShot(true);
    m_storeTimer.setInterval(kStoreDelayMs);
    connect(&m_storeTimer, &QTimer::timeout, this, &RunControl::storeBreakpoints);

    installCommands();
    buildVariablesDock();
    buildMenus();

    IniStore ini;
    ini.load(m_window.iniPath().toStdString());
    m_book.load(ini);
    loadBreakpoints();
    connect(m_editor, &SourceEditor::breakpointsChanged, this, &RunControl::breakpointsChanged);
    connect(m_editor, &SourceEditor::documentReplaced, this, &RunControl::documentReplaced);
    connect(&m_window, &QWidget::windowTitleChanged, this, &RunControl::documentRenamed);
    m_window.addCloseHook([self = QPointer<RunControl>(this)] {
        if (self) self->storeBreakpoints();
    });

    m_controller.setObserver(this);
    m_controller.setEditor(this);

    qApp->installEventFilter(this);
    connect(&m_enablingTimer, &QTimer::timeout, this, &RunControl::refreshEnabling);
    m_enablingTimer.start(kEnablingMs);
    refreshEnabling();
}

RunControl::~RunControl() {
    m_enablingTimer.stop();
    reapCardTasks(true);
    // The workers report to us until they are gone.
    m_controller.stop();
    if (m_controller.boxBusy()) m_controller.executeInstruction({});
    m_controller.waitIdle();
    m_controller.setObserver(nullptr);
    m_controller.setEditor(nullptr);
}

std::unique_ptr<RunControl> installRunControl(MainWindow& window, Session& session) {
    return std::make_unique<RunControl>(window, session);
}

// ---- Commands ----

void RunControl::installCommands() {
    MainWindow& w = m_window;
    w.setCommandHandler(cmd::kCompile, [this] { analyse(); });
    w.setCommandHandler(cmd::kRun, [this] { run(-1); });
    w.setCommandHandler(cmd::kStep, [this] { step(); });
    w.setCommandHandler(cmd::kPause, [this] { pause(); });
    w.setCommandHandler(cmd::kContinue, [this] { resume(); });
    w.setCommandHandler(cmd::kStop, [this] { stop(); });
    w.setCommandHandler(cmd::kPauseMotors, [this] { holdMotion(); });
    w.setCommandHandler(cmd::kEmergencyStop, [this] { emergencyStop(); });
    w.setCommandHandler(cmd::kExecInstruction, [this] { executeInstruction(); });
    w.setCommandHandler(cmd::kMarkRunning,
                        [this] { setMarking(m_window.action(cmd::kMarkRunning)->isChecked()); });
    w.action(cmd::kMarkRunning)->setChecked(true);

    for (const msg::RunPrompt& p : msg::kRunPrompts) {
        QAction* a = w.action(p.id);
        if (!a) continue;
        const QStringList parts = u8(p.prompt).split(QLatin1Char('\n'));
        a->setStatusTip(parts.first());
        a->setToolTip(parts.last());
    }
    QAction* execute = w.action(cmd::kExecInstruction);
    execute->setShortcut(QKeySequence(QStringLiteral("Alt+E")));
    // The emergency stop answers its key in every window and pane of the application, also
    // when its bar is hidden: the frame itself carries the action.
    QAction* emergency = w.action(cmd::kEmergencyStop);
    emergency->setShortcut(QKeySequence(QString::fromLatin1(msg::kEmergencyStopKey)));
    emergency->setShortcutContext(Qt::ApplicationShortcut);
    emergency->setIconText(u8(msg::kEmergencyStopButton));
    emergency->setToolTip(emergency->toolTip() + QStringLiteral(" (") +
                          QString::fromLatin1(msg::kEmergencyStopKey) + QLatin1Char(')'));
    w.addAction(emergency);
    w.addAction(execute);
}

QAction* RunControl::acceleratorFor(QObject* watched, QEvent* event) const {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::AltModifier) || key->isAutoRepeat()) return nullptr;
    // Keys of the main window and of its panes, docked or floating; not of dialogs.
    const QWidget* w = qobject_cast<QWidget*>(watched);
    if (!w) {
        const auto* window = qobject_cast<QWindow*>(watched);
        if (!window || window != m_window.windowHandle()) return nullptr;
        w = &m_window;
    }
    while (w && w != &m_window) w = w->parentWidget();
    if (!w) return nullptr;
    const QKeySequence pressed(key->keyCombination());
    for (int id : {cmd::kCompile, cmd::kRun, cmd::kStep, cmd::kPause, cmd::kContinue, cmd::kStop,
                   cmd::kExecInstruction}) {
        QAction* a = m_window.action(id);
        if (a->shortcut() == pressed) return a;
    }
    return nullptr;
}

bool RunControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    QAction* a = acceleratorFor(watched, event);
    if (!a) return false;
    // The override is taken, so the menu bar does not see the key; the press runs the command
    // (a disabled one swallows it, as a disabled accelerator does).
    event->accept();
    if (event->type() == QEvent::KeyPress && a->isEnabled()) a->trigger();
    return true;
}

void RunControl::analyse() {
    if (m_controller.isRunning()) {
        m_controller.analyse(false);  // says that a run goes on
        return;
    }
    m_window.outputBox()->clear();
    if (m_editor->length() == 0) {
        m_controller.analyse(true);
        return;
    }
    if (m_window.documentPath().isEmpty()) {
        m_window.dialogs().message(u8(msg::kSaveFirst));
        return;
    }
    if (m_editor->isModified() && !m_window.saveDocument()) return;
    m_controller.setDocumentPath(m_window.documentPath().toStdString());
    m_controller.analyse(false);
    refreshEnabling();
}

bool RunControl::saveForRun(bool& compileFirst) {
    compileFirst = false;
    if (!m_editor->isModified() && !m_window.documentPath().isEmpty()) return true;
    if (m_window.documentPath().isEmpty()) {
        const QString chosen =
            m_window.dialogs().saveFileName(u8(msg::kCloseSaveInitialName), u8(msg::kFileFilter));
        if (chosen.isEmpty() || !m_window.saveDocumentTo(chosen)) return false;
    } else if (!m_window.saveDocument()) {
        return false;
    }
    compileFirst = true;
    return true;
}

void RunControl::run(int runToLine) {
    if (!m_controller.anyBoardConnected()) return;
    if (m_controller.isRunning()) {
        m_controller.run(false);  // says that a run goes on
        return;
    }
    bool compileFirst = false;
    if (!saveForRun(compileFirst)) return;
    m_controller.setDocumentPath(m_window.documentPath().toStdString());
    m_controller.setBreakpoints(m_editor->breakpointLines());
    m_controller.setRunToLine(runToLine);
    if (m_controller.run(compileFirst) && m_marking) m_editor->setFocus();
    refreshEnabling();
}

void RunControl::step() {
    if (!m_controller.isRunning()) {
        if (!m_controller.anyBoardConnected()) return;
        bool compileFirst = false;
        if (!saveForRun(compileFirst)) return;
        m_controller.setDocumentPath(m_window.documentPath().toStdString());
        m_controller.setBreakpoints(m_editor->breakpointLines());
        m_controller.setRunToLine(-1);
        m_controller.step(compileFirst);
    } else {
        m_controller.step();
    }
    focusEditor();
    refreshEnabling();
}

// Pause and Continue share the controller's one command; each acts only in its own state, so
// a key pressed twice never undoes itself.
void RunControl::pause() {
    if (!m_controller.isRunning() || m_controller.isPaused()) return;
    m_controller.pauseOrContinue();
    focusEditor();
    refreshEnabling();
}

void RunControl::resume() {
    if (!m_controller.isPaused()) return;
    m_controller.pauseOrContinue();
    focusEditor();
    refreshEnabling();
}

void RunControl::stop() {
    m_controller.stop();
    refreshEnabling();
}

void RunControl::holdMotion() {
    ++m_holdsInFlight;
    refreshEnabling();
    RunController* controller = &m_controller;
    startCardTask([controller] { controller->holdMotion(); },
                  [this] {
                      --m_holdsInFlight;
                      focusEditor();
                      refreshEnabling();
                  });
}

void RunControl::emergencyStop() {
    RunController* controller = &m_controller;
    startCardTask([controller] { controller->emergencyStop(); },
                  [this] {
                      focusEditor();
                      refreshEnabling();
                  });
}

void RunControl::executeInstruction() {
    QPlainTextEdit* box = m_window.commandBox();
    // A selection runs alone; otherwise the box's whole text.
    const QTextCursor cursor = box->textCursor();
    QString text = cursor.hasSelection() ? cursor.selectedText() : box->toPlainText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    m_controller.executeInstruction(text.toStdString());
    refreshEnabling();
}

void RunControl::runToCursor() {
    int line = 0, index = 0;
    m_editor->getCursorPosition(&line, &index);
    if (!m_controller.isRunning()) {
        run(line);
    } else {
        m_controller.setRunToLine(line);
        if (m_controller.isPaused()) resume();
    }
}

void RunControl::setMarking(bool on) {
    m_marking = on;
    if (!on) m_editor->clearRunningLine();
}

void RunControl::focusEditor() {
    m_editor->setFocus();
}

void RunControl::refreshEnabling() {
    RunState s;
    s.connected = m_controller.anyBoardConnected();
    s.running = m_controller.isRunning();
    s.paused = m_controller.isPaused();
    s.stepMode = m_controller.stepMode();
    s.boxBusy = m_controller.boxBusy();
    for (int id : kRunCommands) {
        bool on = runCommandEnabled(id, s);
        if (id == cmd::kPauseMotors && m_holdsInFlight > 0) on = false;
        m_window.action(id)->setEnabled(on);
    }
    m_runToCursor->setEnabled(s.connected && (!s.running || s.paused));
    QAction* execute = m_window.action(cmd::kExecInstruction);
    const QString caption = u8(m_controller.boxCaption());
    if (execute->text() != caption) execute->setText(caption);
    m_window.setInterpreterRunning(s.running);
}

// ---- Menus and panes ----

void RunControl::buildMenus() {
    const std::pair<const char*, int> editorEntries[] = {{msg::kMenuAnalyse, cmd::kCompile},
                                                         {msg::kMenuRun, cmd::kRun},
                                                         {msg::kMenuContinue, cmd::kContinue},
                                                         {msg::kMenuPause, cmd::kPause},
                                                         {msg::kMenuStop, cmd::kStop}};
    for (const auto& [text, id] : editorEntries) {
        QAction* main = m_window.action(id);
        auto* mirror = new QAction(u8(text), this);
        mirror->setObjectName(QStringLiteral("editorMenu_%1").arg(id));
        mirror->setStatusTip(main->statusTip());
        mirror->setEnabled(main->isEnabled());
        connect(main, &QAction::enabledChanged, mirror, &QAction::setEnabled);
        connect(mirror, &QAction::triggered, main, &QAction::trigger);
        m_editorMirrors.emplace_back(mirror, id);
    }
    m_runToCursor = new QAction(u8(msg::kMenuRunToCursor), this);
    m_runToCursor->setObjectName(QStringLiteral("runToCursor"));
    connect(m_runToCursor, &QAction::triggered, this, &RunControl::runToCursor);
    m_toggleBreakpoint = new QAction(u8(msg::kMenuToggleBreakpoint), this);
    m_toggleBreakpoint->setObjectName(QStringLiteral("toggleBreakpoint"));
    m_toggleBreakpoint->setShortcut(QKeySequence(QString::fromLatin1(msg::kToggleBreakpointKey)));
    m_toggleBreakpoint->setShortcutContext(Qt::WidgetShortcut);
    m_editor->addAction(m_toggleBreakpoint);
    connect(m_toggleBreakpoint, &QAction::triggered, this,
            [this] { m_editor->toggleBreakpoint(m_editor->caretLine() - 1); });

    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(editorMenu());
        menu->exec(m_editor->viewport()->mapToGlobal(at));
    });

    QAction* execute = m_window.action(cmd::kExecInstruction);
    m_executeMirror = new QAction(u8(msg::kMenuExecute), this);
    m_executeMirror->setObjectName(QStringLiteral("commandBoxMenu_execute"));
    m_executeMirror->setEnabled(execute->isEnabled());
    connect(execute, &QAction::enabledChanged, m_executeMirror, &QAction::setEnabled);
    connect(m_executeMirror, &QAction::triggered, execute, &QAction::trigger);
    QPlainTextEdit* box = m_window.commandBox();
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint& at) {
        std::unique_ptr<QMenu> menu(commandBoxMenu());
        menu->exec(box->viewport()->mapToGlobal(at));
    });

    // The variables pane is shown and hidden from the View menu, like the other panes.
    const QString viewTitle = QStringLiteral("查看(&V)");
    for (QAction* top : m_window.menuBar()->actions()) {
        if (top->menu() && top->text() == viewTitle) {
            QAction* toggle = m_variablesDock->toggleViewAction();
            toggle->setText(u8(msg::kViewVariables));
            top->menu()->addAction(toggle);
        }
    }
}

QMenu* RunControl::editorMenu() {
    QMenu* menu = m_editor->createStandardContextMenu();
    menu->addSeparator();
    for (const auto& [mirror, id] : m_editorMirrors) menu->addAction(mirror);
    menu->addSeparator();
    menu->addAction(m_runToCursor);
    menu->addAction(m_toggleBreakpoint);
    return menu;
}

QMenu* RunControl::commandBoxMenu() {
    QMenu* menu = m_window.commandBox()->createStandardContextMenu();
    menu->addSeparator();
    menu->addAction(m_executeMirror);
    return menu;
}

void RunControl::buildVariablesDock() {
    m_variables = new VariablesPane(&m_window);
    m_variablesDock = new QDockWidget(u8(msg::kVariablesTitle), &m_window);
    m_variablesDock->setObjectName(QStringLiteral("variablesDock"));
    m_variablesDock->setAccessibleName(u8(msg::kVariablesTitle));
    m_variablesDock->setWidget(m_variables);
    m_window.addDockWidget(Qt::RightDockWidgetArea, m_variablesDock);
}

// ---- Reports of the workers ----

void RunControl::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void RunControl::runStarted(bool) {
    post([this] {
        m_variables->showEnded();
        refreshEnabling();
        emit runActiveChanged(true);
    });
}

void RunControl::runPaused(int line, const std::vector<Variable>& variables) {
    // The paused statement is the one to mark, whatever came before it.
    if (m_marking) postMark(line);
    post([this, variables] {
        m_variables->showPaused(variables);
        refreshEnabling();
    });
}

void RunControl::runResumed() {
    post([this] {
        m_variables->showRunning();
        refreshEnabling();
    });
}

void RunControl::runEnded(Result, bool) {
    post([this] {
        m_variables->showEnded();
        refreshEnabling();
        emit runActiveChanged(m_controller.boxBusy());
    });
}

void RunControl::boxBusy(bool busy) {
    post([this, busy] {
        refreshEnabling();
        emit runActiveChanged(busy || m_controller.isRunning());
    });
}

void RunControl::markLine(int line) {
    if (m_marking) postMark(line);
}

void RunControl::clearMark() {
    postMark(-1);
}

void RunControl::postMark(int line) {
    m_markLine.store(line);
    if (!m_markPending.exchange(true)) post([this] { scheduleMark(); });
}

void RunControl::scheduleMark() {
    if (m_markTimer.isActive()) return;
    const qint64 since = m_lastMarkPaint.isValid() ? m_lastMarkPaint.elapsed() : kFrameMs;
    if (since >= kFrameMs) {
        applyMark();
    } else {
        m_markTimer.start(static_cast<int>(kFrameMs - since));
    }
}

void RunControl::applyMark() {
    // Cleared before the line is read: a mark that comes meanwhile queues another paint.
    m_markPending.store(false);
    const int line = m_markLine.load();
    if (line < 0 || !m_marking) {
        m_editor->clearRunningLine();
    } else if (line != m_editor->runningLine()) {
        m_editor->markRunningLine(line);
        m_editor->ensureLineVisible(line);
    }
    m_lastMarkPaint.start();
}

// ---- Card work off the window's thread ----

void RunControl::startCardTask(std::function<void()> task, std::function<void()> done) {
    reapCardTasks(false);
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread worker([this, task = std::move(task), done = std::move(done), finished] {
        task();
        finished->store(true);
        QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
    });
    m_cardTasks.push_back({std::move(worker), finished});
}

void RunControl::reapCardTasks(bool all) {
    for (auto it = m_cardTasks.begin(); it != m_cardTasks.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = m_cardTasks.erase(it);
        } else {
            ++it;
        }
    }
}

// ---- Breakpoints ----

void RunControl::breakpointsChanged() {
    const std::vector<int> lines = m_editor->breakpointLines();
    m_controller.setBreakpoints(lines);
    if (m_applying || m_replacing) return;
    // The book follows at once (a load may replace the text before the file is written).
    if (!m_breakPath.isEmpty()) m_book.set(m_breakPath.toStdString(), lines);
    m_storeTimer.start();
}

void RunControl::documentReplaced() {
    // The path of the new text is set after the text: the title's change brings it, or, when
    // the title stays (the same file again), the next turn of the event loop.
    m_replacing = true;
    if (m_storeTimer.isActive()) storeBreakpoints();
    QTimer::singleShot(0, this, [this] {
        if (m_replacing) loadBreakpoints();
    });
}

void RunControl::documentRenamed() {
    if (m_replacing) {
        loadBreakpoints();
        return;
    }
    if (m_window.documentPath() == m_breakPath) return;
    // Saved under another name: the breakpoints go with the text.
    m_breakPath = m_window.documentPath();
    storeBreakpoints();
}

void RunControl::loadBreakpoints() {
    m_replacing = false;
    m_storeTimer.stop();
    m_breakPath = m_window.documentPath();
    m_applying = true;
    m_editor->setBreakpointLines(m_book.lines(m_breakPath.toStdString()));
    m_applying = false;
}

void RunControl::storeBreakpoints() {
    m_storeTimer.stop();
    if (m_breakPath.isEmpty()) return;
    if (!m_replacing) m_book.set(m_breakPath.toStdString(), m_editor->breakpointLines());
    const std::string path = m_window.iniPath().toStdString();
    IniStore ini;
    ini.load(path);
    m_book.save(ini);
    ini.save(path);
}

}  // namespace zeq::desk
