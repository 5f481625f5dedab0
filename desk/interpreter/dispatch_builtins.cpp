// The statement dispatcher and the built-in functions that wrap one device function each.
#include <cstdio>
#include <cstring>
#include <vector>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "language/builtin_table.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {

using Style = BuiltinStyle;

bool ScriptInterpreter::readArgs(const char* kinds, std::vector<DeviceArg>& args) {
    for (int k = 0; kinds[k]; ++k) {
        if (k > 0) expect(',');
        if (kinds[k] == 'p') {
            if (!readParamName()) return false;
            args.push_back(DeviceArg::integer(paramRecord.row.address));
            continue;
        }
        double v = evaluate();
        if (finished) return false;
        switch (kinds[k]) {
            case 'd':
                args.push_back(DeviceArg::real(v));
                break;
            case 'f':
                args.push_back(DeviceArg::integer(v != 0.0 ? 1 : 0));
                break;
            case 'L':
                args.push_back(DeviceArg::integer(static_cast<std::int64_t>(v)));
                break;
            default:
                args.push_back(
                    DeviceArg::integer(static_cast<std::int32_t>(static_cast<std::int64_t>(v))));
                break;
        }
    }
    return true;
}

// Reads an optional output variable: an identifier right after the keyword.
bool ScriptInterpreter::readOutVariable(std::string& name, bool& present) {
    present = false;
    if (token != rt::Identifier) return true;
    if (!findVariable(tokenText)) {
        reportError(msg::kUnknownName, tokenText, 0);
        finished = true;
        return false;
    }
    name = tokenText;
    present = true;
    advance();
    return true;
}

void ScriptInterpreter::storeAndPrint(bool present, const std::string& name, double value,
                                      const char* valueFormat, bool isInt, const char* bareEnd) {
    char buf[96];
    if (isInt)
        std::snprintf(buf, sizeof buf, valueFormat, static_cast<int>(value));
    else
        std::snprintf(buf, sizeof buf, valueFormat, value);
    if (present) {
        if (Variable* v = findVariable(name)) v->value = value;
        std::string out = scriptTextToUtf8(name, m_encoding);
        out += " = ";
        out += buf;
        out += "\r\n";
        write(out);
    } else {
        write(std::string("data ") + buf + bareEnd);
    }
}

void ScriptInterpreter::builtinCall(int code, const void* builtinPtr) {
    const Builtin& builtin = *static_cast<const Builtin*>(builtinPtr);
    const char* kinds = builtin.args.data();  // the table's literals end in a NUL
    advance();
    std::vector<DeviceArg> args;
    args.reserve(24);
    DeviceOut out;
    const int fifo = fifoSelector();
    switch (builtin.style) {
        case Style::Retry:
        case Style::RetryNoFifo: {
            if (!readArgs(kinds, args)) return;
            int useFifo = builtin.style == Style::Retry ? fifo : -1;
            reportStatus(
                withRetry([&] { return m_port.builtin(code, handle(), args, useFifo, out); }));
            return;
        }
        case Style::Once:
            if (!readArgs(kinds, args)) return;
            m_port.builtin(code, handle(), args, -1, out);
            return;
        case Style::Segment: {
            if (!readArgs(kinds, args)) return;
            int status = m_port.builtin(code, handle(), args, -1, out);
            const char* text = status == ZEQ_ERR_ARGUMENT       ? msg::kSegInvalidArgs
                               : status == ZEQ_ERR_SEGLIST_FULL ? msg::kSegQueueFull
                               : status == ZEQ_ERR_CORNER       ? msg::kSegBadLine
                               : status == ZEQ_ERR_ARC          ? msg::kSegBadArc
                               : status == ZEQ_ERR_ZERO_SEGMENT ? msg::kSegZeroLength
                                                                : nullptr;
            if (text) write(text);
            return;
        }
        case Style::GetInt:
        case Style::GetDouble:
        case Style::GetCount:
        case Style::GetTimeScale: {
            std::string name;
            bool present = false;
            if (!readOutVariable(name, present)) return;
            if (builtin.style == Style::GetCount) {
                int status =
                    withRetry([&] { return m_port.builtin(code, handle(), args, fifo, out); });
                // A count queued behind a wait: collect the reply of that read.
                if (status == ZEQ_ERR_RBFIFO_EMPTY && fifo != 0)
                    status = collectQueuedGetter(code, 0, out);
                if (status == kReadCancelled) return;
            } else {
                m_port.builtin(code, handle(), args, -1, out);
            }
            if (builtin.style == Style::GetInt || builtin.style == Style::GetCount)
                storeAndPrint(present, name, out.i, "%d", true, "\r\n");
            else if (builtin.style == Style::GetDouble)
                storeAndPrint(present, name, out.d, "%.8lf", false, "\r\n");
            else
                storeAndPrint(present, name, out.d, "%.8lf", false, "\n");
            return;
        }
        case Style::GetAxisDouble:
        case Style::GetAxisInt:
        case Style::GetScale: {
            std::string name;
            bool present = false;
            if (!readOutVariable(name, present)) return;
            if (token == ',') advance();
            int axis = 0;
            if (!atEnd() && token != rt::EndOfSource)
                axis = static_cast<std::int32_t>(static_cast<std::int64_t>(evaluate()));
            if (finished) return;
            args.push_back(DeviceArg::integer(axis));
            if (builtin.style == Style::GetScale) {
                m_port.builtin(code, handle(), args, -1, out);
                storeAndPrint(present, name, out.d, "%.8lf", false, "\n");
                return;
            }
            int status = withRetry([&] { return m_port.builtin(code, handle(), args, fifo, out); });
            // A read queued behind a wait: collect the reply of that read.
            if (status == ZEQ_ERR_RBFIFO_EMPTY && fifo != 0)
                status = collectQueuedGetter(code, axis, out);
            if (status != ZEQ_OK) {
                if (status != kReadCancelled) reportStatus(status);
                return;
            }
            if (builtin.style == Style::GetAxisInt)
                storeAndPrint(present, name, out.i, "%d", true, "\n");
            else
                storeAndPrint(present, name, out.d, "%.8lf", false, "\n");
            return;
        }
        case Style::Linear: {
            const int pairs = code - rt::Linear2A + 2;
            double velocity = evaluate();
            if (finished) return;
            args.push_back(DeviceArg::real(velocity));
            for (int p = 0; p < pairs; ++p) {
                expect(',');
                if (!readArgs("di", args)) return;
            }
            std::string name;
            bool present = false;
            if (token == ',') {
                advance();
                if (!readOutVariable(name, present)) return;
            }
            int status = withRetry([&] { return m_port.builtin(code, handle(), args, fifo, out); });
            if (status != ZEQ_OK) {
                reportStatus(status);
                return;
            }
            char buf[64];
            if (present) {
                if (Variable* v = findVariable(name)) v->value = out.i;
                std::string text = scriptTextToUtf8(name, m_encoding);
                std::snprintf(buf, sizeof buf, " = %d\r\n", out.i);
                write(text + buf);
            } else {
                std::snprintf(buf, sizeof buf, "MasterAxis %d\n", out.i);
                write(buf);
            }
            return;
        }
        default:  // the dispatcher's own statements and the words nothing executes
            return;
    }
}

bool ScriptInterpreter::dispatch(int code) {
    if (immediateMode && code != rt::EndOfLine) {
        char buf[64];
        std::snprintf(buf, sizeof buf, msg::kExecutingLine, static_cast<int>(lineNo + 1));
        write(buf);
    }
    switch (code) {
        case rt::EndOfLine:
            advance();
            return true;
        case rt::Wr:
            writeStatement();
            return true;
        case rt::Rd:
            readStatement(nullptr);
            return true;
        case rt::Wt:
            waitStatement(false);
            return true;
        case rt::Wz:
            waitStatement(true);
            return true;
        case rt::Wa:
            waitProfileStatement();
            return true;
        case rt::Number:
            eventStatement();
            return true;
        case rt::PathEvent:
            pathEventBlock();
            return true;
        case rt::FileContour:
            fileContour();
            return true;
        case rt::ExePath:
            exePath();
            return true;
        case rt::GetMCData:
            getMachineData();
            return true;
        case rt::PathWRData:
            pathWriteData();
            return true;
        case rt::PathAddLine:
        case rt::PathAddArc:
        case rt::PathAddLineSegData:
        case rt::PathAddArcSegData:
            pathSegmentRecord(code);
            return true;
        default:
            break;
    }
    if (const Builtin* b = findBuiltin(code); b && b->calledByStyle()) {
        builtinCall(code, b);
        return true;
    }
    return false;
}

}  // namespace zeq::desk
