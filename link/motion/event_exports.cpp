// The event instruction exports: one per instruction, ZEQ_EventFun for the record form and
// ZEQ_EnableEvent. Each only fills the operands and hands them to the shared encoder.
#include "motion/event_encode.h"

namespace ev = zeq::link::event;

static_assert(sizeof(ZEQ_EVENT_INSTR) == 20, "the instruction record is 20 bytes");

namespace {

int param_form(ZEQ_HANDLE h, int channel, int condition, ev::Type type, int op1Address, int op1Axis,
               int op2Address, int op2Axis, int destAddress, int destAxis, int selector) {
    ev::Operands ops;
    ops.op1Address = op1Address;
    ops.op1Axis = op1Axis;
    ops.op2 = ev::param_operand(op2Address, op2Axis);
    ops.destAddress = destAddress;
    ops.destAxis = destAxis;
    return ev::encode_and_load(h, channel, type, condition, ops, selector);
}

int immediate_form(ZEQ_HANDLE h, int channel, int condition, ev::Type type, int op1Address,
                   int op1Axis, int64_t value, int destAddress, int destAxis, int selector) {
    ev::Operands ops;
    ops.op1Address = op1Address;
    ops.op1Axis = op1Axis;
    ops.op2 = ev::immediate_operand(value);
    ops.destAddress = destAddress;
    ops.destAxis = destAxis;
    return ev::encode_and_load(h, channel, type, condition, ops, selector);
}

int copy_form(ZEQ_HANDLE h, int channel, int condition, ev::Type type, int srcAddress, int srcAxis,
              int destAddress, int destAxis, int selector) {
    ev::Operands ops;
    ops.op2 = ev::param_operand(srcAddress, srcAxis);
    ops.destAddress = destAddress;
    ops.destAxis = destAxis;
    return ev::encode_and_load(h, channel, type, condition, ops, selector);
}

int set_form(ZEQ_HANDLE h, int channel, int condition, ev::Type type, int64_t value,
             int destAddress, int destAxis, int selector) {
    ev::Operands ops;
    ops.op2 = ev::immediate_operand(value);
    ops.destAddress = destAddress;
    ops.destAxis = destAxis;
    return ev::encode_and_load(h, channel, type, condition, ops, selector);
}

}  // namespace

// ---- Parameter operand ---------------------------------------------------------------------
#define ZEQ_PARAM_FORM(NAME, TYPE)                                                               \
    ZEQ_API int NAME(ZEQ_HANDLE h, int channel, int condition, int op1Address, int op1Axis,      \
                     int op2Address, int op2Axis, int destAddress, int destAxis, int selector) { \
        return param_form(h, channel, condition, TYPE, op1Address, op1Axis, op2Address, op2Axis, \
                          destAddress, destAxis, selector);                                      \
    }
ZEQ_PARAM_FORM(ZEQ_ADD32, ev::kAdd32)
ZEQ_PARAM_FORM(ZEQ_ADD48, ev::kAdd48)
ZEQ_PARAM_FORM(ZEQ_CMP32, ev::kCmp32)
ZEQ_PARAM_FORM(ZEQ_CMP48, ev::kCmp48)
ZEQ_PARAM_FORM(ZEQ_SCA32, ev::kSca32)
ZEQ_PARAM_FORM(ZEQ_SCA48, ev::kSca48)
ZEQ_PARAM_FORM(ZEQ_MUL32L, ev::kMul32L)
ZEQ_PARAM_FORM(ZEQ_MUL32A, ev::kMul32A)
ZEQ_PARAM_FORM(ZEQ_OR16, ev::kOr16)
ZEQ_PARAM_FORM(ZEQ_OR16B, ev::kOr16B)
ZEQ_PARAM_FORM(ZEQ_AND16, ev::kAnd16)
ZEQ_PARAM_FORM(ZEQ_AND16B, ev::kAnd16B)
ZEQ_PARAM_FORM(ZEQ_XOR16, ev::kXor16)
ZEQ_PARAM_FORM(ZEQ_XOR16B, ev::kXor16B)
#undef ZEQ_PARAM_FORM

// ---- Immediate operand (16, 32 and 48 bits) ------------------------------------------------
#define ZEQ_IMMEDIATE_FORM(NAME, TYPE, VALUE_T)                                             \
    ZEQ_API int NAME(ZEQ_HANDLE h, int channel, int condition, int op1Address, int op1Axis, \
                     VALUE_T value, int destAddress, int destAxis, int selector) {          \
        return immediate_form(h, channel, condition, TYPE, op1Address, op1Axis, value,      \
                              destAddress, destAxis, selector);                             \
    }
ZEQ_IMMEDIATE_FORM(ZEQ_OR16i, ev::kOr16I, int)
ZEQ_IMMEDIATE_FORM(ZEQ_OR16iB, ev::kOr16IB, int)
ZEQ_IMMEDIATE_FORM(ZEQ_AND16i, ev::kAnd16I, int)
ZEQ_IMMEDIATE_FORM(ZEQ_AND16iB, ev::kAnd16IB, int)
ZEQ_IMMEDIATE_FORM(ZEQ_XOR16i, ev::kXor16I, int)
ZEQ_IMMEDIATE_FORM(ZEQ_XOR16iB, ev::kXor16IB, int)
ZEQ_IMMEDIATE_FORM(ZEQ_ADD32i, ev::kAdd32I, int)
ZEQ_IMMEDIATE_FORM(ZEQ_CMP32i, ev::kCmp32I, int)
ZEQ_IMMEDIATE_FORM(ZEQ_MUL32iL, ev::kMul32IL, int)
ZEQ_IMMEDIATE_FORM(ZEQ_MUL32iA, ev::kMul32IA, int)
ZEQ_IMMEDIATE_FORM(ZEQ_ADD48i, ev::kAdd48I, int64_t)
ZEQ_IMMEDIATE_FORM(ZEQ_CMP48i, ev::kCmp48I, int64_t)
ZEQ_IMMEDIATE_FORM(ZEQ_SCA32i, ev::kSca32I, int64_t)
ZEQ_IMMEDIATE_FORM(ZEQ_SCA48i, ev::kSca48I, int64_t)
#undef ZEQ_IMMEDIATE_FORM

// ---- Copy and set --------------------------------------------------------------------------
ZEQ_API int ZEQ_COP16(ZEQ_HANDLE h, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector) {
    return copy_form(h, channel, condition, ev::kCop16, srcAddress, srcAxis, destAddress, destAxis,
                     selector);
}
ZEQ_API int ZEQ_COP32(ZEQ_HANDLE h, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector) {
    return copy_form(h, channel, condition, ev::kCop32, srcAddress, srcAxis, destAddress, destAxis,
                     selector);
}
ZEQ_API int ZEQ_COP48(ZEQ_HANDLE h, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector) {
    return copy_form(h, channel, condition, ev::kCop48, srcAddress, srcAxis, destAddress, destAxis,
                     selector);
}
ZEQ_API int ZEQ_SET16(ZEQ_HANDLE h, int channel, int condition, int value, int destAddress,
                      int destAxis, int selector) {
    return set_form(h, channel, condition, ev::kSet16, value, destAddress, destAxis, selector);
}
ZEQ_API int ZEQ_SET32(ZEQ_HANDLE h, int channel, int condition, int value, int destAddress,
                      int destAxis, int selector) {
    return set_form(h, channel, condition, ev::kSet32, value, destAddress, destAxis, selector);
}
ZEQ_API int ZEQ_SET48(ZEQ_HANDLE h, int channel, int condition, int64_t value, int destAddress,
                      int destAxis, int selector) {
    return set_form(h, channel, condition, ev::kSet48, value, destAddress, destAxis, selector);
}

// ---- Record form and channel enable --------------------------------------------------------
ZEQ_API int ZEQ_EventFun(ZEQ_HANDLE h, int channel, const ZEQ_EVENT_INSTR* instr, int selector) {
    if (instr == nullptr) return ZEQ_ERR_ARGUMENT;
    // The record is checked field by field before anything is encoded: operand 1 axis,
    // destination axis, condition, type; then the channel like every instruction export.
    if (instr->op1Axis < 0 || instr->op1Axis > ev::kMaxOperandAxis) return ZEQ_ERR_ARGUMENT;
    if (instr->destAxis < 0 || instr->destAxis > ev::kMaxOperandAxis) return ZEQ_ERR_ARGUMENT;
    if (instr->condition < 0 || instr->condition >= ev::kConditionCount) return ZEQ_ERR_ARGUMENT;
    if (instr->type < 0 || instr->type >= ev::kInstructionCount) return ZEQ_ERR_ARGUMENT;
    ev::Operands ops;
    ops.op1Address = instr->op1Address;
    ops.op1Axis = instr->op1Axis;
    ops.op2 = {instr->op2[0], instr->op2[1], instr->op2[2]};  // the fourth word is not used
    ops.destAddress = instr->destAddress;
    ops.destAxis = instr->destAxis;
    return ev::encode_and_load(h, channel, instr->type, instr->condition, ops, selector);
}

ZEQ_API int ZEQ_EnableEvent(ZEQ_HANDLE h, int channel, int selector) {
    if (channel < 0 || channel >= ev::kChannelCount) return ZEQ_ERR_ARGUMENT;
    return ZEQ_SetParam16(h, ev::kAddrEvents, channel, 0, selector);
}
