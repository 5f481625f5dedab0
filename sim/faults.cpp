#include "sim/faults.h"

#include <charconv>

namespace zeq::sim {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool parse_count(std::string_view s, uint32_t* out) {
    s = trim(s);
    if (s.empty()) return false;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), *out, 10);
    return ec == std::errc() && p == s.data() + s.size();
}

bool parse_status_list(std::string_view s, std::vector<uint8_t>* out) {
    s = trim(s);
    if (s.empty()) return false;
    while (true) {
        size_t colon = s.find(':');
        std::string_view item = trim(s.substr(0, colon));
        unsigned v = 0;
        if (item.size() > 2 && item[0] == '0' && (item[1] == 'x' || item[1] == 'X'))
            item.remove_prefix(2);
        auto [p, ec] = std::from_chars(item.data(), item.data() + item.size(), v, 16);
        if (item.empty() || ec != std::errc() || p != item.data() + item.size() || v > 0xFF)
            return false;
        out->push_back(static_cast<uint8_t>(v));
        if (colon == std::string_view::npos) return true;
        s.remove_prefix(colon + 1);
    }
}

}  // namespace

bool Faults::apply(std::string_view text, std::string* error) {
    Faults next = *this;
    while (!text.empty()) {
        size_t comma = text.find(',');
        std::string_view item = trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (item.empty()) continue;
        size_t eq = item.find('=');
        std::string_view key = trim(item.substr(0, eq));
        std::string_view val =
            eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        bool ok = true;
        uint32_t n = 0;
        if (key == "drop") {
            ok = parse_count(val, &n);
            if (ok) next.drop += n;
        } else if (key == "badsum") {
            ok = parse_count(val, &n);
            if (ok) next.badsum += n;
        } else if (key == "short") {
            ok = parse_count(val, &n);
            if (ok) next.shortReads += n;
        } else if (key == "unplug") {
            ok = parse_count(val, &n);
            if (ok) next.unplugAfter = n;
        } else if (key == "halffull") {
            ok = eq == std::string_view::npos || trim(val) == "1" || trim(val) == "on";
            if (ok) next.halffull = true;
            if (!ok && (trim(val) == "0" || trim(val) == "off")) {
                ok = true;
                next.halffull = false;
            }
        } else if (key == "fifostatus") {
            std::vector<uint8_t> bytes;
            ok = parse_status_list(val, &bytes);
            if (ok) {
                // A new script replaces what is left of an older one.
                next.fifoStatus = std::move(bytes);
                next.fifoStatusPos = 0;
            }
        } else if (key == "none") {
            next = Faults{};
        } else {
            ok = false;
        }
        if (!ok) {
            if (error) *error = std::string(item);
            return false;
        }
    }
    *this = std::move(next);
    return true;
}

}  // namespace zeq::sim
