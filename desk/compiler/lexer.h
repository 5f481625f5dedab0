// Lexer of the script language: source buffer and positions, tokenizer, the spell-check pre-pass
// and the compiler's error report. All positions are byte offsets into the source.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/encoding.h"
#include "core/interfaces.h"

namespace zeq::desk {

class Lexer {
  public:
    static constexpr int kTextCapacity = 256;  // token text buffer, NUL included
    static constexpr int kMaxIdentifier = 130;

    // The source is not copied: `bytes` must outlive the scan. In UTF-8 mode a multi-byte
    // character is one token; in GBK mode every byte >= 0x80 starts a two-byte character.
    void setSource(std::string_view bytes, TextEncoding enc);
    void setSink(OutputSink* sink) { m_sink = sink; }
    void rewind();  // read position and line back to 0

    // Scans one token from the read position and returns its code.
    int next();
    // Reads the next token; false when the read position has reached the end of the source
    // (always true in immediate mode).
    bool advance();
    // Current token must be exactly `word` (case matters); reports "标识符缺少" otherwise.
    // Advances in both cases; returns whether the source continues.
    bool expectWord(std::string_view word, std::optional<int> line = std::nullopt);
    // Advances until the current token is a line end or the end of the source.
    void skipToEndOfLine();
    // The pre-pass over the raw bytes; true when no error has been counted so far.
    bool spellCheck();

    // Counts one error and writes it to the pane. `line` is 0-based; without it the current
    // line is named. Detail bytes come from the script and are converted for display.
    void report(std::string_view message, std::optional<std::string_view> detail = std::nullopt,
                std::optional<int> line = std::nullopt);
    // Writes pane text as it is (progress lines).
    void say(std::string_view text) const;

    // Current token.
    int code() const { return m_code; }
    std::string_view text() const { return {m_text, static_cast<size_t>(m_textLen)}; }
    int value() const { return m_value; }
    size_t tokenStart() const { return m_tokStart; }
    size_t previousEnd() const { return m_prevEnd; }
    size_t position() const { return m_pos; }
    int line() const { return m_line; }
    int statementLine() const { return m_stmtLine; }
    // The line a statement ended on when the current token is its line end: the previous line
    // after a line feed, the current one at the end of the source.
    int lineOfCurrentEnd() const { return m_code == 10 ? m_line - 1 : m_line; }
    bool atEnd() const { return m_pos >= m_len; }
    // Re-reads from `pos` on `line` with the given token text (the assignment statement puts
    // the read position back behind its identifier).
    void restore(size_t pos, int line, std::string_view text, int code);

    std::string_view source() const { return {m_src, m_len}; }
    std::string_view slice(size_t from, size_t to) const {
        if (from > m_len) from = m_len;
        if (to > m_len) to = m_len;
        return to > from ? std::string_view(m_src + from, to - from) : std::string_view();
    }
    char at(size_t i) const { return i < m_len ? m_src[i] : '\0'; }
    void setPosition(size_t pos) { m_pos = pos < m_len ? pos : m_len; }
    void addLines(int n) { m_line += n; }
    TextEncoding encoding() const { return m_enc; }
    std::string toDisplay(std::string_view bytes) const { return scriptTextToUtf8(bytes, m_enc); }

    int errorCount() const { return m_errors; }
    void addError() { ++m_errors; }
    void resetErrors() { m_errors = 0; }
    bool immediate() const { return m_immediate; }
    void setImmediate(bool on) { m_immediate = on; }
    void setLine(int line) { m_line = line; }

  private:
    int scanNumber();
    int scanWord();
    int scanQuote();
    void put(char c);
    int characterWidth(size_t at) const;

    const char* m_src = "";
    size_t m_len = 0;
    TextEncoding m_enc = TextEncoding::Gbk;
    size_t m_pos = 0;
    size_t m_tokStart = 0;
    size_t m_prevEnd = 0;
    int m_code = 0;
    char m_text[kTextCapacity] = {};
    int m_textLen = 0;
    bool m_textCut = false;
    int m_value = 0;
    int m_line = 0;
    int m_stmtLine = 0;
    int m_errors = 0;
    bool m_immediate = false;
    OutputSink* m_sink = nullptr;
};

}  // namespace zeq::desk
