// The listing text of the system rows.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/param_catalogue.h"

namespace zeq::desk {
namespace {

std::string spaces(int n) {
    return std::string(n, ' ');
}

// "  %5s   %-14s%-11s %-6s|" with each CJK character two columns wide.
const std::string kTitles = "  " + spaces(1) + "序号" + "   " + "参数名" + spaces(8) + "数据格式" +
                            spaces(3) + " " + "读写" + spaces(2) + "|";
const std::string kRuler =
    "\n|------------------------------------------|------------------------------------------|\n|";

TEST(CatalogueListing, GlobalSectionOpensTheListing) {
    const std::string text = ParamCatalogue::listing();
    const std::string head = "全局参数：\r\n|" + kTitles + kTitles + kRuler +
                             "   1  :  startgroup      F16         WR   |" +
                             "   2  :  groupnum        U16         WR   |" + "\r\n|" +
                             "   3  :  group_x         U16         WR   |";
    EXPECT_EQ(text.substr(0, head.size()), head);
}

TEST(CatalogueListing, AxisSectionFollowsTheGlobalRows) {
    const std::string text = ParamCatalogue::listing();
    // 132 global rows end on a full line; the axis rows are numbered from 1 again.
    const std::string joint = "   131:  pathwaitequ     R16         WR   |" +
                              std::string("   132:  oemcode         U16         WR   |") + "\r\n|" +
                              "\r\n\r\n轴参数：\n|" + kTitles + kTitles + kRuler +
                              "   1  :  mcsvel          S16.16      WR   |" +
                              "   2  :  mcstgvel        S16.16      WR   |\r\n|";
    EXPECT_NE(text.find(joint), std::string::npos);
}

TEST(CatalogueListing, ReadOnlyRowsAndTheOddLastRow) {
    const std::string text = ParamCatalogue::listing();
    // Global rows numbered in table order skipping the axis rows aiod, sout and srst.
    EXPECT_NE(text.find("   68 :  sysclk          U32         R    |"), std::string::npos);
    EXPECT_NE(text.find("   56 :  giod            R16         WR   |"), std::string::npos);
    // The axis rows among the global ones keep their table order in the axis section; the
    // last of them, 105, stands alone on the last line without a line break behind it.
    EXPECT_NE(text.find("   102:  srst            R16         WR   |"), std::string::npos);
    const std::string tail = "\r\n|   105:  moveinpath      R16         WR   |";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(CatalogueListing, EveryRowAppearsOnceWithTheRulerWidth) {
    const std::string text = ParamCatalogue::listing();
    int cells = 0;
    for (std::size_t pos = 0; (pos = text.find(":  ", pos)) != std::string::npos; pos += 3) ++cells;
    EXPECT_EQ(cells, 237);
    // Each row cell is as wide as a ruler half plus its bar.
    const std::string cell = "   1  :  startgroup      F16         WR   |";
    EXPECT_EQ(cell.size(), 43u);
}

}  // namespace
}  // namespace zeq::desk
