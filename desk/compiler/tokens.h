// The compiler's view of the token codes and its keyword table (language/: one source for the
// compiler and the interpreter).
#pragma once

#include <span>
#include <string_view>

#include "language/keyword_table.h"
#include "language/tokens.h"

namespace zeq::desk {

inline constexpr int kKeywordCount = 235;
// The compiler's keyword table in its fixed order.
inline constexpr std::span<const Keyword> kKeywords = kCompilerKeywords;
static_assert(kKeywords.size() == kKeywordCount);

// Case-insensitive keyword lookup (ASCII upper-casing of both sides); first match wins. -1 when
// the word is no keyword.
int lookupKeyword(std::string_view word);
// The same lookup as a scan over the table in order (reference for tests).
int lookupKeywordLinear(std::string_view word);

using tok::isEventCondition;
using tok::isEventInstruction;

}  // namespace zeq::desk
