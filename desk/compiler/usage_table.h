// The usage table of the built-ins: keyword code, name and usage text, in the order the editor
// searches it.
#pragma once

#include <array>
#include <string_view>

namespace zeq::desk {

struct UsageRow {
    int code;
    std::string_view name;   // up to 23 characters; empty on a few rows
    std::string_view usage;  // up to 383 characters
};

inline constexpr int kUsageRowCount = 174;
extern const std::array<UsageRow, kUsageRowCount> kUsageTable;

// The first row whose name equals `word` ignoring case; nullptr when none (or `word` is empty).
const UsageRow* findUsage(std::string_view word);

}  // namespace zeq::desk
