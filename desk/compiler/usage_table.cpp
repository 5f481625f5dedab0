// Usage texts of the built-ins, shown by the editor as call tips.
#include "compiler/usage_table.h"

#include "card/names.h"

namespace zeq::desk {

const UsageRow* findUsage(std::string_view word) {
    if (word.empty()) return nullptr;
    for (const UsageRow& row : kUsageTable) {
        if (card::equals_ignore_case(row.name, word)) return &row;
    }
    return nullptr;
}

}  // namespace zeq::desk
