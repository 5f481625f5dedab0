// The keyword tables of the compiler and of the interpreter, both made from keywords.inc and
// builtins.inc, and their case-insensitive lookup.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "card/names.h"
#include "language/tokens.h"

namespace zeq::desk {

struct Keyword {
    std::string_view name;
    int code;
};

namespace keyword_detail {
#define ZEQ_IN_COMPILER_BOTH(...) __VA_ARGS__
#define ZEQ_IN_COMPILER_COMPILER(...) __VA_ARGS__
#define ZEQ_IN_COMPILER_RUN(...)
#define ZEQ_IN_RUN_BOTH(...) __VA_ARGS__
#define ZEQ_IN_RUN_COMPILER(...)
#define ZEQ_IN_RUN_RUN(...) __VA_ARGS__

inline constexpr Keyword kCompilerRows[] = {
#define ZEQ_KEYWORD(id, word, code, where) ZEQ_IN_COMPILER_##where(Keyword{word, code}, )
#define ZEQ_SPELLING(word, id, where)
#include "language/keywords.inc"
#undef ZEQ_KEYWORD
#undef ZEQ_SPELLING
#define ZEQ_BUILTIN(id, word, code, ...) Keyword{word, code},
#include "language/builtins.inc"
#undef ZEQ_BUILTIN
#define ZEQ_KEYWORD(id, word, code, where)
#define ZEQ_SPELLING(word, id, where) ZEQ_IN_COMPILER_##where(Keyword{word, tok::id}, )
#include "language/keywords.inc"
#undef ZEQ_KEYWORD
#undef ZEQ_SPELLING
};

inline constexpr Keyword kRunRows[] = {
#define ZEQ_KEYWORD(id, word, code, where) ZEQ_IN_RUN_##where(Keyword{word, code}, )
#define ZEQ_SPELLING(word, id, where)
#include "language/keywords.inc"
#undef ZEQ_KEYWORD
#undef ZEQ_SPELLING
#define ZEQ_BUILTIN(id, word, code, ...) Keyword{word, code},
#include "language/builtins.inc"
#undef ZEQ_BUILTIN
#define ZEQ_KEYWORD(id, word, code, where)
#define ZEQ_SPELLING(word, id, where) ZEQ_IN_RUN_##where(Keyword{word, tok::id}, )
#include "language/keywords.inc"
#undef ZEQ_KEYWORD
#undef ZEQ_SPELLING
};

#undef ZEQ_IN_COMPILER_BOTH
#undef ZEQ_IN_COMPILER_COMPILER
#undef ZEQ_IN_COMPILER_RUN
#undef ZEQ_IN_RUN_BOTH
#undef ZEQ_IN_RUN_COMPILER
#undef ZEQ_IN_RUN_RUN
}  // namespace keyword_detail

// The compiler's table (source words) and the interpreter's (the words of build.dat).
inline constexpr std::span<const Keyword> kCompilerKeywords{keyword_detail::kCompilerRows};
inline constexpr std::span<const Keyword> kRunKeywords{keyword_detail::kRunRows};
static_assert(kCompilerKeywords.size() == 235);
static_assert(kRunKeywords.size() == 215);

// Case-insensitive lookup over a keyword table: the first row whose name equals the word
// ignoring ASCII case. Open addressing on a hash of the upper-cased bytes; the names' lengths
// are kept so that most misses end without comparing a byte.
class KeywordIndex {
  public:
    explicit KeywordIndex(std::span<const Keyword> rows) : m_rows(rows), m_slots(kSlots) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string_view name = rows[i].name;
            if (name.size() < 64) m_lengths |= std::uint64_t{1} << name.size();
            std::size_t s = hash(name) & (kSlots - 1);
            bool taken = false;
            while (m_slots[s].row >= 0) {
                if (card::equals_ignore_case(rows[static_cast<std::size_t>(m_slots[s].row)].name,
                                             name)) {
                    taken = true;  // an earlier row with the name wins
                    break;
                }
                s = (s + 1) & (kSlots - 1);
            }
            if (!taken)
                m_slots[s] = {static_cast<std::int16_t>(i), static_cast<std::uint8_t>(name.size())};
        }
    }

    // The row's code, or `none`.
    int find(std::string_view word, int none) const {
        // Most names of a script are no keyword; many have a length no keyword has.
        if (word.size() >= 64 || !(m_lengths & (std::uint64_t{1} << word.size()))) return none;
        for (std::size_t s = hash(word) & (kSlots - 1);; s = (s + 1) & (kSlots - 1)) {
            const Slot slot = m_slots[s];
            if (slot.row < 0) return none;
            if (slot.length == word.size()) {
                const Keyword& k = m_rows[static_cast<std::size_t>(slot.row)];
                if (card::equals_ignore_case(k.name, word)) return k.code;
            }
        }
    }

  private:
    static constexpr std::size_t kSlots = 1024;  // a power of two, over four times the rows
    struct Slot {
        std::int16_t row = -1;
        std::uint8_t length = 0;
    };
    static std::size_t hash(std::string_view s) {
        std::uint32_t h = 2166136261u;
        for (char c : s) h = (h ^ static_cast<unsigned char>(card::ascii_upper(c))) * 16777619u;
        return h ^ (h >> 15);
    }

    std::span<const Keyword> m_rows;
    std::vector<Slot> m_slots;
    std::uint64_t m_lengths = 0;  // bit n: some keyword has n characters
};

}  // namespace zeq::desk
