// The system rows: the register map as the firmware has it, irregular rows included.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "catalogue/param_catalogue.h"

namespace zeq::desk {
namespace {

struct Expected {
    int index;
    const char* name;
    const char* format;
    int address;
    int kind;
    int readOnly;
    int global;
};

// Spot rows: both ends, section boundaries and every row that breaks its neighbours' pattern.
const Expected kSpots[] = {
    {0, "mcsvel", "S16.16", 4, 5, 0, 0},         {6, "mcsmaxvel", "S16.16", 16, 5, 0, 0},
    {33, "poserrlim", "S16", 131, 2, 0, 0},      {35, "trackwin", "S16", 133, 2, 0, 0},
    {36, "settlewin", "S16", 134, 2, 0, 0},      {56, "fixvel", "S0.16", 162, 3, 0, 0},
    {57, "homeSTpos", "S32", 163, 5, 0, 0},      {59, "gearsrc", "U16", 170, 0, 0, 0},
    {63, "gearratio", "S16.32", 175, 6, 0, 0},   {68, "cirswap", "F16", 214, 2, 0, 0},
    {77, "profiling", "F16", 215, 2, 1, 0},      {84, "poserr", "S16", 223, 3, 1, 0},
    {87, "cappos", "S32", 229, 5, 1, 0},         {97, "aiolat", "R16", 682, 2, 0, 0},
    {98, "clraiolat", "R16", 682, 2, 0, 0},      {99, "startgroup", "F16", 256, 2, 0, 1},
    {138, "user48b0", "S48", 337, 6, 0, 1},      {142, "user48b4", "S48", 349, 6, 0, 1},
    {147, "emstop", "F16", 500, 1, 0, 1},        {148, "hpause", "F16", 501, 1, 0, 1},
    {149, "ticks", "U32", 502, 4, 0, 1},         {154, "aiod", "R16", 563, 2, 0, 0},
    {155, "giod", "R16", 561, 2, 0, 1},          {158, "xgio", "R16", 561, 2, 0, 1},
    {159, "stopin", "R16", 563, 2, 0, 1},        {161, "sout", "R16", 555, 2, 0, 0},
    {162, "srst", "R16", 551, 2, 0, 0},          {165, "delayus", "U32", 704, 4, 0, 1},
    {166, "delayout", "U16", 704, 2, 0, 1},      {169, "sysclk", "U32", 628, 5, 1, 1},
    {170, "naxis", "U16", 634, 2, 1, 1},         {172, "segend", "S32", 202, 5, 0, 0},
    {173, "segstart", "S32", 200, 5, 0, 0},      {174, "moveinpath", "R16", 204, 2, 0, 0},
    {182, "usepathdesvel", "S32", 360, 5, 0, 1}, {225, "segstartG", "S32", 432, 5, 0, 1},
    {226, "segstartH", "S32", 433, 5, 0, 1},     {227, "segstartI", "S32", 436, 5, 0, 1},
    {229, "pathFIFOcnt", "R16", 565, 2, 0, 1},   {230, "pathFIFOclr", "R16", 565, 2, 0, 1},
    {235, "pathwaitequ", "R16", 444, 2, 0, 1},   {236, "oemcode", "U16", 630, 2, 0, 1},
};

TEST(CatalogueSystemRows, SpotRowsHoldTheirValues) {
    auto rows = systemParamRows();
    ASSERT_EQ(rows.size(), 237u);
    for (const Expected& e : kSpots) {
        SCOPED_TRACE(e.name);
        const ParamRow& r = rows[e.index];
        EXPECT_EQ(r.nameView(), e.name);
        EXPECT_EQ(r.formatView(), e.format);
        EXPECT_EQ(r.address, e.address);
        EXPECT_EQ(r.kind, e.kind);
        EXPECT_EQ(r.readOnly, e.readOnly);
        EXPECT_EQ(r.global, e.global);
    }
}

// The data file is shared with the device library's text commands, which define their own
// macro; it must expand to exactly the rows.
TEST(CatalogueSystemRows, DataFileExpandsUnderAForeignMacro) {
    struct Raw {
        const char* name;
        int address;
        bool global;
    };
    static const Raw raw[] = {
#define ZEQ_PARAM(name, format, address, kind, readOnly, global) {#name, address, global != 0},
#include "card/system_params.inc"
#undef ZEQ_PARAM
    };
    ASSERT_EQ(std::size(raw), 237u);
    EXPECT_STREQ(raw[226].name, "segstartH");
    EXPECT_EQ(raw[226].address, 433);
    EXPECT_FALSE(raw[161].global);
}

TEST(CatalogueSystemRows, SectionsAndReadOnlyRows) {
    int global = 0, axis = 0;
    std::set<std::string> readOnly;
    for (const ParamRow& r : systemParamRows()) {
        (r.global ? global : axis)++;
        if (r.readOnly) readOnly.insert(std::string(r.nameView()));
    }
    EXPECT_EQ(global, 132);
    EXPECT_EQ(axis, 105);
    const std::set<std::string> expected = {"profiling", "smoothing", "contouring", "moving",
                                            "motion",    "outsettle", "outtrack",   "poserr",
                                            "curpos",    "curvel",    "cappos",     "clkdiv",
                                            "fwversion", "sysclk",    "naxis",      "hwversion"};
    EXPECT_EQ(readOnly, expected);
}

// The kind follows from the format text on every row except the ones the firmware reads
// differently; a typo in either column shows up here.
TEST(CatalogueSystemRows, KindFollowsFormatExceptOnTheKnownRows) {
    const std::map<std::string, int> kindOfFormat = {
        {"S16.16", 5}, {"S32", 5}, {"S16", 3},   {"U16", 2},    {"U32", 4},
        {"F16", 2},    {"R16", 2}, {"S0.16", 3}, {"S16.32", 6}, {"S48", 6}};
    const std::map<std::string, int> exceptions = {
        {"poserrlim", 2}, {"trackwin", 2}, {"settlewin", 2}, {"sysclk", 5},
        {"gearsrc", 0},   {"emstop", 1},   {"hpause", 1}};
    for (const ParamRow& r : systemParamRows()) {
        std::string name(r.nameView());
        SCOPED_TRACE(name);
        auto f = kindOfFormat.find(std::string(r.formatView()));
        ASSERT_NE(f, kindOfFormat.end());
        auto ex = exceptions.find(name);
        EXPECT_EQ(r.kind, ex != exceptions.end() ? ex->second : f->second);
        EXPECT_LT(r.address, 1024);
    }
}

TEST(CatalogueSystemRows, NamesAreUniqueAndOnlyKnownPairsShareAnAddress) {
    std::set<std::string> upperNames;
    std::map<int, std::set<std::string>> byAddress;
    for (const ParamRow& r : systemParamRows()) {
        std::string up(r.nameView());
        for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_TRUE(upperNames.insert(up).second) << up;
        byAddress[r.address].insert(std::string(r.nameView()));
    }
    std::set<std::set<std::string>> shared;
    for (auto& [key, names] : byAddress)
        if (names.size() > 1) shared.insert(names);
    const std::set<std::set<std::string>> expected = {{"aiolat", "clraiolat"},
                                                      {"giod", "xgio"},
                                                      {"aiod", "stopin"},
                                                      {"pathFIFOcnt", "pathFIFOclr"},
                                                      {"delayus", "delayout"}};
    EXPECT_EQ(shared, expected);
}

}  // namespace
}  // namespace zeq::desk
