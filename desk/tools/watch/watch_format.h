// Cell texts and settings of the watch list that need no card: the value format, a row's
// settings text, and the `ListView` / `Toolcfg` sections of zeq.ini.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk {

// One row of the watch list: a catalogue name (as the user typed it), an axis and a board.
struct WatchRow {
    std::string name;
    int axis = 0;   // 0..7
    int board = 0;  // 0..7
};

// The value cell of a value read with the catalogue `kind`:
//   kinds 4, 5 (32 bits): "%d", hexadecimal "%08XH";
//   kind 6 (48 bits, sign-extended): "%lld", hexadecimal "%012llXH" of the low 48 bits;
//   every other kind (16 bits): "%d" unsigned, signed for kind 3; hexadecimal "%04XH".
std::string formatWatchValue(std::int64_t value, int kind, bool hex);

// A row as the settings file keeps it: "NAME:AXIS:BOARD".
std::string watchRowText(const WatchRow& row);
// Reads a row text by the load rule: texts of 2 characters or fewer are refused; the name is the
// text before the first ":", the axis and the board follow, each after a ":"; an axis or board
// that is missing, not a number or outside 0..7 becomes 0. False when refused.
bool parseWatchRow(std::string_view text, WatchRow& out);

struct WatchSettings {
    static constexpr int kDefaultInterval = 100;  // ms
    static constexpr int kMaxRows = 4096;         // a larger `paramnum` is cut
    static constexpr std::size_t kMaxRowText = 256;
    std::vector<WatchRow> rows;
    int interval = kDefaultInterval;
};

// Reads `ListGetTime` (a value below 1 or missing gives 100) and the rows of `ListView`.
// A missing or unreadable file gives the defaults.
WatchSettings loadWatchSettings(const std::string& iniPath);
// Rewrites section `ListView` (`paramnum`, then one key per row) and `ListGetTime` in
// `Toolcfg`, keeping the other sections. False when the file cannot be written.
bool saveWatchSettings(const std::string& iniPath, const WatchSettings& settings);
// Writes `ListGetTime` alone (the application's close rewrites `Toolcfg`, and calls this so
// the interval the user set survives a restart).
bool saveWatchInterval(const std::string& iniPath, int intervalMs);

}  // namespace zeq::desk
