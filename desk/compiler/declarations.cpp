// Name tables, `var` declarations, `#def` macros, the expression check and assignments.
#include <algorithm>
#include <array>
#include <string>

#include "card/names.h"
#include "compiler/messages.h"
#include "compiler/script_compiler.h"
#include "compiler/tokens.h"

namespace zeq::desk {

namespace {

struct ScriptType {
    std::string_view name;
    int kind;
    int words;
};

// The declarable types of `#def`. The last entry is the block type: it has no name, so no
// written word selects it; its size would be the number written after the macro name.
constexpr std::array<ScriptType, 6> kScriptTypes = {{
    {"ZEQ_INT", 3, 1},
    {"ZEQ_UINT", 2, 1},
    {"ZEQ_LONG", 5, 2},
    {"ZEQ_ULONG", 4, 2},
    {"ZEQ_DOUBLE", 6, 3},
    {"", 0, 0},
}};

std::string asciiUpper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = card::ascii_upper(c);
    return u;
}

bool startsOperand(int code) {
    return code == tok::Number || code == tok::HexNumber || code == tok::Fraction ||
           code == tok::Identifier || code == '(';
}

}  // namespace

size_t NameTable::hash(std::string_view name) {
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    return h ^ (h >> 16);
}

int NameTable::find(std::string_view name) const {
    if (m_slots.empty()) return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t s = hash(name) & mask;; s = (s + 1) & mask) {
        const int slot = m_slots[s];
        if (slot == 0) return -1;
        if (m_entries[static_cast<size_t>(slot - 1)].name == name) return slot - 1;
    }
}

// Keeps the slots at most half full; the entries are hashed again into the larger array.
void NameTable::grow() {
    const size_t size = m_slots.empty() ? 64 : m_slots.size() * 2;
    m_slots.assign(size, 0);
    const size_t mask = size - 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        size_t s = hash(m_entries[i].name) & mask;
        while (m_slots[s] != 0) {
            if (m_entries[static_cast<size_t>(m_slots[s] - 1)].name == m_entries[i].name) break;
            s = (s + 1) & mask;
        }
        if (m_slots[s] == 0) m_slots[s] = static_cast<int>(i) + 1;  // the first entry wins
    }
}

int NameTable::add(std::string_view name, int label, int firstLine, bool defined) {
    m_entries.push_back(Entry{std::string(name), label, firstLine, defined});
    const int index = static_cast<int>(m_entries.size()) - 1;
    if (2 * m_entries.size() > m_slots.size()) {
        grow();
        return index;
    }
    const size_t mask = m_slots.size() - 1;
    for (size_t s = hash(name) & mask;; s = (s + 1) & mask) {
        const int slot = m_slots[s];
        if (slot == 0) {
            m_slots[s] = index + 1;
            break;
        }
        if (m_entries[static_cast<size_t>(slot - 1)].name == name) break;  // the first one wins
    }
    return index;
}

void NameTable::clear() {
    m_entries.clear();
    if (!m_slots.empty()) std::fill(m_slots.begin(), m_slots.end(), 0);
}

bool ScriptCompiler::isCatalogueName(std::string_view name) const {
    return m_catalogue.findByName(name) >= 0;
}

bool ScriptCompiler::isVariable(std::string_view name) const {
    return m_locals.find(name) >= 0 || m_globals.find(name) >= 0;
}

// var NAME {NAME}
void ScriptCompiler::declaration(bool global) {
    const size_t start = m_lex.tokenStart();
    const int line = m_lex.line();
    m_lex.advance();
    if (m_lex.code() == tok::EndOfSource) {
        m_lex.report(msg::kUnexpectedEnd);
        return;
    }
    NameTable& table = global ? m_globals : m_locals;
    while (m_lex.line() == line && m_lex.code() != tok::EndOfSource) {
        const int code = m_lex.code();
        const std::string name(m_lex.text());
        if (code == tok::Identifier) {
            if (m_functions.find(name) >= 0 || isCatalogueName(name) ||
                (!global && m_labels.find(name) >= 0)) {
                m_lex.report(msg::kDefinedOtherKind, name);
            } else if (table.find(name) >= 0) {
                m_lex.report(msg::kAlreadyDeclared, name);
            } else {
                table.add(name);
            }
        } else if (code == tok::Malformed) {
            m_lex.report(msg::kImproperVarName, name);
        } else if (code == tok::HexNumber) {
            m_lex.report(msg::kNameIsHex, name);
        } else if (code >= 256 && code <= 399) {
            m_lex.report(msg::kNameIsKeyword, name);
        } else {
            m_lex.report(msg::kUnrecognisedChar, name);
        }
        m_lex.advance();
    }
    if (!global) emitSlice(start);
}

// "#" def TYPE NAME
void ScriptCompiler::macroDefinition() {
    m_lex.advance();
    if (m_lex.code() != tok::Def) {
        m_lex.report(msg::kUnrecognisedKeyword, m_lex.text());
        m_lex.skipToEndOfLine();
        return;
    }
    m_lex.advance();
    const std::string typeName = asciiUpper(m_lex.text());
    const ScriptType* type = nullptr;
    for (const ScriptType& t : kScriptTypes) {
        if (!t.name.empty() && t.name == typeName) {
            type = &t;
            break;
        }
    }
    if (!type) {
        m_lex.report(msg::kWrongDataType, m_lex.text());
        m_lex.skipToEndOfLine();
        return;
    }
    m_lex.advance();
    // A name that does not fit a catalogue row could never be found again: refuse it here.
    if (m_lex.code() != tok::Identifier || !ParamRow::fitsName(m_lex.text())) {
        m_lex.report(msg::kImproperMacroName, m_lex.text());
        m_lex.skipToEndOfLine();
        return;
    }
    const std::string name(m_lex.text());
    int size = type->words;
    if (type->words == 0) {  // block entry
        m_lex.advance();
        if (m_lex.code() != tok::Number) {
            m_lex.report(msg::kMacroBlockError);
            m_lex.skipToEndOfLine();
            return;
        }
        size = m_lex.value();
    }
    if (isCatalogueName(name)) {
        m_lex.report(msg::kMacroIsSystemParam, m_lex.text());
        m_lex.skipToEndOfLine();
        return;
    }
    if (size < 0 || m_userWords + size > ParamCatalogue::kUserAreaWords) {
        m_lex.report(msg::kMacroStorageFull);
        m_lex.skipToEndOfLine();
        return;
    }
    // User row: empty format, writable, global. Then the terminator row: empty name, the next
    // free address of the user area. (Empty texts are passed with a valid pointer.)
    const std::string_view none("", 0);
    const auto address = static_cast<uint16_t>(ParamCatalogue::kUserAreaBase + m_userWords);
    m_catalogue.appendRow(ParamRow::make(name, none, address, type->kind, false, true), true);
    m_userWords += size;
    const auto next = static_cast<uint16_t>(ParamCatalogue::kUserAreaBase + m_userWords);
    m_catalogue.appendRow(ParamRow::make(none, none, next, 0, false, false), false);
    m_lex.skipToEndOfLine();
}

// EXPR: operands (numbers, variables, parenthesised EXPR) joined by operators, on one line.
// Checks the token sequence only; the interpreter evaluates the text.
bool ScriptCompiler::expression() {
    const int first = m_lex.code();
    if (first == tok::True || first == tok::False) {
        m_lex.advance();
        return true;
    }
    const int startLine = m_lex.line();
    if (first >= tok::EndOfSource) m_lex.report(msg::kAssignmentError, std::nullopt, startLine);

    bool operandExpected = true;
    int previous = 0;  // last operator or number
    int openParens = 0;
    bool done = false;
    while (!done && m_lex.line() == startLine) {
        const int code = m_lex.code();
        switch (code) {
            case '!':
            case '+':
            case '-':
            case '&':
            case '*':
            case '/':
            case '^':
            case '|': {
                const bool unary = (code == '!' || code == '+' || code == '-') && operandExpected;
                if (unary) operandExpected = false;
                if (previous == tok::Fraction && (code == '|' || code == '&' || code == '^')) {
                    m_lex.report(msg::kFloatOperator, m_lex.text(), startLine);
                }
                previous = code;
                m_lex.advance();
                if (operandExpected) m_lex.report(msg::kOperandMissing, std::nullopt, startLine);
                if (m_lex.line() != startLine) {
                    m_lex.report(msg::kOperandMissing, std::nullopt, startLine);
                }
                if (!startsOperand(m_lex.code())) {
                    m_lex.report(msg::kExpressionError, std::nullopt, startLine);
                }
                break;
            }
            case '(':
                ++openParens;
                m_lex.advance();
                operandExpected = true;
                if (m_lex.code() == ')') {
                    m_lex.report(msg::kEmptyParentheses, std::nullopt, startLine);
                }
                break;
            case ')':
                if (operandExpected) m_lex.report(msg::kOperandMissing, std::nullopt, startLine);
                if (openParens == 0) {
                    m_lex.report(msg::kSurplusParen, std::nullopt, startLine);
                } else {
                    --openParens;
                }
                m_lex.advance();
                if (startsOperand(m_lex.code())) done = true;
                break;
            case '<':
            case '>':
            case tok::GreaterEq:
            case tok::LessEq:
            case tok::Equal:
            case tok::NotEqual:
            case tok::And:
            case tok::Or:
                previous = code;
                m_lex.advance();
                if (operandExpected || m_lex.line() != startLine) {
                    m_lex.report(msg::kOperandMissing, std::nullopt, startLine);
                }
                operandExpected = true;
                break;
            case tok::Number:
            case tok::HexNumber:
            case tok::Fraction:
                if (code == tok::Fraction &&
                    (previous == '|' || previous == '&' || previous == '^')) {
                    m_lex.report(msg::kFloatOperand, m_lex.text(), startLine);
                }
                previous = code;
                m_lex.advance();
                operandExpected = false;
                if (startsOperand(m_lex.code())) done = true;
                break;
            case tok::Identifier:
                operandExpected = false;
                if (!isVariable(m_lex.text())) {
                    m_lex.report(msg::kNotDefinedVar, m_lex.text(), startLine);
                }
                m_lex.advance();
                if (startsOperand(m_lex.code())) done = true;
                break;
            case tok::Malformed:
                m_lex.report(msg::kMalformedToken, m_lex.text(), startLine);
                m_lex.advance();
                break;
            default:
                done = true;
                break;
        }
    }
    for (int i = 0; i < openParens; ++i) {
        m_lex.report(msg::kParenMissing, std::nullopt, startLine);
    }
    return m_lex.errorCount() == 0;
}

// NAME "=" (EXPR | rd ...)   or   NAME ":"
void ScriptCompiler::identifierStatement() {
    const size_t start = m_lex.tokenStart();
    const size_t behind = m_lex.position();
    const int line = m_lex.line();
    const std::string name(m_lex.text());
    m_lex.advance();
    if (m_lex.code() == ':') {
        labelDefinition(name);
        return;
    }
    if (m_lex.code() != '=') m_lex.report(msg::kSyntaxErrorBang, name, line);

    m_lex.restore(behind, line, name, tok::Identifier);
    if (!isVariable(name)) m_lex.report(msg::kNotDefinedVar, name, line);
    m_lex.advance();
    if (m_lex.line() != line) {
        m_lex.report(msg::kExpressionIncomplete, std::nullopt, line);
        return;
    }
    if (m_lex.code() != '=') m_lex.report(msg::kSyntaxError, std::nullopt, line);
    m_lex.advance();
    if (m_lex.line() != line) {
        m_lex.report(msg::kExpressionIncomplete, std::nullopt, line);
        return;
    }
    if (m_lex.code() == tok::Rd) {
        readStatement(false);
    } else {
        expression();
    }
    emitSlice(start);
}

}  // namespace zeq::desk
