#include "shell/rules/shell_settings.h"

#include <algorithm>

namespace zeq::desk {
namespace {
constexpr std::string_view kToolcfg = "Toolcfg";
constexpr std::string_view kDrevices = "Drevices";
constexpr std::string_view kCommandLeft = "CommandLeft";
// The box is a few lines typed by hand; a damaged file must not make it read for ever.
constexpr long kMaxCommandLines = 10000;
}  // namespace

void ShellSettings::load(const IniStore& ini) {
    zoom = ini.getInt(kToolcfg, "Zoom", 1) != 0;
    editSourcePath = ini.getString(kToolcfg, "editsourcepath", "");
    boardType = static_cast<int>(ini.getInt(kDrevices, "BoardType", 0));
    deviceKeys.clear();
    for (const std::string& key : ini.keys(kDrevices)) {
        if (key == "BoardType") continue;
        deviceKeys.emplace_back(key, ini.getString(kDrevices, key, "-1"));
    }
    commandLines.clear();
    const long total =
        std::clamp<long>(ini.getInt(kCommandLeft, "CommandTotal", 0), 0, kMaxCommandLines);
    for (long i = 1; i <= total; ++i) {
        commandLines.push_back(ini.getString(kCommandLeft, std::to_string(i), "", kCommandLineMax));
    }
}

void ShellSettings::save(IniStore& ini) const {
    ini.deleteSection(kToolcfg);
    ini.deleteSection(kDrevices);
    ini.deleteSection(kCommandLeft);
    ini.setInt(kToolcfg, "Zoom", zoom ? 1 : 0);
    if (!editSourcePath.empty()) ini.setString(kToolcfg, "editsourcepath", editSourcePath);
    for (const auto& [key, value] : deviceKeys) ini.setString(kDrevices, key, value);
    ini.setInt(kDrevices, "BoardType", boardType);
    int n = 0;
    for (const std::string& line : commandLines) {
        if (line.empty()) continue;
        ini.setString(kCommandLeft, std::to_string(++n), line);
    }
    ini.setInt(kCommandLeft, "CommandTotal", n);
}

std::vector<std::string> commandBoxLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line =
            text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kCommandLineMax) line.resize(kCommandLineMax);
        if (!line.empty()) lines.push_back(std::move(line));
    }
    return lines;
}

std::string commandBoxText(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i) text += "\n";
        text += lines[i];
    }
    return text;
}

}  // namespace zeq::desk
