#include "text/text_tokens.h"

#include <limits>

namespace zeq::link::text {
namespace {

bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = ascii_upper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Accumulates digits of `base` into a magnitude no larger than `limit`.
bool accumulate(std::string_view digits, unsigned base, uint64_t limit, uint64_t* out) {
    if (digits.empty()) return false;
    uint64_t v = 0;
    for (char c : digits) {
        const int d = base == 16 ? hex_digit(c) : ((c >= '0' && c <= '9') ? c - '0' : -1);
        if (d < 0) return false;
        if (v > (limit - static_cast<uint64_t>(d)) / base) return false;
        v = v * base + static_cast<uint64_t>(d);
    }
    *out = v;
    return true;
}

}  // namespace

bool Tokens::next(std::string_view* token) {
    size_t i = 0;
    while (i < m_rest.size() && is_separator(m_rest[i])) ++i;
    size_t j = i;
    while (j < m_rest.size() && !is_separator(m_rest[j])) ++j;
    m_rest.remove_prefix(i);
    if (j == i) return false;
    *token = m_rest.substr(0, j - i);
    m_rest.remove_prefix(j - i);
    return true;
}

bool Tokens::atEnd() const {
    Tokens copy = *this;
    std::string_view ignored;
    return !copy.next(&ignored);
}

bool parse_decimal(std::string_view token, int64_t* value) {
    constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    const bool negative = !token.empty() && token.front() == '-';
    if (negative) token.remove_prefix(1);
    uint64_t magnitude = 0;
    if (!accumulate(token, 10, negative ? kMax + 1 : kMax, &magnitude)) return false;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool parse_value(std::string_view token, int64_t* value) {
    if (!token.empty() && (token.back() == 'h' || token.back() == 'H')) {
        uint64_t v = 0;
        token.remove_suffix(1);
        if (!accumulate(token, 16, std::numeric_limits<int64_t>::max(), &v)) return false;
        *value = static_cast<int64_t>(v);
        return true;
    }
    return parse_decimal(token, value);
}

bool parse_axis(std::string_view token, int* axis) {
    if (token.size() != 1 || token[0] < '0' || token[0] > '9') return false;
    *axis = token[0] - '0';
    return true;
}

bool fits_bits(int64_t value, int bits) {
    const int64_t lowest = -(int64_t{1} << (bits - 1));
    const int64_t highest = (int64_t{1} << bits) - 1;
    return value >= lowest && value <= highest;
}

}  // namespace zeq::link::text
