// The editor's line parser: splits one line of source bytes into runs of a colour kind,
// carrying the comment, string and character-constant state from line to line. Works in byte
// positions; a multi-byte character (GBK or UTF-8, by the text's encoding) is one unit and
// never ends a token.
#pragma once

#include <string_view>
#include <vector>

#include "core/encoding.h"
#include "shell/rules/syntax_rules.h"

namespace zeq::desk {

enum ColourKind : int {
    kColourComment = 0,
    kColourKeyword = 1,
    kColourNormal = 2,
    kColourNumber = 3,
    kColourString = 4,
    kColourChar = 5,
};
inline constexpr int kColourKindCount = 6;

// State carried into the next line.
enum ParseState : int {
    kStateNone = 0,
    kStateLineComment = 2,
    kStateBlockComment = 4,
    kStateString = 16,
    kStateChar = 32,
};

struct ColourRun {
    int position;  // byte offset in the line where the kind starts
    int kind;      // ColourKind
    bool operator==(const ColourRun&) const = default;
};

struct ParsedLine {
    std::vector<ColourRun> runs;  // positions never decrease
    int state = kStateNone;       // to carry into the next line
};

// Parses `line` (without its line break) starting in `state`. The runs colour from their
// position up to the next run's position; the last one to the end of the line.
ParsedLine parseLine(std::string_view line, int state, const SyntaxRules& rules,
                     TextEncoding encoding);

}  // namespace zeq::desk
