#include "help_examples.h"

#include <map>
#include <string>

namespace zeq::cli {
namespace {

const char* const kGlobalExamples =
    "Global options, with examples:\n"
    "  --home DIR       zeq --home ~/zeqwork run job.zeq      (build files in ~/zeqwork/dat)\n"
    "  --sim N          zeq --sim 2 devices                   (two virtual cards ZEQ-SIM0/1)\n"
    "  --board B=I      zeq --sim 2 --board 0=0 --board 1=1 run two.zeq\n"
    "  --card-type 0|1  zeq --card-type 0 devices             (0 USB card, 1 PCI card)\n"
    "  --version        zeq --version\n"
    "  --help           zeq run --help                        (the options of one command)\n"
    "\n"
    "Exit status: 0 success, 1 the work reported errors, 2 a problem of the command line or of\n"
    "the environment (no device library, no such file, board not connected).";

const std::map<std::string, std::string>& commandExamples() {
    static const std::map<std::string, std::string> examples = {
        {"compile",
         "Example:\n"
         "  zeq compile examples/demo.zeq       (writes dat/build.dat and dat/binfo.dat)"},
        {"run",
         "Examples:\n"
         "  zeq --sim 1 run examples/demo.zeq   (on a virtual card)\n"
         "  zeq --board 0=1 run job.zeq         (device 1 of the device list as board 0)"},
        {"exec",
         "Examples:\n"
         "  zeq --sim 1 exec 'MoveAbsolute 1000, 0'\n"
         "  zeq --sim 1 exec 'wr mcsmaxvel 20 1'"},
        {"devices",
         "Example:\n"
         "  zeq --sim 2 devices                 (lines: index, description, location)"},
        {"params",
         "Example:\n"
         "  zeq params | grep maxvel"},
        {"watch",
         "Example:\n"
         "  zeq --sim 1 watch curpos:0:0 mcsmaxvel:1:0 --hex --interval 100 --passes 5"},
        {"graph",
         "Example:\n"
         "  zeq --sim 1 graph --x ticks:0 --y curpos:0 --range 0:1000 --depth 256 --csv out.csv"},
        {"config",
         "Examples:\n"
         "  zeq --sim 1 config download setup.txt\n"
         "  zeq --sim 1 config backup card.cfg"},
        {"teach",
         "Example:\n"
         "  zeq --sim 1 teach play points.csv --mode 1 --loop"},
        {"info",
         "Example:\n"
         "  zeq --sim 1 info"},
        {"firmware",
         "Example:\n"
         "  zeq firmware card.bit --old-password 1234 --yes"},
        {"password",
         "Example:\n"
         "  zeq password --old 1234 --new 5678"},
    };
    return examples;
}

}  // namespace

void addHelpExamples(CLI::App& app) {
    app.footer(kGlobalExamples);
    for (CLI::App* sub : app.get_subcommands({})) {
        const auto it = commandExamples().find(sub->get_name());
        if (it != commandExamples().end()) sub->footer(it->second);
    }
}

}  // namespace zeq::cli
