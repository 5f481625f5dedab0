// The run-time tokenizer, advance/expect and the expression evaluator.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interpreter/interp_messages.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"

namespace zeq::desk {
namespace {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr std::size_t kTextMax = 255;

}  // namespace

void ScriptInterpreter::advance() {
    const char* text = programText;
    const std::uint32_t end = textLength;
    std::uint32_t pos = readPos;
    tokenValue = -1;
    for (;;) {
        if (pos >= end) {
            readPos = end;
            token = rt::EndOfSource;
            tokenText[0] = '\0';
            return;
        }
        char c = text[pos];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++pos;
            continue;
        }
        if (c == ';') {
            while (pos < end && text[pos] != '\n') ++pos;
            continue;  // the line feed comes next as the end of line
        }
        if (c == '{') {
            ++pos;
            while (pos < end && text[pos] != '}') {
                if (text[pos] == '\n') ++lineNo;
                ++pos;
            }
            if (pos < end) ++pos;
            continue;
        }
        break;
    }
    char c = text[pos];
    std::size_t n = 0;
    if (c == '\n') {
        readPos = pos + 1;
        ++lineNo;
        token = rt::EndOfLine;
        tokenText[0] = '\n';
        tokenText[1] = '\0';
        return;
    }
    if (isDigit(c)) {
        std::int32_t value = 0;
        while (pos < end && isHexDigit(text[pos])) {
            if (n < kTextMax) tokenText[n++] = text[pos];
            value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) * 10u +
                                              static_cast<std::uint32_t>(text[pos] - '0'));
            ++pos;
        }
        token = rt::Number;
        if (pos < end && isLetter(text[pos])) {
            token = rt::HexNumber;  // the h (or any letter) ends it and is not kept
            value = static_cast<std::int32_t>(n);
            ++pos;
        } else if (pos < end && text[pos] == '.') {
            if (n < kTextMax) tokenText[n++] = '.';
            ++pos;
            while (pos < end && isDigit(text[pos])) {
                if (n < kTextMax) tokenText[n++] = text[pos];
                ++pos;
            }
            token = rt::Fraction;
        }
        tokenText[n] = '\0';
        tokenValue = value;
        readPos = pos;
        return;
    }
    if (isLetter(c) || c == '_') {
        int nonHex = 0;
        std::size_t nonHexAt = 0;
        std::size_t len = 0;
        while (pos < end && (isLetter(text[pos]) || isDigit(text[pos]) || text[pos] == '_')) {
            if (!isHexDigit(text[pos])) {
                ++nonHex;
                nonHexAt = len;
            }
            if (n < kTextMax) tokenText[n++] = text[pos];
            ++len;
            ++pos;
        }
        tokenText[n] = '\0';
        readPos = pos;
        if (nonHex == 1 && nonHexAt == len - 1 && len >= 2 && n == len &&
            (tokenText[len - 1] == 'h' || tokenText[len - 1] == 'H')) {
            tokenText[len - 1] = '\0';
            token = rt::HexNumber;
            tokenValue = static_cast<std::int32_t>(len - 1);
            return;
        }
        int code = rt::lookupKeyword(std::string_view(tokenText, n));
        token = code ? code : rt::Identifier;
        return;
    }
    if (c == '\'') {
        // 'c': the character's code; its text is the decimal code, so that it converts to it.
        ++pos;
        unsigned char ch = pos < end ? static_cast<unsigned char>(text[pos]) : 0;
        if (pos < end) ++pos;
        if (pos < end) ++pos;  // the closing quote
        readPos = pos;
        token = rt::Number;
        tokenValue = ch;
        std::snprintf(tokenText, sizeof tokenText, "%u", static_cast<unsigned>(ch));
        return;
    }
    ++pos;
    tokenText[0] = c;
    tokenText[1] = '\0';
    if ((c == '!' || c == '<' || c == '=' || c == '>') && pos < end && text[pos] == '=') {
        tokenText[1] = '=';
        tokenText[2] = '\0';
        ++pos;
        token = c == '!'   ? rt::NotEqual
                : c == '<' ? rt::LessEq
                : c == '=' ? rt::Equal
                           : rt::GreaterEq;
    } else {
        token = static_cast<unsigned char>(c);
    }
    readPos = pos;
}

bool ScriptInterpreter::atEnd() const {
    return token == rt::EndOfLine || (token == rt::EndOfSource && immediateMode);
}

bool ScriptInterpreter::expect(int code) {
    if (token == code) {
        advance();
    } else {
        if (code < 128) {
            char buf[32];
            std::snprintf(buf, sizeof buf, msg::kMissingChar, code);
            reportError(buf);
        } else {
            std::string text(rt::keywordName(code));
            text += msg::kWrongKeyword;
            reportError(text);
        }
        advance();
    }
    return !(readPos >= textLength && !immediateMode && token == rt::EndOfSource);
}

// ---- Expressions ----

namespace {

enum : int { kOpenMarker = 1, kBottomMarker = 64 };

inline int precedence(int op) {
    switch (op) {
        case '*':
        case '/':
            return 8;
        case '&':
        case '^':
            return 7;
        case '!':
            return 6;
        case '|':
            return 5;
        case '+':
        case '-':
            return 4;
        case '<':
        case '>':
        case rt::GreaterEq:
        case rt::LessEq:
        case rt::Equal:
        case rt::NotEqual:
            return 3;
        case rt::And:
            return 2;
        case rt::Or:
            return 1;
        default:
            return -1;  // not an operator
    }
}

inline bool setsOperandExpected(int op) {
    return op == '<' || op == '>' || op == rt::GreaterEq || op == rt::LessEq || op == rt::Equal ||
           op == rt::NotEqual || op == rt::And || op == rt::Or;
}

inline std::int32_t toInt32(double v) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(v));
}

struct PostfixItem {
    double value;
    int op;  // 0: operand
};

constexpr int kMaxItems = 255;

// a OP b for the binary operators; false for a division by zero.
bool applyBinary(int op, double a, double b, double& r) {
    switch (op) {
        case '+':
            r = a + b;
            return true;
        case '-':
            r = a - b;
            return true;
        case '*':
            r = a * b;
            return true;
        case '/':
            if (b == 0.0 || std::isnan(b)) return false;
            r = a / b;
            return true;
        case '&':
            r = static_cast<double>(toInt32(a) & toInt32(b));
            return true;
        case '|':
            r = static_cast<double>(toInt32(a) | toInt32(b));
            return true;
        case '^':
            r = static_cast<double>(toInt32(a) ^ toInt32(b));
            return true;
        case '<':
            r = a < b ? 1.0 : 0.0;
            return true;
        case '>':
            r = a > b ? 1.0 : 0.0;
            return true;
        case rt::LessEq:
            r = a <= b ? 1.0 : 0.0;
            return true;
        case rt::GreaterEq:
            r = a >= b ? 1.0 : 0.0;
            return true;
        case rt::Equal:
            r = a == b ? 1.0 : 0.0;
            return true;
        case rt::NotEqual:
            r = a != b ? 1.0 : 0.0;
            return true;
        case rt::And:
            r = (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
            return true;
        case rt::Or:
            r = (a == 0.0 && b == 0.0) ? 0.0 : 1.0;
            return true;
        default:
            r = 0.0;
            return true;
    }
}

}  // namespace

// At most 255 items; `malformed` once the expression cannot be evaluated.
struct ScriptInterpreter::Postfix {
    PostfixItem items[kMaxItems + 1];
    int count = 0;
    bool malformed = false;

    void add(double value, int op) {
        if (count >= kMaxItems) {
            malformed = true;
            return;
        }
        items[count++] = {value, op};
    }
};

double ScriptInterpreter::evaluate() {
    if (token == rt::True) {
        advance();
        return -1.0;
    }
    if (token == rt::False) {
        advance();
        return 0.0;
    }
    // Shunting-yard into a postfix sequence, then a stack evaluation.
    Postfix postfix;
    if (!toPostfix(postfix)) return 0.0;  // an unknown name, reported
    if (postfix.malformed) {
        reportError(msg::kExprError);
        finished = true;
        return 0.0;
    }
    return runPostfix(postfix);
}

// Reads the expression's tokens into postfix order. False after an unknown variable name (the
// run ends); a malformed expression is marked in `postfix`.
bool ScriptInterpreter::toPostfix(Postfix& postfix) {
    int ops[kMaxItems + 2];
    int opCount = 0;
    ops[opCount++] = kBottomMarker;
    bool operandExpected = true;
    auto endsByOperand = [&]() {
        return (token >= rt::Number && token <= rt::Fraction) || token == '(';
    };

    while (!atEnd() && token >= 33 && token <= 267 && !postfix.malformed) {
        int t = token;
        if (t >= rt::Number && t <= rt::Fraction) {
            double v = 0.0;
            if (t == rt::Identifier) {
                Variable* var = findVariable(tokenText);
                if (!var) {
                    reportError(msg::kUnknownName, tokenText, 0);
                    finished = true;
                    return false;
                }
                v = var->value;
            } else if (t == rt::HexNumber) {
                v = static_cast<double>(std::strtoull(tokenText, nullptr, 16) & 0xFFFFFFFFu);
            } else {
                v = std::strtod(tokenText, nullptr);
            }
            postfix.add(v, 0);
            operandExpected = false;
            advance();
            if (endsByOperand()) break;
            continue;
        }
        if (t == '(') {
            if (opCount >= kMaxItems) {
                postfix.malformed = true;
                break;
            }
            ops[opCount++] = kOpenMarker;
            operandExpected = true;
            advance();
            continue;
        }
        if (t == ')') {
            while (opCount > 1 && ops[opCount - 1] != kOpenMarker) postfix.add(0.0, ops[--opCount]);
            if (opCount <= 1) {
                postfix.malformed = true;  // ")" without "("
                break;
            }
            --opCount;
            operandExpected = false;
            advance();
            if (endsByOperand()) break;
            continue;
        }
        int prec = precedence(t);
        if (prec < 0) break;  // "," ":" "=" ... end the expression
        if ((t == '+' || t == '-') && operandExpected) postfix.add(0.0, 0);
        while (opCount > 1 && ops[opCount - 1] != kOpenMarker &&
               precedence(ops[opCount - 1]) >= prec)
            postfix.add(0.0, ops[--opCount]);
        if (opCount >= kMaxItems) {
            postfix.malformed = true;
            break;
        }
        ops[opCount++] = t;
        operandExpected = setsOperandExpected(t);
        advance();
    }
    while (opCount > 1 && !postfix.malformed) {
        int op = ops[--opCount];
        if (op == kOpenMarker) continue;  // an unclosed "(": the operands still evaluate
        postfix.add(0.0, op);
    }
    return true;
}

// Evaluates the postfix sequence on a stack; errors are reported and end the run.
double ScriptInterpreter::runPostfix(const Postfix& postfix) {
    double stack[kMaxItems + 1];
    int sp = 0;
    bool malformed = false;
    for (int i = 0; i < postfix.count; ++i) {
        const PostfixItem& item = postfix.items[i];
        if (item.op == 0) {
            stack[sp++] = item.value;
            continue;
        }
        if (item.op == '!') {
            if (sp < 1) {
                malformed = true;
                break;
            }
            stack[sp - 1] = stack[sp - 1] == 0.0 ? 1.0 : 0.0;
            continue;
        }
        if (sp < 2) {
            malformed = true;
            break;
        }
        double b = stack[--sp];
        double a = stack[sp - 1];
        if (!applyBinary(item.op, a, b, stack[sp - 1])) {
            reportError(msg::kDivByZero);
            finished = true;
            return 0.0;
        }
    }
    if (malformed || sp != 1) {
        reportError(msg::kExprError);
        finished = true;
        return sp > 0 ? stack[sp - 1] : 0.0;
    }
    return stack[0];
}

}  // namespace zeq::desk
