// zeq: the command-line front end of the IDE core.
//
// Subcommands register through commands.h; each returns its exit status. Device commands
// (run, exec, devices) and their options come with the interpreter and the device binding.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>

#include "commands.h"

int main(int argc, char** argv) {
    CLI::App app{"zeq - compile and inspect ZEQ control scripts"};
    app.require_subcommand(1);
    zeq::cli::GlobalOptions options;
    app.add_option("--home", options.home,
                   "application home (sets ZEQ_HOME; dat/ inside holds the build files)");

    std::map<std::string, std::function<int()>> runners;
    runners["compile"] = zeq::cli::addCompileCommand(app, options);
    runners["params"] = zeq::cli::addParamsCommand(app, options);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    if (!zeq::cli::applyGlobalOptions(options)) return 2;
    for (const CLI::App* sub : app.get_subcommands()) {
        const auto it = runners.find(sub->get_name());
        if (it != runners.end()) return it->second();
    }
    std::fprintf(stderr, "zeq: no command given\n");
    return 2;
}
