// The hashed name lookups answer as a scan in table order would: first match wins.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"

namespace zeq::desk {
namespace {

TEST(NameTableLookup, FirstEntryWinsAcrossGrowthAndClear) {
    NameTable t;
    for (int i = 0; i < 500; ++i) t.add("n" + std::to_string(i % 300), i);  // 200 repeats
    ASSERT_EQ(t.size(), 500);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(i);
        const int found = t.find("n" + std::to_string(i));
        ASSERT_EQ(found, i);
        EXPECT_EQ(t[found].label, i);
    }
    EXPECT_EQ(t.find("N1"), -1);  // case-sensitive
    EXPECT_EQ(t.find("n"), -1);
    EXPECT_EQ(t.find(""), -1);
    t.clear();
    EXPECT_EQ(t.find("n1"), -1);
    EXPECT_EQ(t.add("n1"), 0);
    EXPECT_EQ(t.find("n1"), 0);
}

TEST(CatalogueIndex, EveryRowNameFindsItsFirstRowInAnyCase) {
    ParamCatalogue cat;
    cat.loadSystemRows();
    ASSERT_TRUE(cat.appendRow(ParamRow::user("MyWord", cat.nextUserAddress(), kKindInt16), true));
    ASSERT_TRUE(cat.appendRow(ParamRow::user("myword", cat.nextUserAddress(), kKindInt16), true));
    for (int i = 0; i < cat.count(); ++i) {
        const std::string name(cat.row(i).nameView());
        SCOPED_TRACE(name);
        int first = 0;
        while (first < i) {
            std::string a(cat.row(first).nameView()), b(name);
            for (char& c : a) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            for (char& c : b) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (a == b) break;
            ++first;
        }
        std::string lower(name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(cat.findByName(name), first);
        EXPECT_EQ(cat.findByName(lower), first);
    }
    cat.resetToSystemRows();
    EXPECT_EQ(cat.findByName("MyWord"), -1);
}

}  // namespace
}  // namespace zeq::desk
