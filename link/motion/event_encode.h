// Event instructions: the eight-word encoding that the card's event channels execute, and the
// load sequence that puts one instruction into a channel. Shared by the ZEQ_ADD32 … ZEQ_XOR16iB
// exports, ZEQ_EventFun and the text form of the instructions.
//
// Word layout of one instruction:
//   W0      instruction code | condition mask
//   W1, W2  operand 1: parameter address, axis (0..15); both 0 for the copy and set forms
//   W3..W5  operand 2: parameter address, axis, 0 — or an immediate, low word first
//   W6, W7  destination: parameter address, axis (0..15)
// Loading: `eventid` (549) ← channel, then the four 32-bit `eventbase` words at 568, 570, 572,
// 574 holding W0|W1<<16, W2|W3<<16, W4|W5<<16, W6|W7<<16, all on axis 0.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "card/registers.h"
#include "zeqlink.h"

namespace zeq::link::event {

constexpr int kChannelCount = 32;         // channels 0..31
constexpr int kConditionCount = 15;       // conditions 0..14
constexpr int kInstructionCount = 34;     // instruction types 0..33
constexpr int kMaxOperandAxis = 15;       // W2 and W7 must lie in 0..15
constexpr int kMaxOperandAddress = 1023;  // parameter operands W1, W3 (param forms), W6

constexpr int kAddrEventId = card::reg::eventid;
constexpr std::array<int, card::reg::kEventBaseWords> kAddrEventBase = {
    card::reg::eventbase, card::reg::eventbase + 2, card::reg::eventbase + 4,
    card::reg::eventbase + 6};
constexpr int kAddrEvents = card::reg::events;

// How operand 2 (W3..W5) is filled, and whether operand 1 is present.
enum class Form : uint8_t {
    Param,  // operand 2 = parameter address, axis
    Imm16,  // operand 2 = 16-bit immediate (W3)
    Imm32,  // operand 2 = 32-bit immediate (W3, W4)
    Imm48,  // operand 2 = 48-bit immediate (W3, W4, W5)
    Copy,   // no operand 1; operand 2 = source parameter address, axis
    Set16,  // no operand 1; 16-bit immediate
    Set32,  // no operand 1; 32-bit immediate
    Set48,  // no operand 1; 48-bit immediate
};

// Instruction types: the index into kInstructions and the type field of ZEQ_EVENT_INSTR.
// clang-format off
enum Type : int {
    kAdd32, kAdd32I, kAdd48, kAdd48I, kCmp32, kCmp32I, kCmp48, kCmp48I, kSca32, kSca32I,
    kSca48, kSca48I, kMul32L, kMul32IL, kMul32A, kMul32IA, kCop16, kCop32, kCop48, kSet16,
    kSet32, kSet48, kOr16, kOr16I, kOr16B, kOr16IB, kAnd16, kAnd16I, kAnd16B, kAnd16IB,
    kXor16, kXor16I, kXor16B, kXor16IB,
};
// clang-format on
static_assert(kXor16IB + 1 == kInstructionCount);

struct InstructionInfo {
    std::string_view mnemonic;  // the instruction's name in text form, e.g. "ADD32I"
    uint16_t code;              // ORed into W0
    Form form;
};

// Indexed by the instruction type 0..33 (the type field of ZEQ_EVENT_INSTR).
extern const std::array<InstructionInfo, kInstructionCount> kInstructions;

struct ConditionInfo {
    std::string_view text;  // text form ("" for condition 0, which always executes)
    uint16_t mask;          // ORed into W0
};

// Indexed by the condition number 0..14. "@NC" shares its mask with "@GE", "IFNC" with "IFGE".
extern const std::array<ConditionInfo, kConditionCount> kConditions;

// Lookups by text (exact, case-sensitive as the tables spell them); -1 when unknown.
int find_instruction(std::string_view mnemonic);
int find_condition(std::string_view text);

// The operands of one instruction before encoding. op2 holds W3..W5 as given; the form of the
// instruction decides which of them are kept (the rest become 0).
struct Operands {
    int op1Address = 0;
    int op1Axis = 0;
    std::array<uint16_t, 3> op2 = {0, 0, 0};
    int destAddress = 0;
    int destAxis = 0;
};

// Operand 2 as a parameter (address, axis) or as an immediate (low 48 bits, low word first).
std::array<uint16_t, 3> param_operand(int address, int axis);
std::array<uint16_t, 3> immediate_operand(int64_t value);

using Words = std::array<uint16_t, 8>;

// Encodes instruction `type` (0..33) under `condition` (0..14). ZEQ_ERR_ARGUMENT for an unknown
// type or condition, or when W2 or W7 (as 16-bit signed values) lie outside 0..15.
int encode(int type, int condition, const Operands& ops, Words* out);

// True when the channel, taken as the signed low 16 bits, lies in 0..31.
bool channel_valid(int channel);

// Writes `eventid` and the four `eventbase` words through `selector`; stops at the first failed
// write and returns its code (ZEQ_ERR_HANDLE for an unknown handle). ZEQ_ERR_ARGUMENT for a bad
// channel, before anything is sent.
int load(ZEQ_HANDLE handle, int channel, const Words& words, int selector);

// Checks channel and condition (ZEQ_ERR_ARGUMENT), encodes and loads: the whole path of one
// instruction export.
int encode_and_load(ZEQ_HANDLE handle, int channel, int type, int condition, const Operands& ops,
                    int selector);

}  // namespace zeq::link::event
