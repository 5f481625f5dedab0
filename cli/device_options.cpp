#include "device_options.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "core/board_count.h"

namespace zeq::cli {
namespace {

// The board search shows at most this many devices, so no more virtual cards can be used.
constexpr int kMaxVirtualCards = 8;

DeviceOptions& mutableOptions() {
    static DeviceOptions options;
    return options;
}

const bool registered = registerGlobalOption(GlobalOption{
    [](CLI::App& app) {
        DeviceOptions& o = mutableOptions();
        app.add_option("--sim", o.sim,
                       "virtual cards at the end of the device list, at most 8 (ZEQLINK_SIM)");
        app.add_option("--board", o.boards, "connect device index I as board B (B=I; repeatable)");
        app.add_option("--card-type", o.cardType, "0: USB card (default), 1: PCI card");
    },
    []() {
        DeviceOptions& o = mutableOptions();
        if (o.cardType != 0 && o.cardType != 1) {
            std::fprintf(stderr, "zeq: --card-type must be 0 or 1\n");
            return false;
        }
        if (o.sim > kMaxVirtualCards || o.sim < -1) {
            std::fprintf(stderr, "zeq: --sim %d: at most %d virtual cards exist (0..%d)\n", o.sim,
                         kMaxVirtualCards, kMaxVirtualCards);
            return false;
        }
        std::string error;
        if (!parseBoardChoices(o.boards, o.choices, error)) {
            std::fprintf(stderr, "zeq: %s\n", error.c_str());
            return false;
        }
        // The device library reads it when it lists or opens devices.
        if (o.sim >= 0) ::setenv("ZEQLINK_SIM", std::to_string(o.sim).c_str(), 1);
        return true;
    }});

}  // namespace

bool parseBoardChoices(const std::vector<std::string>& args, std::vector<BoardChoice>& out,
                       std::string& error) {
    out.clear();
    for (const std::string& arg : args) {
        BoardChoice c;
        char tail = 0;
        if (std::sscanf(arg.c_str(), "%d=%d%c", &c.board, &c.deviceIndex, &tail) != 2 ||
            c.board < 0 || c.board >= desk::kBoardCount || c.deviceIndex < 0) {
            error = "--board expects B=I with B in 0..7 and I a device index, got " + arg;
            return false;
        }
        for (const BoardChoice& earlier : out) {
            if (earlier.board == c.board) {
                error = "--board: board " + std::to_string(c.board) + " is given twice";
                return false;
            }
            if (earlier.deviceIndex == c.deviceIndex) {
                error = "--board: device " + std::to_string(c.deviceIndex) +
                        " is given for boards " + std::to_string(earlier.board) + " and " +
                        std::to_string(c.board) + "; a device can be connected as one board only";
                return false;
            }
        }
        out.push_back(c);
    }
    if (out.empty()) out.push_back(BoardChoice{0, 0});
    return true;
}

const DeviceOptions& deviceOptions() {
    return mutableOptions();
}

}  // namespace zeq::cli
