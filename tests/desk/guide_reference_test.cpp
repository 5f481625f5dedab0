// The built user guide: its language reference lists every built-in of the compiler's tables,
// each with a description.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "compiler/usage_table.h"

namespace {

#ifdef ZEQ_GUIDE_HTML
std::string guide() {
    std::ifstream in(ZEQ_GUIDE_HTML, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(GuideReference, ListsEveryBuiltInOfTheUsageTableWithItsUsageAndADescription) {
    const std::string html = guide();
    ASSERT_FALSE(html.empty()) << ZEQ_GUIDE_HTML;
    for (const zeq::desk::UsageRow& row : zeq::desk::kUsageTable) {
        if (row.name.empty()) continue;
        const std::string cell = "<td><code>" + std::string(row.name) + "</code>";
        const size_t at = html.find(cell);
        ASSERT_NE(at, std::string::npos) << row.name << " missing from the reference";
        const std::string tableRow = html.substr(at, html.find("</tr>", at) - at);
        EXPECT_EQ(tableRow.find("暂无说明"), std::string::npos)
            << row.name << " has no description";
    }
}

TEST(GuideReference, ListsTheOtherBuiltInKeywords) {
    const std::string html = guide();
    for (const char* name : {"wa", "pause", "sleep", "board", "mg", "ClearSegList", "PCS",
                             "GetFeedOverride", "GetMCData", "@NZ", "IFGE"}) {
        EXPECT_NE(html.find("<code>" + std::string(name) + "</code>"), std::string::npos) << name;
    }
    EXPECT_EQ(html.find("暂无说明"), std::string::npos);
}
#else
TEST(GuideReference, NotBuilt) {
    GTEST_SKIP() << "the user guide is not built (no cmark-gfm)";
}
#endif

}  // namespace
