#include "shell/rules/breakpoint_book.h"

#include <algorithm>
#include <charconv>

namespace zeq::desk {
namespace {

constexpr std::string_view kSection = "Breakpoints";
constexpr std::size_t kMaxValueLength = 16384;

std::vector<int> normalised(std::vector<int> lines) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](int l) { return l < 0 || l > BreakpointBook::kMaxLine; }),
                lines.end());
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    if (lines.size() > static_cast<std::size_t>(BreakpointBook::kMaxLinesPerFile))
        lines.resize(BreakpointBook::kMaxLinesPerFile);
    return lines;
}

// "3,12" (1-based) to {2, 11}; false when anything but numbers and commas is there.
bool parseLines(std::string_view text, std::vector<int>& out) {
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        int n = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), n);
        if (ec != std::errc() || end != item.data() + item.size() || n < 1) return false;
        out.push_back(n - 1);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return true;
}

}  // namespace

void BreakpointBook::load(const IniStore& ini) {
    m_files.clear();
    for (int i = 1; i <= kMaxFiles; ++i) {
        const std::string value = ini.getString(kSection, std::to_string(i), "", kMaxValueLength);
        const std::size_t bar = value.find('|');
        if (bar == std::string::npos || bar + 1 >= value.size()) continue;
        std::vector<int> lines;
        if (!parseLines(std::string_view(value).substr(0, bar), lines)) continue;
        std::string path = value.substr(bar + 1);
        lines = normalised(std::move(lines));
        const bool known = std::any_of(m_files.begin(), m_files.end(),
                                       [&path](const auto& f) { return f.first == path; });
        if (lines.empty() || known) continue;
        m_files.emplace_back(std::move(path), std::move(lines));
    }
}

void BreakpointBook::save(IniStore& ini) const {
    ini.deleteSection(kSection);
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        std::string value;
        for (int line : m_files[i].second) {
            if (!value.empty()) value += ',';
            value += std::to_string(line + 1);
        }
        value += '|';
        value += m_files[i].first;
        ini.setString(kSection, std::to_string(i + 1), value);
    }
}

std::vector<int> BreakpointBook::lines(const std::string& path) const {
    for (const auto& f : m_files)
        if (f.first == path) return f.second;
    return {};
}

void BreakpointBook::set(const std::string& path, std::vector<int> lines) {
    m_files.erase(std::remove_if(m_files.begin(), m_files.end(),
                                 [&path](const auto& f) { return f.first == path; }),
                  m_files.end());
    lines = normalised(std::move(lines));
    if (path.empty() || lines.empty()) return;
    m_files.insert(m_files.begin(), {path, std::move(lines)});
    if (m_files.size() > static_cast<std::size_t>(kMaxFiles)) m_files.resize(kMaxFiles);
}

}  // namespace zeq::desk
