// `zeq config download|generate FILE` and `zeq config backup|restore FILE.cfg`: the
// instruction-file download and the register configuration dialog's generate, save, and
// import-and-apply, on the first board given. Pane texts and messages go to stdout.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "interpreter/script_interpreter.h"
#include "tool_session.h"
#include "tools/regconfig/instruction_download.h"
#include "tools/regconfig/register_config.h"

namespace zeq::cli {
namespace {

namespace rc = desk::regconfig;

// Reads every register of the board; false after a message on stderr.
bool readBoard(ToolSession& session, rc::RegisterConfig& config) {
    if (!session.open()) return false;
    const int status = config.readFromCard(session.handle(), session.axisCount());
    if (status != ZEQ_OK) {
        std::fprintf(stderr, "zeq: the registers of board %d cannot be read (status %d)\n",
                     session.board(), status);
        return false;
    }
    return true;
}

int runConfig(const std::string& action, const std::string& file) {
    ToolSession session;
    if (action == "download") {
        if (!session.open()) return 1;
        return rc::downloadInstructionFile(session.handle(), file, session.sink(),
                                           desk::systemClock())
                   ? 0
                   : 1;
    }
    rc::RegisterConfig config;
    if (!readBoard(session, config)) return 1;
    StdoutDialogs dialogs;
    if (action == "generate") {
        if (!config.writeInstructionFile(file)) {
            dialogs.message("文件创建失败!");
            return 1;
        }
        return 0;
    }
    if (action == "backup") return config.saveReporting(file, dialogs) ? 0 : 1;
    // restore: import, then apply
    if (!config.importReporting(file, dialogs)) return 1;
    return config.applyReporting(session.handle(), dialogs) ? 0 : 1;
}

const bool configRegistered = registerCommand("config", [](CLI::App& app) -> Runner {
    auto action = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "config", "register configuration: download|generate FILE, backup|restore FILE.cfg");
    sub->fallthrough();
    sub->add_option("action", *action, "download, generate, backup or restore")
        ->required()
        ->check(CLI::IsMember({"download", "generate", "backup", "restore"}));
    sub->add_option("file", *file, "the instruction file or the .cfg file")->required();
    return [action, file] { return runConfig(*action, *file); };
});

}  // namespace
}  // namespace zeq::cli
