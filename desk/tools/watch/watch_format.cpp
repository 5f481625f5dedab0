#include "tools/watch/watch_format.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>

#include "catalogue/param_catalogue.h"
#include "core/simple_ini.h"

namespace zeq::desk {
namespace {

constexpr const char* kListSection = "ListView";
constexpr const char* kCountKey = "paramnum";
constexpr const char* kToolSection = "Toolcfg";
constexpr const char* kIntervalKey = "ListGetTime";

// 0..7 from a cell text; anything else 0.
int boardOrAxis(std::string_view text) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > 7) return 0;
    return v;
}

bool loadIni(CSimpleIniA& ini, const std::string& path) {
    ini.SetUnicode(true);
    return ini.LoadFile(path.c_str()) >= 0;
}

bool saveIni(CSimpleIniA& ini, const std::string& path) {
    std::error_code ec;
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    ini.SetSpaces(false);  // "key=value", as the application writes the rest of the file
    return ini.SaveFile(path.c_str(), false) >= 0;
}

}  // namespace

std::string formatWatchValue(std::int64_t value, int kind, bool hex) {
    char text[32];
    if (kind == kKindUInt32 || kind == kKindInt32) {
        const auto v = static_cast<std::uint32_t>(value);
        if (hex)
            std::snprintf(text, sizeof text, "%08XH", static_cast<unsigned>(v));
        else
            std::snprintf(text, sizeof text, "%d", static_cast<int>(static_cast<std::int32_t>(v)));
    } else if (kind == kKindInt48) {
        if (hex)
            std::snprintf(text, sizeof text, "%012llXH",
                          static_cast<unsigned long long>(value) & 0xFFFFFFFFFFFFull);
        else
            std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else {
        const auto v = static_cast<std::uint16_t>(value);
        if (hex)
            std::snprintf(text, sizeof text, "%04XH", static_cast<unsigned>(v));
        else if (kind == kKindInt16)
            std::snprintf(text, sizeof text, "%d", static_cast<int>(static_cast<std::int16_t>(v)));
        else
            std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(v));
    }
    return text;
}

std::string watchRowText(const WatchRow& row) {
    return row.name + ":" + std::to_string(row.axis) + ":" + std::to_string(row.board);
}

bool parseWatchRow(std::string_view text, WatchRow& out) {
    if (text.size() <= 2) return false;
    const auto first = text.find(':');
    WatchRow row;
    row.name = std::string(text.substr(0, first));
    if (first != std::string_view::npos) {
        std::string_view rest = text.substr(first + 1);
        const auto second = rest.find(':');
        row.axis = boardOrAxis(rest.substr(0, second));
        if (second != std::string_view::npos) {
            rest = rest.substr(second + 1);
            row.board = boardOrAxis(rest.substr(0, rest.find(':')));
        }
    }
    out = std::move(row);
    return true;
}

WatchSettings loadWatchSettings(const std::string& iniPath) {
    WatchSettings s;
    CSimpleIniA ini;
    if (!loadIni(ini, iniPath)) return s;
    const long interval =
        ini.GetLongValue(kToolSection, kIntervalKey, WatchSettings::kDefaultInterval);
    s.interval = interval >= 1 && interval <= INT32_MAX ? static_cast<int>(interval)
                                                        : WatchSettings::kDefaultInterval;
    long count = ini.GetLongValue(kListSection, kCountKey, 0);
    if (count < 0) count = 0;
    if (count > WatchSettings::kMaxRows) count = WatchSettings::kMaxRows;
    for (long i = 0; i < count; ++i) {
        std::string_view text = ini.GetValue(kListSection, std::to_string(i).c_str(), "");
        if (text.size() > WatchSettings::kMaxRowText)
            text = text.substr(0, WatchSettings::kMaxRowText);
        WatchRow row;
        if (parseWatchRow(text, row)) s.rows.push_back(std::move(row));
    }
    return s;
}

bool saveWatchSettings(const std::string& iniPath, const WatchSettings& settings) {
    if (iniPath.empty()) return false;
    CSimpleIniA ini;
    loadIni(ini, iniPath);  // keep the other sections; a missing file is fine
    ini.Delete(kListSection, nullptr);
    ini.SetLongValue(kListSection, kCountKey, static_cast<long>(settings.rows.size()));
    for (std::size_t i = 0; i < settings.rows.size(); ++i)
        ini.SetValue(kListSection, std::to_string(i).c_str(),
                     watchRowText(settings.rows[i]).c_str());
    ini.SetLongValue(kToolSection, kIntervalKey, settings.interval);
    return saveIni(ini, iniPath);
}

bool saveWatchInterval(const std::string& iniPath, int intervalMs) {
    if (iniPath.empty()) return false;
    CSimpleIniA ini;
    loadIni(ini, iniPath);
    ini.SetLongValue(kToolSection, kIntervalKey, intervalMs);
    return saveIni(ini, iniPath);
}

}  // namespace zeq::desk
