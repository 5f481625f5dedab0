// The subcommands and global options of the `zeq` tool.
//
// Each command lives in its own file and registers itself from a static initializer:
//
//   static const bool registered = zeq::cli::registerCommand(
//       "run", [](CLI::App& app) -> zeq::cli::Runner { ... add options ...; return [] { ... }; });
//
// A runner returns the exit status: 0 success, 1 when the work reported errors, 2 for problems
// of the command line or of the environment. Global options (--home, --sim, --board …) register
// the same way with registerGlobalOption(); their appliers run after parsing, before the command.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace zeq::cli {

using Runner = std::function<int()>;
// Adds the subcommand (and its own options) to the app; returns what runs it.
using CommandInstaller = std::function<Runner(CLI::App& app)>;

struct GlobalOption {
    std::function<void(CLI::App& app)> install;  // adds the option to the top-level app
    std::function<bool()> apply;                 // after parsing; false (with a message) stops
};

// Registers a command under its name; returns true (for use in a static initializer).
bool registerCommand(const std::string& name, CommandInstaller installer);
bool registerGlobalOption(GlobalOption option);

struct RegisteredCommand {
    std::string name;
    CommandInstaller install;
};
const std::vector<RegisteredCommand>& registeredCommands();
const std::vector<GlobalOption>& registeredGlobalOptions();

}  // namespace zeq::cli
