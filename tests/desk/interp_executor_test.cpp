// The statement loop, variables, calls, expressions and errors, on hand-assembled programs.
#include <gtest/gtest.h>

#include "interp_support.h"

namespace zeq::desk::test {
namespace {

struct ExprCase {
    const char* expression;
    const char* echo;
};

class Expressions : public ::testing::TestWithParam<ExprCase> {};

TEST_P(Expressions, EchoesTheValue) {
    Rig rig;
    const ExprCase& c = GetParam();
    std::string out = rig.runMain("var x\r\nx = " + std::string(c.expression) + "\r\n");
    EXPECT_EQ(out, framed(std::string("x=") + c.echo + "\r\n")) << c.expression;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Expressions,
    ::testing::Values(ExprCase{"7/2", "3.500000"}, ExprCase{"6/2", "3"}, ExprCase{"1 + 2 & 3", "3"},
                      ExprCase{"2 < 3 == 1", "1"}, ExprCase{"-2 * 3", "-6"},
                      ExprCase{"1 == -1", "0"}, ExprCase{"true", "-1"}, ExprCase{"false", "0"},
                      ExprCase{"0FFh", "255"}, ExprCase{"FFh", "255"}, ExprCase{"'A'", "65"},
                      ExprCase{"(1 + 2) * 3", "9"}, ExprCase{"1 + 2 * 3", "7"},
                      ExprCase{"10 - 4 - 3", "3"}, ExprCase{"5 | 2 + 1", "8"},
                      ExprCase{"6 ^ 3", "5"}, ExprCase{"!0", "1"}, ExprCase{"!5", "0"},
                      ExprCase{"1 and 0 or 1", "1"}, ExprCase{"2 >= 2", "1"},
                      ExprCase{"2 != 2", "0"}, ExprCase{"3 <= -1", "0"},
                      ExprCase{"0.25 * 2", "0.500000"}, ExprCase{"-7.5 & 255", "-7"},
                      ExprCase{"1 {a comment} + 1", "2"}, ExprCase{"2 3", "2"},
                      // Whole numbers beyond the 64-bit integers are printed as they are.
                      ExprCase{"99999999999999999999", "100000000000000000000"},
                      ExprCase{"-99999999999999999999", "-100000000000000000000"},
                      ExprCase{"9223372036854775807", "9223372036854775808"},
                      ExprCase{"9007199254740993", "9007199254740992"}));

TEST(Executor, DivisionByZeroEndsTheRun) {
    Rig rig;
    std::string out = rig.runMain("var x\r\nx = 1 / 0\r\nx = 5\r\n", {});
    EXPECT_EQ(out, framed("error(3):第3行：除数为0\r\n"));
    EXPECT_TRUE(rig.interp.errorReported());
}

TEST(Executor, MalformedExpressionsAreReported) {
    for (const char* e : {"1 +", ")", "(1 + 2))", "* 3"}) {
        Rig rig;
        std::string out = rig.runMain("var x\r\nx = " + std::string(e) + "\r\nx = 9\r\n");
        EXPECT_NE(out.find("表达式错误!"), std::string::npos) << e;
        EXPECT_EQ(out.find("x=9"), std::string::npos) << e;
    }
}

TEST(Executor, ErrorLinesComeFromTheLineMap) {
    Rig rig;
    // Program-text line 2 was compiled from source line 11 (0-based).
    std::string out = rig.run("Lable0:\r\nvar x\r\nx = 1/0\r\njumpE:\r\n", {0, 0, 11, 12});
    EXPECT_EQ(out, framed("error(12):第12行：除数为0\r\n"));
}

TEST(Executor, VarTwiceKeepsTheValue) {
    Rig rig;
    std::string out = rig.runMain("var x\r\nx = 5\r\nvar x\r\nx = x + 1\r\n");
    EXPECT_EQ(out, framed("x=5\r\nx=6\r\n"));
}

TEST(Executor, LocalsSurviveCallsAndCalleeLocalsGo) {
    Rig rig;
    std::string text =
        "Lable0:\r\n"
        "var a\r\n"
        "a = 7\r\n"
        "jumpH: Lable2\r\n"
        "a = a + 1\r\n"
        "jumpH: Lable2\r\n"
        "g = a\r\n"
        "jumpE:\r\n"
        "Lable2:\r\n"
        "var b\r\n"
        "b = b + 1\r\n"
        "g = b\r\n"
        "jumpE:\r\n"
        "GV: g";
    std::string out = rig.run(text);
    EXPECT_EQ(out, framed("a=7\r\nb=1\r\ng=1\r\na=8\r\nb=1\r\ng=1\r\ng=8\r\n"));
}

TEST(Executor, CalleeDoesNotSeeCallerLocals) {
    Rig rig;
    std::string text =
        "Lable0:\r\nvar a\r\njumpH: Lable2\r\njumpE:\r\n"
        "Lable2:\r\na = 1\r\njumpE:\r\n";
    std::string out = rig.run(text);
    EXPECT_EQ(out, framed("error(6):第6行：\"a\"变量未定义\r\n"));
}

TEST(Executor, LoopsWithConditionsAndJumps) {
    Rig rig;
    std::string text =
        "Lable0:\r\n"
        "var i\r\n"
        "i = 0\r\n"
        "Lable2:\r\n"
        "Req: i < 3\r\n"
        "jumpZ: Lable3\r\n"
        "i=i+(1.000000)\r\n"
        "jumpN: Lable2\r\n"
        "Lable3:\r\n"
        "jumpE:\r\n";
    EXPECT_EQ(rig.run(text), framed("i=0\r\ni=1\r\ni=2\r\ni=3\r\n"));
}

TEST(Executor, ReqOnTrueTakesTheBranch) {
    Rig rig;
    std::string text =
        "Lable0:\r\nvar x\r\nReq: true\r\njumpZ: Lable2\r\nx = 1\r\nLable2:\r\njumpE:\r\n";
    EXPECT_EQ(rig.run(text), framed("x=1\r\n"));
}

TEST(Executor, GlobalsAreDeclaredFromTheList) {
    Rig rig;
    EXPECT_EQ(rig.runMain("a = 2\r\nb = a * 3\r\n", "a,b"), framed("a=2\r\nb=6\r\n"));
}

TEST(Executor, UnknownNamesAndLabelsEndTheRun) {
    {
        Rig rig;
        std::string out = rig.runMain("y = 1\r\n");
        EXPECT_EQ(out, framed("error(2):第2行：\"y\"变量未定义\r\n"));
    }
    {
        Rig rig;
        std::string out = rig.runMain("var x\r\nx = z + 1\r\n");
        EXPECT_NE(out.find("\"z\"变量未定义"), std::string::npos);
    }
    {
        Rig rig;
        std::string out = rig.runMain("jumpN: Lable99\r\n");
        EXPECT_NE(out.find("\"Lable99\"标号超出范围"), std::string::npos);
    }
}

TEST(Executor, LabelPositionBeyondTheTextIsRefused) {
    Rig rig;
    std::string text = "Lable0:\r\njumpN: Lable1\r\njumpE:\r\n";
    rig.home.writeBuild(text);
    // Patch label 1 into binfo by hand: a position far behind the text.
    std::string info;
    {
        std::ifstream f(rig.home.dir + "/dat/binfo.dat", std::ios::binary);
        info.assign(std::istreambuf_iterator<char>(f), {});
    }
    // N = 1 -> 2, insert a label entry with position 100000.
    std::uint32_t n = 2;
    std::memcpy(info.data() + 16, &n, 4);
    std::size_t labelsAt = 24 + rig.home.source.size() + 8;
    std::string entry(8, '\0');
    std::uint32_t pos = 100000;
    std::memcpy(entry.data(), &pos, 4);
    info.insert(labelsAt, entry);
    TempHome::writeFile(rig.home.dir + "/dat/binfo.dat", info);
    TempHome::setMtime(rig.home.dir + "/dat/build.dat",
                       TempHome::mtime(rig.home.dir + "/dat/build.dat"));
    ASSERT_TRUE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
    EXPECT_NE(rig.sink.text().find("标号超出范围"), std::string::npos);
}

TEST(Executor, BoardStatement) {
    {
        Rig rig;
        std::string out = rig.runMain("board 8\r\nwr mcspos, 5\r\n");
        EXPECT_EQ(out, framed("error(2):第2行：Board号\"8\"超过范围,设置失败\r\n"));
        ASSERT_EQ(rig.port.calls.size(), 1u);
        EXPECT_EQ(rig.port.calls[0], "W32(1,0,10,5,Q)");  // still board 0
    }
    {
        Rig rig;
        std::string out = rig.runMain("board 3\r\nwr mcspos, 5\r\n");
        EXPECT_EQ(out, framed("error(2):第2行：此Board号的设备没有连接\r\n"));
        EXPECT_TRUE(rig.port.calls.empty());
    }
    {
        Rig rig;
        rig.boards[2] = 9;
        rig.runMain("board 2\r\nwr mcspos, 5\r\n");
        ASSERT_EQ(rig.port.calls.size(), 1u);
        EXPECT_EQ(rig.port.calls[0], "W32(9,0,10,5,Q)");
    }
}

TEST(Executor, BoardInAFunctionLastsUntilItReturns) {
    Rig rig;
    rig.boards[1] = 5;
    std::string text =
        "Lable0:\r\njumpH: Lable2\r\nwr mcspos, 1\r\njumpE:\r\n"
        "Lable2:\r\nboard 1\r\nwr mcspos, 2\r\njumpE:\r\n";
    rig.run(text);
    ASSERT_EQ(rig.port.calls.size(), 2u);
    EXPECT_EQ(rig.port.calls[0], "W32(5,0,10,2,Q)");
    EXPECT_EQ(rig.port.calls[1], "W32(1,0,10,1,Q)");
}

TEST(Executor, MgInsertsValues) {
    Rig rig;
    std::string out = rig.runMain("var x, y\r\nx = 2.5\r\nmg   pos &x and &y, &nope & done\r\n");
    EXPECT_EQ(out, framed("x=2.500000\r\npos 2.500000 and 0, &nope & done\n"));
    Rig big;
    out = big.runMain("var x\r\nx = 0 - 99999999999999999999\r\nmg at &x\r\n");
    EXPECT_EQ(out, framed("x=-100000000000000000000\r\nat -100000000000000000000\n"));
}

TEST(Executor, MgAtTheEndOfTheTextIsReported) {
    Rig rig;
    std::string out = rig.run("Lable0:\r\nmg last words");
    EXPECT_NE(out.find("last words\n"), std::string::npos);
    EXPECT_NE(out.find("语句缺少行结束符"), std::string::npos);
}

TEST(Executor, SleepMasksTo16Bits) {
    Rig rig;
    rig.runMain("sleep 70000\r\n");
    EXPECT_EQ(rig.clock.sleptMs, 4464);
    Rig rig2;
    rig2.runMain("sleep -1\r\n");
    EXPECT_EQ(rig2.clock.sleptMs, 65535);
}

TEST(Executor, ExitEndsTheRun) {
    Rig rig;
    EXPECT_EQ(rig.runMain("var x\r\nexit\r\nx = 1\r\n"), framed(""));
}

TEST(Executor, KeywordWithoutHandlerEndsTheRun) {
    Rig rig;
    std::string out = rig.runMain("ld x\r\nmg never\r\n");
    EXPECT_EQ(out, framed("error(2):第2行：\"ld\"无法执行的语句\r\n"));
}

TEST(Executor, JumpKeywordWithoutColonIsAVariable) {
    Rig rig;
    EXPECT_EQ(rig.runMain("var jumpN\r\njumpN = 4\r\n"), framed("jumpN=4\r\n"));
}

TEST(Executor, MissingCharacterIsReportedAndTheRunGoesOn) {
    Rig rig;
    std::string out = rig.runMain("var x\r\nx 3 + 1\r\nmg on\r\n");
    EXPECT_EQ(out, framed("error(3):第3行：缺少 =\n\r\nx=1\r\non\n"));
}

}  // namespace
}  // namespace zeq::desk::test

namespace zeq::desk::test {
namespace {

TEST(Executor, GbkScriptTextReachesThePaneAsUtf8) {
    Rig rig;
    // "mg 中文 &x" in GBK bytes.
    std::string out = rig.runMain("var x\r\nx = 2\r\nmg \xD6\xD0\xCE\xC4 &x\r\n");
    EXPECT_EQ(out, framed("x=2\r\n中文 2\n"));
}

TEST(Executor, SingleInstructionRunRefusesLoopStatements) {
    Rig rig;
    std::uint32_t h = 1;
    rig.interp.runText(&h, "x = 1");
    EXPECT_EQ(rig.sink.text(),
              "\r\n开始执行...\r\n执行第1行:\n\"x\"无法执行的语句\r\n\r\n单指令运行结束！\r\n");
    EXPECT_TRUE(rig.interp.errorReported());
}

}  // namespace
}  // namespace zeq::desk::test
