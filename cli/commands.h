// The subcommands of the `zeq` tool. Each registers itself on the CLI11 app and runs when
// selected; the exit status is 0 on success, 1 when the work reported errors, 2 for problems of
// the command line or of the environment.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace zeq::cli {

// Options common to all subcommands.
struct GlobalOptions {
    std::string home;  // --home DIR: sets ZEQ_HOME
};

// Compile: `zeq compile FILE`.
std::function<int()> addCompileCommand(CLI::App& app, const GlobalOptions& options);
// Catalogue listing: `zeq params`.
std::function<int()> addParamsCommand(CLI::App& app, const GlobalOptions& options);

// Applies the global options to the environment (ZEQ_HOME). False with a message on stderr
// when they cannot be applied.
bool applyGlobalOptions(const GlobalOptions& options);

}  // namespace zeq::cli
