// Usage texts of the built-ins, shown by the editor as call tips.
#include "compiler/usage_table.h"

namespace zeq::desk {

namespace {
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}
}  // namespace

const UsageRow* findUsage(std::string_view word) {
    if (word.empty()) return nullptr;
    for (const UsageRow& row : kUsageTable) {
        if (equalsIgnoringCase(row.name, word)) return &row;
    }
    return nullptr;
}

}  // namespace zeq::desk
