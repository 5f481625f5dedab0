// Parameter statements: wr, rd, wt, wz, wa, and the parameter write and read routines.
#include <cinttypes>
#include <cstdio>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {

bool ScriptInterpreter::readParamName() {
    ParamRow row{};
    if ((token != rt::Identifier && token < 512) || m_catalogue.findByName(tokenText, &row) < 0) {
        reportError(msg::kUnknownParam, tokenText, 0);
        finished = true;
        return false;
    }
    advance();
    if (token == '+') {
        // name + n: n words behind the parameter, always written as one 16-bit word.
        advance();
        row.address = static_cast<std::uint16_t>(row.address + tokenValue);
        row.kind = kKindUInt16;
        advance();
    }
    paramRecord.row = row;
    return true;
}

int ScriptInterpreter::writeParam(int axis) {
    const bool queue = !immediateMode;
    int status = withRetry([&] { return m_port.waitFifoNotHalfFull(handle(), queue); });
    if (status != ZEQ_OK || stopOrFinished()) return status;
    const ParamRow& row = paramRecord.row;
    const double value = paramRecord.value;
    switch (row.kind) {
        case kKindUInt32:
        case kKindInt32:
            return m_port.writeParam32(handle(), axis, row.address,
                                       static_cast<std::int32_t>(static_cast<std::int64_t>(value)),
                                       queue);
        case kKindInt48:
            return m_port.writeParam48(handle(), axis, row.address,
                                       static_cast<std::int64_t>(value), queue);
        default: {
            auto v = static_cast<std::int32_t>(static_cast<std::int64_t>(value));
            if ((v & ~0xFFFF) != 0 && v > 0) {
                char buf[160];
                if (row.kind == kKindInt16)
                    std::snprintf(buf, sizeof buf, msg::kRange16Signed, row.name, v);
                else
                    std::snprintf(buf, sizeof buf, msg::kRange16Unsigned, row.name,
                                  static_cast<unsigned>(v));
                write(buf);
                return ZEQ_ERR_ARGUMENT;
            }
            return m_port.writeParam16(handle(), axis, row.address, v, queue);
        }
    }
}

int ScriptInterpreter::readParam(int axis, double& out) {
    const bool queue = !immediateMode;
    int status = withRetry([&] { return m_port.waitFifoNotHalfFull(handle(), queue); });
    if (status != ZEQ_OK || stopOrFinished()) return status;
    const ParamRow& row = paramRecord.row;
    double value = 0.0;
    switch (row.kind) {
        case kKindInt16:
            value = static_cast<std::int16_t>(
                m_port.readParam16(handle(), axis, row.address, &status, queue));
            break;
        case kKindUInt32:
        case kKindInt32:
            value = static_cast<std::int32_t>(
                m_port.readParam32(handle(), axis, row.address, &status, queue));
            break;
        case kKindInt48: {
            std::int64_t v = 0;
            status = m_port.readParam48(handle(), axis, row.address, &v, queue);
            value = static_cast<double>(v);
            break;
        }
        default:
            value = static_cast<std::uint16_t>(
                m_port.readParam16(handle(), axis, row.address, &status, queue));
            break;
    }
    if (status == ZEQ_ERR_RBFIFO_EMPTY && queue) {
        // The read waits in the queue behind a queued wait: collect its reply.
        const int words = row.kind == kKindInt48                              ? 3
                          : row.kind == kKindUInt32 || row.kind == kKindInt32 ? 2
                                                                              : 1;
        std::int64_t raw = 0;
        status = awaitQueuedReply(axis, row.address, words, raw);
        if (words == 3)
            value = static_cast<double>(raw);
        else if (words == 2)
            value = static_cast<std::int32_t>(raw);
        else if (row.kind == kKindInt16)
            value = static_cast<std::int16_t>(raw);
        else
            value = static_cast<std::uint16_t>(raw);
    }
    if (status == ZEQ_OK) out = value;
    return status;
}

namespace {
bool isHexMark(int token, const char* text) {
    return token == rt::Identifier && (text[0] == 'h' || text[0] == 'H') && text[1] == '\0';
}
}  // namespace

// wr PARAM [+ n] [,] VALUE | &PARAM [, AXIS]
void ScriptInterpreter::writeStatement() {
    advance();
    if (!readParamName()) return;
    ParamRecord target = paramRecord;
    if (token == ',') advance();
    double value;
    if (token == '&') {
        advance();
        if (!readParamName()) return;
        value = paramRecord.row.address;
    } else {
        value = evaluate();
    }
    if (finished) return;
    if (token == ',') advance();
    int axis = 0;
    if (!atEnd() && token != rt::EndOfSource)
        axis = static_cast<std::int32_t>(static_cast<std::int64_t>(evaluate()));
    paramRecord = target;
    paramRecord.value = value;
    reportStatus(writeParam(axis));
}

// rd PARAM [+ n] [,] [AXIS] [,] [h]; also VAR = rd ...
void ScriptInterpreter::readStatement(Variable* target) {
    std::string targetName = target ? target->name : std::string();
    const bool global =
        target && target >= globals.data() && target < globals.data() + globals.size();
    const std::size_t index =
        target ? static_cast<std::size_t>(target - (global ? globals.data() : locals.data())) : 0;
    advance();
    if (!readParamName()) return;
    if (token == ',') advance();
    int axis = 0;
    if (!atEnd() && token != rt::EndOfSource && !isHexMark(token, tokenText)) {
        axis = static_cast<std::int32_t>(static_cast<std::int64_t>(evaluate()));
        if (token == ',') advance();
    }
    bool hex = false;
    if (isHexMark(token, tokenText)) {
        hex = true;
        advance();
    }
    if (finished) return;
    double value = 0.0;
    int status = readParam(axis, value);
    if (status != ZEQ_OK) {
        if (status != kReadCancelled) reportStatus(status);
        return;
    }
    char buf[64];
    const int kind = paramRecord.row.kind;
    if (kind == kKindInt16) {
        auto v = static_cast<std::int16_t>(static_cast<std::int64_t>(value));
        if (hex)
            std::snprintf(buf, sizeof buf, "%04Xh\r\n",
                          static_cast<unsigned>(static_cast<std::uint16_t>(v)));
        else
            std::snprintf(buf, sizeof buf, "%d\r\n", v);
    } else if (kind == kKindUInt32 || kind == kKindInt32) {
        auto v = static_cast<std::int32_t>(static_cast<std::int64_t>(value));
        if (hex)
            std::snprintf(buf, sizeof buf, "%08Xh\r\n", static_cast<unsigned>(v));
        else
            std::snprintf(buf, sizeof buf, "%d\r\n", v);
    } else if (kind == kKindInt48) {
        auto v = static_cast<std::int64_t>(value);
        if (hex)
            std::snprintf(buf, sizeof buf, "%" PRIx64 "h\r\n", static_cast<std::uint64_t>(v));
        else
            std::snprintf(buf, sizeof buf, "%" PRId64 "\r\n", v);
    } else {
        auto v = static_cast<std::uint16_t>(static_cast<std::int64_t>(value));
        if (hex)
            std::snprintf(buf, sizeof buf, "%04Xh\r\n", static_cast<unsigned>(v));
        else
            std::snprintf(buf, sizeof buf, "%d\r\n", static_cast<int>(v));
    }
    if (target) {
        Variable& var = global ? globals[index] : locals[index];
        var.value = value;
        std::string out = scriptTextToUtf8(targetName, m_encoding);
        out += "= ";
        out += buf;
        write(out);
    } else {
        write(std::string("data ") + buf);
    }
}

// wt PARAM [AXIS] / wz PARAM [AXIS]
void ScriptInterpreter::waitStatement(bool toZero) {
    advance();
    if (!readParamName()) return;
    if (token == ',') advance();
    int axis = 0;
    if (!atEnd() && token != rt::EndOfSource)
        axis = static_cast<std::int32_t>(static_cast<std::int64_t>(evaluate()));
    if (finished) return;
    const int address = paramRecord.row.address;
    int status = withRetry([&] { return m_port.waitFifoNotHalfFull(handle(), true); });
    if (status == ZEQ_OK && !stopOrFinished())
        status = toZero ? m_port.writeWaitToZero(handle(), axis, address)
                        : m_port.writeWaitToken(handle(), axis, address);
    reportStatus(status);
}

// wa [AXIS]: wait until the profile generator of the axis is done.
void ScriptInterpreter::waitProfileStatement() {
    advance();
    int axis = 0;
    if (!atEnd() && token != rt::EndOfSource)
        axis = static_cast<std::int32_t>(static_cast<std::int64_t>(evaluate()));
    if (finished) return;
    ParamRow profiling{};
    ParamRow filter{};
    ParamRow equal{};
    if (m_catalogue.findByName("profiling", &profiling) < 0 ||
        m_catalogue.findByName("waitfilt", &filter) < 0 ||
        m_catalogue.findByName("waitequ", &equal) < 0) {
        reportError(msg::kUnknownParam, "profiling", 0);
        finished = true;
        return;
    }
    int status = ZEQ_OK;
    for (const ParamRow* row : {&filter, &equal}) {
        paramRecord.row = *row;
        paramRecord.value = 65535;
        status = withRetry([&] { return writeParam(axis); });
        if (status != ZEQ_OK) break;
    }
    // The card's profiling word of the axis is non-zero while its profile runs.
    if (status == ZEQ_OK && !stopOrFinished())
        status = m_port.writeWaitToZero(handle(), axis, profiling.address);
    reportStatus(status);
}

}  // namespace zeq::desk
