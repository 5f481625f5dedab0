// How names are matched: parameter names, instruction mnemonics and keywords are equal when they
// are equal byte for byte after mapping the ASCII letters a..z to A..Z. Other bytes (those of
// multi-byte characters among them) are compared as they stand, so the mapping never alters a
// character it does not know.
#pragma once

namespace zeq::card {

constexpr char ascii_upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when `a` and `b` (anything with size() and operator[], e.g. std::string_view) are equal
// ignoring ASCII case.
template <class A, class B>
constexpr bool equals_ignore_case(const A& a, const B& b) {
    if (a.size() != b.size()) return false;
    for (decltype(a.size()) i = 0; i < a.size(); ++i)
        if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
    return true;
}

}  // namespace zeq::card
