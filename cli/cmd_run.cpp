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
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "cli_messages.h"
#include "commands.h"
#include "core/app_home.h"
#include "core/stdout_sink.h"
#include "device_options.h"
#include "interpreter/binding_device_port.h"
#include "interpreter/run_controller.h"
#include "stderr_dialogs.h"
#include "stop_signals.h"

namespace zeq::cli {
namespace {

int paramAddress(const char* name) {
    desk::ParamRow row{};
    return desk::paramCatalogue().findByName(name, &row) >= 0 ? row.address : -1;
}

// The connected devices and the controller that runs scripts on them.
class Session {
  public:
    bool open(const DeviceOptions& options) {
        m_home = desk::applicationHome();
        if (!desk::ensureDirectory(m_home + "/dat")) {
            std::fprintf(stderr, "zeq: cannot create %s/dat\n", m_home.c_str());
            return false;
        }
        desk::DeviceBinding& binding = desk::deviceBinding();
        binding.setDialogs(&m_dialogs);
        binding.setCardType(options.cardType);
        if (binding.load() != 0) return false;
        m_boards = std::make_unique<desk::Boards>(binding, m_sink, m_dialogs, desk::systemClock());
        m_boards->startUp();
        for (const BoardChoice& c : options.choices) {
            const int status = m_boards->connectDevice(c.deviceIndex, c.board);
            if (status != 0) {
                std::fprintf(stderr, "zeq: device %d cannot be connected as board %d (status %d)\n",
                             c.deviceIndex, c.board, status);
                return false;
            }
        }
        m_target = options.choices.front().board;
        m_port = std::make_unique<desk::BindingDevicePort>(
            [this](int board) { return m_boards->axisCount(board); });
        desk::RunController::Setup setup;
        setup.port = m_port.get();
        setup.sink = &m_sink;
        setup.boardTable = m_boards->handleTable();
        setup.programDir = m_home;
        setup.dialogs = &m_dialogs;
        setup.targetBoard = [this] { return m_target; };
        m_controller = std::make_unique<desk::RunController>(setup);
        return true;
    }

    ~Session() {
        m_controller.reset();  // joins its workers before the boards go
        if (m_boards) {
            for (int b = 0; b < desk::Boards::kBoardCount; ++b) {
                ZEQ_HANDLE h = m_boards->handle(b);
                if (h) desk::myClose(&h);
            }
        }
        m_boards.reset();
        desk::deviceBinding().unload();
    }

    // Waits for the controller's workers and answers the run's signals (see the top of this
    // file). `box`: the instruction box runs, not a program. True when a signal ended the run.
    bool waitAnsweringSignals(bool box, const sigset_t& signals) {
        int interrupts = 0;
        bool terminate = false;
        bool toldMoving = false;
        for (;;) {
            const bool busy = m_controller->isRunning() || m_controller->boxBusy();
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
        m_controller->waitIdle();
        return interrupts > 0 || terminate;
    }

    desk::RunController& controller() { return *m_controller; }

  private:
    void stopRun(bool box) {
        if (box && m_controller->boxBusy())
            m_controller->executeInstruction({});  // the box's button stops it
        else if (m_controller->isRunning())
            m_controller->stop();
    }

    // Whether an axis of `board` moves: its `moving` register read through the immediate
    // FIFO. A board that cannot be asked counts as moving.
    bool boardMoving(int board, std::string* list) {
        const std::uint32_t h = m_boards->handle(board);
        static const int movingAddress = paramAddress("moving");
        if (h == 0) return false;
        if (movingAddress < 0) return true;
        bool any = false;
        for (int axis = 0; axis < m_boards->axisCount(board); ++axis) {
            int status = 0;
            const int value = m_port->readParam16(h, axis, movingAddress, &status, false);
            if (status != 0) return true;
            if (value == 0) continue;
            any = true;
            if (list) {
                char item[64];
                std::snprintf(item, sizeof item, msg::kMovingAxis, board, axis);
                if (!list->empty()) list->append(", ");
                list->append(item);
            }
        }
        return any;
    }

    // The moving axes of all connected boards, empty when all are at rest (or cannot be
    // asked: then waiting would not end).
    std::string movingAxes() {
        std::string list;
        for (int b = 0; b < desk::Boards::kBoardCount; ++b) boardMoving(b, &list);
        return list;
    }

    // Writes `emstop` to every connected board, or only to those with a moving axis.
    void emergencyStop(bool onlyMoving) {
        static const int emstopAddress = paramAddress("emstop");
        for (int b = 0; b < desk::Boards::kBoardCount; ++b) {
            const std::uint32_t h = m_boards->handle(b);
            if (h == 0 || (onlyMoving && !boardMoving(b, nullptr))) continue;
            const int status = m_port->writeParam16(h, 0, emstopAddress, 0xFFFF, false);
            if (status == 0)
                std::fprintf(stderr, msg::kEmstopSent, b);
            else
                std::fprintf(stderr, msg::kEmstopNotSent, b, status);
        }
    }

    std::string m_home;
    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    std::unique_ptr<desk::Boards> m_boards;
    std::unique_ptr<desk::BindingDevicePort> m_port;
    std::unique_ptr<desk::RunController> m_controller;
    int m_target = 0;
};

// Runs `start` in a session whose signals are answered as described above; the exit status.
template <typename Start>
int runInSession(bool box, Start start) {
    const sigset_t signals = blockStopSignals();  // before any thread starts
    Session session;
    if (!session.open(deviceOptions())) return 2;
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
