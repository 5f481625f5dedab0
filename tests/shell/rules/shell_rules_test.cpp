// Recent files, the output box limits, indentation, call tips, the title and the help places.
#include "shell/rules/shell_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "shell/rules/ini_store.h"
#include "shell/rules/recent_files.h"

namespace zeq::desk {
namespace {

using Paths = std::vector<std::string>;

TEST(RecentFiles, SixthFileDropsTheOldest) {
    RecentFiles r;
    for (const char* p : {"/a", "/b", "/c", "/d", "/e", "/f"}) r.add(p);
    EXPECT_EQ(r.paths(), (Paths{"/f", "/e", "/d", "/c", "/b"}));
}

TEST(RecentFiles, AFileAlreadyThirdMovesToTheFront) {
    RecentFiles r;
    for (const char* p : {"/a", "/b", "/c", "/d", "/e"}) r.add(p);
    EXPECT_TRUE(r.add("/c"));
    EXPECT_EQ(r.paths(), (Paths{"/c", "/e", "/d", "/b", "/a"}));
    EXPECT_FALSE(r.add("/c"));  // already first: nothing changes
    // Names differing in case are different files here.
    r.add("/C");
    EXPECT_EQ(r.paths(), (Paths{"/C", "/c", "/e", "/d", "/b"}));
    EXPECT_TRUE(r.remove("/e"));
    EXPECT_EQ(r.paths(), (Paths{"/C", "/c", "/d", "/b"}));
}

TEST(RecentFiles, LoadClampsToTheCapacityAndSaveRewritesTheSection) {
    IniStore ini;
    ini.setInt("Mru File", "FileNum", 9);
    for (int i = 1; i <= 9; ++i)
        ini.setString("Mru File", std::to_string(i), "/f" + std::to_string(i));
    ini.setString("Mru File", "3", "");
    RecentFiles r;
    r.load(ini);
    EXPECT_EQ(r.paths(), (Paths{"/f1", "/f2", "/f4", "/f5"}));
    r.save(ini);
    EXPECT_EQ(ini.getInt("Mru File", "FileNum", -1), 4);
    EXPECT_EQ(ini.getString("Mru File", "3", ""), "/f4");
    EXPECT_FALSE(ini.has("Mru File", "9"));
    EXPECT_EQ(RecentFiles(40).capacity(), RecentFiles::kMaxCapacity);
}

TEST(OutputBox, ClearingLimits) {
    struct Case {
        int lines;
        bool autoClear;
        bool clears;
    };
    for (const Case& c : {Case{2000, true, false}, Case{2001, true, true}, Case{2001, false, false},
                          Case{5000, false, false}, Case{5001, false, true}}) {
        EXPECT_EQ(outputNeedsClear(c.lines, c.autoClear), c.clears) << c.lines << c.autoClear;
    }
}

TEST(Indentation, TabsAndBlockWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"while x < 3", "\t"},
        {"\t\tMoveAbsolute 1, 0", "\t\t"},
        {"  \tif a then", "\t\t"},
        {"WHILE 1", "\t"},
        {"whilex", ""},
        {"    main", "\t"},
        {"\tfor n = 1 to 3", "\t\t"},
        {"", ""},
        {"\tend", "\t"},
    };
    for (const auto& [previous, indent] : cases) {
        EXPECT_EQ(indentAfter(previous), indent) << previous;
    }
}

TEST(CallTips, UsageOfTheWordJustTyped) {
    CallTipTracker t;
    std::string_view shown;
    for (char c : std::string("tgvelintime ")) shown = t.type(c);
    EXPECT_EQ(shown, "TgvelInTime  time, tgvel, axis");
    for (char c : std::string("Tgvel ")) shown = t.type(c);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(t.type(',').empty());  // no word collected
}

TEST(Title, PathAndCardType) {
    EXPECT_EQ(frameTitle("", 0), "ZeqDesk (USB)");
    EXPECT_EQ(frameTitle("/w/a (1).zeq", 1), "ZeqDesk - /w/a (1).zeq (PCI)");
}

TEST(Help, PdfEverywhereBeforeHtml) {
    const auto c = helpCandidates({"/exe", "", "/home"});
    EXPECT_EQ(c, (std::vector<std::string>{
                     "/exe/doc/ZeqDesk软件操作指南.pdf", "/home/doc/ZeqDesk软件操作指南.pdf",
                     "/exe/doc/ZeqDesk软件操作指南.html", "/home/doc/ZeqDesk软件操作指南.html"}));
    const std::string v = versionText();
    EXPECT_EQ(std::count(v.begin(), v.end(), '.'), 3) << v;
}

}  // namespace
}  // namespace zeq::desk
