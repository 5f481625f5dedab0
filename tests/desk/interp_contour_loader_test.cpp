// Contour files and the loading of the build files.
#include <gtest/gtest.h>

#include "interp_support.h"

namespace zeq::desk::test {
namespace {

std::string contourFile(int axes, int points, bool trailingLineEnd) {
    std::string s = std::to_string(axes) + "\r\n";
    for (int a = 0; a < axes; ++a) s += (a ? "," : "") + std::to_string(axes - 1 - a);
    s += "\r\n";
    for (int a = 0; a < axes; ++a) s += a ? ",2" : "0.5";
    s += "\r\n" + std::to_string(points) + "\r\n";
    for (int p = 0; p < points; ++p) {
        for (int a = 0; a < axes; ++a) s += (a ? "," : "") + std::to_string(p * 10 + a);
        if (p + 1 < points || trailingLineEnd) s += "\r\n";
    }
    return s;
}

TEST(Contour, BlocksAreWholePointsWithin126Words) {
    struct Case {
        int axes, points;
        std::vector<int> blocks;
    };
    for (const Case& c : {Case{3, 50, {126, 24}}, Case{4, 40, {124, 36}}, Case{1, 126, {126}}}) {
        Rig rig;
        TempHome::writeFile(rig.home.dir + "/c.txt", contourFile(c.axes, c.points, false));
        std::string out = rig.runMain("FileContour c.txt\r\nmg after\r\n");
        EXPECT_EQ(rig.port.contourBlocks, c.blocks) << c.axes;
        EXPECT_EQ(out, framed("正在发送文件:\"" + rig.home.dir +
                              "/c.txt\"中的数据...\n文件数据发送完毕\nafter\n"));
        // Group mapping: group_x.. get the file's axis numbers, then the axis count and enable.
        for (int a = 0; a < c.axes; ++a) EXPECT_EQ(rig.port.reg(0, 258 + a), c.axes - 1 - a);
        EXPECT_NE(std::find(rig.port.calls.begin(), rig.port.calls.end(),
                            "SetGroupAxisNum(1," + std::to_string(c.axes) + ",1)"),
                  rig.port.calls.end());
        // Scaled and truncated: axis 0 by 0.5, the others by 2.
        ASSERT_EQ(rig.port.contourWords.size(), static_cast<std::size_t>(c.axes * c.points));
        EXPECT_EQ(rig.port.contourWords[static_cast<std::size_t>(c.axes)],
                  5);  // point 1, axis 0: 10 * 0.5
        if (c.axes > 1) {
            EXPECT_EQ(rig.port.contourWords[1], 2);  // point 0, axis 1: 1 * 2
        }
    }
}

TEST(Contour, InvalidFilesAreRefused) {
    struct Case {
        std::string bytes;
        const char* message;
    };
    std::vector<Case> cases = {
        {contourFile(3, 4, true) + "\r\n", "文件数据格式错误\n"},  // two final line ends
        {"1\n0\n1\n1\n5\n\n", "文件数据格式错误\n"},
        {"2\n0,1\n1,1\n2\n1,2,3", "文件数据格式错误\n"},  // a value missing
        {"2\n0,1\n1,1\n1\n1,2,3", "文件数据格式错误\n"},  // a value too many
        {"2\n0,9\n1,1\n1\n1,2", "轴号超出范围!"},         // axis beyond the card's 4
        {"17\n0", "数据个数超出范围"},                    // more than 16 axes
        {"1\n0\n1\n40000\n" + std::string(""), "文件数据格式错误\n"},
        {"", "文件数据格式错误\n"},
        {"2\n0,1\n1,x\n1\n1,2", "文件数据格式错误\n"},
        // Scaled coordinates that do not fit the signed 16-bit contour word.
        {"1\n0\n1000\n1\n40\n", "文件数据超出16位范围(-32768~32767):第1个点,轴0"},
        {"2\n3,1\n1,1\n2\n1,2,3,-32769", "文件数据超出16位范围(-32768~32767):第2个点,轴1"},
        {"1\n2\n1\n1\n32768", "文件数据超出16位范围(-32768~32767):第1个点,轴2"},
    };
    for (const Case& c : cases) {
        Rig rig;
        TempHome::writeFile(rig.home.dir + "/c.txt", c.bytes);
        std::string out = rig.runMain("FileContour c.txt\r\nmg after\r\n");
        EXPECT_NE(out.find(c.message), std::string::npos) << c.bytes;
        EXPECT_EQ(out.find("after"), std::string::npos) << c.bytes;
        EXPECT_TRUE(rig.port.contourBlocks.empty()) << c.bytes;
    }
}

TEST(Contour, OneFinalLineEndAndTheWholeWordRangeAreAccepted) {
    // Scaled values are truncated toward zero: 32767.5 and -32768.5 still fit.
    for (const char* end : {"", "\n", "\r\n"}) {
        Rig rig;
        TempHome::writeFile(rig.home.dir + "/c.txt",
                            std::string("2\n0,1\n0.5,2\n2\n65535,-16384\n-65537,16383.5") + end);
        std::string out = rig.runMain("FileContour c.txt\r\n");
        EXPECT_NE(out.find("文件数据发送完毕"), std::string::npos) << out;
        EXPECT_EQ(rig.port.contourWords, (std::vector<std::int16_t>{32767, -32768, -32768, 32767}));
    }
}

TEST(Contour, TooManyValuesAreRefused) {
    Rig rig;
    std::string s = "1\n0\n1\n32768\n";
    for (int i = 0; i < 32768; ++i) s += i ? ",1" : "1";
    TempHome::writeFile(rig.home.dir + "/c.txt", s);
    std::string out = rig.runMain("FileContour c.txt\r\n");
    EXPECT_NE(out.find("数据个数超出范围"), std::string::npos);
    EXPECT_TRUE(rig.port.contourBlocks.empty());
}

TEST(Contour, MissingFileAndRelativeFolders) {
    Rig rig;
    std::string out = rig.runMain("FileContour nosuch.txt\r\n");
    EXPECT_EQ(out, framed("error(2):第2行：打开文件失败!\r\n"));
    // "../" moves one folder up from the program folder.
    TempHome::writeFile(rig.home.dir + "/c.txt", contourFile(2, 3, false));
    TempHome sub(rig.home.dir + "/app");
    sub.writeBuild("Lable0:\r\nFileContour ../c.txt\r\njumpE:\r\n");
    ASSERT_TRUE(rig.interp.runProgram(rig.boards, sub.dir, sub.source));
    EXPECT_EQ(rig.port.contourBlocks, std::vector<int>{6});
}

TEST(Contour, StopDuringSendingLeavesTheGroup) {
    Rig rig;
    TempHome::writeFile(rig.home.dir + "/c.txt", contourFile(1, 500, false));
    int blocks = 0;
    rig.port.onCall = [&](const std::string& n) {
        if (n == "PutContourData" && ++blocks == 2) rig.interp.requestStop();
    };
    std::string out = rig.runMain("FileContour c.txt\r\n");
    EXPECT_EQ(rig.port.contourBlocks.size(), 2u);
    EXPECT_EQ(out.find("文件数据发送完毕"), std::string::npos);
    EXPECT_NE(std::find(rig.port.calls.begin(), rig.port.calls.end(), "ExitGroup(1,1)"),
              rig.port.calls.end());
}

// ---- Loading ----

TEST(Loader, StaleOrForeignBuildsAreRefused) {
    Rig rig;
    const std::string text = "Lable0:\r\nmg hi\r\njumpE:\r\n";
    rig.home.writeBuild(text);
    EXPECT_TRUE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));

    // Another document.
    EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.dir + "/other.zeq"));
    // The source saved after the compile.
    rig.home.writeBuild(text);
    TempHome::setMtime(rig.home.source, TempHome::mtime(rig.home.source) + 10);
    EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
    // build.dat touched after binfo.dat was written.
    rig.home.writeBuild(text);
    TempHome::setMtime(rig.home.dir + "/dat/build.dat",
                       TempHome::mtime(rig.home.dir + "/dat/build.dat") + 5);
    EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
    // Compiled by another process: the catalogue does not hold its macros.
    rig.home.writeBuild(text);
    CatalogueOwner::clear();
    EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
    // No build at all.
    std::filesystem::remove(rig.home.dir + "/dat/binfo.dat");
    EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
}

TEST(Loader, DamagedInfoFilesAreRefused) {
    Rig rig;
    const std::string text = "Lable0:\r\nmg hi\r\njumpE:\r\n";
    rig.home.writeBuild(text);
    std::string good;
    {
        std::ifstream f(rig.home.dir + "/dat/binfo.dat", std::ios::binary);
        good.assign(std::istreambuf_iterator<char>(f), {});
    }
    auto withU32 = [&](std::size_t at, std::uint32_t v) {
        std::string s = good;
        std::memcpy(s.data() + at, &v, 4);
        return s;
    };
    std::vector<std::string> damaged = {
        good.substr(0, 10),               // shorter than the header
        good.substr(0, good.size() - 1),  // line map cut short
        good + "x",                       // trailing bytes
        withU32(8, 300),                  // path of 300 bytes
        withU32(8, 0xFFFFFFFFu),          // absurd path length
        withU32(16, 0x40000000u),         // absurd label count
        withU32(20, 0x40000000u),         // absurd line count
        withU32(12, 100000),              // global list behind the text
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        TempHome::writeFile(rig.home.dir + "/dat/binfo.dat", damaged[i]);
        EXPECT_FALSE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source)) << i;
    }
    TempHome::writeFile(rig.home.dir + "/dat/binfo.dat", good);
    EXPECT_TRUE(rig.interp.runProgram(rig.boards, rig.home.dir, rig.home.source));
}

TEST(Loader, RunFreesTheProgramAndClearsTheMark) {
    struct Marks : EditorMarks {
        std::vector<int> lines;
        int cleared = 0;
        void markLine(int line) override { lines.push_back(line); }
        void clearMark() override { ++cleared; }
        bool markingEnabled() const override { return true; }
    } marks;
    Rig rig;
    rig.interp.setEditor(&marks);
    rig.run("Lable0:\r\nvar x\r\n\r\nx = 1\r\njumpE:\r\n", {0, 4, 5, 6, 7});
    EXPECT_EQ(marks.lines, (std::vector<int>{4, 6, 7}));  // the empty line is not marked
    EXPECT_EQ(marks.cleared, 1);
    EXPECT_EQ(rig.interp.programText, nullptr);
    EXPECT_TRUE(rig.interp.labelTable.empty());
}

}  // namespace
}  // namespace zeq::desk::test

namespace zeq::desk::test {
namespace {

TEST(Contour, GroupThatDoesNotStartSendsNothing) {
    Rig rig;
    TempHome::writeFile(rig.home.dir + "/c.txt", "1\n0\n1\n2\n1,2");
    rig.port.statusFor = [](const std::string& n) { return n == "EnableGroup" ? 10 : 0; };
    std::string out = rig.runMain("FileContour c.txt\r\nmg after\r\n");
    EXPECT_EQ(out, framed("error(2):第2行：无效的轴号\r\n"));
    EXPECT_TRUE(rig.port.contourBlocks.empty());
    EXPECT_EQ(rig.port.calls.back(), "ExitGroup(1,1)");
}

}  // namespace
}  // namespace zeq::desk::test
