// The colouring rule set of the source editor: comment, string and character delimiters, the
// extra word characters, the case flag and the sorted keyword array, with the keyword and
// number tests the line parser uses. Qt-free; read once per language and shared by every
// editor view.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk {

// Language numbers of the editor: 0 = the script language (rule name "_ZEQ"), 1 = plain text.
inline constexpr int kLanguageZeq = 0;
inline constexpr int kLanguagePlain = 1;

struct SyntaxRules {
    bool caseSensitive = false;              // "g_bCase"
    std::string extraWordChars;              // "strInString"
    std::vector<std::string> blockOpeners;   // at most two
    std::vector<std::string> blockClosers;   // at most two
    std::vector<std::string> lineStarters;   // at most two
    std::string stringOpener, stringCloser;  // empty: unset
    std::string charOpener, charCloser;      // empty: unset
    std::vector<std::string> keywords;       // sorted ascending, byte order
    int numberMode = kLanguageZeq;           // 1: nothing is a number

    // The rules of a language with nothing read from the store: the defaults for language 0,
    // no rules and no keywords for language 1.
    static SyntaxRules defaults(int language);

    bool isWordChar(unsigned char c) const;
    // Binary search of the keyword array; case-insensitive unless the case flag is set.
    bool isKeyword(std::string_view word) const;
    // All decimal digits; or two or more characters ending in h/H with hex digits before.
    bool isNumber(std::string_view word) const;
};

// Reads one value of the per-user store: (section, key) -> value, nullopt when absent.
using RuleLookup =
    std::function<std::optional<std::string>(std::string_view section, std::string_view key)>;

// The section of the rule set in the per-user store, and the keyword list's section and key.
inline constexpr std::string_view kRuleSection = "icrEdit__ParseRule_ZEQ";
inline constexpr std::string_view kKeywordSection = "Keywords";
inline constexpr std::string_view kKeywordKey = "_ZEQ";
inline constexpr std::string_view kDefaultKeywordList =
    " #def,var,else,elseif,endif,if,then,break,do,to,step,for,next,goto,continue,main,fun,end,"
    "while,wend,and,or,true,false,ev,EV,endev,ENDEV,";

// Builds the rule set of `language`, taking every value the store holds and the default for
// the rest. Language 1 reads nothing and has no rules.
SyntaxRules loadSyntaxRules(int language, const RuleLookup& lookup);

// Splits a keyword list: the first character is a separator and skipped, every keyword is
// followed by a comma; lower-cased first unless `caseSensitive`. Returned sorted.
std::vector<std::string> splitKeywordList(std::string_view list, bool caseSensitive);

}  // namespace zeq::desk
