// Parameter statements and built-in calls: the argument-list shapes, rd/wr/wt/wz/wa, the
// simple statements and the built-in dispatcher. Accepted lines are copied verbatim.
#include <cstdio>
#include <string>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"
#include "language/builtin_table.h"

namespace zeq::desk {

namespace {
bool isHWord(std::string_view text) {
    return text == "h" || text == "H";
}
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

namespace {
// The "too many arguments" text of a fixed-count argument list.
const char* tooManyText(int count) {
    switch (count) {
        case 1:
            return msg::kTooMany1;
        case 2:
            return msg::kTooMany2;
        case 3:
            return msg::kTooMany3;
        case 4:
            return msg::kTooMany4;
        default:
            return msg::kTooManyArgs;
    }
}
}  // namespace

// The built-in's argument list, by the shape its table row gives.
void ScriptCompiler::builtinCall() {
    const int code = m_lex.code();
    if (code == tok::Number) {
        eventLine();
        return;
    }
    const Builtin* builtin = findBuiltin(code);
    switch (builtin ? builtin->shape : BuiltinShape::Reject) {
        case BuiltinShape::Word: {
            const size_t start = m_lex.tokenStart();
            m_lex.advance();
            emitSlice(start);
            return;
        }
        case BuiltinShape::Fixed:
            fixedShape(builtin->count, tooManyText(builtin->count));
            return;
        case BuiltinShape::Vars:
        case BuiltinShape::VarsOut:
            varShape(builtin->count, builtin->shape == BuiltinShape::VarsOut);
            return;
        case BuiltinShape::Getter:
            getterShape();
            return;
        case BuiltinShape::GetterAxis:
            getterAxisShape();
            return;
        case BuiltinShape::Wait:
            waitStatement();
            return;
        case BuiltinShape::PathData:
            pathWrDataFixed(builtin->count);
            return;
        case BuiltinShape::Special:
            specialBuiltin(code);
            return;
        case BuiltinShape::Simple:
        case BuiltinShape::Event:
        case BuiltinShape::Reject:
            m_lex.report(msg::kError, m_lex.text());
            m_lex.advance();
            return;
    }
}

// The built-ins with statements of their own.
void ScriptCompiler::specialBuiltin(int code) {
    switch (code) {
        case tok::Rd:
            readStatement(true);
            return;
        case tok::Wr:
            writeStatement();
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
        default:
            m_lex.report(msg::kError, m_lex.text());
            m_lex.advance();
            return;
    }
}

}  // namespace zeq::desk
