// The library's own view of the card's parameter catalogue, for resolving the names in text
// commands. The rows are the catalogue's system rows, included from the one shared table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeq::link::text {

struct TextParam {
    const char* name;    // as the catalogue spells it, e.g. "mcstgpos"
    const char* format;  // display format text, e.g. "S16.16"
    uint16_t address;    // register address 0..1023
    int kind;            // 4, 5 = 32-bit; 6 = 48-bit; anything else = 16-bit
    uint8_t readOnly;    // non-zero: not writable
    uint8_t global;      // non-zero: card-wide register
};

enum class ParamWidth { Bits16, Bits32, Bits48 };

inline ParamWidth param_width(const TextParam& p) {
    if (p.kind == 4 || p.kind == 5) return ParamWidth::Bits32;
    if (p.kind == 6) return ParamWidth::Bits48;
    return ParamWidth::Bits16;
}

// Signed kinds (3 = S16, 5 = S32, 6 = 48-bit) are sign-extended when read; the others are not.
inline bool param_signed(const TextParam& p) {
    return p.kind == 3 || p.kind == 5 || p.kind == 6;
}

constexpr size_t kTextParamCount = 237;

// All rows in catalogue order.
const TextParam* text_params();

// The first row whose name equals `name` ignoring ASCII case, or nullptr.
const TextParam* find_text_param(std::string_view name);

}  // namespace zeq::link::text
