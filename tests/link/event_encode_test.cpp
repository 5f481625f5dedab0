// The event instruction encoder on its own: codes, condition masks, operand forms and the axis
// checks, without a card.
#include "motion/event_encode.h"

#include <gtest/gtest.h>

#include <set>

namespace zeq::link::event {
namespace {

TEST(EventEncode, Add32ExampleGivesTheDocumentedWords) {
    Operands ops;
    ops.op1Address = 10;
    ops.op1Axis = 0;
    ops.op2 = param_operand(33, 1);
    ops.destAddress = 317;
    ops.destAxis = 2;
    Words w{};
    ASSERT_EQ(encode(kAdd32, 0, ops, &w), ZEQ_OK);
    EXPECT_EQ(w, (Words{0x8000, 10, 0, 33, 1, 0, 317, 2}));
}

TEST(EventEncode, Set32UnderIfzKeepsTwoImmediateWordsAndNoOperand1) {
    Operands ops;
    ops.op1Address = 99;  // absent in the set form: must not leak into W1/W2
    ops.op1Axis = 3;
    ops.op2 = immediate_operand(0x12345678);
    ops.destAddress = 317;
    Words w{};
    ASSERT_EQ(encode(kSet32, find_condition("IFZ"), ops, &w), ZEQ_OK);
    EXPECT_EQ(w, (Words{0x3606, 0, 0, 0x5678, 0x1234, 0, 317, 0}));
}

struct FormCase {
    int type;
    int64_t value;
    std::array<uint16_t, 3> op2;  // expected W3..W5
};

class EventOperandForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(EventOperandForms, KeepOnlyTheWordsOfTheForm) {
    const FormCase& c = GetParam();
    Operands ops;
    ops.op2 = immediate_operand(c.value);
    Words w{};
    ASSERT_EQ(encode(c.type, 0, ops, &w), ZEQ_OK);
    EXPECT_EQ(w[3], c.op2[0]);
    EXPECT_EQ(w[4], c.op2[1]);
    EXPECT_EQ(w[5], c.op2[2]);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EventOperandForms,
    ::testing::Values(FormCase{kOr16I, 0x123456789ALL, {0x789A, 0, 0}},
                      FormCase{kSet16, -1, {0xFFFF, 0, 0}},
                      FormCase{kAdd32I, 0x123456789ALL, {0x789A, 0x3456, 0}},
                      FormCase{kMul32IA, -2, {0xFFFE, 0xFFFF, 0}},
                      FormCase{kSca32I, 0x123456789ALL, {0x789A, 0x3456, 0x0012}},
                      FormCase{kSet48, -1, {0xFFFF, 0xFFFF, 0xFFFF}},
                      FormCase{kCop48, 0x0002007BLL, {0x007B, 0x0002, 0}},  // address 123, axis 2
                      FormCase{kXor16B, 0x000300C8LL, {0x00C8, 0x0003, 0}}));

TEST(EventEncode, InstructionTableMatchesCodesAndMnemonics) {
    const std::pair<const char*, uint16_t> expected[kInstructionCount] = {
        {"ADD32", 0x0000},  {"ADD32I", 0x0400},  {"ADD48", 0x0004},  {"ADD48I", 0x0404},
        {"CMP32", 0x1000},  {"CMP32I", 0x1400},  {"CMP48", 0x1004},  {"CMP48I", 0x1404},
        {"SCA32", 0x2000},  {"SCA32I", 0x2400},  {"SCA48", 0x2004},  {"SCA48I", 0x2404},
        {"MUL32L", 0x2008}, {"MUL32IL", 0x2408}, {"MUL32A", 0x200C}, {"MUL32IA", 0x240C},
        {"COP16", 0x3000},  {"COP32", 0x3004},   {"COP48", 0x3008},  {"SET16", 0x3400},
        {"SET32", 0x3404},  {"SET48", 0x3408},   {"OR16", 0x4000},   {"OR16I", 0x4400},
        {"OR16B", 0x4008},  {"OR16IB", 0x4408},  {"AND16", 0x6000},  {"AND16I", 0x6400},
        {"AND16B", 0x6008}, {"AND16IB", 0x6408}, {"XOR16", 0x7000},  {"XOR16I", 0x7400},
        {"XOR16B", 0x7008}, {"XOR16IB", 0x7408},
    };
    std::set<uint16_t> codes;
    for (int i = 0; i < kInstructionCount; ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(kInstructions[i].mnemonic, expected[i].first);
        EXPECT_EQ(kInstructions[i].code, expected[i].second);
        EXPECT_EQ(find_instruction(expected[i].first), i);
        codes.insert(kInstructions[i].code);
    }
    EXPECT_EQ(codes.size(), static_cast<size_t>(kInstructionCount)) << "codes are distinct";
    EXPECT_EQ(find_instruction("ADD64"), -1);
    EXPECT_EQ(find_instruction(""), -1);
}

TEST(EventEncode, ConditionMasksAndTexts) {
    const std::pair<const char*, uint16_t> expected[kConditionCount] = {
        {"", 0x8000},    {"@Z", 0x0A02},   {"@NZ", 0x0A00}, {"@G", 0x0B00},  {"@GE", 0x0900},
        {"@L", 0x0B01},  {"@C", 0x0901},   {"@NC", 0x0900}, {"IFZ", 0x0202}, {"IFNZ", 0x0200},
        {"IFG", 0x0300}, {"IFGE", 0x0100}, {"IFL", 0x0301}, {"IFC", 0x0101}, {"IFNC", 0x0100},
    };
    for (int i = 0; i < kConditionCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(kConditions[i].mask, expected[i].second);
        Words w{};
        ASSERT_EQ(encode(kXor16, i, Operands{}, &w), ZEQ_OK);
        EXPECT_EQ(w[0], 0x7000 | expected[i].second);
        if (i > 0) {
            EXPECT_EQ(find_condition(expected[i].first), i);
        }
    }
    EXPECT_EQ(find_condition(""), -1);
    EXPECT_EQ(find_condition("@X"), -1);
}

TEST(EventEncode, RefusesBadTypeConditionAndAxes) {
    Words w{};
    Operands ops;
    EXPECT_EQ(encode(-1, 0, ops, &w), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(encode(kInstructionCount, 0, ops, &w), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(encode(kAdd32, 15, ops, &w), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(encode(kAdd32, -1, ops, &w), ZEQ_ERR_ARGUMENT);
    ops.destAxis = 16;
    EXPECT_EQ(encode(kAdd32, 0, ops, &w), ZEQ_ERR_ARGUMENT);
    ops.destAxis = 15;
    EXPECT_EQ(encode(kAdd32, 0, ops, &w), ZEQ_OK);
    ops.op1Axis = -1;
    EXPECT_EQ(encode(kAdd32, 0, ops, &w), ZEQ_ERR_ARGUMENT);
    EXPECT_EQ(encode(kCop32, 0, ops, &w), ZEQ_OK) << "no operand 1 in the copy form";
    ops.op1Axis = 0;
    ops.op2 = param_operand(4, 16);  // operand-2 axis is the card's business
    EXPECT_EQ(encode(kAdd32, 0, ops, &w), ZEQ_OK);
}

TEST(EventEncode, ChannelIsTheSignedLow16Bits) {
    EXPECT_TRUE(channel_valid(0));
    EXPECT_TRUE(channel_valid(31));
    EXPECT_FALSE(channel_valid(32));
    EXPECT_FALSE(channel_valid(-1));
    EXPECT_TRUE(channel_valid(0x10003));
    EXPECT_FALSE(channel_valid(0xFFFF));
}

}  // namespace
}  // namespace zeq::link::event
