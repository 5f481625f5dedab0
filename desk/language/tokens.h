// The token codes of the script language, one enum for the compiler and the interpreter.
//
// Codes 1..127 are single ASCII characters (their byte value); a negative code is the sign-
// extended lead byte of a multi-byte character. The named codes are fixed: the words of the
// language come from keywords.inc and builtins.inc with their codes.
#pragma once

namespace zeq::desk::tok {

enum Code : int {
    EndOfLine = 10,
    Number = 256,  // decimal integer or quoted character
    Identifier = 257,
    HexNumber = 258,  // digits/letters with trailing h or H
    Fraction = 259,   // decimal number with a fraction part
    GreaterEq = 264,
    LessEq = 265,
    Equal = 266,
    NotEqual = 267,
    Malformed = 268,
    EndOfSource = 269,
#define ZEQ_KEYWORD(id, word, code, where) id = code,
#define ZEQ_SPELLING(word, id, where)
#include "language/keywords.inc"
#undef ZEQ_KEYWORD
#undef ZEQ_SPELLING
#define ZEQ_BUILTIN(id, word, code, ...) id = code,
#include "language/builtins.inc"
#undef ZEQ_BUILTIN
};

static_assert(True == 260 && Elseif == 533 && Board == 539 && Mg == 540 && Wat == 778);
static_assert(GetInterpFreq == 814 && SetSmooth == 1086 && GetEncs == 1305);
static_assert(XOR16iB == 1569 && CondC == 1575 && IFC == 1581 && GetMCData == 1599);

// Event instruction words (ADD32 … XOR16iB).
inline bool isEventInstruction(int code) {
    return code >= ADD32 && code <= XOR16iB;
}
// Event conditions (@Z … @C, IFZ … IFC).
inline bool isEventCondition(int code) {
    return code >= CondZ && code <= IFC;
}

}  // namespace zeq::desk::tok
