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
            token = rt::EndOfText;
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
        token = rt::Integer;
        if (pos < end && isLetter(text[pos])) {
            token = rt::Hex;  // the h (or any letter) ends it and is not kept
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
            token = rt::Hex;
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
        token = rt::Integer;
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
    return token == rt::EndOfLine || (token == rt::EndOfText && immediateMode);
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
    return !(readPos >= textLength && !immediateMode && token == rt::EndOfText);
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

}  // namespace

double ScriptInterpreter::evaluate() {
    if (token == rt::True) {
        advance();
        return -1.0;
    }
    if (token == rt::False) {
        advance();
        return 0.0;
    }
    // Shunting-yard into a postfix sequence of at most 255 items, then a stack evaluation.
    constexpr int kMaxItems = 255;
    PostfixItem out[kMaxItems + 1];
    int outCount = 0;
    int ops[kMaxItems + 2];
    int opCount = 0;
    ops[opCount++] = kBottomMarker;
    bool operandExpected = true;
    bool malformed = false;

    auto emitOp = [&](int op) {
        if (outCount >= kMaxItems) {
            malformed = true;
            return;
        }
        out[outCount++] = {0.0, op};
    };
    auto emitValue = [&](double v) {
        if (outCount >= kMaxItems) {
            malformed = true;
            return;
        }
        out[outCount++] = {v, 0};
    };
    auto endsByOperand = [&]() {
        return (token >= rt::Integer && token <= rt::Fraction) || token == '(';
    };

    while (!atEnd() && token >= 33 && token <= 267 && !malformed) {
        int t = token;
        if (t >= rt::Integer && t <= rt::Fraction) {
            double v = 0.0;
            if (t == rt::Identifier) {
                Variable* var = findVariable(tokenText);
                if (!var) {
                    reportError(msg::kUnknownName, tokenText, 0);
                    finished = true;
                    return 0.0;
                }
                v = var->value;
            } else if (t == rt::Hex) {
                v = static_cast<double>(std::strtoull(tokenText, nullptr, 16) & 0xFFFFFFFFu);
            } else {
                v = std::strtod(tokenText, nullptr);
            }
            emitValue(v);
            operandExpected = false;
            advance();
            if (endsByOperand()) break;
            continue;
        }
        if (t == '(') {
            if (opCount >= kMaxItems) {
                malformed = true;
                break;
            }
            ops[opCount++] = kOpenMarker;
            operandExpected = true;
            advance();
            continue;
        }
        if (t == ')') {
            while (opCount > 1 && ops[opCount - 1] != kOpenMarker) emitOp(ops[--opCount]);
            if (opCount <= 1) {
                malformed = true;  // ")" without "("
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
        if ((t == '+' || t == '-') && operandExpected) emitValue(0.0);
        while (opCount > 1 && ops[opCount - 1] != kOpenMarker &&
               precedence(ops[opCount - 1]) >= prec)
            emitOp(ops[--opCount]);
        if (opCount >= kMaxItems) {
            malformed = true;
            break;
        }
        ops[opCount++] = t;
        operandExpected = setsOperandExpected(t);
        advance();
    }
    while (opCount > 1 && !malformed) {
        int op = ops[--opCount];
        if (op == kOpenMarker) continue;  // an unclosed "(": the operands still evaluate
        emitOp(op);
    }
    if (malformed) {
        reportError(msg::kExprError);
        finished = true;
        return 0.0;
    }

    double stack[kMaxItems + 1];
    int sp = 0;
    for (int i = 0; i < outCount; ++i) {
        const PostfixItem& item = out[i];
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
        double r = 0.0;
        switch (item.op) {
            case '+':
                r = a + b;
                break;
            case '-':
                r = a - b;
                break;
            case '*':
                r = a * b;
                break;
            case '/':
                if (b == 0.0 || std::isnan(b)) {
                    reportError(msg::kDivByZero);
                    finished = true;
                    return 0.0;
                }
                r = a / b;
                break;
            case '&':
                r = static_cast<double>(toInt32(a) & toInt32(b));
                break;
            case '|':
                r = static_cast<double>(toInt32(a) | toInt32(b));
                break;
            case '^':
                r = static_cast<double>(toInt32(a) ^ toInt32(b));
                break;
            case '<':
                r = a < b ? 1.0 : 0.0;
                break;
            case '>':
                r = a > b ? 1.0 : 0.0;
                break;
            case rt::LessEq:
                r = a <= b ? 1.0 : 0.0;
                break;
            case rt::GreaterEq:
                r = a >= b ? 1.0 : 0.0;
                break;
            case rt::Equal:
                r = a == b ? 1.0 : 0.0;
                break;
            case rt::NotEqual:
                r = a != b ? 1.0 : 0.0;
                break;
            case rt::And:
                r = (a != 0.0 && b != 0.0) ? 1.0 : 0.0;
                break;
            case rt::Or:
                r = (a == 0.0 && b == 0.0) ? 0.0 : 1.0;
                break;
            default:
                r = 0.0;
                break;
        }
        stack[sp - 1] = r;
    }
    if (malformed || sp != 1) {
        reportError(msg::kExprError);
        finished = true;
        return sp > 0 ? stack[sp - 1] : 0.0;
    }
    return stack[0];
}

}  // namespace zeq::desk
