// The device options of the `zeq` tool: --sim N, --board B=I (repeatable), --card-type 0|1.
// Registered as global options; the device commands read them after parsing.
#pragma once

#include <string>
#include <vector>

namespace zeq::cli {

struct BoardChoice {
    int board = 0;        // 0..7
    int deviceIndex = 0;  // index in the device list
};

struct DeviceOptions {
    int sim = -1;                     // virtual cards at the end of the device list; -1: as set
    std::vector<std::string> boards;  // "B=I": device index I connected as board B
    int cardType = 0;                 // 0: USB card, 1: PCI card
    // `boards` checked and parsed (device 0 as board 0 when none was given).
    std::vector<BoardChoice> choices;
};

const DeviceOptions& deviceOptions();

// Parses and checks the --board arguments: each "B=I" with B in 0..7 and I >= 0, no board and
// no device given twice (a device can be connected as one board only). False with a message
// in `error` otherwise.
bool parseBoardChoices(const std::vector<std::string>& args, std::vector<BoardChoice>& out,
                       std::string& error);

}  // namespace zeq::cli
