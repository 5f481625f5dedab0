// The usage table of the built-ins (their call tips): keyword code, name and usage text, in the
// order the editor searches it. Made from the built-in table (language/builtins.inc).
#pragma once

#include <array>
#include <string_view>

#include "language/builtin_table.h"

namespace zeq::desk {

struct UsageRow {
    int code;
    std::string_view name;   // up to 23 characters; empty on a few rows
    std::string_view usage;  // up to 383 characters
};

inline constexpr int kUsageRowCount = 174;
static_assert(kCallTipCount == kUsageRowCount);

inline constexpr std::array<UsageRow, kUsageRowCount> kUsageTable = [] {
    std::array<UsageRow, kUsageRowCount> rows{};
    std::size_t n = 0;
    for (const Builtin& b : kBuiltins)
        if (b.tip.present) rows[n++] = {b.code, b.tip.name, b.tip.text};
    return rows;
}();

// The first row whose name equals `word` ignoring case; nullptr when none (or `word` is empty).
const UsageRow* findUsage(std::string_view word);

}  // namespace zeq::desk
