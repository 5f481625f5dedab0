// zeqdesk: the window application. Options as the command-line tool: --home DIR, --sim N,
// --card-type 0|1, --board B=I, and one file to open; --output-log FILE copies the output pane
// to a file; --screenshot FILE (with --show ID, or --run and --breakpoint LINE) pictures it.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QDockWidget>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "binding/boards.h"
#include "interpreter/script_interpreter.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/device_bars.h"
#include "shell/main_window.h"
#include "shell/output_box.h"
#include "shell/run_control.h"
#include "shell/source_editor.h"
#include "tools/firmware/ui/firmware_install.h"
#include "tools/graph/ui/graph_tool.h"
#include "tools/homing/ui/homing_tool.h"
#include "tools/jog/ui/jog_tool.h"
#include "tools/regconfig/ui/regconfig_install.h"
#include "tools/teach/ui/teach_install.h"
#include "tools/watch/ui/watch_dock.h"
#include "tools/watch/watch_list.h"

namespace {

// The device library's message boxes. A card call on a worker thread shows its message on
// the window's thread and goes on without waiting for the box.
class BoxDialogs : public zeq::desk::UserDialogs {
  public:
    void message(std::string_view text) override {
        const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const auto show = [t] { QMessageBox::warning(nullptr, QStringLiteral("ZeqDesk"), t); };
        if (QThread::currentThread() == qApp->thread()) {
            show();
        } else {
            QMetaObject::invokeMethod(qApp, show, Qt::QueuedConnection);
        }
    }
    Answer askYesNo(std::string_view text, Answer) override {
        return QMessageBox::question(nullptr, QStringLiteral("ZeqDesk"),
                                     QString::fromUtf8(text.data(), text.size())) ==
                       QMessageBox::Yes
                   ? Answer::Yes
                   : Answer::No;
    }
    Answer askYesNoCancel(std::string_view text, Answer) override {
        const auto r = QMessageBox::question(
            nullptr, QStringLiteral("ZeqDesk"), QString::fromUtf8(text.data(), text.size()),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return r == QMessageBox::Yes  ? Answer::Yes
               : r == QMessageBox::No ? Answer::No
                                      : Answer::Cancel;
    }
};

// What the command line asks for.
struct StartOptions {
    zeq::desk::ShellOptions shell;
    std::vector<std::pair<int, int>> boards;  // --board: board, device index
    QString screenshot;                       // --screenshot FILE
    int show = 0;                             // --show ID
    QString outputLog;                        // --output-log FILE
    std::vector<int> breakpoints;             // --breakpoint LINE, 0-based
    bool run = false;                         // --run
};

// Parses the options into `out` (and sets ZEQ_HOME / ZEQLINK_SIM); -1, or the exit status
// after a message.
int parseOptions(QApplication& app, StartOptions& out) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZeqDesk - edit, compile and run ZEQ scripts"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption home(QStringLiteral("home"),
                                  QStringLiteral("application home (dat/ inside holds zeq.ini)"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption sim(QStringLiteral("sim"),
                                 QStringLiteral("virtual cards at the end of the device list"),
                                 QStringLiteral("N"));
    const QCommandLineOption cardType(QStringLiteral("card-type"),
                                      QStringLiteral("0: USB card, 1: PCI card"),
                                      QStringLiteral("0|1"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("write a PNG picture of the main window once it is shown, then quit"),
        QStringLiteral("FILE"));
    const QCommandLineOption show(
        QStringLiteral("show"),
        QStringLiteral("with --screenshot: give the command ID first and picture the window it "
                       "opens"),
        QStringLiteral("ID"));
    const QCommandLineOption board(
        QStringLiteral("board"),
        QStringLiteral("connect device index I as board B at start-up (B=I; repeatable)"),
        QStringLiteral("B=I"));
    const QCommandLineOption outputLog(
        QStringLiteral("output-log"),
        QStringLiteral("also append everything the output pane is given to FILE"),
        QStringLiteral("FILE"));
    const QCommandLineOption breakpoint(
        QStringLiteral("breakpoint"),
        QStringLiteral("with --screenshot: a breakpoint on source line LINE (1-based; repeatable)"),
        QStringLiteral("LINE"));
    const QCommandLineOption runNow(
        QStringLiteral("run"),
        QStringLiteral("with --screenshot: run the script and picture the window once it pauses"));
    parser.addOptions(
        {home, sim, cardType, screenshot, show, board, outputLog, breakpoint, runNow});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("script to open"));
    parser.process(app);

    if (parser.isSet(home)) {
        const QString dir = QDir::cleanPath(QDir(parser.value(home)).absolutePath());
        qputenv("ZEQ_HOME", dir.toLocal8Bit());
    }
    if (parser.isSet(sim)) {
        bool ok = false;
        const int n = parser.value(sim).toInt(&ok);
        if (!ok || n < 0) {
            std::fprintf(stderr, "zeqdesk: --sim needs a number of virtual cards\n");
            return 2;
        }
        qputenv("ZEQLINK_SIM", QByteArray::number(n));
    }
    if (parser.isSet(cardType)) {
        const QString v = parser.value(cardType);
        if (v != QLatin1String("0") && v != QLatin1String("1")) {
            std::fprintf(stderr, "zeqdesk: --card-type must be 0 or 1\n");
            return 2;
        }
        out.shell.cardType = v.toInt();
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "zeqdesk: one file at most\n");
        return 2;
    }
    if (!files.isEmpty()) out.shell.file = files.first();

    for (const QString& choice : parser.values(board)) {
        const QStringList parts = choice.split(QLatin1Char('='));
        bool okBoard = false, okDevice = false;
        const int b = parts.size() == 2 ? parts[0].toInt(&okBoard) : -1;
        const int i = parts.size() == 2 ? parts[1].toInt(&okDevice) : -1;
        if (!okBoard || !okDevice || b < 0 || b > 7 || i < 0) {
            std::fprintf(stderr,
                         "zeqdesk: --board expects B=I with B in 0..7 and I a device index\n");
            return 2;
        }
        out.boards.emplace_back(b, i);
    }

    if (parser.isSet(screenshot)) out.screenshot = parser.value(screenshot);
    if (parser.isSet(show)) out.show = parser.value(show).toInt();
    if (parser.isSet(outputLog)) out.outputLog = parser.value(outputLog);
    for (const QString& v : parser.values(breakpoint)) out.breakpoints.push_back(v.toInt() - 1);
    out.run = parser.isSet(runNow);
    return -1;
}

// --screenshot: pictures for the documentation. False when --show names no command.
bool arrangeScreenshot(zeq::desk::MainWindow& window, zeq::desk::Session& session,
                       const StartOptions& start) {
    const QString file = start.screenshot;
    const int shown = start.show;
    const bool paused = start.run;
    // Pictures for the documentation: the window as it stands once start-up is done and the
    // event queue is idle. With --show, the command runs first and the picture is of the
    // window it opened (a modal dialog's own event loop takes the timer). With --run, the
    // script runs (to its --breakpoint) and the picture is of the paused run.
    const auto shoot = [&window, file, shown] {
        QWidget* target = &window;
        if (shown) {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                target = modal;
            } else {
                // A window without a window manager is not activated: take the visible
                // top-level window that is not the frame.
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w != &window && w->isVisible() && w->isWindow()) target = w;
            }
        }
        const bool saved = target->grab().save(file, "PNG");
        if (!saved) std::fprintf(stderr, "zeqdesk: cannot write %s\n", qPrintable(file));
        if (target != &window) target->close();
        window.close();
        QCoreApplication::exit(saved ? 0 : 1);
    };
    if (paused) {
        window.editor()->setBreakpointLines(start.breakpoints);
        // Runs once Run is enabled (the board is connected), then waits for the pause and
        // its variables, with a bound: a run that never pauses is pictured as it stands.
        auto* wait = new QTimer(&window);
        struct Progress {
            int ticks = 0;
            int pausedTicks = 0;
            bool started = false;
        };
        auto progress = std::make_shared<Progress>();
        QAction* run = window.action(zeq::desk::cmd::kRun);
        QObject::connect(wait, &QTimer::timeout, &window, [&session, wait, progress, shoot, run] {
            Progress& p = *progress;
            if (!p.started && run->isEnabled()) {
                p.started = true;
                run->trigger();
            }
            // Paused for a few ticks: the mark and the variables are
            // painted by then.
            if (session.controller().isPaused()) ++p.pausedTicks;
            if (p.pausedTicks < 4 && ++p.ticks < 400) return;
            wait->stop();
            shoot();
        });
        wait->start(25);
    } else {
        QTimer::singleShot(shown ? 500 : 0, &window, shoot);
    }
    if (shown) {
        QAction* command = window.action(shown);
        if (!command) {
            std::fprintf(stderr, "zeqdesk: no command %d\n", shown);
            return false;
        }
        QTimer::singleShot(0, command, &QAction::trigger);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZeqDesk"));
    QApplication::setApplicationVersion(QStringLiteral(ZEQ_PROJECT_VERSION));
    StartOptions start;
    if (const int status = parseOptions(app, start); status >= 0) return status;

    zeq::desk::MainWindow window;
    window.startUp(start.shell);
    if (!start.outputLog.isEmpty() && !window.outputBox()->setLogFile(start.outputLog)) {
        std::fprintf(stderr, "zeqdesk: cannot write %s\n", qPrintable(start.outputLog));
        return 2;
    }

    // The session: the device library of the card type (a missing library or function ends
    // the program after its message), the boards with their remembered numbers, and the run
    // controller. The tools work over its boards; their lists outlive their panes, which go
    // with the window's docks first.
    BoxDialogs boxes;
    zeq::desk::Session::Setup setup;
    setup.sink = window.outputBox();
    setup.dialogs = &boxes;
    setup.cardType = window.cardType();
    setup.rememberBoards = true;
    setup.endOnLoadFailure = true;
    setup.searchAtOpen = false;  // the device bars search on their worker once the window shows
    zeq::desk::Session session(setup);
    if (!session.open()) return 1;
    zeq::desk::Boards& boards = session.boards();
    zeq::desk::WatchList watchList(boards, *window.outputBox(), boxes, zeq::desk::systemClock());
    QDockWidget* watchDock = zeq::desk::installWatchPane(window, watchList);
    // Run control (project commands, hold and emergency stop, the instruction box, the running
    // line, breakpoints, the variables pane) and the device bars; both go before the session,
    // whose workers and boards they use.
    std::unique_ptr<zeq::desk::RunControl> runControl =
        zeq::desk::installRunControl(window, session);
    std::unique_ptr<zeq::desk::DeviceBars> deviceBars =
        zeq::desk::installDeviceBars(window, session);
    QObject::connect(runControl.get(), &zeq::desk::RunControl::runActiveChanged, deviceBars.get(),
                     &zeq::desk::DeviceBars::setRunActive);

    // The tools act on the target board.
    const auto targetBoard = [&session] { return session.targetBoard(); };
    zeq::desk::installGraphTool(window, boards, targetBoard);
    zeq::desk::installJogTool(window, boards, targetBoard);
    zeq::desk::installHomingTool(window, boards, targetBoard);
    zeq::desk::installRegisterConfig(window, boards, targetBoard);
    zeq::desk::installTeach(window, boards, targetBoard);
    zeq::desk::installFirmware(window, boards, targetBoard);

    window.showForStartUp();
    // The device search and the --board connections (as the command-line tool makes them, the
    // first the target) run on the bars' worker; the window answers meanwhile. A picture waits
    // for them.
    deviceBars->startUp(start.boards);
    if (!start.screenshot.isEmpty()) {
        QObject::connect(
            deviceBars.get(), &zeq::desk::DeviceBars::idle, &window,
            [&window, &session, &start] {
                if (!arrangeScreenshot(window, session, start)) QCoreApplication::exit(2);
            },
            Qt::SingleShotConnection);
    }
    const int status = app.exec();
    runControl.reset();
    delete watchDock;
    return status;
}
