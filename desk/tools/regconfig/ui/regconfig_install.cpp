#include "tools/regconfig/ui/regconfig_install.h"

#include <QApplication>
#include <QObject>

#include "binding/boards.h"
#include "interpreter/script_interpreter.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/output_box.h"
#include "tools/card_worker.h"
#include "tools/common/ui/tool_shell_dialogs.h"
#include "tools/regconfig/instruction_download.h"
#include "tools/regconfig/regconfig_messages.h"
#include "tools/regconfig/ui/register_config_dialog.h"

namespace zeq::desk {

namespace {

// The two commands' state, owned by the main frame.
class RegisterConfigCommands : public QObject {
  public:
    RegisterConfigCommands(MainWindow& window, Boards& boards, std::function<int()> target,
                           std::shared_ptr<ShellDialogs> shell)
        : QObject(&window),
          m_window(window),
          m_boards(boards),
          m_target(std::move(target)),
          m_shell(std::move(shell)) {}

    void openDialog() {
        regconfig::RegisterConfigDialog::open(m_boards, m_target(), *m_shell, &m_window);
    }

    // Download of an instruction file: the board's device, the file, then the statements on
    // the worker with the wait cursor; every line of the report goes to the output box.
    void download() {
        const int board = m_target();
        if (board < 0 || board >= Boards::kBoardCount) return;
        OutputSink& output = *m_window.outputBox();
        const ZEQ_HANDLE handle = m_boards.handle(board);
        if (handle == 0) {
            output.append(regconfig::msg::kDeviceNotOpen);
            return;
        }
        const QString path = m_shell->openFileName(QString::fromUtf8(regconfig::msg::kTxtFilter));
        if (path.isEmpty()) return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_worker.post([this, handle, &output, file = path.toStdString()] {
            regconfig::downloadInstructionFile(handle, file, output, systemClock());
            QMetaObject::invokeMethod(
                this, [] { QApplication::restoreOverrideCursor(); }, Qt::QueuedConnection);
        });
    }

    // The frame closes: a download in progress ends before the boards go.
    void finish() {
        m_worker.cancelPending();
        m_worker.waitIdle();
    }

  private:
    MainWindow& m_window;
    Boards& m_boards;
    std::function<int()> m_target;
    std::shared_ptr<ShellDialogs> m_shell;
    CardWorker m_worker;
};

}  // namespace

void installRegisterConfig(MainWindow& window, Boards& boards, std::function<int()> targetBoard,
                           std::shared_ptr<ShellDialogs> shell) {
    if (!shell) shell = std::make_shared<ToolShellDialogs>(&window);
    auto* commands = new RegisterConfigCommands(window, boards, std::move(targetBoard), shell);
    window.setCommandHandler(cmd::kRegisterConfig, [commands] { commands->openDialog(); });
    window.setCommandHandler(cmd::kConfigFile, [commands] { commands->download(); });
    window.addCloseHook([commands] { commands->finish(); });
}

}  // namespace zeq::desk
