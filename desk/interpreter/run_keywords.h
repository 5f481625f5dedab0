// The interpreter's view of the token codes and its keyword table (215 rows): the compiler's
// codes (language/tokens.h); the compiler-only keywords (if, while, main ...) never reach
// build.dat and have no rows here.
#pragma once

#include <string_view>

#include "language/keyword_table.h"
#include "language/tokens.h"

namespace zeq::desk::rt {

using Code = tok::Code;
using enum tok::Code;

inline constexpr int kKeywordRows = 215;
static_assert(kRunKeywords.size() == kKeywordRows);

// Code of the first row whose name equals `word` ignoring ASCII case, or 0 when none does.
int lookupKeyword(std::string_view word);

// Name of the first row with the code (empty when none).
std::string_view keywordName(int code);

inline bool isEventMnemonic(int code) {
    return tok::isEventInstruction(code);
}
inline bool isEventCondition(int code) {
    return tok::isEventCondition(code);
}

}  // namespace zeq::desk::rt
