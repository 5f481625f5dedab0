// The read-only listing of the system rows.
#include <cstdio>

#include "catalogue/catalogue_messages.h"
#include "catalogue/param_catalogue.h"

namespace zeq::desk {
namespace {

namespace text = catalogue_text;

// Columns a text takes on screen: a CJK character takes two, like its two bytes in the
// listing's original code page, so the column titles keep the widths the rows line up with.
int displayWidth(std::string_view s) {
    int width = 0;
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
        char32_t cp = c;
        if (len > 1 && i + len <= s.size()) {
            cp = c & (0x3F >> (len - 1));
            for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        width += (cp >= 0x1100 && (cp <= 0x115F || cp >= 0x2E80)) ? 2 : 1;
        i += len;
    }
    return width;
}

std::string padLeft(std::string_view s, int width) {
    int n = width - displayWidth(s);
    return std::string(n > 0 ? n : 0, ' ') + std::string(s);
}

std::string padRight(std::string_view s, int width) {
    int n = width - displayWidth(s);
    return std::string(s) + std::string(n > 0 ? n : 0, ' ');
}

// "  %5s   %-14s%-11s %-6s|" over the four column titles.
std::string columnTitles() {
    return "  " + padLeft(text::kColumnNumber, 5) + "   " + padRight(text::kColumnName, 14) +
           padRight(text::kColumnFormat, 11) + " " + padRight(text::kColumnAccess, 6) + "|";
}

void appendSection(std::string& out, const char* title, bool global) {
    out += title;
    const std::string titles = columnTitles();
    out += titles;
    out += titles;
    out += text::kRuler;
    int number = 0;
    for (const ParamRow& r : systemParamRows()) {
        if ((r.global != 0) != global) continue;
        ++number;
        char line[96];
        std::snprintf(line, sizeof line, "   %-3d:  %-16s%-10s  %-5s|", number,
                      std::string(r.nameView()).c_str(), std::string(r.formatView()).c_str(),
                      r.readOnly ? text::kReadOnly : text::kReadWrite);
        out += line;
        if (number % 2 == 0) out += text::kNextLine;
    }
}

}  // namespace

std::string ParamCatalogue::listing() {
    std::string out;
    appendSection(out, text::kGlobalTitle, true);
    appendSection(out, text::kAxisTitle, false);
    return out;
}

}  // namespace zeq::desk
