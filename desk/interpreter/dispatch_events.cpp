// Event instruction lines ("CHANNEL [,] [COND] [,] MNEMONIC ARGS") and the PathEvent block.
#include <cstring>
#include <string>
#include <vector>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "language/builtin_table.h"

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
        case rt::IFZ:
            return 8;
        case rt::IFNZ:
            return 9;
        case rt::IFG:
            return 10;
        case rt::IFGE:
            return 11;
        case rt::IFL:
            return 12;
        case rt::IFC:
            return 13;
        default:
            return 0;
    }
}

enum class EventForm { TwoOperands, Immediate32, Immediate64, Copy, Set32, Set64 };

// The operand kinds of the mnemonic from the built-in table, "required/optional" (p parameter,
// i integer, L 64-bit).
std::string_view operandKinds(int code) {
    const Builtin* b = findBuiltin(code);
    return b && b->style == BuiltinStyle::Event ? b->args : std::string_view("pip/ipi");
}

// The record layout follows from the operand kinds.
EventForm formOf(int code) {
    const std::string_view kinds = operandKinds(code);
    if (kinds == "pii/pi") return EventForm::Immediate32;
    if (kinds == "piL/pi") return EventForm::Immediate64;
    if (kinds == "pip/i") return EventForm::Copy;
    if (kinds == "ip/i") return EventForm::Set32;
    if (kinds == "Lp/i") return EventForm::Set64;
    return EventForm::TwoOperands;
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
    const std::string_view kinds = operandKinds(mnemonic);
    const std::string_view required = kinds.substr(0, kinds.find('/'));
    const std::string_view optional = kinds.substr(required.size() + 1);
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
    for (const char k : required) {
        if (token == ',') advance();
        if (!readOne(k)) return false;
    }
    for (const char k : optional) {
        if (token == ',') advance();
        if (atEnd() || token == rt::EndOfSource) break;
        if (!readOne(k)) return false;
    }
    count = static_cast<int>(required.size() + optional.size());
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
        if (token == rt::EndOfSource) {
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
