// Parameter statements and built-in calls: the argument-list shapes, rd/wr/wt/wz/wa, the
// simple statements and the built-in dispatcher. Accepted lines are copied verbatim.
#include <cstdio>
#include <string>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"

namespace zeq::desk {

namespace {
bool isHWord(std::string_view text) { return text == "h" || text == "H"; }
}  // namespace

bool ScriptCompiler::atLineEnd(bool reportIt) {
    if (m_lex.code() == tok::EndOfLine) {
        if (reportIt) m_lex.report(msg::kArgsMissing, std::nullopt, m_lex.lineOfCurrentEnd());
        return true;
    }
    return m_lex.immediate() && m_lex.code() == tok::EndOfSource;
}

// Whether the statement's line has more tokens (the end of the source ends it too).
static bool lineGoesOn(const Lexer& lex) {
    return lex.code() != tok::EndOfLine && lex.code() != tok::EndOfSource;
}

bool ScriptCompiler::commaStep() {
    if (m_lex.code() == ',') {
        m_lex.advance();
        return true;
    }
    if (atLineEnd(true)) return false;
    m_lex.report(msg::kCommaMissing);
    return true;
}

bool ScriptCompiler::enterFunction() {
    m_lex.advance();
    if (m_lex.code() == tok::EndOfSource && !m_lex.immediate()) {
        m_lex.report(msg::kFunctionWrong);
        return false;
    }
    return true;
}

int ScriptCompiler::paramName(ParamRow* row) {
    if (m_lex.code() != tok::Identifier) {
        m_lex.report(msg::kParamNameWrong, m_lex.text());
        m_lex.skipToEndOfLine();
        return -1;
    }
    const int index = m_catalogue.findByName(m_lex.text(), row);
    if (index < 0) {
        m_lex.report(msg::kNotAParam, m_lex.text());
        m_lex.skipToEndOfLine();
        return -1;
    }
    m_lex.advance();
    return index;
}

// WORD EXPR {"," EXPR}   (exactly `count` expressions)
void ScriptCompiler::fixedShape(int count, const char* tooMany) {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    bool ok = true;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !commaStep()) return;
        if (atLineEnd(true)) return;
        ok = expression();
    }
    if (lineGoesOn(m_lex)) {
        m_lex.report(tooMany);
        m_lex.skipToEndOfLine();
        return;
    }
    if (ok) emitSlice(start);
}

// WORD EXPR {"," EXPR} ["," VAR]   (exactly `count` expressions)
void ScriptCompiler::varShape(int count, bool withVar) {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !commaStep()) return;
        if (atLineEnd(true)) return;
        expression();
    }
    if (withVar && lineGoesOn(m_lex)) {
        if (!commaStep()) return;
        if (m_lex.code() == tok::Identifier) {
            if (!isVariable(m_lex.text())) m_lex.report(msg::kNotDefinedVar, m_lex.text());
            m_lex.advance();
        } else {
            m_lex.report(msg::kLastArgMissing);
            m_lex.advance();
        }
    }
    if (lineGoesOn(m_lex)) {
        m_lex.report(msg::kTooManyArgs);
        m_lex.skipToEndOfLine();
        return;
    }
    if (m_lex.errorCount() == 0) emitSlice(start);
}

// WORD [VAR]
void ScriptCompiler::getterShape() {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (lineGoesOn(m_lex) && m_lex.code() == tok::Identifier) {
        if (!isVariable(m_lex.text())) m_lex.report(msg::kNotDefined, m_lex.text());
        m_lex.advance();
    }
    emitSlice(start);
}

// WORD [VAR] "," EXPR
void ScriptCompiler::getterAxisShape() {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (m_lex.code() == tok::Identifier) {
        if (!isVariable(m_lex.text())) m_lex.report(msg::kNotDefined, m_lex.text());
        m_lex.advance();
        if (m_lex.code() == ',') {
            m_lex.advance();
        } else {
            m_lex.report(msg::kCommaMissingParen);
        }
    } else if (m_lex.code() == ',') {
        m_lex.advance();
    }
    if (atLineEnd(true)) return;
    const bool ok = expression();
    if (lineGoesOn(m_lex)) {
        m_lex.report(msg::kTooMany2);
        m_lex.skipToEndOfLine();
        return;
    }
    if (ok) emitSlice(start);
}

// rd PARAM["+"OFFSET] [","] AXIS [[","] h]
bool ScriptCompiler::readStatement(bool emitIt) {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return false;
    if (atLineEnd(true)) return false;
    ParamRow row{};
    if (paramName(&row) < 0) return false;
    const std::string name(row.nameView());
    if (m_lex.code() == '+') {
        m_lex.advance();
        if (m_lex.code() != tok::Number) {
            m_lex.report(msg::kOffsetDecimal, m_lex.text());
            m_lex.skipToEndOfLine();
            return false;
        }
        m_lex.advance();
    }
    if (m_lex.code() == ',') m_lex.advance();
    if (!row.global) {
        if (atLineEnd(true)) {
            char text[160];
            std::snprintf(text, sizeof text, msg::kLocalParamNeedsAxis, name.c_str());
            m_lex.report(text, std::nullopt, m_lex.lineOfCurrentEnd());
            return false;
        }
        if (m_lex.code() == ',') m_lex.advance();
        expression();
        // "rd PARAM, AXIS, h": the hexadecimal switch may follow a comma too.
        if (m_lex.code() == ',') {
            Lexer probe = m_lex;
            probe.setSink(nullptr);
            probe.advance();
            if (probe.code() == tok::HexNumber && isHWord(probe.text())) m_lex.advance();
        }
    } else if (!atLineEnd(false) && lineGoesOn(m_lex) &&
               !(m_lex.code() == tok::HexNumber && isHWord(m_lex.text()))) {
        if (m_lex.code() == ',') m_lex.advance();
        expression();
    }
    if (m_lex.code() == tok::HexNumber && isHWord(m_lex.text())) m_lex.advance();
    const bool ok = m_lex.errorCount() == 0;
    if (emitIt && ok) emitSlice(start);
    return ok;
}

// wr PARAM["+"OFFSET] [","] ("&" PARAM | EXPR) [","] AXIS
void ScriptCompiler::writeStatement() {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (atLineEnd(true)) return;
    ParamRow row{};
    if (paramName(&row) < 0) return;
    const std::string name(row.nameView());
    if (row.readOnly) {
        m_lex.report(msg::kReadOnlyParam, name);
        m_lex.skipToEndOfLine();
        return;
    }
    if (row.kind == kKindBlock) {
        m_lex.report(msg::kBlockUseLd, name);
        m_lex.skipToEndOfLine();
        return;
    }
    if (m_lex.code() == '+') {
        m_lex.advance();
        if (m_lex.code() != tok::Number) {
            m_lex.report(msg::kOffsetDecimal, m_lex.text());
            m_lex.skipToEndOfLine();
            return;
        }
        m_lex.advance();
    }
    if (m_lex.code() == ',') m_lex.advance();
    if (atLineEnd(true)) return;
    if (m_lex.code() == '&') {
        m_lex.advance();
        if (paramName() < 0) return;
    } else {
        expression();
    }
    if (m_lex.code() == ',') m_lex.advance();
    if (row.global) {
        if (lineGoesOn(m_lex)) {
            if (m_lex.code() == ',') {
                m_lex.advance();
                if (atLineEnd(false) || !lineGoesOn(m_lex)) {
                    m_lex.report(msg::kAxisMissing, std::nullopt, m_lex.lineOfCurrentEnd());
                    return;
                }
            }
            // Whatever follows the value is the axis expression.
            expression();
        }
    } else {
        if (atLineEnd(true)) {
            char text[160];
            std::snprintf(text, sizeof text, msg::kLocalParamNeedsAxis, name.c_str());
            m_lex.report(text, std::nullopt, m_lex.lineOfCurrentEnd());
            return;
        }
        if (m_lex.code() == ',') m_lex.advance();
        expression();
    }
    if (m_lex.errorCount() == 0) emitSlice(start);
}

// (wt | wz | PathWaitEqu | PathWaitToZero) PARAM [[","] AXIS]
void ScriptCompiler::waitStatement() {
    const int code = m_lex.code();
    if (m_lex.immediate() && (code == tok::Wt || code == tok::Wz)) {
        m_lex.report(msg::kNoWt);
        m_lex.skipToEndOfLine();
        return;
    }
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    ParamRow row{};
    if (paramName(&row) < 0) return;
    if (row.kind == kKindBlock) {
        m_lex.report(msg::kBlockNotHere, row.nameView());
        m_lex.skipToEndOfLine();
        return;
    }
    if (row.global && !lineGoesOn(m_lex)) {
        emitSlice(start);
        return;
    }
    if (!row.global && atLineEnd(false)) {
        m_lex.report(msg::kBoardLocalParam, std::nullopt, m_lex.lineOfCurrentEnd());
        return;
    }
    if (m_lex.code() == ',') m_lex.advance();
    if (expression()) emitSlice(start);
}

// wa EXPR
void ScriptCompiler::waStatement() {
    if (m_lex.immediate()) {
        m_lex.report(msg::kNoWa);
        m_lex.skipToEndOfLine();
        return;
    }
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (atLineEnd(true)) return;
    if (expression()) emitSlice(start);
}

// pause | sleep EXPR | board EXPR | mg TEXT
void ScriptCompiler::simpleStatement() {
    const int code = m_lex.code();
    const size_t start = m_lex.tokenStart();
    if (code == tok::Pause) {
        m_lex.advance();
        emitSlice(start);
        return;
    }
    if (code == tok::Mg) {
        // The rest of the line is text for the operator; no tokens are read from it.
        size_t end = m_lex.position();
        while (end < m_lex.source().size() && m_lex.at(end) != '\n') ++end;
        size_t last = end;
        while (last > start && (m_lex.at(last - 1) == '\r' || m_lex.at(last - 1) == ' ' ||
                                m_lex.at(last - 1) == '\t'))
            --last;
        emitText(std::string(m_lex.slice(start, last)) + "\r\n");
        m_lex.setPosition(end);
        m_lex.advance();
        return;
    }
    if (!enterFunction()) return;
    if (atLineEnd(true)) return;
    if (expression()) emitSlice(start);
}

void ScriptCompiler::builtinCall() {
    const int code = m_lex.code();
    switch (code) {
        case tok::ClearCFIFO:
        case tok::ExitGroup:
        case tok::ClearSegList:
        case tok::ExePath:
        case tok::UpdatePathPos: {
            const size_t start = m_lex.tokenStart();
            m_lex.advance();
            emitSlice(start);
            return;
        }
        case tok::EnableGroup: case tok::SetGroupAxisNum: case tok::SetSegAngle:
        case tok::SetPathAccel: case tok::SetPathDecel: case tok::SetFeedOverride:
        case tok::SetInterpFreq: case tok::SetTimescale: case tok::MCSmove: case tok::PCSmove:
        case tok::MCSstop: case tok::PCSstop: case tok::AbortHoming: case tok::SetAtHome:
        case tok::Gearin: case tok::Gearout: case tok::EnableEvent:
            fixedShape(1, msg::kTooMany1);
            return;
        case tok::MapAxis2Group: case tok::SetDistScale: case tok::SetMCStrack:
        case tok::SetPCStrack: case tok::SetMCStgPos: case tok::SetPCStgPos:
        case tok::SetMCSdist: case tok::SetPCSdist: case tok::SetMCSmaxvel:
        case tok::SetPCSmaxvel: case tok::SetMCSaccel: case tok::SetPCSaccel:
        case tok::SetMCSdecel: case tok::SetPCSdecel: case tok::MoveAbsolute:
        case tok::MoveRelative: case tok::MoveSuperimposed: case tok::Phasing:
        case tok::MoveVelocity: case tok::SetHomeOffset: case tok::HomeDirect:
        case tok::SetHighVel: case tok::SetLowVel: case tok::SetGearratio:
        case tok::SetGearSync: case tok::SetGearoutVel: case tok::SetGearMaster:
        case tok::SetSynSourceType: case tok::SetSynTime: case tok::SetGearSourceType:
        case tok::SetSynAxis: case tok::SetSmooth: case tok::EnableCam:
        case tok::SetCamLocation:
            fixedShape(2, msg::kTooMany2);
            return;
        // PCS sx, sy, sz: the part coordinate system's scales, as the run passes them on.
        case tok::InitPath: case tok::HomeIndex: case tok::SetSynDist: case tok::HandWheel:
        case tok::TgvelInTime: case tok::MoveInTime: case tok::PCS:
            fixedShape(3, msg::kTooMany3);
            return;
        case tok::AddLine: case tok::HomeSwitch1: case tok::HomeSwitch2:
        case tok::HomeSwitch3: case tok::HomeSwitchIndex1: case tok::HomeSwitchIndex2:
        case tok::HomeSwitchIndex3: case tok::GearFree: case tok::TgvelInDist:
        case tok::MoveInDist:
            fixedShape(4, msg::kTooMany4);
            return;
        case tok::AddLine3: case tok::GearInTime: case tok::AddCamPoint:
            varShape(5, false);
            return;
        case tok::Linear2A:
            varShape(5, true);
            return;
        case tok::AddArc: case tok::GearInDist:
            varShape(7, false);
            return;
        case tok::Linear3A:
            varShape(7, true);
            return;
        case tok::Linear4A:
            varShape(9, true);
            return;
        case tok::AddArc3:
            varShape(11, false);
            return;
        case tok::Linear5A:
            varShape(11, true);
            return;
        case tok::Linear6A:
            varShape(13, true);
            return;
        case tok::GetCFIFOCnt: case tok::GetSegNum: case tok::GetCurSegPt:
        case tok::GetRearSegPt: case tok::GetFeedOverride: case tok::GetPathLen:
        case tok::GetPathVel: case tok::GetPathAccel: case tok::GetPathDecel:
        case tok::GetPathX: case tok::GetPathY: case tok::GetPathZ: case tok::GetPathOrgX:
        case tok::GetPathOrgY: case tok::GetPathOrgZ: case tok::GetInterpFreq:
        case tok::GetTimescale:
            getterShape();
            return;
        case tok::GetDistScale: case tok::GetCurPos: case tok::GetMCSPos: case tok::GetPCSPos:
        case tok::GetActPos: case tok::GetMCStgPos: case tok::GetPCStgPos: case tok::GetCurvel:
        case tok::GetMCSvel: case tok::GetPCSvel: case tok::GetMCSmaxvel:
        case tok::GetPCSmaxvel: case tok::GetHighVel: case tok::GetLowVel:
        case tok::GetMCSaccel: case tok::GetPCSaccel: case tok::GetMCSdecel:
        case tok::GetPCSdecel: case tok::GetActVel: case tok::GetGearratio:
        case tok::GetSynDist: case tok::GetSynTime: case tok::GetSynMovedist:
        case tok::GetEncp: case tok::GetEncs:
            getterAxisShape();
            return;
        case tok::Rd:
            readStatement(true);
            return;
        case tok::Wr:
            writeStatement();
            return;
        case tok::Wt: case tok::Wz: case tok::PathWaitEqu: case tok::PathWaitToZero:
            waitStatement();
            return;
        case tok::Wa:
            waStatement();
            return;
        case tok::FileContour:
            fileContour();
            return;
        case tok::PathWRData:
            pathWrData();
            return;
        case tok::PathWRData16: case tok::PathWRData32: case tok::PathWRData48:
            pathWrDataFixed(2);
            return;
        case tok::PathWRDataORXOR:
            pathWrDataFixed(3);
            return;
        case tok::PathAddLineSegData:
            segmentData(false, true);
            return;
        case tok::PathAddLine:
            segmentData(false, false);
            return;
        case tok::PathAddArcSegData:
            segmentData(true, true);
            return;
        case tok::PathAddArc:
            segmentData(true, false);
            return;
        case tok::PathEvent:
            pathEventBlock();
            return;
        case tok::EndPathEvent:
            m_lex.report(msg::kPathEventNoStart);
            m_lex.advance();
            return;
        // GetMCData: the run reads no argument, so the word stands alone on its line.
        case tok::GetMCData:
            fixedShape(0, msg::kTooManyArgs);
            return;
        case tok::Number:
            eventLine();
            return;
        default:
            m_lex.report(msg::kError, m_lex.text());
            m_lex.advance();
            return;
    }
}

}  // namespace zeq::desk
