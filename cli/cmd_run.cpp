// `zeq run FILE` and `zeq exec 'STATEMENT'`: the run thread and the instruction box of the
// IDE against the connected boards, with the pane text on stdout. Ctrl-C asks the run to stop
// (it ends with "运行终止" and the card's command FIFO is cleared).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "commands.h"
#include "stderr_dialogs.h"
#include "core/app_home.h"
#include "core/stdout_sink.h"
#include "device_options.h"
#include "interpreter/binding_device_port.h"
#include "interpreter/run_controller.h"

namespace zeq::cli {
namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) {
    g_interrupted = true;
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
        std::vector<std::pair<int, int>> wanted;  // (board, device index)
        for (const std::string& boardArg : options.boards) {
            int board = -1, index = -1;
            char tail = 0;
            if (std::sscanf(boardArg.c_str(), "%d=%d%c", &board, &index, &tail) != 2 || board < 0 ||
                board > 7 || index < 0) {
                std::fprintf(stderr, "zeq: --board expects B=I with B in 0..7, got %s\n",
                             boardArg.c_str());
                return false;
            }
            wanted.emplace_back(board, index);
        }
        if (wanted.empty()) wanted.emplace_back(0, 0);
        for (auto [board, index] : wanted) {
            const int status = m_boards->connectDevice(index, board);
            if (status != 0) {
                std::fprintf(stderr, "zeq: device %d cannot be connected as board %d (status %d)\n",
                             index, board, status);
                return false;
            }
        }
        m_target = wanted.front().first;
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

    // Waits for the controller's workers; Ctrl-C asks them to stop.
    void waitWithInterrupt(bool box) {
        std::signal(SIGINT, onInterrupt);
        bool stopSent = false;
        while (m_controller->isRunning() || m_controller->boxBusy()) {
            if (g_interrupted && !stopSent) {
                if (box && m_controller->boxBusy())
                    m_controller->executeInstruction({});
                else
                    m_controller->stop();
                stopSent = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_controller->waitIdle();
        std::signal(SIGINT, SIG_DFL);
    }

    desk::RunController& controller() { return *m_controller; }

  private:
    std::string m_home;
    desk::StdoutSink m_sink;
    StderrDialogs m_dialogs;
    std::unique_ptr<desk::Boards> m_boards;
    std::unique_ptr<desk::BindingDevicePort> m_port;
    std::unique_ptr<desk::RunController> m_controller;
    int m_target = 0;
};

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
        Session session;
        if (!session.open(deviceOptions())) return 2;
        session.controller().setDocumentPath(path.lexically_normal().string());
        if (!session.controller().run(false)) return 1;
        session.waitWithInterrupt(false);
        // A run stopped by Ctrl-C did not do its work either.
        return session.controller().lastRunFailed() || g_interrupted ? 1 : 0;
    };
});

const bool execRegistered = registerCommand("exec", [](CLI::App& app) -> Runner {
    auto statement = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("exec", "run one statement as the instruction box does");
    sub->add_option("STATEMENT", *statement, "the statement")->required();
    sub->fallthrough();
    return [statement]() {
        Session session;
        if (!session.open(deviceOptions())) return 2;
        session.controller().executeInstruction(*statement);
        session.waitWithInterrupt(true);
        return session.controller().lastRunFailed() || g_interrupted ? 1 : 0;
    };
});

}  // namespace
}  // namespace zeq::cli
