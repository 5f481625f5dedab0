// The built-ins as data (builtins.inc): what the compiler accepts, what the editor shows and how
// the interpreter calls each one. The device port expands the call column itself.
#pragma once

#include <cstdint>
#include <string_view>

#include "language/tokens.h"

namespace zeq::desk {

// What the compiler accepts after the word.
enum class BuiltinShape : std::uint8_t {
    Word,        // the word alone; the rest of the line is left for the next statement
    Fixed,       // exactly `count` expressions
    Vars,        // exactly `count` expressions ("too many arguments" past them)
    VarsOut,     // `count` expressions, then optionally a variable that receives a result
    Getter,      // [VAR]
    GetterAxis,  // [VAR] "," EXPR
    Wait,        // PARAM [[","] AXIS], as wt
    PathData,    // PARAM "," then `count` expressions
    Special,     // a statement of its own (rd, wr, wa, FileContour, path data, PathEvent …)
    Simple,      // compiled by the statement loop (pause, sleep)
    Event,       // an event instruction: written after a channel number
    Reject,      // no statement: reported as an error
};

// How the interpreter calls it and what it prints.
enum class BuiltinStyle : std::uint8_t {
    Retry,          // FIFO selector, FIFO retry, status reported
    RetryNoFifo,    // no FIFO selector, FIFO retry, status reported
    Once,           // no FIFO selector, called once, status ignored
    Segment,        // no FIFO selector, called once, the status selects a segment message
    GetInt,         // [VAR]; out int, called once, status ignored
    GetDouble,      // [VAR]; out double, called once, status ignored
    GetCount,       // [VAR]; out int, FIFO selector, FIFO retry without report
    GetAxisDouble,  // [VAR] [,] AXIS; out double, FIFO selector, retry and report
    GetAxisInt,     // [VAR] [,] AXIS; out int, FIFO selector, retry and report
    GetScale,       // [VAR] [,] AXIS; the double comes back directly
    GetTimeScale,   // [VAR]; the double comes back directly
    Linear,         // VEL then (DIST, AXIS) pairs, then [, VAR] for the master axis
    Special,        // a statement of its own in the dispatcher
    Event,          // an event instruction line
    Statement,      // executed by the statement loop (pause, sleep)
    None,           // nothing executes it
};

// A row of the call tips; `present` false for the built-ins without one.
struct BuiltinTip {
    std::string_view name;
    std::string_view text;
    bool present = false;
};

struct Builtin {
    tok::Code code;
    std::string_view word;
    BuiltinShape shape;
    int count;
    BuiltinTip tip;
    std::string_view args;
    BuiltinStyle style;

    // The built-ins the dispatcher calls through the device port by their style alone.
    constexpr bool calledByStyle() const {
        return style != BuiltinStyle::Special && style != BuiltinStyle::Event &&
               style != BuiltinStyle::Statement && style != BuiltinStyle::None;
    }
};

namespace builtin_detail {
struct OwnTip {
    std::string_view text;
};
constexpr BuiltinTip tipOf(std::string_view word, OwnTip tip) {
    return {word, tip.text, true};
}
constexpr BuiltinTip tipOf(std::string_view, BuiltinTip tip) {
    return tip;
}
}  // namespace builtin_detail

inline constexpr Builtin kBuiltins[] = {
#define TIP(text)            \
    builtin_detail::OwnTip { \
        text                 \
    }
#define TIP_AS(name, text) \
    BuiltinTip {           \
        name, text, true   \
    }
#define NO_TIP \
    BuiltinTip {}
#define ZEQ_BUILTIN(id, word, code, shape, count, tip, args, style, call) \
    {tok::id,                                                             \
     word,                                                                \
     BuiltinShape::shape,                                                 \
     count,                                                               \
     builtin_detail::tipOf(word, tip),                                    \
     args,                                                                \
     BuiltinStyle::style},
#include "language/builtins.inc"
#undef ZEQ_BUILTIN
#undef TIP
#undef TIP_AS
#undef NO_TIP
};
inline constexpr int kBuiltinCount = static_cast<int>(sizeof kBuiltins / sizeof kBuiltins[0]);
inline constexpr int kCallTipCount = [] {
    int n = 0;
    for (const Builtin& b : kBuiltins) n += b.tip.present ? 1 : 0;
    return n;
}();
static_assert(kBuiltinCount == 187);
static_assert(kCallTipCount == 174);

namespace builtin_detail {
inline constexpr int kCodeLimit = 1600;  // every built-in code is below

struct CodeIndex {
    std::int16_t row[kCodeLimit];
};
constexpr CodeIndex makeCodeIndex() {
    CodeIndex index{};
    for (std::int16_t& row : index.row) row = -1;
    for (int i = 0; i < kBuiltinCount; ++i)
        index.row[kBuiltins[i].code] = static_cast<std::int16_t>(i);
    return index;
}
inline constexpr CodeIndex kCodeIndex = makeCodeIndex();

constexpr bool codesAreUnique() {
    for (int i = 0; i < kBuiltinCount; ++i) {
        if (kBuiltins[i].code <= 0 || kBuiltins[i].code >= kCodeLimit) return false;
        for (int j = i + 1; j < kBuiltinCount; ++j)
            if (kBuiltins[i].code == kBuiltins[j].code) return false;
    }
    return true;
}

// The compiler's argument count and the interpreter's argument kinds tell the same story.
constexpr bool countsAgree(const Builtin& b) {
    const auto n = static_cast<int>(b.args.size());
    switch (b.style) {
        case BuiltinStyle::Retry:
        case BuiltinStyle::Once:
        case BuiltinStyle::Segment:
            return (b.shape == BuiltinShape::Word && n == 0) ||
                   ((b.shape == BuiltinShape::Fixed || b.shape == BuiltinShape::Vars) &&
                    n == b.count);
        case BuiltinStyle::RetryNoFifo:  // a parameter, the values, an axis
            return (b.shape == BuiltinShape::Wait && b.args == "pi") ||
                   (b.shape == BuiltinShape::PathData && n == b.count + 1);
        case BuiltinStyle::Linear:  // a velocity and one (distance, axis) pair per axis
            return b.shape == BuiltinShape::VarsOut && b.args == "d" &&
                   b.count == 1 + 2 * (b.code - tok::Linear2A + 2);
        case BuiltinStyle::GetInt:
        case BuiltinStyle::GetDouble:
        case BuiltinStyle::GetCount:
        case BuiltinStyle::GetTimeScale:
            return b.shape == BuiltinShape::Getter && n == 0;
        case BuiltinStyle::GetAxisDouble:
        case BuiltinStyle::GetAxisInt:
        case BuiltinStyle::GetScale:
            return b.shape == BuiltinShape::GetterAxis && n == 0;
        case BuiltinStyle::Event:
            return b.shape == BuiltinShape::Event && b.args.find('/') != std::string_view::npos;
        default:
            return b.shape != BuiltinShape::Event;
    }
}
constexpr bool allCountsAgree() {
    for (const Builtin& b : kBuiltins)
        if (!countsAgree(b)) return false;
    return true;
}
}  // namespace builtin_detail

static_assert(builtin_detail::codesAreUnique(), "two built-ins share a code");
static_assert(builtin_detail::allCountsAgree(), "a built-in's argument count and kinds differ");

// The built-in with the token code, or nullptr.
constexpr const Builtin* findBuiltin(int code) {
    if (code <= 0 || code >= builtin_detail::kCodeLimit) return nullptr;
    const int row = builtin_detail::kCodeIndex.row[code];
    return row < 0 ? nullptr : &kBuiltins[row];
}

}  // namespace zeq::desk
