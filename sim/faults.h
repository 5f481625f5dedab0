// Fault injection of the virtual card: the parsed form of a fault list such as
// "drop=2,badsum=1,fifostatus=00:00:00:10". sim/README.md documents each item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::sim {

struct Faults {
    uint32_t drop = 0;                // command blocks still to refuse (acknowledge bit stays set)
    uint32_t badsum = 0;              // read replies whose checksum word is still to corrupt
    bool halffull = false;            // both command FIFOs report half full
    uint32_t shortReads = 0;          // bridge reads still to cut short by one byte
    int64_t unplugAfter = -1;         // bridge calls left before the device vanishes; -1 = never
    std::vector<uint8_t> fifoStatus;  // scripted FIFO-status bytes, answered first to last
    size_t fifoStatusPos = 0;

    // Adds the items of `text` (comma-separated) to these faults. Returns false and leaves the
    // faults unchanged when an item is not understood; `error` then names the item.
    bool apply(std::string_view text, std::string* error = nullptr);
    void clear() { *this = Faults{}; }
};

}  // namespace zeq::sim
