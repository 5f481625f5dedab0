// zeq: the command-line front end of the IDE core. Commands and global options register
// themselves (commands.h); this file only parses and dispatches.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>

#include "commands.h"
#include "help_examples.h"

#ifndef ZEQ_VERSION
#define ZEQ_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
    CLI::App app{"zeq - compile, run and inspect ZEQ control scripts"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("zeq ") + ZEQ_VERSION);

    for (const zeq::cli::GlobalOption& option : zeq::cli::registeredGlobalOptions()) {
        option.install(app);
    }
    std::map<std::string, zeq::cli::Runner> runners;
    for (const zeq::cli::RegisteredCommand& command : zeq::cli::registeredCommands()) {
        runners[command.name] = command.install(app);
    }
    zeq::cli::addHelpExamples(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    for (const zeq::cli::GlobalOption& option : zeq::cli::registeredGlobalOptions()) {
        if (!option.apply()) return 2;
    }
    for (const CLI::App* sub : app.get_subcommands()) {
        const auto it = runners.find(sub->get_name());
        if (it != runners.end()) return it->second();
    }
    std::fprintf(stderr, "zeq: no command given\n");
    return 2;
}
