// Tokenizer, spell check and diagnostics of the script lexer.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "compiler/lexer.h"
#include "compiler/tokens.h"
#include "compiler/usage_table.h"
#include "core/stdout_sink.h"

using namespace zeq::desk;

namespace {

struct Scan {
    std::vector<int> codes;
    std::vector<std::string> texts;
    std::vector<int> values;
    std::string pane;
    int errors = 0;
    int line = 0;
};

Scan scan(const std::string& src, TextEncoding enc = TextEncoding::Gbk) {
    StringSink sink;
    Lexer lex;
    lex.setSink(&sink);
    lex.setSource(src, enc);
    Scan s;
    for (int guard = 0; guard < 1000; ++guard) {
        const int code = lex.next();
        if (code == tok::EndOfSource) break;
        s.codes.push_back(code);
        s.texts.emplace_back(lex.text());
        s.values.push_back(lex.value());
    }
    s.pane = sink.text();
    s.errors = lex.errorCount();
    s.line = lex.line();
    return s;
}

int spellErrors(const std::string& src, std::string* pane = nullptr) {
    StringSink sink;
    Lexer lex;
    lex.setSink(&sink);
    lex.setSource(src, TextEncoding::Gbk);
    lex.spellCheck();
    if (pane) *pane = sink.text();
    return lex.errorCount();
}

}  // namespace

TEST(LexerTokens, TableOfSmallSources) {
    struct Case {
        const char* src;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {"a>=b", {tok::Identifier, tok::GreaterEq, tok::Identifier}},
        {"a=>b", {tok::Identifier, '=', '>', tok::Identifier}},
        {"a<=b!=c==d", {257, tok::LessEq, 257, tok::NotEqual, 257, tok::Equal, 257}},
        {"x = 10h", {257, '=', tok::HexNumber}},
        {"1h", {tok::HexNumber}},
        {"12g", {tok::Malformed}},
        {"0x1F", {tok::Malformed}},
        {"FFh ach h", {tok::HexNumber, tok::HexNumber, tok::HexNumber}},
        {"1.5 3.", {tok::Fraction, tok::Fraction}},
        {"IF if THEN then", {tok::If, tok::If, tok::Then, tok::Then}},
        {"true OR and", {tok::True, tok::Or, tok::And}},
        {"wr WR Wr", {tok::Wr, tok::Wr, tok::Wr}},
        {"'A'", {tok::Number}},
        {"@Z", {'@', tok::Identifier}},
        {"1_a", {tok::Number, '_', tok::Identifier}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        EXPECT_EQ(scan(c.src).codes, c.codes);
    }
}

TEST(LexerTokens, NumberValuesAndTexts) {
    Scan s = scan("10h 1h 1234 2.75 'A' 4294967297");
    ASSERT_EQ(s.codes.size(), 6u);
    EXPECT_EQ(s.values[0], 2);  // characters before the h
    EXPECT_EQ(s.values[1], 1);
    EXPECT_EQ(s.values[2], 1234);
    EXPECT_EQ(s.values[3], 2);  // integer part
    EXPECT_EQ(s.texts[4], "A");
    EXPECT_EQ(s.values[4], 0);
    EXPECT_EQ(s.values[5], 1);  // 32-bit wrap
    EXPECT_EQ(s.texts[3], "2.75");
}

TEST(LexerTokens, CommentsCountLines) {
    Scan s = scan("; only a comment\nx");
    EXPECT_EQ(s.codes, (std::vector<int>{tok::EndOfLine, tok::Identifier}));
    EXPECT_EQ(s.line, 1);

    s = scan("{ one\ntwo\nthree\n} y");
    EXPECT_EQ(s.codes, (std::vector<int>{tok::Identifier}));
    EXPECT_EQ(s.texts[0], "y");
    EXPECT_EQ(s.line, 3);

    s = scan("a {never closed\n\n");
    EXPECT_EQ(s.codes, (std::vector<int>{tok::Identifier}));
    EXPECT_EQ(s.errors, 0);
}

TEST(LexerTokens, IdentifierLengthLimit) {
    const std::string ok(130, 'k');
    const std::string tooLong(131, 'k');
    Scan s = scan(ok + " ");
    EXPECT_EQ(s.errors, 0);
    EXPECT_EQ(s.texts[0].size(), 130u);
    s = scan(tooLong + " ");
    EXPECT_EQ(s.errors, 1);
    EXPECT_EQ(s.texts[0].size(), 130u);
    EXPECT_NE(s.pane.find("变量或标识符太长了！"), std::string::npos);
    s = scan(std::string(500, 'k'));
    EXPECT_EQ(s.errors, 1);  // reported once per identifier
}

TEST(LexerTokens, LongRunsStayInsideTheTokenBuffer) {
    Scan s = scan(std::string(1000, '7') + " x");
    ASSERT_EQ(s.codes.size(), 2u);
    EXPECT_EQ(s.codes[0], tok::Number);
    EXPECT_EQ(s.texts[0].size(), 255u);
    EXPECT_EQ(s.errors, 1);

    s = scan("'" + std::string(1000, 'q') + "\nz");
    ASSERT_GE(s.codes.size(), 1u);
    EXPECT_EQ(s.codes[0], tok::Malformed);
    EXPECT_LE(s.texts[0].size(), 255u);
    EXPECT_GE(s.errors, 1);
    EXPECT_NE(s.pane.find("书写错误"), std::string::npos);
    // The line feed that ended the run is still a token of its own.
    EXPECT_EQ(s.codes[1], tok::EndOfLine);
}

TEST(LexerTokens, QuoteErrors) {
    Scan s = scan("'AB' x");
    EXPECT_EQ(s.codes[0], tok::Malformed);
    EXPECT_EQ(s.errors, 1);
    EXPECT_NE(s.pane.find("书写错误"), std::string::npos);
}

TEST(LexerTokens, MultiByteCharacters) {
    // GBK: a byte >= 0x80 starts a two-byte character.
    Scan g = scan("\xD6\xD0x", TextEncoding::Gbk);
    ASSERT_EQ(g.codes.size(), 2u);
    EXPECT_EQ(g.codes[0], static_cast<signed char>('\xD6'));
    EXPECT_EQ(g.texts[0], "\xD6\xD0");
    // UTF-8: the whole sequence is one token.
    Scan u = scan("中x", TextEncoding::Utf8);
    ASSERT_EQ(u.codes.size(), 2u);
    EXPECT_EQ(u.texts[0], "中");
    EXPECT_LT(u.codes[0], 0);
}

TEST(LexerTokens, StartAndPreviousEnd) {
    Lexer lex;
    const std::string src = "x = (a)";
    lex.setSource(src, TextEncoding::Gbk);
    lex.next();
    EXPECT_EQ(lex.tokenStart(), 0u);
    lex.next();  // "=" starts where its scan started: behind x
    EXPECT_EQ(lex.tokenStart(), 1u);
    EXPECT_EQ(lex.previousEnd(), 1u);
    lex.next();  // "("
    EXPECT_EQ(lex.tokenStart(), 3u);
    lex.next();  // a
    EXPECT_EQ(lex.tokenStart(), 5u);
}

TEST(LexerExpectWord, CaseMatters) {
    StringSink sink;
    Lexer lex;
    lex.setSink(&sink);
    const std::string src = "THEN then";
    lex.setSource(src, TextEncoding::Gbk);
    lex.next();
    lex.expectWord("then");
    EXPECT_EQ(lex.errorCount(), 1);
    EXPECT_EQ(sink.text(), "error(1):第1行：\"then\"标识符缺少\r\n");
    lex.expectWord("then");
    EXPECT_EQ(lex.errorCount(), 1);
}

TEST(LexerSpellCheck, Words) {
    struct Case {
        const char* src;
        int errors;
    };
    const Case cases[] = {
        {"12ab", 1},
        {"3d", 1},
        {"12abh", 0},
        {"0FFh", 0},
        {"7", 0},
        {"10h", 0},
        {"x12ab", 0},
        {"#define a", 0},
        {"#DEF a", 1},
        {"# def", 1},
        {"; 12ab in a comment\n", 0},
        {"{ 3d }", 0},
        {"12.5", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        EXPECT_EQ(spellErrors(c.src), c.errors);
    }
}

TEST(LexerSpellCheck, MacroSignAtTheEnd) {
    std::string pane;
    EXPECT_EQ(spellErrors("x\n#de", &pane), 1);
    EXPECT_EQ(pane, "error(2):第2行：宏定义错误\r\n");
}

TEST(LexerSpellCheck, LongDigitRunIsCutAndReported) {
    std::string pane;
    EXPECT_EQ(spellErrors(std::string(400, '9'), &pane), 1);
    EXPECT_NE(pane.find("字符串拼写错误！"), std::string::npos);
    EXPECT_LT(pane.size(), 400u);
}

TEST(LexerReport, FourForms) {
    StringSink sink;
    Lexer lex;
    lex.setSink(&sink);
    lex.setSource("a\nb\nc", TextEncoding::Gbk);
    lex.next();
    lex.next();
    lex.next();  // line 1
    lex.report("M", std::string_view("d"));
    lex.report("M");
    lex.report("M", std::nullopt, 0);
    lex.setImmediate(true);
    lex.report("M", std::string_view("d"), 2);
    lex.report("M");
    EXPECT_EQ(sink.text(),
              "error(2):第2行：\"d\"M\r\n"
              "error(2):第2行：M\r\n"
              "error(1):第1行：M\r\n"
              "第3行：\"d\"M\r\n"
              "第2行：M\r\n");
    EXPECT_EQ(lex.errorCount(), 5);
}

TEST(LexerReport, GbkDetailIsShownAsUtf8) {
    StringSink sink;
    Lexer lex;
    lex.setSink(&sink);
    lex.setSource("", TextEncoding::Gbk);
    lex.report("M", std::string_view("\xD6\xD0"));  // 中 in GBK
    EXPECT_EQ(sink.text(), "error(1):第1行：\"中\"M\r\n");
}

TEST(KeywordTable, LookupsAndSharedCodes) {
    EXPECT_EQ(kKeywords.size(), 235u);
    EXPECT_EQ(lookupKeyword("@NC"), 1573);
    EXPECT_EQ(lookupKeyword("@GE"), 1573);
    EXPECT_EQ(lookupKeyword("IFNC"), 1579);
    EXPECT_EQ(lookupKeyword("getinterpfreq"), 814);
    EXPECT_EQ(lookupKeyword("SETSMOOTH"), 1086);
    EXPECT_EQ(lookupKeyword("GetMCData"), 1599);
    EXPECT_EQ(lookupKeyword("nosuch"), -1);
    for (const Keyword& k : kKeywords) {
        SCOPED_TRACE(std::string(k.name));
        // Every entry is reachable by its own name (shared codes aside, first match wins).
        const int found = lookupKeyword(k.name);
        EXPECT_EQ(found, k.code);
        EXPECT_EQ(lookupKeywordLinear(k.name), found);
        std::string lower(k.name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(lookupKeyword(lower), lookupKeywordLinear(lower));
    }
    EXPECT_EQ(lookupKeyword(std::string(200, 'A')), -1);
}

TEST(UsageTable, CallTips) {
    EXPECT_EQ(kUsageTable.size(), 174u);
    const UsageRow* row = findUsage("cmp32i");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->code, 1541);
    EXPECT_EQ(row->usage, "CMP32i,src1,src1_axis,data,dest,dest_axis");
    row = findUsage("SetMCSmaxvel");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->usage, "SetMCSmaxvel   vel, axis");
    EXPECT_EQ(findUsage(""), nullptr);  // the rows with empty names are never shown
    EXPECT_EQ(findUsage("Linear7A"), nullptr);
    EXPECT_EQ(kUsageTable.front().name, "wr");
    EXPECT_EQ(kUsageTable.back().name, "EndPathEvent");
}
