// Event instruction lines ("CHANNEL [,] [COND] [,] MNEMONIC ARGS") and the PathEvent block.
#include <cstring>
#include <string>
#include <vector>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"

namespace zeq::desk {
namespace {

// Condition numbers the device functions take (@NC and IFNC share the codes of @GE and IFGE).
int conditionNumber(int code) {
    switch (code) {
        case rt::CondZ:
            return 1;
        case rt::CondNZ:
            return 2;
        case rt::CondG:
            return 3;
        case rt::CondGE:
            return 4;
        case rt::CondL:
            return 5;
        case rt::CondC:
            return 6;
        case rt::IfZ:
            return 8;
        case rt::IfNZ:
            return 9;
        case rt::IfG:
            return 10;
        case rt::IfGE:
            return 11;
        case rt::IfL:
            return 12;
        case rt::IfC:
            return 13;
        default:
            return 0;
    }
}

enum class EventForm { TwoOperands, Immediate32, Immediate64, Copy, Set32, Set64 };

EventForm formOf(int code) {
    switch (code) {
        case rt::ADD32i:
        case rt::CMP32i:
        case rt::MUL32iL:
        case rt::MUL32iA:
        case rt::OR16i:
        case rt::OR16iB:
        case rt::AND16i:
        case rt::AND16iB:
        case rt::XOR16i:
        case rt::XOR16iB:
            return EventForm::Immediate32;
        case rt::ADD48i:
        case rt::CMP48i:
        case rt::SCA32i:
        case rt::SCA48i:
            return EventForm::Immediate64;
        case rt::COP16:
        case rt::COP32:
        case rt::COP48:
            return EventForm::Copy;
        case rt::SET16:
        case rt::SET32:
            return EventForm::Set32;
        case rt::SET48:
            return EventForm::Set64;
        default:
            return EventForm::TwoOperands;
    }
}

// Required and optional argument kinds of each form (p parameter, i integer, L 64-bit).
void kindsOf(EventForm form, const char*& required, const char*& optional) {
    switch (form) {
        case EventForm::TwoOperands:
            required = "pip";
            optional = "ipi";
            break;
        case EventForm::Immediate32:
            required = "pii";
            optional = "pi";
            break;
        case EventForm::Immediate64:
            required = "piL";
            optional = "pi";
            break;
        case EventForm::Copy:
            required = "pip";
            optional = "i";
            break;
        case EventForm::Set32:
            required = "ip";
            optional = "i";
            break;
        case EventForm::Set64:
            required = "Lp";
            optional = "i";
            break;
    }
}

#pragma pack(push, 1)
struct EventRecord {
    std::int16_t type;
    std::int16_t condition;
    std::int16_t op1Address;
    std::int16_t op1Axis;
    std::int16_t op2[4];
    std::int16_t destAddress;
    std::int16_t destAxis;
    std::int16_t unused[2];
};
#pragma pack(pop)
static_assert(sizeof(EventRecord) == 24);

}  // namespace

// Reads "[@COND | IFxx]"; returns the condition number (0 when none).
int ScriptInterpreter::readCondition() {
    if (token == '@') {
        advance();
        std::string word = "@";
        word += tokenText;
        int code = rt::lookupKeyword(word);
        if (!rt::isEventCondition(code)) {
            reportError(msg::kNoHandler, word, 0);
            finished = true;
            return 0;
        }
        advance();
        return conditionNumber(code);
    }
    if (rt::isEventCondition(token)) {
        int number = conditionNumber(token);
        advance();
        return number;
    }
    return 0;
}

// Reads the operands of an event mnemonic (the mnemonic is the current token) into `values`
// (all 0 when omitted). False when the run ends.
bool ScriptInterpreter::readEventOperands(int mnemonic, std::int64_t (&values)[6], int& count) {
    const char* required = "";
    const char* optional = "";
    kindsOf(formOf(mnemonic), required, optional);
    advance();
    for (auto& v : values) v = 0;
    count = 0;
    auto readOne = [&](char kind) -> bool {
        if (kind == 'p') {
            if (!readParamName()) return false;
            values[count++] = paramRecord.row.address;
            return true;
        }
        double v = evaluate();
        if (finished) return false;
        values[count++] = kind == 'L' ? static_cast<std::int64_t>(v)
                                      : static_cast<std::int32_t>(static_cast<std::int64_t>(v));
        return true;
    };
    for (const char* k = required; *k; ++k) {
        if (token == ',') advance();
        if (!readOne(*k)) return false;
    }
    for (const char* k = optional; *k; ++k) {
        if (token == ',') advance();
        if (atEnd() || token == rt::EndOfText) break;
        if (!readOne(*k)) return false;
    }
    count = static_cast<int>(std::strlen(required) + std::strlen(optional));
    return true;
}

// CHANNEL [,] [COND] [,] MNEMONIC operands
void ScriptInterpreter::eventStatement() {
    const int channel = tokenValue;
    advance();
    if (token == ',') advance();
    const int condition = readCondition();
    if (finished) return;
    if (token == ',') advance();
    if (!rt::isEventMnemonic(token)) return;  // the rest of the line runs as a statement
    const int mnemonic = token;
    std::int64_t values[6];
    int count = 0;
    if (!readEventOperands(mnemonic, values, count)) return;
    std::vector<DeviceArg> args;
    args.push_back(DeviceArg::integer(channel));
    args.push_back(DeviceArg::integer(condition));
    for (int i = 0; i < count; ++i) args.push_back(DeviceArg::integer(values[i]));
    DeviceOut out;
    const int fifo = fifoSelector();
    reportStatus(withRetry([&] { return m_port.builtin(mnemonic, handle(), args, fifo, out); }));
}

// PathEvent, lines of "[COND] MNEMONIC operands", EndPathEvent
void ScriptInterpreter::pathEventBlock() {
    constexpr int kRoom = 32;
    EventRecord records[kRoom];
    std::memset(records, 0, sizeof records);
    int count = 0;
    advance();
    while (token != rt::EndPathEvent) {
        if (token == rt::EndOfText) {
            reportError(msg::kNoHandler, "PathEvent", 0);
            finished = true;
            return;
        }
        if (token == rt::EndOfLine) {
            advance();
            continue;
        }
        m_stmtLine = lineNo;
        const int condition = readCondition();
        if (finished) return;
        if (token == ',') advance();
        if (!rt::isEventMnemonic(token)) {
            reportError(msg::kNoHandler, tokenText, 0);
            finished = true;
            return;
        }
        if (count >= kRoom) {
            reportError(msg::kTooManyValues);
            finished = true;
            return;
        }
        const int mnemonic = token;
        std::int64_t v[6];
        int n = 0;
        if (!readEventOperands(mnemonic, v, n)) return;
        EventRecord& r = records[count++];
        r.type = static_cast<std::int16_t>(mnemonic - rt::ADD32);
        r.condition = static_cast<std::int16_t>(condition);
        auto put64 = [&](std::int64_t value) {
            for (int w = 0; w < 4; ++w) r.op2[w] = static_cast<std::int16_t>(value >> (16 * w));
        };
        switch (formOf(mnemonic)) {
            case EventForm::TwoOperands:
                r.op1Address = static_cast<std::int16_t>(v[0]);
                r.op1Axis = static_cast<std::int16_t>(v[1]);
                r.op2[0] = static_cast<std::int16_t>(v[2]);
                r.op2[1] = static_cast<std::int16_t>(v[3]);
                r.destAddress = static_cast<std::int16_t>(v[4]);
                r.destAxis = static_cast<std::int16_t>(v[5]);
                break;
            case EventForm::Immediate32:
            case EventForm::Immediate64:
                r.op1Address = static_cast<std::int16_t>(v[0]);
                r.op1Axis = static_cast<std::int16_t>(v[1]);
                put64(v[2]);
                r.destAddress = static_cast<std::int16_t>(v[3]);
                r.destAxis = static_cast<std::int16_t>(v[4]);
                break;
            case EventForm::Copy:
                r.op2[0] = static_cast<std::int16_t>(v[0]);
                r.op2[1] = static_cast<std::int16_t>(v[1]);
                r.destAddress = static_cast<std::int16_t>(v[2]);
                r.destAxis = static_cast<std::int16_t>(v[3]);
                break;
            case EventForm::Set32:
            case EventForm::Set64:
                put64(v[0]);
                r.destAddress = static_cast<std::int16_t>(v[1]);
                r.destAxis = static_cast<std::int16_t>(v[2]);
                break;
        }
    }
    advance();  // EndPathEvent
    reportStatus(withRetry([&] { return m_port.pathAddEvent(handle(), records, count); }));
}

}  // namespace zeq::desk
