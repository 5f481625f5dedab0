// Lookups, user rows and the terminator row.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/param_catalogue.h"

namespace zeq::desk {
namespace {

class CatalogueLookup : public ::testing::Test {
  protected:
    void SetUp() override { cat.loadSystemRows(); }

    // What a macro definition does: its row, then the terminator behind it.
    void defineMacro(const char* name, int kind) {
        ASSERT_TRUE(cat.appendRow(ParamRow::user(name, cat.nextUserAddress(), kind), true));
        ASSERT_TRUE(cat.appendRow(ParamRow::terminator(cat.nextUserAddress()), false));
    }

    ParamCatalogue cat;
};

TEST_F(CatalogueLookup, NamesMatchIgnoringCaseAndWhole) {
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {
        {"MCSMaxVel", 6},     {"mcsmaxvel", 6}, {"McsMaxvel", 6},    {"segstarth", 226},
        {"PATHfifoCLR", 230}, {"oemcode", 236}, {"mcsmax", -1},      {"mcsmaxvel ", -1},
        {"mcsmaxvelx", -1},   {"", -1},         {"nosuchparam", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(cat.findByName(c.name), c.index) << c.name;
}

TEST_F(CatalogueLookup, NameLongerThanTheFieldNeverMatches) {
    EXPECT_EQ(cat.findByName(std::string("mcsvel") + std::string(30, 'x')), -1);
    // A user row whose name was cut to the field is not found under the full name.
    const std::string longName(30, 'q');
    ASSERT_TRUE(cat.appendRow(ParamRow::user(longName, 352, kKindUInt16), true));
    EXPECT_EQ(cat.findByName(longName), -1);
    EXPECT_FALSE(ParamRow::fitsName(longName));
    EXPECT_TRUE(ParamRow::fitsName(std::string(23, 'q')));
}

TEST_F(CatalogueLookup, FoundRowIsCopiedOut) {
    ParamRow out = ParamRow::make("junk", "junk", 1, 7, true, true);
    ASSERT_EQ(cat.findByName("SEGSTARTH", &out), 226);
    EXPECT_EQ(out.nameView(), "segstartH");
    EXPECT_EQ(out.formatView(), "S32");
    EXPECT_EQ(out.address, 433);
    EXPECT_EQ(out.kind, 5);
    EXPECT_EQ(out.readOnly, 0);
    EXPECT_EQ(out.global, 1);

    ASSERT_EQ(cat.findByName("sout", &out), 161);
    EXPECT_EQ(out.global, 0);
    EXPECT_EQ(out.address, 555);
}

TEST_F(CatalogueLookup, MissLeavesTheOutRowAlone) {
    ParamRow out = ParamRow::make("keep", "", 9, 3, false, false);
    EXPECT_EQ(cat.findByName("nothere", &out), -1);
    EXPECT_EQ(out.nameView(), "keep");
    EXPECT_EQ(out.address, 9);
}

TEST(CatalogueEmpty, EmptyCatalogueFindsNothing) {
    ParamCatalogue empty;
    EXPECT_EQ(empty.count(), 0);
    EXPECT_EQ(empty.findByName("mcsvel"), -1);
}

TEST_F(CatalogueLookup, MacroRowStaysUntilTheNextReset) {
    defineMacro("speed", kKindInt32);
    EXPECT_EQ(cat.count(), 238);
    ParamRow row{};
    ASSERT_EQ(cat.findByName("SPEED", &row), 237);
    EXPECT_EQ(row.address, 352);
    EXPECT_EQ(row.kind, 5);
    EXPECT_EQ(row.formatView(), "");
    EXPECT_EQ(row.readOnly, 0);
    EXPECT_EQ(row.global, 1);
    const ParamRow term = cat.row(238);
    EXPECT_EQ(term.nameView(), "");
    EXPECT_EQ(term.address, 354);

    cat.resetToSystemRows();
    EXPECT_EQ(cat.count(), 237);
    EXPECT_EQ(cat.findByName("speed"), -1);
    EXPECT_EQ(cat.nextUserAddress(), 352);
    // The storage behind is not cleared; the next compile simply overwrites it.
    EXPECT_EQ(cat.row(237).nameView(), "speed");
    defineMacro("other", kKindInt16);
    EXPECT_EQ(cat.findByName("other"), 237);
    EXPECT_EQ(cat.findByName("speed"), -1);
}

TEST_F(CatalogueLookup, MacrosTakeTheWordsOfTheirType) {
    defineMacro("a", kKindInt16);
    defineMacro("b", kKindInt48);
    ParamRow a{}, b{};
    ASSERT_EQ(cat.findByName("a", &a), 237);
    ASSERT_EQ(cat.findByName("b", &b), 238);
    EXPECT_EQ(a.address, 352);
    EXPECT_EQ(b.address, 353);
    EXPECT_EQ(cat.row(239).nameView(), "");
    EXPECT_EQ(cat.row(239).address, 356);
    EXPECT_EQ(cat.userWordsUsed(), 4);
}

TEST_F(CatalogueLookup, SystemRowsWinOverAUserRowOfTheSameName) {
    ASSERT_TRUE(cat.appendRow(ParamRow::user("MCSVEL", 352, kKindUInt16), true));
    ParamRow out{};
    EXPECT_EQ(cat.findByName("mcsvel", &out), 0);
    EXPECT_EQ(out.address, 4);
}

TEST_F(CatalogueLookup, TableHoldsAHundredUserRowsAndTheTerminator) {
    for (int i = 0; i < ParamCatalogue::kUserRows; ++i) {
        ASSERT_TRUE(cat.appendRow(ParamRow::user("m" + std::to_string(i), 352 + i, 2), true));
    }
    EXPECT_EQ(cat.count(), 337);
    EXPECT_FALSE(cat.appendRow(ParamRow::user("extra", 452, 2), true));
    EXPECT_EQ(cat.count(), 337);
    EXPECT_TRUE(cat.appendRow(ParamRow::terminator(452), false));
    EXPECT_EQ(cat.row(337).address, 452);
    EXPECT_EQ(cat.findByName("M99"), 336);
    EXPECT_EQ(cat.row(-1).nameView(), "");
    EXPECT_EQ(cat.row(ParamCatalogue::kCapacity).nameView(), "");
}

TEST(CatalogueProcessWide, LoadedOnFirstUse) {
    ParamCatalogue& c = paramCatalogue();
    EXPECT_EQ(&c, &paramCatalogue());
    EXPECT_GE(c.count(), 237);
    EXPECT_EQ(c.findByName("naxis"), 170);
}

}  // namespace
}  // namespace zeq::desk
