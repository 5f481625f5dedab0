// Event instructions in text form. The line is parsed completely and every name resolved before
// anything is sent; the instruction is then encoded and loaded like the instruction exports do.
#include "text/event_text.h"

#include <string_view>

#include "text/param_table.h"
#include "text/text_tokens.h"
#include "zeqlink.h"

namespace zeq::link::text {
namespace {

using event::Form;

// Channel 31 exists on the card, but the text form stops at 30.
constexpr int64_t kMaxTextChannel = 30;
constexpr int kMaxOperands = 6;

bool is_comma(std::string_view token) {
    return token == ",";
}

// The instruction named `token` (either case; the immediate marker "I" also as "i"), or -1.
int find_mnemonic(std::string_view token) {
    for (int i = 0; i < event::kInstructionCount; ++i)
        if (equals_ignore_case(token, event::kInstructions[i].mnemonic)) return i;
    return -1;
}

// The condition 1..14 whose text is `token` (either case), or 0 when it names none.
int find_condition(std::string_view token) {
    for (int i = 1; i < event::kConditionCount; ++i)
        if (equals_ignore_case(token, event::kConditions[i].text)) return i;
    return 0;
}

int immediate_bits(Form form) {
    switch (form) {
        case Form::Imm16:
        case Form::Set16:
            return 16;
        case Form::Imm32:
        case Form::Set32:
            return 32;
        default:
            return 48;
    }
}

// Operand tokens separated by "," tokens, up to the end of the line.
bool split_operands(Tokens& tokens, std::string_view* out, int* count) {
    *count = 0;
    std::string_view token;
    for (;;) {
        if (*count == kMaxOperands || !tokens.next(&token) || is_comma(token)) return false;
        out[(*count)++] = token;
        if (!tokens.next(&token)) return true;
        if (!is_comma(token)) return false;
    }
}

// Reads operand `i` as a name, an axis or an immediate when present; an absent optional
// operand stays 0.
struct OperandReader {
    const std::string_view* ops;
    int count;

    bool name(int i, int* address) const {
        if (i >= count) return true;
        const TextParam* p = find_text_param(ops[i]);
        if (!p) return false;
        *address = p->address;
        return true;
    }
    bool axis(int i, int* axis) const { return i >= count || parse_axis(ops[i], axis); }
    bool immediate(int i, int bits, std::array<uint16_t, 3>* words) const {
        if (i >= count) return true;
        int64_t value = 0;
        if (!parse_decimal(ops[i], &value) || !fits_bits(value, bits)) return false;
        *words = event::immediate_operand(value);
        return true;
    }
    bool param(int i, std::array<uint16_t, 3>* words) const {
        int address = 0, ax = 0;
        if (!name(i, &address) || !axis(i + 1, &ax)) return false;
        *words = event::param_operand(address, ax);
        return true;
    }
};

}  // namespace

int parse_event_line(const char* text, EventRequest* req) {
    *req = EventRequest{};
    Tokens tokens(text);
    std::string_view token;
    int64_t channel = 0;
    if (!tokens.next(&token) || !parse_decimal(token, &channel) || channel < 0 ||
        channel > kMaxTextChannel)
        return ZEQ_ERR_ARGUMENT;
    req->channel = static_cast<int>(channel);

    // Either "condition , mnemonic ," or "mnemonic ,".
    if (!tokens.next(&token)) return ZEQ_ERR_ARGUMENT;
    req->condition = find_condition(token);
    if (req->condition != 0 && (!tokens.next(&token) || !is_comma(token) || !tokens.next(&token)))
        return ZEQ_ERR_ARGUMENT;
    req->type = find_mnemonic(token);
    if (req->type < 0) return ZEQ_ERR_ARGUMENT;
    if (!tokens.next(&token) || !is_comma(token)) return ZEQ_ERR_ARGUMENT;

    std::string_view ops[kMaxOperands];
    int n = 0;
    if (!split_operands(tokens, ops, &n)) return ZEQ_ERR_ARGUMENT;
    const OperandReader r{ops, n};
    const Form form = event::kInstructions[req->type].form;
    const int bits = immediate_bits(form);
    event::Operands& o = req->operands;
    bool ok = false;
    switch (form) {
        case Form::Param:  // op1, axis, op2 [, axis [, dest [, axis]]]
            ok = n >= 3 && r.name(0, &o.op1Address) && r.axis(1, &o.op1Axis) &&
                 r.param(2, &o.op2) && r.name(4, &o.destAddress) && r.axis(5, &o.destAxis);
            break;
        case Form::Imm16:
        case Form::Imm32:
        case Form::Imm48:  // op1, axis, immediate [, dest [, axis]]
            ok = n >= 3 && n <= 5 && r.name(0, &o.op1Address) && r.axis(1, &o.op1Axis) &&
                 r.immediate(2, bits, &o.op2) && r.name(3, &o.destAddress) &&
                 r.axis(4, &o.destAxis);
            break;
        case Form::Copy:  // source, axis [, dest [, axis]]
            ok = n >= 2 && n <= 4 && r.param(0, &o.op2) && r.name(2, &o.destAddress) &&
                 r.axis(3, &o.destAxis);
            break;
        case Form::Set16:
        case Form::Set32:
        case Form::Set48:  // immediate, dest [, axis]
            ok = n >= 2 && n <= 3 && r.immediate(0, bits, &o.op2) && r.name(1, &o.destAddress) &&
                 r.axis(2, &o.destAxis);
            break;
    }
    return ok ? ZEQ_OK : ZEQ_ERR_ARGUMENT;
}

}  // namespace zeq::link::text

int ZEQ_SetEventStr(ZEQ_HANDLE handle, const char* text, int selector) {
    zeq::link::text::EventRequest req;
    const int rc = zeq::link::text::parse_event_line(text, &req);
    if (rc != ZEQ_OK) return rc;
    return zeq::link::event::encode_and_load(handle, req.channel, req.type, req.condition,
                                             req.operands, selector);
}
