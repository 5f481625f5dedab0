// The built-in table is the one source of the compiler's and the interpreter's keyword tables
// and of the call tips: both sides must read every word alike.
#include <gtest/gtest.h>

#include <string>

#include "compiler/tokens.h"
#include "compiler/usage_table.h"
#include "interpreter/run_keywords.h"
#include "language/builtin_table.h"

using namespace zeq::desk;

namespace {

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

TEST(BuiltinTable, EveryWordReadsAsItsCodeInCompilerAndInterpreter) {
    for (const Builtin& b : kBuiltins) {
        SCOPED_TRACE(std::string(b.word));
        EXPECT_EQ(lookupKeyword(b.word), b.code);
        EXPECT_EQ(rt::lookupKeyword(b.word), b.code);
        EXPECT_EQ(lookupKeyword(lowered(b.word)), b.code);
        EXPECT_EQ(rt::lookupKeyword(lowered(b.word)), b.code);
        EXPECT_EQ(rt::keywordName(b.code), b.word);
        EXPECT_EQ(findBuiltin(b.code), &b);
    }
    EXPECT_EQ(findBuiltin(tok::Identifier), nullptr);
    EXPECT_EQ(findBuiltin(tok::CondZ), nullptr);
    EXPECT_EQ(findBuiltin(100000), nullptr);
}

TEST(BuiltinTable, SharedWordsHaveOneCodeAndTheOthersBelongToOneSide) {
    // Every word of build.dat the compiler knows too reads alike on both sides; the others
    // are the compiler's jumps (the interpreter's only) or the source-only words.
    for (const Keyword& k : kRunKeywords) {
        SCOPED_TRACE(std::string(k.name));
        EXPECT_EQ(rt::lookupKeyword(k.name), k.code);
        const int compiled = lookupKeyword(k.name);
        const bool runOnly = (k.code >= tok::JumpZ && k.code <= tok::Req) || k.code == tok::Wat;
        EXPECT_EQ(compiled, runOnly ? -1 : k.code);
    }
    for (const char* word : {"if", "while", "main", "fun", "call", "elseif", "WR", "LD"}) {
        SCOPED_TRACE(word);
        EXPECT_GT(lookupKeyword(word), 0);
    }
    EXPECT_EQ(rt::lookupKeyword("while"), 0);
    EXPECT_EQ(rt::lookupKeyword("WR"), tok::Wr);  // case-insensitive anyway
    EXPECT_EQ(rt::lookupKeyword("nosuch"), 0);
    EXPECT_EQ(rt::lookupKeyword(""), 0);
}

TEST(BuiltinTable, CallTipsFollowTheUsageTablesOrderAndNames) {
    // The tip rows keep their order and their own spellings; a word with a tip finds it.
    EXPECT_EQ(kUsageTable[0].name, "wr");
    EXPECT_EQ(kUsageTable[3].name, "wt");
    EXPECT_EQ(kUsageTable[10].name, "FileContour");
    const UsageRow* row = findUsage("ExecutePath");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->code, tok::ExePath);
    EXPECT_EQ(findUsage("ExePath"), nullptr);
    row = findUsage("MoveInDist");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->usage, "MoveInDist  refdist, refaxis, movedist, axis");
    for (const Builtin& b : kBuiltins) {
        if (!b.tip.present || b.tip.name.empty()) continue;
        SCOPED_TRACE(std::string(b.word));
        const UsageRow* tip = findUsage(b.tip.name);
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->usage, b.tip.text);
    }
}

}  // namespace
