// The device options of the `zeq` tool: --sim N, --board B=I (repeatable), --card-type 0|1.
// Registered as global options; the device commands read them after parsing.
#pragma once

#include <string>
#include <vector>

namespace zeq::cli {

struct DeviceOptions {
    int sim = -1;                     // virtual cards at the end of the device list; -1: as set
    std::vector<std::string> boards;  // "B=I": device index I connected as board B
    int cardType = 0;                 // 0: USB card, 1: PCI card
};

const DeviceOptions& deviceOptions();

}  // namespace zeq::cli
