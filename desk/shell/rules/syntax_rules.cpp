#include "shell/rules/syntax_rules.h"

#include <algorithm>
#include <cstdlib>

namespace zeq::desk {
namespace {

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lowerAscii(c);
    return out;
}

std::string trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(unsigned char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace

SyntaxRules SyntaxRules::defaults(int language) {
    SyntaxRules r;
    r.numberMode = language;
    if (language == kLanguagePlain) return r;
    r.extraWordChars.push_back('#');
    r.blockOpeners = {"{"};
    r.blockClosers = {"}"};
    r.lineStarters = {";"};
    r.keywords = splitKeywordList(kDefaultKeywordList, false);
    return r;
}

bool SyntaxRules::isWordChar(unsigned char c) const {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_') return true;
    return c != 0 && extraWordChars.find(static_cast<char>(c)) != std::string::npos;
}

bool SyntaxRules::isKeyword(std::string_view word) const {
    if (word.empty() || keywords.empty()) return false;
    const std::string key = caseSensitive ? std::string(word) : lowered(word);
    return std::binary_search(keywords.begin(), keywords.end(), key);
}

bool SyntaxRules::isNumber(std::string_view word) const {
    if (numberMode != kLanguageZeq || word.empty()) return false;
    if (std::all_of(word.begin(), word.end(), [](char c) { return isDigit(c); })) return true;
    if (word.size() < 2) return false;
    const char last = word.back();
    if (last != 'h' && last != 'H') return false;
    const std::string_view body = word.substr(0, word.size() - 1);
    return std::all_of(body.begin(), body.end(), [](char c) { return isHexDigit(c); });
}

std::vector<std::string> splitKeywordList(std::string_view list, bool caseSensitive) {
    std::vector<std::string> words;
    if (list.empty()) return words;
    const std::string text = caseSensitive ? std::string(list) : lowered(list);
    std::size_t start = 1;  // the first character is a separator
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos;
         start = comma + 1) {
        if (comma > start) words.push_back(text.substr(start, comma - start));
    }
    // Byte order, as the binary search compares.
    std::sort(words.begin(), words.end());
    return words;
}

SyntaxRules loadSyntaxRules(int language, const RuleLookup& lookup) {
    SyntaxRules r = SyntaxRules::defaults(language);
    if (language == kLanguagePlain || !lookup) return r;

    const auto read = [&](std::string_view key) -> std::optional<std::string> {
        return lookup(kRuleSection, key);
    };
    // A value present in the store replaces the default; an empty one leaves the delimiter
    // unset.
    const auto text = [&](std::string_view key, std::string& field) {
        if (auto v = read(key)) field = trimmed(*v);
    };
    const auto pair = [&](std::string_view key0, std::string_view key1,
                          std::vector<std::string>& field) {
        const auto v0 = read(key0);
        const auto v1 = read(key1);
        if (!v0 && !v1) return;
        field.clear();
        for (const auto& v : {v0, v1}) {
            if (!v) continue;
            std::string t = trimmed(*v);
            if (!t.empty()) field.push_back(std::move(t));
        }
    };
    if (auto v = read("g_bCase")) r.caseSensitive = std::strtol(v->c_str(), nullptr, 10) != 0;
    text("strInString", r.extraWordChars);
    pair("BeginCommentExStr0", "BeginCommentExStr1", r.blockOpeners);
    pair("EndCommentExStr0", "EndCommentExStr1", r.blockClosers);
    pair("LineCommentStr0", "LineCommentStr1", r.lineStarters);
    text("BeginStringStr0", r.stringOpener);
    text("EndStringStr0", r.stringCloser);
    text("BeginCharStr0", r.charOpener);
    text("EndCharStr0", r.charCloser);

    const std::optional<std::string> list = lookup(kKeywordSection, kKeywordKey);
    r.keywords =
        splitKeywordList(list ? std::string_view(*list) : kDefaultKeywordList, r.caseSensitive);
    return r;
}

}  // namespace zeq::desk
