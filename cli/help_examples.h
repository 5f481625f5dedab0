// Examples shown at the end of `zeq --help` and `zeq COMMAND --help`.
#pragma once

#include <CLI/CLI.hpp>

namespace zeq::cli {

// Sets the footer of the top-level app (the global options, each with an example) and of every
// subcommand that has examples.
void addHelpExamples(CLI::App& app);

}  // namespace zeq::cli
