// Path data, path-event blocks, event lines and FileContour.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"
#include "core/contour_path.h"

namespace zeq::desk {

namespace {
bool lineGoesOn(const Lexer& lex) {
    return lex.code() != tok::EndOfLine && lex.code() != tok::EndOfSource;
}

// The card accepts at most 32 instructions in one path-event block.
constexpr int kMaxPathEvents = 32;
constexpr int kMaxLineSegments = 12;
constexpr int kMaxArcSegments = 16;
constexpr int kMaxEventId = 31;
}  // namespace

// FileContour NAME   (NAME is the raw rest of the line)
void ScriptCompiler::fileContour() {
    const size_t start = m_lex.tokenStart();
    const std::string_view src = m_lex.source();
    size_t p = m_lex.position();
    while (p < src.size() && (src[p] == ' ' || src[p] == '\t' || src[p] == '\r')) ++p;
    if (p >= src.size() || src[p] == '\n') {
        m_lex.advance();
        m_lex.report(msg::kFileNameMissing, std::nullopt, m_lex.lineOfCurrentEnd());
        return;
    }
    size_t end = p;
    while (end < src.size() && src[end] != '\n') ++end;
    size_t last = end;
    while (last > p && (src[last - 1] == '\r' || src[last - 1] == ' ' || src[last - 1] == '\t'))
        --last;
    // File names on this system are UTF-8; a GBK script's name is converted first.
    const std::string path =
        resolveContourPath(m_programDir, m_lex.toDisplay(src.substr(p, last - p)));
    m_lex.setPosition(end);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
        emitText(std::string(m_lex.slice(start, last)) + "\r\n");
    } else {
        m_lex.report(joined(msg::kFileNotFound, path));
    }
    m_lex.advance();
}

// PathWRData PARAM [","] N "," DATA1 "," … DATAN "," AXIS
void ScriptCompiler::pathWrData() {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (paramName() < 0) return;
    if (m_lex.code() == ',') m_lex.advance();
    if (atLineEnd(true)) return;
    const long n = std::strtol(std::string(m_lex.text()).c_str(), nullptr, 10);
    expression();
    for (long i = 0; i < n; ++i) {
        if (!commaStep()) return;
        if (atLineEnd(true)) return;
        expression();
    }
    if (!commaStep()) return;
    if (atLineEnd(true)) return;
    expression();
    if (lineGoesOn(m_lex)) {
        m_lex.report(msg::kTooManyArgsPath);
        m_lex.skipToEndOfLine();
        return;
    }
    if (m_lex.errorCount() == 0) emitSlice(start);
}

// PathWRData16|32|48 PARAM "," DATA "," AXIS   |   PathWRDataORXOR PARAM "," OR "," XOR "," AXIS
void ScriptCompiler::pathWrDataFixed(int expressions) {
    const size_t start = m_lex.tokenStart();
    if (!enterFunction()) return;
    if (paramName() < 0) return;
    for (int i = 0; i < expressions; ++i) {
        if (!commaStep()) return;
        if (atLineEnd(true)) return;
        expression();
    }
    if (lineGoesOn(m_lex)) {
        m_lex.report(msg::kTooMany3);
        m_lex.skipToEndOfLine();
        return;
    }
    if (m_lex.errorCount() == 0) emitSlice(start);
}

// PathAddLineSegData ENDVEL "," TGVEL "," N {"," DATA}   |   PathAddLine N {"," DATA}
// (the same for the arc forms)
void ScriptCompiler::segmentData(bool arc, bool withVelocities) {
    const size_t start = m_lex.tokenStart();
    const int line = m_lex.line();
    if (!enterFunction()) return;
    if (withVelocities) {
        for (int i = 0; i < 2; ++i) {
            if (atLineEnd(true)) return;
            expression();
            if (!commaStep()) return;
        }
    }
    if (atLineEnd(true)) return;
    const std::string count(m_lex.text());
    const auto n = static_cast<int16_t>(std::strtol(count.c_str(), nullptr, 10));
    const int limit = arc ? kMaxArcSegments : kMaxLineSegments;
    if (n > limit) {
        m_lex.report(arc ? msg::kArcSegmentsMax : msg::kLineSegmentsMax);
        m_lex.skipToEndOfLine();
        return;
    }
    expression();
    int items = 0;
    while (lineGoesOn(m_lex)) {
        if (!commaStep()) return;
        if (atLineEnd(true)) return;
        expression();
        if (++items > n) {
            m_lex.report(arc ? msg::kArcDataMismatch : msg::kLineDataExcess, std::nullopt, line);
            m_lex.skipToEndOfLine();
            return;
        }
    }
    if (m_lex.errorCount() == 0) emitSlice(start);
}

// PathEvent EOL {INSTRUCTION EOL} EndPathEvent
void ScriptCompiler::pathEventBlock() {
    {
        const size_t start = m_lex.tokenStart();
        m_lex.advance();
        emitSlice(start);
    }
    int count = 0;
    for (;;) {
        const int code = m_lex.code();
        if (code == tok::EndOfSource) {
            m_lex.report(msg::kPathEventNoEnd);
            return;
        }
        if (code == tok::EndOfLine) {
            m_lex.advance();
            continue;
        }
        if (code == tok::EndPathEvent) {
            const size_t start = m_lex.tokenStart();
            m_lex.advance();
            emitSlice(start);
            return;
        }
        const int line = m_lex.line();
        if (!eventInstruction(false)) {
            m_lex.report(msg::kPathEventWrong, m_lex.text());
            m_lex.skipToEndOfLine();
        }
        if (++count == kMaxPathEvents + 1) {
            m_lex.report(msg::kPathEventTooMany, std::nullopt, line);
        }
    }
}

// [COND [","]] INSTRUCTION [","] ARGS; copied from its first token (or from `lineStart`).
// False, with nothing consumed, when the token is no event instruction and `withId` is clear.
bool ScriptCompiler::eventInstruction(bool withId) {
    return eventInstructionFrom(m_lex.tokenStart(), withId, m_lex.line());
}

bool ScriptCompiler::eventInstructionFrom(size_t lineStart, bool withId, int line) {
    if (m_lex.code() == '@') {
        Lexer probe = m_lex;
        probe.setSink(nullptr);
        probe.advance();
        const int cond = lookupKeyword(atWord(probe.text()));
        if (probe.code() == tok::EndOfLine || probe.code() == tok::EndOfSource ||
            !isEventCondition(cond)) {
            if (!withId) return false;
            m_lex.report(msg::kEventInstructionWrong, atWord(probe.text()), line);
            m_lex.skipToEndOfLine();
            return true;
        }
        m_lex.advance();
        m_lex.advance();
        if (m_lex.code() == ',') m_lex.advance();
    } else if (isEventCondition(m_lex.code())) {
        m_lex.advance();
        if (m_lex.code() == ',') m_lex.advance();
    }
    const int code = m_lex.code();
    if (!isEventInstruction(code)) {
        if (!withId) return false;
        m_lex.report(msg::kEventInstructionWrong, m_lex.text(), line);
        m_lex.skipToEndOfLine();
        return true;
    }
    m_lex.advance();
    if (m_lex.code() == ',') m_lex.advance();

    // Each step: a parameter name or an expression, the ones behind `required` optional.
    enum Arg { Param, Expr };
    auto argument = [&](Arg kind) -> bool {
        if (atLineEnd(true)) return false;
        if (kind == Param) return paramName() >= 0;
        expression();
        return true;
    };
    const Arg twoSources[] = {Param, Expr, Param, Expr, Param, Expr};
    const Arg withConstant[] = {Param, Expr, Expr, Param, Expr};
    const Arg copy[] = {Param, Expr, Param, Expr};
    const Arg set[] = {Expr, Param, Expr};
    const Arg* args = nullptr;
    int count = 0;
    int required = 0;
    if (code >= tok::COP16 && code <= tok::COP48) {
        args = copy, count = 4, required = 4;
    } else if (code >= tok::SET16 && code <= tok::SET48) {
        args = set, count = 3, required = 3;
    } else if ((code - tok::ADD32) % 2 == 0) {  // ADD32 … XOR16B at even distances
        args = twoSources, count = 6, required = 3;
    } else {
        args = withConstant, count = 5, required = 3;
    }
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (i >= required && m_lex.code() != ',') break;
            if (!commaStep()) return true;
        }
        if (!argument(args[i])) return true;
    }
    if (m_lex.errorCount() == 0) emitSlice(lineStart);
    return true;
}

// ID [","] [COND [","]] INSTRUCTION ARGS
void ScriptCompiler::eventLine() {
    const size_t start = m_lex.tokenStart();
    const int line = m_lex.line();
    const int id = m_lex.value();
    if (id < 0 || id > kMaxEventId) {
        m_lex.report(msg::kEventIdRange, m_lex.text());
        m_lex.skipToEndOfLine();
        return;
    }
    m_lex.advance();
    if (m_lex.code() == ',') m_lex.advance();
    eventInstructionFrom(start, true, line);
}

}  // namespace zeq::desk
