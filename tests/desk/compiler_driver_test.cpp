// The compile driver around the statements: source files, stop requests, the one-statement
// compile, encodings and the catalogue rows a compile leaves behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"
#include "core/encoding.h"
#include "core/stdout_sink.h"

namespace fs = std::filesystem;
using namespace zeq::desk;

namespace {

class CompilerDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        home = fs::temp_directory_path() /
               ("zeq_driver_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home);
        fs::create_directories(home);
        catalogue.loadSystemRows();
    }
    void TearDown() override { fs::remove_all(home); }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path p = home / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    static std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool compileFile(const std::string& text) {
        return compiler.compile(home.string(), write("s.zeq", text));
    }
    fs::path buildDat() const { return home / "dat" / "build.dat"; }

    fs::path home;
    ParamCatalogue catalogue;
    StringSink sink;
    ScriptCompiler compiler{catalogue, &sink};
};

}  // namespace

TEST_F(CompilerDriver, ProgressLines) {
    ASSERT_TRUE(compileFile("main\nend\n"));
    EXPECT_EQ(sink.text(),
              "\r\n开始分析……\r\n开始拼写检查……\r\n开始语法分析……\r\n"
              "\r\n语法分析结束 —— 共 0 个错误\r\n");
    EXPECT_TRUE(fs::exists(buildDat()));
    EXPECT_EQ(read(buildDat()), "Lable0:\r\njumpE:\r\n");
}

TEST_F(CompilerDriver, SpellErrorSkipsSyntaxAnalysis) {
    EXPECT_FALSE(compileFile("main\n\tx = 3d\nend\n"));
    EXPECT_EQ(sink.text().find("开始语法分析"), std::string::npos);
    EXPECT_FALSE(fs::exists(buildDat()));
}

TEST_F(CompilerDriver, MissingSourceReportsAndWritesNothing) {
    ASSERT_TRUE(compileFile("main\nend\n"));
    const std::string before = read(buildDat());
    sink.clear();
    EXPECT_FALSE(compiler.compile(home.string(), (home / "absent.zeq").string()));
    EXPECT_NE(sink.text().find("无法打开源文件:"), std::string::npos);
    EXPECT_NE(sink.text().find("absent.zeq"), std::string::npos);
    EXPECT_NE(sink.text().find("共 1 个错误"), std::string::npos);
    EXPECT_EQ(compiler.errorCount(), 1);
    EXPECT_EQ(read(buildDat()), before);  // the previous build is left alone
}

TEST_F(CompilerDriver, DirectoryAsSourceIsRefused) {
    EXPECT_FALSE(compiler.compile(home.string(), home.string()));
    EXPECT_NE(sink.text().find("无法打开源文件:"), std::string::npos);
    EXPECT_FALSE(fs::exists(buildDat()));
}

TEST_F(CompilerDriver, FailedCompileLeavesPreviousBuild) {
    ASSERT_TRUE(compileFile("main\n\tpause\nend\n"));
    const std::string before = read(buildDat());
    EXPECT_FALSE(compileFile("main\n\tnosuch 1\nend\n"));
    EXPECT_EQ(read(buildDat()), before);
}

TEST_F(CompilerDriver, StopInsideAFunctionWritesNothing) {
    compiler.setStatementObserver([&](int line) {
        if (line == 2) compiler.requestStop();
    });
    EXPECT_FALSE(compileFile("main\n\tpause\n\tpause\n\tpause\nend\n"));
    EXPECT_NE(sink.text().find("函数缺少结束符 end"), std::string::npos);
    EXPECT_NE(sink.text().find("\r\n语法分析被终止，共 1 个错误\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(buildDat()));
    EXPECT_TRUE(compiler.stopRequested());  // idle again
}

TEST_F(CompilerDriver, StopBetweenFunctionsKeepsWhatWasCompiled) {
    compiler.setStatementObserver([&](int line) {
        if (line == 3) compiler.requestStop();
    });
    EXPECT_TRUE(compileFile("main\n\tpause\nend\nfun f\n\tpause\nend\n"));
    EXPECT_NE(sink.text().find("语法分析被终止，共 0 个错误"), std::string::npos);
    EXPECT_EQ(read(buildDat()), "Lable0:\r\npause\r\njumpE:\r\n");
}

TEST_F(CompilerDriver, UnwritableHomeReportsCannotSave) {
    const std::string src = write("s.zeq", "main\nend\n");
    const fs::path blocker = home / "file";
    std::ofstream(blocker) << "x";  // dat/ cannot be created inside a file
    EXPECT_FALSE(compiler.compile(blocker.string(), src));
    EXPECT_NE(sink.text().find("无法保存目标文件!\r\n"), std::string::npos);
    EXPECT_NE(sink.text().find("共 1 个错误"), std::string::npos);
}

TEST_F(CompilerDriver, MacrosStayInTheCatalogueUntilTheNextCompile) {
    ASSERT_TRUE(compileFile("#def ZEQ_LONG speed\nmain\n\twr speed, 1\nend\n"));
    ParamRow row{};
    EXPECT_EQ(catalogue.findByName("speed", &row), 237);
    EXPECT_EQ(row.address, 352);
    EXPECT_EQ(row.kind, 5);
    EXPECT_EQ(catalogue.row(238).address, 354);  // terminator
    ASSERT_TRUE(compileFile("main\nend\n"));
    EXPECT_EQ(catalogue.findByName("speed"), -1);
}

TEST_F(CompilerDriver, TwoMacrosGetConsecutiveAddresses) {
    ASSERT_TRUE(compileFile("#def ZEQ_INT a1\n#def ZEQ_DOUBLE a2\nmain\nend\n"));
    ParamRow row{};
    catalogue.findByName("a1", &row);
    EXPECT_EQ(row.address, 352);
    catalogue.findByName("a2", &row);
    EXPECT_EQ(row.address, 353);
    EXPECT_EQ(catalogue.row(239).address, 356);
}

TEST_F(CompilerDriver, LongMacroNameIsRefused) {
    EXPECT_FALSE(compileFile("#def ZEQ_INT abcdefghijklmnopqrstuvwxyz\nmain\nend\n"));
    EXPECT_NE(sink.text().find("不规范的变量名"), std::string::npos);
}

TEST_F(CompilerDriver, GbkAndUtf8SourcesCompileAlike) {
    const std::string utf8 =
        "; 主程序\nvar x\nmain\n\t{ 注释 }\n\tmg \"运动开始\"\n\tx = 1 ; 计数\n\tvar 计数\nend\n";
    const std::string gbk = utf8ToGbk(utf8);
    ASSERT_NE(gbk, utf8);
    EXPECT_FALSE(compileFile(gbk));
    const std::string gbkPane = sink.text();
    const auto gbkLines = compiler.lineMap();
    sink.clear();
    EXPECT_FALSE(compileFile(utf8));
    EXPECT_EQ(sink.text(), gbkPane);
    EXPECT_EQ(compiler.lineMap(), gbkLines);
    EXPECT_NE(gbkPane.find("\"计\"无法识别的字符"), std::string::npos);
}

TEST_F(CompilerDriver, CrLfSourceCompilesLikeLf) {
    const std::string lf =
        "var a\nmain\n\tmg \"x\"\n\twhile a < 3 do\n\t\ta = a + 1\n\twend\n"
        "\tFileContour c.txt\nend\n";
    write("c.txt", "0 0\n");
    std::string crlf;
    for (char c : lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    ASSERT_TRUE(compileFile(lf));
    const std::string expected = compiler.outputText();
    const auto lines = compiler.lineMap();
    ASSERT_TRUE(compileFile(crlf));
    EXPECT_EQ(compiler.outputText(), expected);
    EXPECT_EQ(compiler.lineMap(), lines);
    EXPECT_EQ(expected.find("\r\r"), std::string::npos);
}

TEST_F(CompilerDriver, ImmediateStatements) {
    struct Case {
        const char* statement;
        bool ok;
        const char* pane;  // text after the progress line; empty = none
    };
    const Case cases[] = {
        {"SetMCSmaxvel 1000, 2", true, ""},
        {"MoveAbsolute 10, 0", true, ""},
        {"wr mcsmaxvel, 5, 1", true, ""},
        {"rd mcspos, 0", true, ""},
        {"SetMCSmaxvel 1000 2", false, "第1行：缺少逗号\",\"\r\n"},
        {"wt mcsmoving, 1", false, "第1行：没有WT函数功能!\r\n\r\n"},
        {"wz mcsgo, 1", false, "第1行：没有WT函数功能!\r\n\r\n"},
        {"wa 1", false, "第1行：没有WAI函数功能!\r\n\r\n"},
        {"x = 1", false,
         "第1行：\"x\"错误\r\n第1行：\"=\"错误\r\n第1行：\"1\"事件指令书写错误!\r\n"},
        {"Linear7A", false, "第1行：\"Linear7A\"错误\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        sink.clear();
        EXPECT_EQ(compiler.compileImmediate(c.statement), c.ok);
        EXPECT_EQ(sink.text(), std::string("\r\n开始分析……\r\n") + c.pane);
        EXPECT_TRUE(compiler.outputText().empty());
    }
}
