// The statement dispatcher and the built-in functions that wrap one device function each.
#include <cstdio>
#include <cstring>
#include <vector>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {
namespace {

// How a built-in is called and what it prints.
enum class Style {
    Retry,          // FIFO selector, FIFO retry, status reported
    RetryNoFifo,    // no FIFO selector, FIFO retry, status reported
    Once,           // no FIFO selector, called once, status ignored
    Segment,        // no FIFO selector, called once, the status selects a segment message
    GetInt,         // [VAR]; out int, called once, status ignored
    GetDouble,      // [VAR]; out double, called once, status ignored
    GetCount,       // [VAR]; out int, FIFO selector, FIFO retry without report
    GetAxisDouble,  // [VAR] [,] AXIS; out double, FIFO selector, retry and report
    GetAxisInt,     // [VAR] [,] AXIS; out int, FIFO selector, retry and report
    GetScale,       // [VAR] [,] AXIS; the double comes back directly
    GetTimeScale,   // [VAR]; the double comes back directly
    Linear,         // VEL then (DIST, AXIS) pairs, then [, VAR] for the master axis
};

// Argument kinds: d double, i integer (low 32 bits), f flag, p parameter name (its address),
// L 64-bit integer.
struct Builtin {
    int code;
    const char* args;
    Style style;
};

constexpr Builtin kBuiltins[] = {
    {rt::ClearCFIFO, "", Style::Retry},
    {rt::ExitGroup, "", Style::Retry},
    {rt::UpdatePathPos, "", Style::Retry},
    {rt::EnableGroup, "i", Style::Retry},
    {rt::SetGroupAxisNum, "i", Style::Retry},
    {rt::MCSmove, "i", Style::Retry},
    {rt::PCSmove, "i", Style::Retry},
    {rt::MCSstop, "i", Style::Retry},
    {rt::PCSstop, "i", Style::Retry},
    {rt::AbortHoming, "i", Style::Retry},
    {rt::SetAtHome, "i", Style::Retry},
    {rt::Gearin, "i", Style::Retry},
    {rt::Gearout, "i", Style::Retry},
    {rt::EnableEvent, "i", Style::Retry},
    {rt::SetMCStrack, "fi", Style::Retry},
    {rt::SetPCStrack, "fi", Style::Retry},
    {rt::SetGearSync, "fi", Style::Retry},
    {rt::EnableCam, "fi", Style::Retry},
    {rt::SetMCStgPos, "di", Style::Retry},
    {rt::SetPCStgPos, "di", Style::Retry},
    {rt::SetMCSdist, "di", Style::Retry},
    {rt::SetPCSdist, "di", Style::Retry},
    {rt::SetMCSmaxvel, "di", Style::Retry},
    {rt::SetPCSmaxvel, "di", Style::Retry},
    {rt::SetMCSaccel, "di", Style::Retry},
    {rt::SetPCSaccel, "di", Style::Retry},
    {rt::SetMCSdecel, "di", Style::Retry},
    {rt::SetPCSdecel, "di", Style::Retry},
    {rt::MoveAbsolute, "di", Style::Retry},
    {rt::MoveRelative, "di", Style::Retry},
    {rt::MoveSuperimposed, "di", Style::Retry},
    {rt::Phasing, "di", Style::Retry},
    {rt::MoveVelocity, "di", Style::Retry},
    {rt::SetHomeOffset, "di", Style::Retry},
    {rt::HomeDirect, "di", Style::Retry},
    {rt::SetHighVel, "di", Style::Retry},
    {rt::SetLowVel, "di", Style::Retry},
    {rt::SetGearratio, "di", Style::Retry},
    {rt::SetGearoutVel, "di", Style::Retry},
    {rt::SetSynTime, "di", Style::Retry},
    {rt::SetSynDist, "dii", Style::Retry},
    {rt::SetGearMaster, "ii", Style::Retry},
    {rt::SetSynSourceType, "ii", Style::Retry},
    {rt::SetGearSourceType, "ii", Style::Retry},
    {rt::SetSynAxis, "ii", Style::Retry},
    {rt::SetSmooth, "ii", Style::Retry},
    {rt::SetCamLocation, "ii", Style::Retry},
    {rt::MapAxis2Group, "ii", Style::Retry},
    {rt::HomeIndex, "iii", Style::Retry},
    {rt::InitPath, "iii", Style::Retry},
    {rt::HomeSwitch1, "iiii", Style::Retry},
    {rt::HomeSwitch2, "iiii", Style::Retry},
    {rt::HomeSwitch3, "iiii", Style::Retry},
    {rt::HomeSwitchIndex1, "iiii", Style::Retry},
    {rt::HomeSwitchIndex2, "iiii", Style::Retry},
    {rt::HomeSwitchIndex3, "iiii", Style::Retry},
    {rt::GearFree, "diii", Style::Retry},
    {rt::HandWheel, "dii", Style::Retry},
    // The source distance and the time go to the card as the doubles the script gave.
    {rt::GearInDist, "diiiidi", Style::Retry},
    {rt::GearInTime, "diidi", Style::Retry},
    {rt::TgvelInDist, "didi", Style::Retry},
    {rt::MoveInDist, "didi", Style::Retry},
    {rt::TgvelInTime, "ddi", Style::Retry},
    {rt::MoveInTime, "ddi", Style::Retry},
    {rt::AddCamPoint, "didii", Style::Retry},
    {rt::Linear2A, "d", Style::Linear},
    {rt::Linear3A, "d", Style::Linear},
    {rt::Linear4A, "d", Style::Linear},
    {rt::Linear5A, "d", Style::Linear},
    {rt::Linear6A, "d", Style::Linear},
    {rt::SetSegAngle, "d", Style::Once},
    {rt::SetPathAccel, "d", Style::Once},
    {rt::SetPathDecel, "d", Style::Once},
    {rt::SetFeedOverride, "d", Style::Once},
    {rt::SetInterpFreq, "d", Style::Once},
    {rt::SetTimescale, "d", Style::Once},
    {rt::SetDistScale, "di", Style::Once},
    {rt::PCS, "ddd", Style::Once},
    {rt::ClearSegList, "", Style::Once},
    {rt::AddLine3, "ddddd", Style::Segment},
    {rt::AddArc3, "ddddddddddd", Style::Segment},
    {rt::AddLine, "dddd", Style::Segment},
    {rt::AddArc, "ddddidd", Style::Segment},
    {rt::GetSegNum, "", Style::GetInt},
    {rt::GetCurSegPt, "", Style::GetInt},
    {rt::GetRearSegPt, "", Style::GetInt},
    {rt::GetFeedOverride, "", Style::GetDouble},
    {rt::GetPathLen, "", Style::GetDouble},
    {rt::GetPathVel, "", Style::GetDouble},
    {rt::GetPathAccel, "", Style::GetDouble},
    {rt::GetPathDecel, "", Style::GetDouble},
    {rt::GetPathX, "", Style::GetDouble},
    {rt::GetPathY, "", Style::GetDouble},
    {rt::GetPathZ, "", Style::GetDouble},
    {rt::GetPathOrgX, "", Style::GetDouble},
    {rt::GetPathOrgY, "", Style::GetDouble},
    {rt::GetPathOrgZ, "", Style::GetDouble},
    {rt::GetInterpFreq, "", Style::GetDouble},
    {rt::GetCFIFOCnt, "", Style::GetCount},
    {rt::GetEncp, "", Style::GetAxisInt},
    {rt::GetEncs, "", Style::GetAxisInt},
    {rt::GetDistScale, "", Style::GetScale},
    {rt::GetTimescale, "", Style::GetTimeScale},
    {rt::PathWaitEqu, "pi", Style::RetryNoFifo},
    {rt::PathWaitToZero, "pi", Style::RetryNoFifo},
    {rt::PathWRData16, "pii", Style::RetryNoFifo},
    {rt::PathWRData32, "pii", Style::RetryNoFifo},
    {rt::PathWRData48, "pLi", Style::RetryNoFifo},
    {rt::PathWRDataORXOR, "piii", Style::RetryNoFifo},
};

const Builtin* findBuiltin(int code) {
    if (code >= rt::GetCurPos && code <= rt::GetSynMovedist) {
        static constexpr Builtin axisDouble{0, "", Style::GetAxisDouble};
        return &axisDouble;
    }
    for (const Builtin& b : kBuiltins)
        if (b.code == code) return &b;
    return nullptr;
}

}  // namespace

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
    advance();
    std::vector<DeviceArg> args;
    args.reserve(24);
    DeviceOut out;
    const int fifo = fifoSelector();
    switch (builtin.style) {
        case Style::Retry:
        case Style::RetryNoFifo: {
            if (!readArgs(builtin.args, args)) return;
            int useFifo = builtin.style == Style::Retry ? fifo : -1;
            reportStatus(
                withRetry([&] { return m_port.builtin(code, handle(), args, useFifo, out); }));
            return;
        }
        case Style::Once:
            if (!readArgs(builtin.args, args)) return;
            m_port.builtin(code, handle(), args, -1, out);
            return;
        case Style::Segment: {
            if (!readArgs(builtin.args, args)) return;
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
            if (!atEnd() && token != rt::EndOfText)
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
        case rt::Integer:
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
    if (const Builtin* b = findBuiltin(code)) {
        builtinCall(code, b);
        return true;
    }
    return false;
}

}  // namespace zeq::desk
