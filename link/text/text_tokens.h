// Tokens and numbers of the text command lines. A line splits at blanks, tabs, carriage returns
// and line feeds; everything else (commas included) belongs to a token.
#pragma once

#include <cstdint>
#include <string_view>

#include "card/names.h"

namespace zeq::link::text {

// Names and keywords are matched as the card's names are (card/names.h).
using card::ascii_upper;
using card::equals_ignore_case;

// Walks the tokens of one NUL-terminated line without copying it.
class Tokens {
  public:
    explicit Tokens(const char* line) : m_rest(line ? line : "") {}
    // The next token, or false at the end of the line.
    bool next(std::string_view* token);
    // True when no token is left.
    bool atEnd() const;

  private:
    std::string_view m_rest;
};

// "123", "-45": decimal with an optional leading '-'. False on any other character, on an empty
// digit string and on overflow of a signed 64-bit integer.
bool parse_decimal(std::string_view token, int64_t* value);

// A value token: hexadecimal with a trailing 'h'/'H' (digits 0-9, A-F in either case, no
// sign), otherwise decimal. False on a character that is not a digit of the base and on
// overflow of a signed 64-bit integer.
bool parse_value(std::string_view token, int64_t* value);

// An axis token: exactly one decimal digit.
bool parse_axis(std::string_view token, int* axis);

// Whether `value` can be written as a register of `bits` bits (16, 32 or 48): signed or
// unsigned reading, -2^(bits-1) .. 2^bits - 1.
bool fits_bits(int64_t value, int bits);

}  // namespace zeq::link::text
