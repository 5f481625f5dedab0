// Instruction files: the shared, hand-editable text form of a card's register set-up.
//
//   file       = { line }                      one statement per line
//   statement  = "WR" name ["+" offset] ["-"] value [axis]
//              | "SETTIMESCALE" ["-"] value
//              | "SETDISTSCALE" ["-"] value [axis]
//   comments   ";" to the end of the line; "{" to the next "}", across lines
//   tokens     decimal (digits), real (digits "." digits), hexadecimal (hex digits and one
//              final "h"/"H", may begin with a letter), name (letters, digits, "_"), "+", "-"
//
// Keywords ignore case; blanks, tabs and carriage returns separate tokens. The name of a WR is
// a catalogue parameter; the offset (decimal or hexadecimal) makes the write a 16-bit word
// write at the parameter's address + offset. A hexadecimal value is a signed 32-bit number; a
// real one is truncated. The axis is decimal or hexadecimal, 0 when absent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk::regconfig {

struct Instruction {
    enum class Op { Write, TimeScale, DistScale };
    Op op = Op::Write;
    int line = 0;            // 1-based source line
    int address = 0;         // Write: parameter address (+ offset)
    std::int32_t kind = 0;   // Write: the parameter's kind; the word kind with an offset
    bool wordWrite = false;  // Write: an offset was given
    std::int64_t value = 0;  // Write
    double scale = 0;        // TimeScale, DistScale
    int axis = 0;            // Write, DistScale
};

struct ParseResult {
    std::vector<Instruction> instructions;
    int errorLine = 0;  // 0 when the whole file is sound
};

// Checks the whole text; nothing is kept past the first error.
ParseResult parseInstructions(std::string_view text);

}  // namespace zeq::desk::regconfig
