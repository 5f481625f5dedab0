#include "tools/regconfig/instruction_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

#include "card/names.h"
#include "catalogue/param_catalogue.h"

namespace zeq::desk::regconfig {

namespace {

struct Token {
    enum class Type { Integer, Real, Hex, Name, Plus, Minus };
    Type type;
    std::string text;
    int line;
};

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isHexWord(std::string_view w) {
    if (w.size() < 2 || (w.back() != 'h' && w.back() != 'H')) return false;
    for (std::size_t i = 0; i + 1 < w.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(w[i]))) return false;
    return true;
}

bool allDigits(std::string_view w) {
    if (w.empty()) return false;
    for (char c : w)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// Splits the text into tokens. False with the line of the first bad character or word.
bool tokenize(std::string_view text, std::vector<Token>& out, int& errorLine) {
    int line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ';') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '{') {
            while (i < text.size() && text[i] != '}') {
                if (text[i] == '\n') ++line;
                ++i;
            }
            if (i < text.size()) ++i;  // the "}"; an open comment runs to the end of the file
        } else if (c == '+' || c == '-') {
            out.push_back({c == '+' ? Token::Type::Plus : Token::Type::Minus, {}, line});
            ++i;
        } else if (isWordChar(c)) {
            std::size_t j = i;
            while (j < text.size() && (isWordChar(text[j]) || text[j] == '.')) ++j;
            const std::string_view w = text.substr(i, j - i);
            const std::size_t dot = w.find('.');
            Token t{Token::Type::Name, std::string(w), line};
            if (dot != std::string_view::npos) {
                if (!allDigits(w.substr(0, dot)) || !allDigits(w.substr(dot + 1))) {
                    errorLine = line;
                    return false;
                }
                t.type = Token::Type::Real;
            } else if (allDigits(w)) {
                t.type = Token::Type::Integer;
            } else if (isHexWord(w)) {
                t.type = Token::Type::Hex;
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                errorLine = line;  // begins with a digit, yet no number
                return false;
            }
            out.push_back(std::move(t));
            i = j;
        } else {
            errorLine = line;
            return false;
        }
    }
    return true;
}

bool sameWord(std::string_view a, std::string_view b) {
    return card::equals_ignore_case(a, b);
}

// A decimal integer that fits 48 bits (the widest register), or a hexadecimal number of at
// most 8 digits read as a signed 32-bit number.
bool integerOf(const Token& t, std::int64_t& out) {
    if (t.type == Token::Type::Integer) {
        if (t.text.size() > 15) return false;
        out = std::strtoll(t.text.c_str(), nullptr, 10);
        return true;
    }
    if (t.type == Token::Type::Hex) {
        std::string digits = t.text.substr(0, t.text.size() - 1);
        const std::size_t first = digits.find_first_not_of('0');
        if (first != std::string::npos && digits.size() - first > 8) return false;
        const auto u = static_cast<std::uint32_t>(std::strtoull(digits.c_str(), nullptr, 16));
        out = static_cast<std::int32_t>(u);
        return true;
    }
    return false;
}

bool realOf(const Token& t, double& out) {
    if (t.type == Token::Type::Real) {
        out = std::strtod(t.text.c_str(), nullptr);
        return std::isfinite(out);
    }
    std::int64_t v = 0;
    if (!integerOf(t, v)) return false;
    out = static_cast<double>(v);
    return true;
}

// The tokens of one line, read left to right.
class LineReader {
  public:
    LineReader(const Token* begin, const Token* end) : m_at(begin), m_end(end) {}
    bool done() const { return m_at == m_end; }
    const Token* peek() const { return done() ? nullptr : m_at; }
    const Token* next() { return done() ? nullptr : m_at++; }
    bool take(Token::Type type) {
        if (done() || m_at->type != type) return false;
        ++m_at;
        return true;
    }

  private:
    const Token* m_at;
    const Token* m_end;
};

// ["-"] value, as a real number.
bool signedReal(LineReader& r, double& out) {
    const bool negative = r.take(Token::Type::Minus);
    const Token* t = r.next();
    if (!t || !realOf(*t, out)) return false;
    if (negative) out = -out;
    return true;
}

// [axis]: decimal or hexadecimal, 0 when absent.
bool optionalAxis(LineReader& r, int& axis) {
    axis = 0;
    if (r.done()) return true;
    std::int64_t v = 0;
    if (!integerOf(*r.next(), v) || v < 0 || v > 0xFFFF) return false;
    axis = static_cast<int>(v);
    return r.done();
}

// WR name ["+" offset] ["-"] value [axis]
bool parseWrite(LineReader& r, Instruction& ins) {
    const Token* name = r.next();
    if (!name || name->type != Token::Type::Name) return false;
    ParamRow row{};
    if (paramCatalogue().findByName(name->text, &row) < 0) return false;
    ins.address = row.address;
    ins.kind = row.kind;
    if (r.take(Token::Type::Plus)) {
        std::int64_t offset = 0;
        const Token* t = r.next();
        if (!t || !integerOf(*t, offset) || offset < 0 || row.address + offset > 1023) return false;
        ins.address = static_cast<int>(row.address + offset);
        ins.wordWrite = true;
        ins.kind = kKindUInt16;
    }
    const bool negative = r.take(Token::Type::Minus);
    const Token* value = r.next();
    if (!value) return false;
    if (value->type == Token::Type::Real) {
        double d = 0;
        if (!realOf(*value, d) || std::fabs(d) >= 9.2e18) return false;
        ins.value = static_cast<std::int64_t>(d);
    } else if (!integerOf(*value, ins.value)) {
        return false;
    }
    if (negative) ins.value = -ins.value;
    return optionalAxis(r, ins.axis);
}

bool parseLine(LineReader& r, Instruction& ins) {
    const Token* keyword = r.next();
    if (keyword->type != Token::Type::Name) return false;
    if (sameWord(keyword->text, "WR")) {
        ins.op = Instruction::Op::Write;
        return parseWrite(r, ins);
    }
    if (sameWord(keyword->text, "SETTIMESCALE")) {
        ins.op = Instruction::Op::TimeScale;
        return signedReal(r, ins.scale) && r.done();
    }
    if (sameWord(keyword->text, "SETDISTSCALE")) {
        ins.op = Instruction::Op::DistScale;
        return signedReal(r, ins.scale) && optionalAxis(r, ins.axis);
    }
    return false;
}

}  // namespace

ParseResult parseInstructions(std::string_view text) {
    ParseResult result;
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, result.errorLine)) return result;
    for (std::size_t i = 0; i < tokens.size();) {
        std::size_t j = i;
        while (j < tokens.size() && tokens[j].line == tokens[i].line) ++j;
        LineReader reader(tokens.data() + i, tokens.data() + j);
        Instruction ins;
        ins.line = tokens[i].line;
        if (!parseLine(reader, ins)) {
            result.errorLine = ins.line;
            result.instructions.clear();
            return result;
        }
        result.instructions.push_back(ins);
        i = j;
    }
    return result;
}

}  // namespace zeq::desk::regconfig
