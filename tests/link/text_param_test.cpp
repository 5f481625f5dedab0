// WR / RD / WZ / WT text lines against the virtual card.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "maint_fixture.h"

namespace zeq::test {
namespace {

using TextParamTest = MaintTest;

// A write line, the frame it must send, and where the value lands on the card.
struct WriteCase {
    const char* line;
    const char* frame;        // nullptr: not checked
    int axis, address, bits;  // bits 0: a command register, only the frame is checked
    int64_t stored;
};

TEST_F(TextParamTest, WritesResolveNameWidthValueAndAxis) {
    const WriteCase cases[] = {
        {"wr mcstgpos 1000 2", "80 07 0C A8 E8 03 00 00 F4 AB", 2, 12, 32, 1000},
        {"WR mcstgpos 3E8h 2", "80 07 0C A8 E8 03 00 00 F4 AB", 2, 12, 32, 1000},
        {"WR mcstgpos 3e8H 2", "80 07 0C A8 E8 03 00 00 F4 AB", 2, 12, 32, 1000},
        {"WR mcsgo &mcsvel", "80 05 17 80 04 00 1B 80", 0, 23, 0, 4},  // starts a move
        {"  \tWR  mcstgpos\t-5\r\n", nullptr, 0, 12, 32, -5},
        {"WRITE MCSTGPOS 77 3", nullptr, 3, 12, 32, 77},
        {"WR user16b0 -1", nullptr, 0, 307, 16, 0xFFFF},
        {"WR user16b1 FFFFh", nullptr, 0, 308, 16, 0xFFFF},
        {"WR user32b1 7FFFFFFFh", nullptr, 0, 319, 32, 0x7FFFFFFF},
        {"WR user32b2 4294967295", nullptr, 0, 321, 32, -1},
        {"WR user48b0 -2", nullptr, 0, 337, 48, -2},
        {"WR user48b1 7FFFFFFFFFFFh", nullptr, 0, 340, 48, 0x7FFFFFFFFFFF},
    };
    for (const WriteCase& c : cases) {
        clearTrace();
        ASSERT_EQ(ZEQ_WRParamStr(h_, c.line, 0), ZEQ_OK) << c.line;
        if (c.frame) {
            EXPECT_EQ(written().at(0), c.frame) << c.line;
        }
        if (c.bits == 0) continue;
        int64_t got = 0;
        if (c.bits == 16) got = card().reg16(c.axis, c.address);
        if (c.bits == 32) got = card().reg32(c.axis, c.address);
        if (c.bits == 48) got = card().reg48(c.axis, c.address);
        EXPECT_EQ(got, c.stored) << c.line;
    }
}

TEST_F(TextParamTest, WriteThroughTheQueueFifo) {
    ASSERT_EQ(ZEQ_WRParamStr(h_, "WR mcstgpos 3E8h 2", 1), ZEQ_OK);
    EXPECT_EQ(written().at(0), "84 07 0C A8 E8 03 00 00 F4 AB");
}

TEST_F(TextParamTest, BadLinesAreRefusedBeforeAnythingIsSent) {
    const char* lines[] = {
        "WR naxis 4",                        // read-only
        "WR fwversion 1",                    // read-only
        "WR curpos 0 1",                     // read-only
        "",                                  // nothing
        "WR",                                // no name
        "WR mcstgpos",                       // no value
        "W mcstgpos 1",                      // command too short
        "RW mcstgpos 1",                     // not a write
        "WR nosuch 1",                       // unknown name
        "WR S32 1",                          // a format text is not a name
        "WR mcstgpos 12x",                   // not a decimal digit
        "WR mcstgpos 3G8h",                  // not a hex digit
        "WR mcstgpos h",                     // no digits
        "WR mcstgpos -",                     // no digits
        "WR mcstgpos -3E8h",                 // hex takes no sign
        "WR mcstgpos 1000 12",               // the axis is one digit
        "WR mcstgpos 1000 x",                // the axis is a digit
        "WR mcstgpos 1000 2 3",              // trailing token
        "WR mcsgo &nosuch",                  // no such parameter to take the address of
        "WR mcsgo &",                        // no name after &
        "WR mcsslope 65536",                 // does not fit 16 bits
        "WR mcsslope -32769",                // does not fit 16 bits
        "WR mcstgpos 4294967296",            // does not fit 32 bits
        "WR user48b0 1000000000000h",        // does not fit 48 bits
        "WR mcstgpos 99999999999999999999",  // does not fit 64 bits
    };
    for (const char* line : lines) EXPECT_EQ(ZEQ_WRParamStr(h_, line, 0), ZEQ_ERR_ARGUMENT) << line;
    EXPECT_EQ(ZEQ_WRParamStr(h_, nullptr, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(trace().empty());
}

TEST_F(TextParamTest, WriteErrorsOfTheCardPassThrough) {
    EXPECT_EQ(ZEQ_WRParamStr(h_, "WR mcstgpos 1 7", 0), ZEQ_ERR_AXIS);  // a 4-axis card
    EXPECT_EQ(ZEQ_WRParamStr(h_ + 1000, "WR mcstgpos 1", 0), ZEQ_ERR_HANDLE);
}

TEST_F(TextParamTest, ReadsByWidthAndSignedness) {
    using namespace zeq::sim;
    card().poke16(1, reg::mcspos, static_cast<uint16_t>(-123456 & 0xFFFF));
    card().poke16(1, reg::mcspos + 1, static_cast<uint16_t>((-123456 >> 16) & 0xFFFF));
    card().poke16(0, 307, 0xFFFE);  // user16b0, S16
    card().poke16(0, 704, 0xFFFF);  // delayus, U32
    card().poke16(0, 705, 0xFFFF);
    for (int i = 0; i < 3; ++i) card().poke16(0, 337 + i, i == 0 ? 0xFFFD : 0xFFFF);  // -3
    const struct {
        const char* line;
        int64_t value;
    } cases[] = {
        {"RD mcspos 1", -123456}, {"rd naxis", 4},  // read-only rows may be read
        {"RD user16b0", -2},      {"RD delayus", 0xFFFFFFFFll},
        {"RD user48b0 0", -3},
    };
    for (const auto& c : cases) {
        int64_t v = 0;
        ASSERT_EQ(ZEQ_RDParamStr(h_, c.line, &v, 0), ZEQ_OK) << c.line;
        EXPECT_EQ(v, c.value) << c.line;
    }
}

TEST_F(TextParamTest, BadReadLinesAreRefused) {
    const char* lines[] = {"RD mcspos 12",  "RD",         "RD nosuch", "DR mcspos",
                           "RD mcspos 1 1", "WR mcspos 1"};
    int64_t v = 99;
    for (const char* line : lines)
        EXPECT_EQ(ZEQ_RDParamStr(h_, line, &v, 0), ZEQ_ERR_ARGUMENT) << line;
    EXPECT_EQ(v, 99);
    EXPECT_EQ(ZEQ_RDParamStr(h_, "RD mcspos", nullptr, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(ZEQ_RDParamStr(h_, "RD mcspos 9", &v, 0), ZEQ_ERR_AXIS);
    EXPECT_EQ(v, 99) << "a failed read leaves the value alone";
}

TEST_F(TextParamTest, WaitLinesQueueTheWaitCommand) {
    const struct {
        const char* line;
        const char* frame;
    } cases[] = {
        {"WZ mcsmoving 1", "84 03 19 E4 19 E4"},
        {"wz MCSMOVING", "84 03 19 E0 19 E0"},
        {"WT mcsmoving 1", "84 03 19 64 19 64"},
    };
    for (const auto& c : cases) {
        clearTrace();
        ASSERT_EQ(ZEQ_WTParamStr(h_, c.line), ZEQ_OK) << c.line;
        EXPECT_EQ(written().at(0), c.frame) << c.line;
    }
    clearTrace();
    for (const char* line :
         {"WX mcsmoving", "RZ mcsmoving", "WZ", "WZ nosuch", "WZ mcsmoving 12", "W mcsmoving"})
        EXPECT_EQ(ZEQ_WTParamStr(h_, line), ZEQ_ERR_ARGUMENT) << line;
    EXPECT_TRUE(trace().empty());
}

}  // namespace
}  // namespace zeq::test
