// Feeds the compile driver generated hostile input for a bounded number of iterations; the
// compiler must neither crash nor hang (run under the sanitizer build to catch memory faults).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"
#include "core/stdout_sink.h"
#include "desk/fuzz/compile_fuzz_entry.h"

namespace {

int run(const std::string& s) {
    return zeq::test::compileFuzzInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

// Words of the language, so that random input reaches deep into the statement handlers.
const std::vector<std::string> kPieces = {
    "main",        "end",       "fun",         "call",      "var",       "#def",
    "ZEQ_LONG",    "if",        "then",        "elseif",    "else",      "endif",
    "while",       "do",        "wend",        "for",       "to",        "step",
    "-",           "next",      "break",       "continue",  "goto",      ":",
    "=",           "==",        "(",           ")",         ",",         "+",
    "*",           "|",         "&",           "3.5",       "10h",       "'A'",
    "'",           "{",         "}",           ";",         "\n",        "\r\n",
    " ",           "\t",        "rd",          "wr",        "wt",        "wa",
    "mcspos",      "user16b0",  "h",           "&user32b0", "PathEvent", "EndPathEvent",
    "SET16",       "@Z",        "IFNZ",        "COP16",     "31",        "32",
    "FileContour", "../x",      "PathAddLine", "13",        "mg",        "\"text\"",
    "Linear3A",    "GetCurPos", "exit",        "pause",     "sleep",     "a",
    "b",           "x1",        "\xD6\xD0",    "中",        "\x80",      "\xFF",
    "#",           "0x1F",
};

}  // namespace

TEST(CompilerFuzz, RandomBytes) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 300; ++i) {
        std::string s(rng() % 600, '\0');
        for (char& c : s) c = static_cast<char>(rng() & 0xFF);
        EXPECT_EQ(run(s), 0);
    }
}

TEST(CompilerFuzz, RandomTokenSequences) {
    std::mt19937 rng(777);
    for (int i = 0; i < 400; ++i) {
        std::string s = (rng() % 2) ? "var a b\nmain\n" : "";
        const int n = static_cast<int>(rng() % 120);
        for (int k = 0; k < n; ++k) {
            s += kPieces[rng() % kPieces.size()];
            s += (rng() % 3 == 0) ? "\n" : " ";
        }
        EXPECT_EQ(run(s), 0);
    }
}

TEST(CompilerFuzz, UnbalancedBlocks) {
    const char* openers[] = {"if a then\n", "while a do\n", "for a = 1 to 2 do\n",
                             "PathEvent\n", "else\n",       "endif\n",
                             "wend\n",      "next\n"};
    std::mt19937 rng(99);
    for (int i = 0; i < 100; ++i) {
        std::string s = "var a\nmain\n";
        for (int k = 0; k < 200; ++k) s += openers[rng() % 8];
        if (rng() % 2) s += "end\n";
        EXPECT_EQ(run(s), 0);
    }
}

TEST(CompilerFuzz, OneMegabyteLine) {
    std::string s = "var a\nmain\n\ta = ";
    for (int i = 0; i < 200000; ++i) s += "a+1 ";
    s.resize(1 << 20, 'a');
    s += "\nend\n";
    EXPECT_EQ(run(s), 0);
    // A single 1 MB token of digits, of letters and of a quoted run.
    EXPECT_EQ(run(std::string(1 << 20, '7')), 0);
    EXPECT_EQ(run("main\n" + std::string(1 << 20, 'q') + "\nend\n"), 0);
    EXPECT_EQ(run("main\n'" + std::string(1 << 20, 'q') + "\nend\n"), 0);
}

TEST(CompilerFuzz, DeepNestingCompilesCorrectly) {
    // Not only no crash: 500 nested loops still produce a balanced program.
    std::string s = "var a\nmain\n";
    for (int i = 0; i < 500; ++i) s += "while a do\n";
    for (int i = 0; i < 500; ++i) s += "wend\n";
    s += "end\n";
    zeq::desk::ParamCatalogue catalogue;
    catalogue.loadSystemRows();
    zeq::desk::ScriptCompiler compiler(catalogue, nullptr);
    EXPECT_TRUE(compiler.compileText(s, "", "deep.zeq"));
    EXPECT_EQ(compiler.labelCount(), 2 + 2 * 500);
}
