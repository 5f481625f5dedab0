// `zeq run FILE` and `zeq exec 'STATEMENT'`: the run thread and the instruction box of the
// IDE against the connected boards, with the pane text on stdout.
//
// Signals. SIGINT, SIGTERM and SIGHUP are blocked in every thread of the process (the mask is
// set before the first thread starts) and the main thread takes them with sigtimedwait while
// it waits for the run, so no code of ours runs inside a signal handler.
//   - A first Ctrl-C stops the run as the Stop command does ("运行终止", the queue FIFO is
//     cleared). A velocity move the script started goes on, so zeq then says which axes still
//     move and waits until they are at rest; the user can still act.
//   - A second Ctrl-C sends the emergency stop to every connected board and exits.
//   - SIGTERM and SIGHUP (nobody is left to answer) stop the run, send the emergency stop to
//     every connected board that still has a moving axis, and exit.
// A run ended by a signal exits with 1.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "binding/boards.h"
#include "cli_messages.h"
#include "commands.h"
#include "core/stdout_sink.h"
#include "interpreter/run_controller.h"
#include "session/session.h"
#include "stderr_dialogs.h"
#include "stop_signals.h"
#include "tool_session.h"

namespace zeq::cli {
namespace {

// The connected devices and the controller that runs scripts on them.
class Session {
  public:
    Session() : m_session(sessionSetup(m_sink, m_dialogs)) {}

    bool open() { return m_session.open() && connectChoices(m_session); }

    // Waits for the controller's workers and answers the run's signals (see the top of this
    // file). `box`: the instruction box runs, not a program. True when a signal ended the run.
    bool waitAnsweringSignals(bool box, const sigset_t& signals) {
        desk::RunController& controller = m_session.controller();
        int interrupts = 0;
        bool terminate = false;
        bool toldMoving = false;
        for (;;) {
            const bool busy = controller.isRunning() || controller.boxBusy();
            if (!busy) {
                if (interrupts == 0 && !terminate) break;  // ended by itself
                if (terminate) {
                    emergencyStop(true);
                    break;
                }
                if (interrupts >= 2) break;  // the emergency stop went out already
                const std::string moving = movingAxes();
                if (moving.empty()) {
                    if (toldMoving) std::fputs(msg::kAxesAtRest, stderr);
                    break;
                }
                if (!toldMoving) {
                    std::fprintf(stderr, msg::kAxesStillMoving, moving.c_str());
                    toldMoving = true;
                }
            }
            const int sig = nextSignal(signals, busy ? 10 : 50);
            if (sig == SIGINT) {
                if (++interrupts >= 2) emergencyStop(false);
                stopRun(box);
            } else if (sig == SIGTERM || sig == SIGHUP) {
                terminate = true;
                stopRun(box);
            }
        }
        controller.waitIdle();
        return interrupts > 0 || terminate;
    }

    desk::RunController& controller() { return m_session.controller(); }

  private:
    void stopRun(bool box) {
        desk::RunController& controller = m_session.controller();
        if (box && controller.boxBusy())
            controller.executeInstruction({});  // the box's button stops it
        else if (controller.isRunning())
            controller.stop();
    }

    // The moving axes of all connected boards, empty when all are at rest (or cannot be
    // asked: then waiting would not end).
    std::string movingAxes() {
        std::string list;
        for (int b = 0; b < desk::Boards::kBoardCount; ++b) {
            std::vector<int> axes;
            m_session.boardMoving(b, &axes);
            for (int axis : axes) {
                char item[64];
                std::snprintf(item, sizeof item, msg::kMovingAxis, b, axis);
                if (!list.empty()) list.append(", ");
                list.append(item);
            }
        }
        return list;
    }

    // Writes `emstop` to every connected board, or only to those with a moving axis.
    void emergencyStop(bool onlyMoving) {
        const desk::Session::EmstopResult status = m_session.emergencyStopAll(onlyMoving);
        for (int b = 0; b < desk::Boards::kBoardCount; ++b) {
            if (status[b] == ZEQ_OK)
                std::fprintf(stderr, msg::kEmstopSent, b);
            else if (status[b] > 0)
                std::fprintf(stderr, msg::kEmstopNotSent, b, status[b]);
        }
    }

    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    desk::Session m_session;
};

// Runs `start` in a session whose signals are answered as described above; the exit status.
template <typename Start>
int runInSession(bool box, Start start) {
    const sigset_t signals = blockStopSignals();  // before any thread starts
    Session session;
    if (!session.open()) return 2;
    if (!start(session.controller())) return 1;
    const bool signalled = session.waitAnsweringSignals(box, signals);
    // A run ended by a signal did not do its work either.
    return session.controller().lastRunFailed() || signalled ? 1 : 0;
}

const bool runRegistered = registerCommand("run", [](CLI::App& app) -> Runner {
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("run", "compile when needed and run a script on the boards");
    sub->add_option("FILE", *file, "script file (.zeq)")->required();
    sub->fallthrough();
    return [file]() {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::absolute(*file, ec);
        if (ec) path = *file;
        if (!std::filesystem::exists(path)) {
            std::fprintf(stderr, "zeq: no such file: %s\n", file->c_str());
            return 2;
        }
        return runInSession(false, [&path](desk::RunController& controller) {
            controller.setDocumentPath(path.lexically_normal().string());
            return controller.run(false);
        });
    };
});

const bool execRegistered = registerCommand("exec", [](CLI::App& app) -> Runner {
    auto statement = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("exec", "run one statement as the instruction box does");
    sub->add_option("STATEMENT", *statement, "the statement")->required();
    sub->fallthrough();
    return [statement]() {
        return runInSession(true, [&statement](desk::RunController& controller) {
            controller.executeInstruction(*statement);
            return true;
        });
    };
});

}  // namespace
}  // namespace zeq::cli
