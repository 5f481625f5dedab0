#include "commands.h"

namespace zeq::cli {

namespace {
// Function-local statics: commands register from static initializers of other files.
std::vector<RegisteredCommand>& commands() {
    static std::vector<RegisteredCommand> list;
    return list;
}
std::vector<GlobalOption>& globals() {
    static std::vector<GlobalOption> list;
    return list;
}
}  // namespace

bool registerCommand(const std::string& name, CommandInstaller installer) {
    commands().push_back({name, std::move(installer)});
    return true;
}

bool registerGlobalOption(GlobalOption option) {
    globals().push_back(std::move(option));
    return true;
}

const std::vector<RegisteredCommand>& registeredCommands() {
    return commands();
}
const std::vector<GlobalOption>& registeredGlobalOptions() {
    return globals();
}

}  // namespace zeq::cli
