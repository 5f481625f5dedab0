// Encoding and loading of event instructions (see event_encode.h for the word layout).
#include "motion/event_encode.h"

namespace zeq::link::event {

const std::array<InstructionInfo, kInstructionCount> kInstructions = {{
    {"ADD32", 0x0000, Form::Param},    // 0
    {"ADD32I", 0x0400, Form::Imm32},   // 1
    {"ADD48", 0x0004, Form::Param},    // 2
    {"ADD48I", 0x0404, Form::Imm48},   // 3
    {"CMP32", 0x1000, Form::Param},    // 4
    {"CMP32I", 0x1400, Form::Imm32},   // 5
    {"CMP48", 0x1004, Form::Param},    // 6
    {"CMP48I", 0x1404, Form::Imm48},   // 7
    {"SCA32", 0x2000, Form::Param},    // 8
    {"SCA32I", 0x2400, Form::Imm48},   // 9: the scale factor is 48 bits even for SCA32
    {"SCA48", 0x2004, Form::Param},    // 10
    {"SCA48I", 0x2404, Form::Imm48},   // 11
    {"MUL32L", 0x2008, Form::Param},   // 12
    {"MUL32IL", 0x2408, Form::Imm32},  // 13
    {"MUL32A", 0x200C, Form::Param},   // 14
    {"MUL32IA", 0x240C, Form::Imm32},  // 15
    {"COP16", 0x3000, Form::Copy},     // 16
    {"COP32", 0x3004, Form::Copy},     // 17
    {"COP48", 0x3008, Form::Copy},     // 18
    {"SET16", 0x3400, Form::Set16},    // 19
    {"SET32", 0x3404, Form::Set32},    // 20
    {"SET48", 0x3408, Form::Set48},    // 21
    {"OR16", 0x4000, Form::Param},     // 22
    {"OR16I", 0x4400, Form::Imm16},    // 23
    {"OR16B", 0x4008, Form::Param},    // 24
    {"OR16IB", 0x4408, Form::Imm16},   // 25
    {"AND16", 0x6000, Form::Param},    // 26
    {"AND16I", 0x6400, Form::Imm16},   // 27
    {"AND16B", 0x6008, Form::Param},   // 28
    {"AND16IB", 0x6408, Form::Imm16},  // 29
    {"XOR16", 0x7000, Form::Param},    // 30
    {"XOR16I", 0x7400, Form::Imm16},   // 31
    {"XOR16B", 0x7008, Form::Param},   // 32
    {"XOR16IB", 0x7408, Form::Imm16},  // 33
}};

const std::array<ConditionInfo, kConditionCount> kConditions = {{
    {"", 0x8000},      // 0: always
    {"@Z", 0x0A02},    // 1
    {"@NZ", 0x0A00},   // 2
    {"@G", 0x0B00},    // 3
    {"@GE", 0x0900},   // 4
    {"@L", 0x0B01},    // 5
    {"@C", 0x0901},    // 6
    {"@NC", 0x0900},   // 7
    {"IFZ", 0x0202},   // 8
    {"IFNZ", 0x0200},  // 9
    {"IFG", 0x0300},   // 10
    {"IFGE", 0x0100},  // 11
    {"IFL", 0x0301},   // 12
    {"IFC", 0x0101},   // 13
    {"IFNC", 0x0100},  // 14
}};

int find_instruction(std::string_view mnemonic) {
    for (int i = 0; i < kInstructionCount; ++i) {
        if (kInstructions[i].mnemonic == mnemonic) return i;
    }
    return -1;
}

int find_condition(std::string_view text) {
    if (text.empty()) return -1;  // condition 0 has no text of its own
    for (int i = 1; i < kConditionCount; ++i) {
        if (kConditions[i].text == text) return i;
    }
    return -1;
}

std::array<uint16_t, 3> param_operand(int address, int axis) {
    return {static_cast<uint16_t>(address), static_cast<uint16_t>(axis), 0};
}

std::array<uint16_t, 3> immediate_operand(int64_t value) {
    const auto v = static_cast<uint64_t>(value);
    return {static_cast<uint16_t>(v), static_cast<uint16_t>(v >> 16),
            static_cast<uint16_t>(v >> 32)};
}

namespace {

bool axis_word_valid(uint16_t word) {
    const auto axis = static_cast<int16_t>(word);
    return axis >= 0 && axis <= kMaxOperandAxis;
}

// How many words of operand 2 an instruction form keeps.
int operand2_words(Form form) {
    switch (form) {
        case Form::Imm16:
        case Form::Set16:
            return 1;
        case Form::Param:
        case Form::Copy:
        case Form::Imm32:
        case Form::Set32:
            return 2;
        case Form::Imm48:
        case Form::Set48:
            return 3;
    }
    return 0;
}

bool has_operand1(Form form) {
    return form != Form::Copy && form != Form::Set16 && form != Form::Set32 && form != Form::Set48;
}

}  // namespace

int encode(int type, int condition, const Operands& ops, Words* out) {
    if (type < 0 || type >= kInstructionCount) return ZEQ_ERR_ARGUMENT;
    if (condition < 0 || condition >= kConditionCount) return ZEQ_ERR_ARGUMENT;
    const InstructionInfo& info = kInstructions[type];
    Words w{};
    w[0] = static_cast<uint16_t>(info.code | kConditions[condition].mask);
    if (has_operand1(info.form)) {
        w[1] = static_cast<uint16_t>(ops.op1Address);
        w[2] = static_cast<uint16_t>(ops.op1Axis);
    }
    const int n = operand2_words(info.form);
    for (int i = 0; i < n; ++i) w[3 + i] = ops.op2[i];
    w[6] = static_cast<uint16_t>(ops.destAddress);
    w[7] = static_cast<uint16_t>(ops.destAxis);
    if (!axis_word_valid(w[2]) || !axis_word_valid(w[7])) return ZEQ_ERR_ARGUMENT;
    // Parameter operands name registers 0..1023 like every other parameter address.
    auto addressValid = [](int a) { return a >= 0 && a <= kMaxOperandAddress; };
    if (has_operand1(info.form) && !addressValid(ops.op1Address)) return ZEQ_ERR_ARGUMENT;
    if ((info.form == Form::Param || info.form == Form::Copy) && !addressValid(ops.op2[0]))
        return ZEQ_ERR_ARGUMENT;
    if (!addressValid(ops.destAddress)) return ZEQ_ERR_ARGUMENT;
    *out = w;
    return ZEQ_OK;
}

bool channel_valid(int channel) {
    const auto c = static_cast<int16_t>(channel);
    return c >= 0 && c < kChannelCount;
}

int load(ZEQ_HANDLE handle, int channel, const Words& w, int selector) {
    if (!channel_valid(channel)) return ZEQ_ERR_ARGUMENT;
    int rc = ZEQ_SetParam16(handle, kAddrEventId, channel, 0, selector);
    if (rc != ZEQ_OK) return rc;
    for (int i = 0; i < 4; ++i) {
        const uint32_t pair =
            static_cast<uint32_t>(w[2 * i]) | (static_cast<uint32_t>(w[2 * i + 1]) << 16);
        rc = ZEQ_SetParam32(handle, kAddrEventBase[i], static_cast<int32_t>(pair), 0, selector);
        if (rc != ZEQ_OK) return rc;
    }
    return ZEQ_OK;
}

int encode_and_load(ZEQ_HANDLE handle, int channel, int type, int condition, const Operands& ops,
                    int selector) {
    if (condition < 0 || condition >= kConditionCount) return ZEQ_ERR_ARGUMENT;
    if (!channel_valid(channel)) return ZEQ_ERR_ARGUMENT;
    Words w{};
    const int rc = encode(type, condition, ops, &w);
    if (rc != ZEQ_OK) return rc;
    return load(handle, channel, w, selector);
}

}  // namespace zeq::link::event
