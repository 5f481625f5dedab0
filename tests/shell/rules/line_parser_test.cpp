// The editor's line parser: every colouring rule, shown as one letter per byte.
#include "shell/rules/line_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace zeq::desk {
namespace {

// One letter per byte of the line: C comment, K keyword, N normal, D number, S string,
// H character constant. A run colours up to the next run; at equal positions the later wins.
std::string paint(std::string_view line, const ParsedLine& parsed) {
    static const char letters[] = "CKNDSH";
    std::string out(line.size(), '?');
    for (std::size_t r = 0; r < parsed.runs.size(); ++r) {
        const int from = parsed.runs[r].position;
        const int to = r + 1 < parsed.runs.size() ? parsed.runs[r + 1].position
                                                  : static_cast<int>(line.size());
        for (int i = from; i < to; ++i) out[i] = letters[parsed.runs[r].kind];
    }
    return out;
}

SyntaxRules caseSensitiveRules() {
    SyntaxRules r = SyntaxRules::defaults(kLanguageZeq);
    r.caseSensitive = true;
    r.keywords = splitKeywordList(kDefaultKeywordList, true);
    return r;
}

SyntaxRules delimiterRules() {
    SyntaxRules r = SyntaxRules::defaults(kLanguageZeq);
    r.stringOpener = r.stringCloser = "\"";
    r.charOpener = r.charCloser = "'";
    r.blockOpeners = {"(*"};
    r.blockClosers = {"*)"};
    r.lineStarters = {";", "//"};
    return r;
}

struct ParseCase {
    const char* name;
    std::string line;
    int stateIn;
    SyntaxRules rules;
    TextEncoding encoding;
    std::string painted;
    int stateOut;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class LineParserTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LineParserTest, ColoursEveryByte) {
    const ParseCase& c = GetParam();
    const ParsedLine parsed = parseLine(c.line, c.stateIn, c.rules, c.encoding);
    EXPECT_EQ(paint(c.line, parsed), c.painted) << c.name;
    EXPECT_EQ(parsed.state, c.stateOut) << c.name;
    for (std::size_t i = 1; i < parsed.runs.size(); ++i) {
        EXPECT_GE(parsed.runs[i].position, parsed.runs[i - 1].position) << c.name;
    }
}

const SyntaxRules kZeq = SyntaxRules::defaults(kLanguageZeq);
const SyntaxRules kPlain = SyntaxRules::defaults(kLanguagePlain);
constexpr auto kUtf8 = TextEncoding::Utf8;
constexpr auto kGbk = TextEncoding::Gbk;

INSTANTIATE_TEST_SUITE_P(
    Rules, LineParserTest,
    ::testing::Values(
        ParseCase{"keyword then line comment", "while x ;c", 0, kZeq, kUtf8, "KKKKKNNNCC", 0},
        ParseCase{"a line comment does not carry", ";{ not a block", 0, kZeq, kUtf8,
                  "CCCCCCCCCCCCCC", 0},
        ParseCase{"brace opens a block comment", "x { open", 0, kZeq, kUtf8, "NNCCCCCC",
                  kStateBlockComment},
        ParseCase{"block comment goes on", "still 10", kStateBlockComment, kZeq, kUtf8, "CCCCCCCC",
                  kStateBlockComment},
        ParseCase{"block comment closes", "end } x", kStateBlockComment, kZeq, kUtf8, "CCCCCNN", 0},
        ParseCase{"#def is one keyword", "#def x", 0, kZeq, kUtf8, "KKKKNN", 0},
        ParseCase{"numbers", "10 0FFh ABh h 12x G1h", 0, kZeq, kUtf8, "DDNDDDDNDDDNNNNNNNNNN", 0},
        ParseCase{"case-insensitive keywords", "WHILE While while", 0, kZeq, kUtf8,
                  "KKKKKNKKKKKNKKKKK", 0},
        ParseCase{"case-sensitive keywords", "WHILE While while", 0, caseSensitiveRules(), kUtf8,
                  "NNNNNNNNNNNNKKKKK", 0},
        ParseCase{"language 1 colours nothing", "while 10 ;x {", 0, kPlain, kUtf8, "NNNNNNNNNNNNN",
                  0},
        ParseCase{"UTF-8 Chinese comment", "x ;\xE4\xB8\xAD\xE6\x96\x87", 0, kZeq, kUtf8,
                  "NNCCCCCCC", 0},
        ParseCase{"GBK Chinese comment", "x ;\xD6\xD0\xCE\xC4", 0, kZeq, kGbk, "NNCCCCC", 0},
        ParseCase{"a GBK trail byte is not a closer", "\x81}x", kStateBlockComment, kZeq, kGbk,
                  "CCC", kStateBlockComment},
        ParseCase{"a GBK character does not end a word", "wh\xD6\xD0ile 5", 0, kZeq, kGbk,
                  "NNNNNNNND", 0},
        ParseCase{"string", "a \"x;y\" b", 0, delimiterRules(), kUtf8, "NNSSSSSNN", 0},
        ParseCase{"string carries over", "\"abc", 0, delimiterRules(), kUtf8, "SSSS", kStateString},
        ParseCase{"character constant", "c 'q' 7", 0, delimiterRules(), kUtf8, "NNHHHND", 0},
        ParseCase{"two-character block comment", "(* x *) 12", 0, delimiterRules(), kUtf8,
                  "CCCCCCCNDD", 0},
        ParseCase{"second line-comment starter", "if // x", 0, delimiterRules(), kUtf8, "KKNCCCC",
                  0}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return n;
    });

TEST(LineParser, BlockCommentSpansLines) {
    const char* lines[] = {"main {", "  while", "} end"};
    const char* painted[] = {"KKKKNC", "CCCCCCC", "CNKKK"};
    int state = 0;
    for (int i = 0; i < 3; ++i) {
        const ParsedLine p = parseLine(lines[i], state, kZeq, kUtf8);
        EXPECT_EQ(paint(lines[i], p), painted[i]) << i;
        state = p.state;
    }
    EXPECT_EQ(state, 0);
}

}  // namespace
}  // namespace zeq::desk
