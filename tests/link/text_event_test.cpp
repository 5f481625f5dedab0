// Event instructions in text form: every mnemonic and condition, the operand forms, and the
// lines that must be refused before anything is sent.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "maint_fixture.h"

namespace zeq::test {
namespace {

enum class Form { Param, Imm16, Imm32, Imm48, Copy, Set16, Set32, Set48 };

struct Mnemonic {
    const char* name;
    uint16_t code;
    Form form;
};

// The instruction codes the card expects in W0.
const Mnemonic kMnemonics[] = {
    {"ADD32", 0x0000, Form::Param},  {"ADD32I", 0x0400, Form::Imm32},
    {"ADD48", 0x0004, Form::Param},  {"ADD48I", 0x0404, Form::Imm48},
    {"CMP32", 0x1000, Form::Param},  {"CMP32I", 0x1400, Form::Imm32},
    {"CMP48", 0x1004, Form::Param},  {"CMP48I", 0x1404, Form::Imm48},
    {"SCA32", 0x2000, Form::Param},  {"SCA32I", 0x2400, Form::Imm48},
    {"SCA48", 0x2004, Form::Param},  {"SCA48I", 0x2404, Form::Imm48},
    {"MUL32L", 0x2008, Form::Param}, {"MUL32IL", 0x2408, Form::Imm32},
    {"MUL32A", 0x200C, Form::Param}, {"MUL32IA", 0x240C, Form::Imm32},
    {"COP16", 0x3000, Form::Copy},   {"COP32", 0x3004, Form::Copy},
    {"COP48", 0x3008, Form::Copy},   {"SET16", 0x3400, Form::Set16},
    {"SET32", 0x3404, Form::Set32},  {"SET48", 0x3408, Form::Set48},
    {"OR16", 0x4000, Form::Param},   {"OR16I", 0x4400, Form::Imm16},
    {"OR16B", 0x4008, Form::Param},  {"OR16IB", 0x4408, Form::Imm16},
    {"AND16", 0x6000, Form::Param},  {"AND16I", 0x6400, Form::Imm16},
    {"AND16B", 0x6008, Form::Param}, {"AND16IB", 0x6408, Form::Imm16},
    {"XOR16", 0x7000, Form::Param},  {"XOR16I", 0x7400, Form::Imm16},
    {"XOR16B", 0x7008, Form::Param}, {"XOR16IB", 0x7408, Form::Imm16},
};

using Words = std::array<uint16_t, 8>;

class TextEventTest : public MaintTest {
  protected:
    // The eight instruction words as the card holds them after a load.
    Words loaded() {
        Words w{};
        for (int i = 0; i < 4; ++i) {
            const uint32_t v = static_cast<uint32_t>(card().reg32(0, 568 + 2 * i));
            w[2 * i] = static_cast<uint16_t>(v & 0xFFFF);
            w[2 * i + 1] = static_cast<uint16_t>(v >> 16);
        }
        return w;
    }
};

// The line and the words it must load: operands mcsvel (4) axis 1, mcspos (10) axis 2 or the
// immediate -2, destination user32b0 (317) axis 3, on channel 5 without a condition.
std::string line_for(const Mnemonic& m, Words* words) {
    const std::string n = m.name;
    const uint16_t w0 = static_cast<uint16_t>(m.code | 0x8000);
    switch (m.form) {
        case Form::Param:
            *words = {w0, 4, 1, 10, 2, 0, 317, 3};
            return "5 " + n + " , mcsvel , 1 , mcspos , 2 , user32b0 , 3";
        case Form::Imm16:
            *words = {w0, 4, 1, 0xFFFE, 0, 0, 317, 3};
            return "5 " + n + " , mcsvel , 1 , -2 , user32b0 , 3";
        case Form::Imm32:
            *words = {w0, 4, 1, 0xFFFE, 0xFFFF, 0, 317, 3};
            return "5 " + n + " , mcsvel , 1 , -2 , user32b0 , 3";
        case Form::Imm48:
            *words = {w0, 4, 1, 0xFFFE, 0xFFFF, 0xFFFF, 317, 3};
            return "5 " + n + " , mcsvel , 1 , -2 , user32b0 , 3";
        case Form::Copy:
            *words = {w0, 0, 0, 10, 2, 0, 317, 3};
            return "5 " + n + " , mcspos , 2 , user32b0 , 3";
        case Form::Set16:
            *words = {w0, 0, 0, 0xFFFE, 0, 0, 317, 3};
            return "5 " + n + " , -2 , user32b0 , 3";
        case Form::Set32:
            *words = {w0, 0, 0, 0xFFFE, 0xFFFF, 0, 317, 3};
            return "5 " + n + " , -2 , user32b0 , 3";
        case Form::Set48:
            *words = {w0, 0, 0, 0xFFFE, 0xFFFF, 0xFFFF, 317, 3};
            return "5 " + n + " , -2 , user32b0 , 3";
    }
    return {};
}

TEST_F(TextEventTest, EveryMnemonicLoadsItsCodeAndForm) {
    for (const Mnemonic& m : kMnemonics) {
        Words want{};
        const std::string line = line_for(m, &want);
        card().poke16(0, 549, 0);
        ASSERT_EQ(ZEQ_SetEventStr(h_, line.c_str(), 0), ZEQ_OK) << line;
        EXPECT_EQ(card().reg16(0, 549), 5) << line;
        EXPECT_EQ(loaded(), want) << line;
    }
}

TEST_F(TextEventTest, MnemonicsIgnoreCase) {
    ASSERT_EQ(ZEQ_SetEventStr(h_, "2 mul32iL , mcsvel , 0 , 7 , user32b0 , 0", 0), ZEQ_OK);
    EXPECT_EQ(loaded(), (Words{0xA408, 4, 0, 7, 0, 0, 317, 0}));
}

TEST_F(TextEventTest, ConditionsSetTheirMasks) {
    const struct {
        const char* name;
        uint16_t mask;
    } conditions[] = {{"@Z", 0x0A02},   {"@NZ", 0x0A00}, {"@G", 0x0B00},   {"@GE", 0x0900},
                      {"@L", 0x0B01},   {"@C", 0x0901},  {"@NC", 0x0900},  {"IFZ", 0x0202},
                      {"IFNZ", 0x0200}, {"IFG", 0x0300}, {"IFGE", 0x0100}, {"IFL", 0x0301},
                      {"IFC", 0x0101},  {"IFNC", 0x0100}};
    for (const auto& c : conditions) {
        const std::string line = std::string("30 ") + c.name + " , ADD32 , mcsvel , 0 , mcspos";
        ASSERT_EQ(ZEQ_SetEventStr(h_, line.c_str(), 0), ZEQ_OK) << line;
        EXPECT_EQ(card().reg16(0, 549), 30);
        EXPECT_EQ(loaded(), (Words{c.mask, 4, 0, 10, 0, 0, 0, 0})) << line;
    }
}

TEST_F(TextEventTest, SetUnderConditionLoadsTheImmediateLowWordFirst) {
    ASSERT_EQ(ZEQ_SetEventStr(h_, "3 IFZ , SET32 , 305419896 , mcstgpos , 0", 1), ZEQ_OK);
    EXPECT_EQ(loaded(), (Words{0x3606, 0, 0, 0x5678, 0x1234, 0, 12, 0}));
}

TEST_F(TextEventTest, BadLinesAreRefusedBeforeAnythingIsSent) {
    const char* lines[] = {
        "31 ADD32 , mcsvel , 0 , mcspos",             // channel 31 is not reachable in text
        "-1 ADD32 , mcsvel , 0 , mcspos",             // channel below 0
        "x ADD32 , mcsvel , 0 , mcspos",              // channel not decimal
        "",                                           // nothing
        "3",                                          // no instruction
        "3 ADD32",                                    // no operands
        "3 ADD32 mcsvel , 0 , mcspos",                // no comma after the mnemonic
        "3 ADD32 , mcsvel, 0 , mcspos",               // a comma must stand apart
        "3 ADD32 , mcsvel , 0 , mcspos ,",            // trailing comma
        "3 ADD32 , mcsvel , 0 mcspos",                // missing comma between operands
        "3 ADD32 , , mcsvel , 0 , mcspos",            // empty operand
        "3 ADD64 , mcsvel , 0 , mcspos",              // unknown mnemonic
        "3 IFQ , ADD32 , mcsvel , 0 , mcspos",        // unknown condition
        "3 IFZ ADD32 , mcsvel , 0 , mcspos",          // no comma after the condition
        "3 IFZ , IFZ , ADD32 , mcsvel , 0 , mcspos",  // two conditions
        "3 ADD32 , mcsvel , 10 , mcspos",             // the axis is one digit
        "3 ADD32 , mcsvel , 0",                       // operand 2 missing
        "3 ADD32 , nosuch , 0 , mcspos",              // unknown name
        "3 ADD32 , mcsvel , 0 , mcspos , 0 , user32b0 , 0 , 1",  // too many operands
        "3 ADD32I , mcsvel , 0 , 1.5",                           // immediate not an integer
        "3 ADD32I , mcsvel , 0 , 4294967296",                    // does not fit 32 bits
        "3 OR16I , mcsvel , 0 , 65536",                          // does not fit 16 bits
        "3 SET16 , 70000 , user16b0",                            // does not fit 16 bits
        "3 SET48 , 281474976710656 , user48b0",                  // does not fit 48 bits
        "3 SET32 , 1",                                           // no destination
        "3 SET32 , 1 , user32b0 , 0 , 1",                        // too many operands
        "3 COP32 , mcspos",                                      // source axis missing
        "3 COP32 , mcspos , 0 , user32b0 , 0 , 1",               // too many operands
    };
    for (const char* line : lines)
        EXPECT_EQ(ZEQ_SetEventStr(h_, line, 0), ZEQ_ERR_ARGUMENT) << line;
    EXPECT_EQ(ZEQ_SetEventStr(h_, nullptr, 0), ZEQ_ERR_ARGUMENT);
    EXPECT_TRUE(trace().empty());
}

TEST_F(TextEventTest, OmittedOperandsAreZero) {
    ASSERT_EQ(ZEQ_SetEventStr(h_, "0 COP16 , mcsgo , 2", 0), ZEQ_OK);
    EXPECT_EQ(loaded(), (Words{0xB000, 0, 0, 23, 2, 0, 0, 0}));
    ASSERT_EQ(ZEQ_SetEventStr(h_, "0 SET16 , -32768 , user16b0", 0), ZEQ_OK);
    EXPECT_EQ(loaded(), (Words{0xB400, 0, 0, 0x8000, 0, 0, 307, 0}));
}

TEST_F(TextEventTest, LoadErrorsPassThrough) {
    EXPECT_EQ(ZEQ_SetEventStr(h_ + 1000, "0 SET16 , 1 , user16b0", 0), ZEQ_ERR_HANDLE);
}

}  // namespace
}  // namespace zeq::test
