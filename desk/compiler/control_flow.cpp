// Structured statements lowered to numbered labels, jumps and condition lines.
//
//   if C then S1 elseif D then S2 else S3 endif
//     Req: C / jumpZ: LableA1 / S1 / jumpN: LableB / LableA1: / Req: D / jumpZ: LableA2 / S2 /
//     jumpN: LableB / LableA2: / S3 / LableB:
//   while C do S wend
//     LableA: / Req: C / jumpZ: LableB / S / jumpN: LableA / LableB:
//   for i = 1 to 10 step 2 do S next
//     i = 1 / LableA: / Req: i <= (10) / jumpZ: LableB / S / [LableC:] / i=i+(2.000000) /
//     jumpN: LableA / LableB:
// LableC exists only in a for loop that contains a continue: the continue jumps there so that
// the increment runs before the test.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"

namespace zeq::desk {

int ScriptCompiler::push(int kind, std::optional<int> b) {
    Block block;
    block.kind = kind;
    block.a = kind == tok::Main ? 0 : m_labelCounter++;
    block.b = b ? *b : m_labelCounter++;
    block.line = m_lex.line();
    m_blocks.push_back(block);
    return block.a;
}

int ScriptCompiler::findInnermost(std::initializer_list<int> kinds) const {
    for (int i = static_cast<int>(m_blocks.size()) - 1; i >= 0; --i) {
        for (int k : kinds) {
            if (m_blocks[static_cast<size_t>(i)].kind == k) return i;
        }
    }
    return -1;
}

// if EXPR then
void ScriptCompiler::ifStatement() {
    const int line = m_lex.line();
    const int a = push(tok::If);
    m_lex.advance();
    const size_t start = m_lex.tokenStart();
    if (expression()) {
        emitCondition(m_lex.slice(start, m_lex.previousEnd()));
        emitJump("jumpZ", a);
    }
    m_lex.expectWord("then", line);
}

// elseif EXPR then
void ScriptCompiler::elseifStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    // An open else is found too, so that an elseif behind it is reported as such.
    int a = -1;
    if (findInnermost({tok::If, tok::Elseif, tok::Else}) < 0) {
        m_lex.report(msg::kMissingIf, std::nullopt, line);
    } else {
        const Block top = m_blocks.back();
        m_blocks.pop_back();
        emitJump("jumpN", top.b);
        if (top.kind == tok::Else) m_lex.report(msg::kElseBeforeElseif, std::nullopt, line);
        emitLabel(top.a);
        a = push(tok::Elseif, top.b);
    }
    const size_t start = m_lex.tokenStart();
    if (expression() && a >= 0) {
        emitCondition(m_lex.slice(start, m_lex.previousEnd()));
        emitJump("jumpZ", a);
    }
    m_lex.expectWord("then", line);
}

// else
void ScriptCompiler::elseStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    if (findInnermost({tok::If, tok::Elseif, tok::Else}) < 0) {
        m_lex.report(msg::kMissingIf, std::nullopt, line);
        return;
    }
    const Block top = m_blocks.back();
    m_blocks.pop_back();
    emitJump("jumpN", top.b);
    if (top.kind == tok::Else) m_lex.report(msg::kOnlyOneElse, std::nullopt, line);
    emitLabel(top.a);
    push(tok::Else, top.b);
    m_blocks.back().line = line;
}

// endif
void ScriptCompiler::endifStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    const int kind = m_blocks.empty() ? 0 : m_blocks.back().kind;
    if (kind != tok::If && kind != tok::Elseif && kind != tok::Else) {
        m_lex.report(msg::kMissingIf, std::nullopt, line);
        return;
    }
    const Block top = m_blocks.back();
    if (kind == tok::If) {
        emitLabel(top.a);
    } else if (kind == tok::Elseif) {
        emitLabel(top.a);
        emitLabel(top.b);
    } else {
        emitLabel(top.b);
    }
    m_blocks.pop_back();
}

// while EXPR do
void ScriptCompiler::whileStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    emitLabel(m_labelCounter);
    const int b = (push(tok::While), m_blocks.back().b);
    const size_t start = m_lex.tokenStart();
    if (expression()) {
        emitCondition(m_lex.slice(start, m_lex.previousEnd()));
        emitJump("jumpZ", b);
    }
    m_lex.expectWord("do", line);
}

// wend
void ScriptCompiler::wendStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    if (m_blocks.empty() || m_blocks.back().kind != tok::While) {
        m_lex.report(msg::kMissingWhile, std::nullopt, line);
        return;
    }
    const Block top = m_blocks.back();
    emitJump("jumpN", top.a);
    emitLabel(top.b);
    m_blocks.pop_back();
}

// for NAME = EXPR to EXPR [step [-]CONST] do
void ScriptCompiler::forStatement() {
    const int line = m_lex.line();
    double step = 1.0;
    m_lex.advance();
    const std::string var(m_lex.text());
    const size_t start = m_lex.tokenStart();
    if (m_lex.code() != tok::Identifier || !isVariable(var)) {
        m_lex.report(msg::kNotDefinedVar, var, line);
    }
    m_lex.advance();
    if (m_lex.line() != line) {
        m_lex.report(msg::kExpressionIncomplete, std::nullopt, line);
        return;
    }
    if (m_lex.code() != '=') {
        m_lex.report(msg::kSyntaxError, std::nullopt, line);
    }
    m_lex.advance();
    if (m_lex.line() != line) {
        m_lex.report(msg::kExpressionIncomplete, std::nullopt, line);
        return;
    }
    expression();
    emitSlice(start);

    m_lex.expectWord("to", line);

    const size_t limitStart = m_lex.tokenStart();
    emitLabel(m_labelCounter);
    push(tok::For);
    m_blocks.back().line = line;
    const int b = m_blocks.back().b;
    std::string limit;
    if (expression()) limit = std::string(m_lex.slice(limitStart, m_lex.previousEnd()));

    if (m_lex.code() == tok::Step) {
        m_lex.advance();
        double sign = 1.0;
        if (m_lex.code() == '-') {
            sign = -1.0;
            m_lex.advance();
        }
        const std::string value(m_lex.text());
        if (m_lex.code() == tok::Number || m_lex.code() == tok::Fraction) {
            step = sign * std::strtod(value.c_str(), nullptr);
        } else if (m_lex.code() == tok::HexNumber) {
            step = sign * static_cast<double>(std::strtoull(value.c_str(), nullptr, 16));
        } else {
            m_lex.report(msg::kStepConstant, std::nullopt, line);
        }
        m_lex.advance();
    }

    const bool local = m_locals.find(var) >= 0;
    if (local || m_globals.find(var) >= 0) {
        m_steps.push_back(LoopStep{var, !local, step});
        if (!limit.empty()) {
            emitText("Req: " + var + (step >= 0 ? " <= (" : " >= (") + limit + ")\r\n");
            emitJump("jumpZ", b);
        }
    }
    m_lex.expectWord("do", line);
}

// next
void ScriptCompiler::nextStatement() {
    const int line = m_lex.line();
    m_lex.advance();
    if (m_blocks.empty() || m_blocks.back().kind != tok::For) {
        m_lex.report(msg::kMissingFor, std::nullopt, line);
        return;
    }
    const Block top = m_blocks.back();
    if (top.continueLabel >= 0) emitLabel(top.continueLabel);
    if (!m_steps.empty()) {
        const LoopStep& s = m_steps.back();
        char buf[64];
        std::snprintf(buf, sizeof buf, "(%f)\r\n", s.step);
        emitText(s.name + "=" + s.name + "+" + buf);
        m_steps.pop_back();
    }
    emitJump("jumpN", top.a);
    emitLabel(top.b);
    m_blocks.pop_back();
}

// break | continue
void ScriptCompiler::loopJump(bool isBreak) {
    const int line = m_lex.line();
    m_lex.advance();
    const int i = findInnermost({tok::For, tok::While});
    if (i < 0) {
        m_lex.report(isBreak ? msg::kBreakOutside : msg::kContinueOutside, std::nullopt, line);
        return;
    }
    Block& loop = m_blocks[static_cast<size_t>(i)];
    if (isBreak) {
        emitJump("jumpN", loop.b);
    } else if (loop.kind == tok::For) {
        if (loop.continueLabel < 0) loop.continueLabel = m_labelCounter++;
        emitJump("jumpN", loop.continueLabel);
    } else {
        emitJump("jumpN", loop.a);
    }
}

// goto NAME
void ScriptCompiler::gotoStatement() {
    m_lex.advance();
    if (m_lex.code() != tok::Identifier) {
        m_lex.report(msg::kGotoSyntax);
        m_lex.advance();
        return;
    }
    const std::string name(m_lex.text());
    if (m_functions.find(name) >= 0 || isCatalogueName(name) || m_locals.find(name) >= 0) {
        m_lex.report(msg::kDefinedOtherKind, name);
        m_lex.advance();
        return;
    }
    int i = m_labels.find(name);
    if (i < 0) i = m_labels.add(name, m_labelCounter++, m_lex.line(), false);
    emitJump("jumpN", m_labels[i].label);
    m_lex.advance();
}

// NAME ":"   (the current token is the colon)
void ScriptCompiler::labelDefinition(std::string_view name) {
    if (m_functions.find(name) >= 0 || isCatalogueName(name) || m_locals.find(name) >= 0) {
        m_lex.report(msg::kLabelOtherKind, name);
        m_lex.advance();
        return;
    }
    int i = m_labels.find(name);
    if (i >= 0 && m_labels[i].defined) {
        m_lex.report(msg::kRedefinition, name);
    } else if (i >= 0) {
        m_labels[i].defined = true;
    } else {
        i = m_labels.add(name, m_labelCounter++, m_lex.line(), true);
    }
    emitLabel(m_labels[i].label);
    m_lex.advance();
}

}  // namespace zeq::desk
