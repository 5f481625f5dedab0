#include "compiler/lexer.h"

// GCC 12 at -O2 reports std::string copies inlined here as overlapping memcpy calls
// (-Wrestrict false positive, GCC bug 105329).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#include <cstdint>
#include <cstdio>
#include <vector>

#include "compiler/messages.h"
#include "compiler/tokens.h"

namespace zeq::desk {

namespace {
// ASCII classification of the C locale, whatever locale the process runs in.
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAlnum(char c) {
    return isDigit(c) || isAlpha(c);
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isH(char c) {
    return c == 'h' || c == 'H';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
}  // namespace

void Lexer::setSource(std::string_view bytes, TextEncoding enc) {
    m_src = bytes.data() ? bytes.data() : "";
    m_len = bytes.size();
    m_enc = enc;
    rewind();
}

void Lexer::rewind() {
    m_pos = m_tokStart = m_prevEnd = 0;
    m_line = m_stmtLine = 0;
    m_code = 0;
    m_textLen = 0;
    m_text[0] = '\0';
    m_value = 0;
}

void Lexer::restore(size_t pos, int line, std::string_view text, int code) {
    m_pos = pos;
    m_line = line;
    m_code = code;
    m_textLen = 0;
    m_textCut = false;
    for (char c : text) put(c);
    m_text[m_textLen] = '\0';
}

void Lexer::put(char c) {
    if (m_textLen < kTextCapacity - 1) {
        m_text[m_textLen++] = c;
        m_text[m_textLen] = '\0';
    } else {
        m_textCut = true;
    }
}

int Lexer::characterWidth(size_t at) const {
    const auto lead = static_cast<unsigned char>(m_src[at]);
    int width = 1;
    if (lead >= 0x80) {
        width = m_enc == TextEncoding::Utf8 ? utf8SequenceLength(lead) : 2;
    }
    if (at + width > m_len) width = static_cast<int>(m_len - at);
    return width;
}

int Lexer::next() {
    m_prevEnd = m_pos;
    m_tokStart = m_pos;
    m_stmtLine = m_line;
    m_value = 0;
    for (;;) {
        if (m_pos >= m_len) return m_code = tok::EndOfSource;
        const char c = m_src[m_pos];
        if (isBlank(c)) {
            ++m_pos;
        } else if (c == '\n') {
            ++m_pos;
            ++m_line;
            m_tokStart = m_pos;
            return m_code = tok::EndOfLine;
        } else if (c == ';') {
            while (m_pos < m_len && m_src[m_pos] != '\n') ++m_pos;
            if (m_pos >= m_len) return m_code = tok::EndOfSource;
            ++m_pos;
            ++m_line;
            m_tokStart = m_pos;
            return m_code = tok::EndOfLine;
        } else if (c == '{') {
            ++m_pos;
            while (m_pos < m_len && m_src[m_pos] != '}') {
                if (m_src[m_pos] == '\n') ++m_line;
                ++m_pos;
            }
            if (m_pos >= m_len) return m_code = tok::EndOfSource;
            ++m_pos;
        } else {
            break;
        }
    }

    m_textLen = 0;
    m_text[0] = '\0';
    m_textCut = false;
    const char c = m_src[m_pos];
    if (isDigit(c)) return m_code = scanNumber();
    if (isAlpha(c)) return m_code = scanWord();
    if (static_cast<unsigned char>(c) >= 0x80) {
        const int width = characterWidth(m_pos);
        for (int i = 0; i < width; ++i) put(m_src[m_pos + i]);
        m_pos += width;
        m_value = -1;
        return m_code = static_cast<signed char>(c);
    }
    if (c == '\'') return m_code = scanQuote();

    put(c);
    ++m_pos;
    m_value = -1;
    if (at(m_pos) == '=') {
        int combined = 0;
        switch (c) {
            case '!':
                combined = tok::NotEqual;
                break;
            case '<':
                combined = tok::LessEq;
                break;
            case '=':
                combined = tok::Equal;
                break;
            case '>':
                combined = tok::GreaterEq;
                break;
            default:
                break;
        }
        if (combined != 0) {
            put('=');
            ++m_pos;
            return m_code = combined;
        }
    }
    return m_code = static_cast<unsigned char>(c);
}

// digits [letters/digits ending in h] | digits "." digits | digits
int Lexer::scanNumber() {
    m_tokStart = m_pos;
    uint32_t v = 0;
    while (isDigit(at(m_pos))) {
        v = v * 10u + static_cast<uint32_t>(m_src[m_pos] - '0');
        put(m_src[m_pos++]);
    }
    int code = tok::Number;
    if (isAlpha(at(m_pos))) {
        int count = m_textLen;
        int nonHex = 0;
        char last = 0;
        while (isAlnum(at(m_pos))) {
            last = m_src[m_pos];
            if (!isHexDigit(last)) ++nonHex;
            put(m_src[m_pos++]);
            ++count;
        }
        if (nonHex == 1 && count > 1 && isH(last)) {
            m_value = count - 1;
            code = tok::HexNumber;
        } else {
            m_value = -1;
            code = tok::Malformed;
        }
    } else if (at(m_pos) == '.') {
        put(m_src[m_pos++]);
        while (isDigit(at(m_pos))) put(m_src[m_pos++]);
        m_value = static_cast<int32_t>(v);
        code = tok::Fraction;
    } else {
        m_value = static_cast<int32_t>(v);
    }
    // A run longer than the token buffer is cut to the buffer and reported.
    if (m_textCut) report(msg::kIdentifierTooLong, text());
    return code;
}

// letter {letter | digit | "_"}
int Lexer::scanWord() {
    m_tokStart = m_pos;
    int count = 0;
    int nonHex = 0;
    char last = 0;
    bool reported = false;
    while (isAlnum(at(m_pos)) || at(m_pos) == '_') {
        last = m_src[m_pos++];
        if (!isHexDigit(last)) ++nonHex;
        if (count < kMaxIdentifier) {
            put(last);
        } else if (!reported) {
            reported = true;
            report(msg::kIdentifierTooLong);
        }
        ++count;
    }
    m_value = -1;
    if (nonHex == 1 && isH(last)) {
        m_value = count - 1;
        return tok::HexNumber;
    }
    const int kw = lookupKeyword(text());
    return kw >= 0 ? kw : tok::Identifier;
}

// "'" character "'"
int Lexer::scanQuote() {
    ++m_pos;  // the opening quote
    m_value = -1;
    if (m_pos < m_len && m_src[m_pos] != '\n') {
        const int width = characterWidth(m_pos);
        for (int i = 0; i < width; ++i) put(m_src[m_pos + i]);
        m_pos += width;
        if (at(m_pos) == '\'') {
            ++m_pos;
            m_value = 0;
            return tok::Number;
        }
    }
    // Not a character constant: the rest of the word is the malformed token. A line feed that
    // ends it is left for the next scan.
    while (m_pos < m_len && !isBlank(m_src[m_pos]) && m_src[m_pos] != '\n') {
        put(m_src[m_pos++]);
    }
    if (m_pos < m_len && isBlank(m_src[m_pos])) ++m_pos;
    report(msg::kWritingError);
    return tok::Malformed;
}

bool Lexer::advance() {
    next();
    return m_immediate || m_pos < m_len;
}

bool Lexer::expectWord(std::string_view word, std::optional<int> line) {
    if (text() != word || m_code == tok::EndOfLine || m_code == tok::EndOfSource) {
        report(msg::kWordMissing, word, line);
    }
    return advance();
}

void Lexer::skipToEndOfLine() {
    while (m_code != tok::EndOfLine && m_code != tok::EndOfSource) next();
}

bool Lexer::spellCheck() {
    m_pos = 0;
    m_line = 0;
    std::string word;
    auto takeWord = [&](size_t from) {
        const size_t n = m_pos - from;
        word.assign(m_src + from, n < kTextCapacity - 1 ? n : kTextCapacity - 1);
        return n >= kTextCapacity - 1;
    };
    while (m_pos < m_len) {
        const char c = m_src[m_pos];
        if (c == '\n') {
            ++m_line;
            ++m_pos;
        } else if (c == ';') {
            while (m_pos < m_len && m_src[m_pos] != '\n') ++m_pos;
        } else if (c == '{') {
            ++m_pos;
            while (m_pos < m_len && m_src[m_pos] != '}') {
                if (m_src[m_pos] == '\n') ++m_line;
                ++m_pos;
            }
            if (m_pos < m_len) ++m_pos;
        } else if (isDigit(c)) {
            const size_t from = m_pos;
            while (isDigit(at(m_pos))) ++m_pos;
            if (isH(at(m_pos))) ++m_pos;
            bool bad = false;
            if (isAlnum(at(m_pos))) {
                int nonHex = 0;
                char last = 0;
                while (isAlnum(at(m_pos)) || at(m_pos) == '_') {
                    last = m_src[m_pos++];
                    if (!isHexDigit(last)) ++nonHex;
                }
                bad = !(nonHex == 1 && isH(last));
            }
            // A run longer than a token can hold is refused here, before the tokenizer.
            const bool tooLong = takeWord(from);
            if (bad || tooLong) report(msg::kMisspelt, word);
        } else if (isAlpha(c)) {
            while (isAlnum(at(m_pos)) || at(m_pos) == '_') ++m_pos;
        } else if (c == '#') {
            if (m_len - m_pos - 1 <= 3) {
                report(msg::kMacroError);
                break;
            }
            if (std::string_view(m_src + m_pos + 1, 3) != "def") report(msg::kMacroSignMisused);
            for (size_t i = 1; i <= 3; ++i) {
                if (m_src[m_pos + i] == '\n') ++m_line;
            }
            m_pos += 4;
        } else {
            ++m_pos;  // blanks, operators, punctuation and everything else
        }
    }
    m_pos = 0;
    return m_errors == 0;
}

void Lexer::say(std::string_view text) const {
    if (m_sink) m_sink->append(text);
}

void Lexer::report(std::string_view message, std::optional<std::string_view> detail,
                   std::optional<int> line) {
    ++m_errors;
    if (!m_sink) return;
    const int shown = (line ? *line : m_line) + 1;
    const std::string msgText(message);
    std::vector<char> buf(msgText.size() + (detail ? detail->size() * 3 : 0) + 96);
    int n = 0;
    if (detail) {
        const std::string d = toDisplay(*detail);
        buf.resize(msgText.size() + d.size() + 96);
        n = m_immediate ? std::snprintf(buf.data(), buf.size(), msg::kFormDetailImmediate, shown,
                                        d.c_str(), msgText.c_str())
                        : std::snprintf(buf.data(), buf.size(), msg::kFormDetail, shown, shown,
                                        d.c_str(), msgText.c_str());
    } else {
        n = m_immediate ? std::snprintf(buf.data(), buf.size(), msg::kFormPlainImmediate, shown,
                                        msgText.c_str())
                        : std::snprintf(buf.data(), buf.size(), msg::kFormPlain, shown, shown,
                                        msgText.c_str());
    }
    if (n > 0) m_sink->append(std::string_view(buf.data(), static_cast<size_t>(n)));
}

}  // namespace zeq::desk
