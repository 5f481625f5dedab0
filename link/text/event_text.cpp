// Event instructions in text form: "channel [condition ,] mnemonic , operands". The line is
// parsed completely and every name resolved before anything is sent; the instruction is then
// loaded by the event-instruction exports.
#include <string_view>

#include "text/event_names.h"
#include "text/event_text.h"
#include "text/param_table.h"
#include "text/text_tokens.h"
#include "zeqlink.h"

namespace zeq::link::text {
namespace {

// Channel 31 exists on the card, but the text form stops at 30.
constexpr int64_t kMaxTextChannel = 30;
constexpr int kMaxOperands = 6;

bool is_comma(std::string_view token) { return token == ","; }

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

bool resolve_name(std::string_view token, int* address) {
    const TextParam* p = find_text_param(token);
    if (!p) return false;
    *address = p->address;
    return true;
}

// Reads the operand at `i` as a name / axis / immediate when it is present; absent optional
// operands stay 0.
struct OperandReader {
    const std::string_view* ops;
    int count;
    bool name(int i, int* address) const { return i >= count || resolve_name(ops[i], address); }
    bool axis(int i, int* axis) const { return i >= count || parse_axis(ops[i], axis); }
    bool immediate(int i, int bits, int64_t* value) const {
        return i >= count || (parse_decimal(ops[i], value) && fits_bits(*value, bits));
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

    if (!tokens.next(&token)) return ZEQ_ERR_ARGUMENT;
    req->condition = find_event_condition(token);
    if (req->condition != 0) {
        if (!tokens.next(&token) || !is_comma(token) || !tokens.next(&token))
            return ZEQ_ERR_ARGUMENT;
    }
    const EventMnemonic* m = find_event_mnemonic(token);
    if (!m) return ZEQ_ERR_ARGUMENT;
    req->type = m->type;
    req->form = m->form;
    if (!tokens.next(&token) || !is_comma(token)) return ZEQ_ERR_ARGUMENT;

    std::string_view ops[kMaxOperands];
    int n = 0;
    if (!split_operands(tokens, ops, &n)) return ZEQ_ERR_ARGUMENT;
    const OperandReader r{ops, n};
    bool ok = false;
    switch (m->form) {
    case EventForm::Parameter:
        ok = n >= 3 && r.name(0, &req->op1Address) && r.axis(1, &req->op1Axis) &&
             r.name(2, &req->op2Address) && r.axis(3, &req->op2Axis) &&
             r.name(4, &req->destAddress) && r.axis(5, &req->destAxis);
        break;
    case EventForm::Immediate:
        ok = n >= 3 && n <= 5 && r.name(0, &req->op1Address) && r.axis(1, &req->op1Axis) &&
             r.immediate(2, m->immediateBits, &req->immediate) &&
             r.name(3, &req->destAddress) && r.axis(4, &req->destAxis);
        break;
    case EventForm::Copy:
        ok = n >= 2 && n <= 4 && r.name(0, &req->op2Address) && r.axis(1, &req->op2Axis) &&
             r.name(2, &req->destAddress) && r.axis(3, &req->destAxis);
        break;
    case EventForm::Set:
        ok = n >= 2 && n <= 3 && r.immediate(0, m->immediateBits, &req->immediate) &&
             r.name(1, &req->destAddress) && r.axis(2, &req->destAxis);
        break;
    }
    return ok ? ZEQ_OK : ZEQ_ERR_ARGUMENT;
}

}  // namespace zeq::link::text

int ZEQ_SetEventStr(ZEQ_HANDLE handle, const char* text, int selector) {
    zeq::link::text::EventRequest req;
    const int rc = zeq::link::text::parse_event_line(text, &req);
    if (rc != ZEQ_OK) return rc;
    return zeq::link::text::load_event_request(handle, req, selector);
}
