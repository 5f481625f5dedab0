#include "shell/rules/shell_rules.h"

#include <cstdio>

#include "compiler/usage_table.h"

#ifndef ZEQ_VERSION_MAJOR
#define ZEQ_VERSION_MAJOR 0
#define ZEQ_VERSION_MINOR 0
#define ZEQ_VERSION_PATCH 0
#define ZEQ_VERSION_TWEAK 0
#endif

namespace zeq::desk {

std::string frameTitle(std::string_view path, int cardType) {
    std::string title = "ZeqDesk";
    if (!path.empty()) {
        title += " - ";
        title += path;
    }
    title += cardType == 1 ? " (PCI)" : " (USB)";
    return title;
}

std::string indentAfter(std::string_view previous) {
    std::string indent;
    std::size_t i = 0;
    for (; i < previous.size() && (previous[i] == ' ' || previous[i] == '\t'); ++i) {
        if (previous[i] == '\t') indent += '\t';
    }
    std::size_t end = i;
    const auto wordChar = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    };
    while (end < previous.size() && wordChar(previous[end])) ++end;
    std::string word(previous.substr(i, end - i));
    for (char& c : word) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    if (word == "main" || word == "while" || word == "for" || word == "if") indent += '\t';
    return indent;
}

std::string_view CallTipTracker::type(char c) {
    const bool wordChar =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (wordChar) {
        if (m_word.size() < 64) m_word += c;
        return {};
    }
    if (m_word.empty()) return {};
    const UsageRow* row = findUsage(m_word);
    m_word.clear();
    return row ? row->usage : std::string_view{};
}

std::vector<std::string> helpCandidates(const std::vector<std::string>& folders) {
    std::vector<std::string> out;
    for (const char* ext : {".pdf", ".html"}) {
        for (const std::string& f : folders) {
            if (f.empty()) continue;
            out.push_back(f + "/" + std::string(kHelpDocumentStem) + ext);
        }
    }
    return out;
}

std::string versionText() {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", ZEQ_VERSION_MAJOR, ZEQ_VERSION_MINOR,
                  ZEQ_VERSION_PATCH, ZEQ_VERSION_TWEAK);
    return buf;
}

}  // namespace zeq::desk
