#include "tools/regconfig/number_fields.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/regconfig/regconfig_messages.h"

namespace zeq::desk::regconfig {

namespace {

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

bool parseReal(std::string_view typed, double& out) {
    const std::string t = trimmed(typed);
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(t.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(out);
}

bool parseInteger(std::string_view typed, std::int64_t& out) {
    const std::string t = trimmed(typed);
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(t.c_str(), &end, 10);
    return *end == '\0' && errno == 0;
}

void refuseNotANumber(std::string_view typed, UserDialogs& dialogs) {
    dialogs.message(std::string(typed) + msg::kNotANumber);
}

bool keepLowBits(std::string_view typed, const char* question, UserDialogs& dialogs) {
    return dialogs.askYesNo(std::string(typed) + question, UserDialogs::Answer::No) ==
           UserDialogs::Answer::Yes;
}

}  // namespace

std::string motionLimitText(std::int32_t value, const UnitFactors& units) {
    char buf[64];
    if (units.userUnits)
        std::snprintf(buf, sizeof buf, "%.7lf",
                      value * units.timeScale / units.distScale / 65536.0);
    else
        std::snprintf(buf, sizeof buf, "%d", value);
    return buf;
}

bool readMotionLimit(std::string_view typed, const UnitFactors& units, UserDialogs& dialogs,
                     std::int32_t& value, std::string& shown) {
    double number = 0;
    if (!parseReal(typed, number)) {
        refuseNotANumber(typed, dialogs);
        return false;
    }
    const double scaled = number * units.factor();
    // Beyond the range of a 64-bit integer the truncation is undefined; such a number keeps
    // no meaningful low bits and is refused like a No.
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18) {
        keepLowBits(typed, msg::kRange32, dialogs);
        return false;
    }
    const auto raw = static_cast<std::int64_t>(scaled);
    const auto upper = static_cast<std::uint32_t>(static_cast<std::uint64_t>(raw) >> 32);
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(raw));
    shown = trimmed(typed);
    if (upper != 0 && upper != 0xFFFFFFFFu) {
        if (!keepLowBits(typed, msg::kRange32, dialogs)) return false;
        shown = motionLimitText(value, units);
    }
    return true;
}

bool readField16(std::string_view typed, UserDialogs& dialogs, std::uint16_t& value,
                 std::string& shown) {
    std::int64_t number = 0;
    if (!parseInteger(typed, number)) {
        refuseNotANumber(typed, dialogs);
        return false;
    }
    value = static_cast<std::uint16_t>(number);
    shown = trimmed(typed);
    if ((static_cast<std::uint64_t>(number) >> 16) != 0) {
        if (!keepLowBits(typed, msg::kRange16, dialogs)) return false;
        shown = std::to_string(static_cast<std::int16_t>(value));
    }
    return true;
}

bool readField32(std::string_view typed, UserDialogs& dialogs, std::int32_t& value) {
    std::int64_t number = 0;
    if (!parseInteger(typed, number)) {
        refuseNotANumber(typed, dialogs);
        return false;
    }
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
    return true;
}

}  // namespace zeq::desk::regconfig
