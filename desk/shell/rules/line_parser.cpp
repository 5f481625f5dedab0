#include "shell/rules/line_parser.h"

namespace zeq::desk {
namespace {

// Bytes taken by the character that starts at `i` (1 for ASCII and for a stray byte).
int unitLength(std::string_view line, std::size_t i, TextEncoding encoding) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x80) return 1;
    int n = 1;
    if (encoding == TextEncoding::Gbk) {
        if (c >= 0x81 && c <= 0xFE && i + 1 < line.size()) n = 2;
    } else {
        n = utf8SequenceLength(c);
    }
    return static_cast<int>(std::min<std::size_t>(n, line.size() - i));
}

bool startsAt(std::string_view line, std::size_t i, std::string_view s) {
    return !s.empty() && line.substr(i, s.size()) == s;
}

// The text ending with the unit that starts at `i` (and is `len` bytes long) equals `s`. The
// whole unit must belong to `s`: the trail byte of a double-byte character closes nothing.
bool endsAt(std::string_view line, std::size_t i, int len, std::string_view s) {
    const std::size_t end = i + len;
    return !s.empty() && s.size() >= static_cast<std::size_t>(len) && end >= s.size() &&
           line.substr(end - s.size(), s.size()) == s;
}

class LineParse {
  public:
    LineParse(std::string_view line, int state, const SyntaxRules& rules)
        : m_line(line), m_rules(rules) {
        m_out.state = state;
    }

    void add(int position, int kind) {
        auto& runs = m_out.runs;
        if (runs.empty() || position >= runs.back().position) runs.push_back({position, kind});
    }

    // Ends a pending word at `end`: a keyword or a number gets its run.
    void endWord(int end) {
        if (m_wordStart < 0) return;
        const std::string_view word = m_line.substr(m_wordStart, end - m_wordStart);
        if (m_rules.isKeyword(word)) {
            add(m_wordStart, kColourKeyword);
        } else if (m_rules.isNumber(word)) {
            add(m_wordStart, kColourNumber);
        }
        m_wordStart = -1;
    }

    ParsedLine run(TextEncoding encoding);

  private:
    std::string_view m_line;
    const SyntaxRules& m_rules;
    ParsedLine m_out;
    int m_wordStart = -1;
};

ParsedLine LineParse::run(TextEncoding encoding) {
    int& state = m_out.state;
    bool emit = true;
    bool wordEnded = false;
    std::size_t i = 0;
    while (i < m_line.size()) {
        const int pos = static_cast<int>(i);
        if (emit) {
            int kind = kColourNormal;
            if (state & (kStateLineComment | kStateBlockComment)) {
                kind = kColourComment;
            } else if (state & kStateString) {
                kind = kColourString;
            }
            add(wordEnded ? pos - 1 : pos, kind);
            emit = false;
            wordEnded = false;
        }
        if (state & kStateLineComment) {
            add(pos, kColourComment);
            break;
        }
        const int len = unitLength(m_line, i, encoding);
        const auto c = static_cast<unsigned char>(m_line[i]);
        if (state & (kStateString | kStateChar | kStateBlockComment)) {
            bool closed = false;
            if (state & kStateString) {
                closed = endsAt(m_line, i, len, m_rules.stringCloser);
            } else if (state & kStateChar) {
                closed = endsAt(m_line, i, len, m_rules.charCloser);
            } else {
                for (const auto& closer : m_rules.blockClosers) {
                    closed = closed || endsAt(m_line, i, len, closer);
                }
            }
            if (closed) {
                state = kStateNone;
                emit = true;
            }
            i += len;
            continue;
        }

        bool lineComment = false;
        for (const auto& starter : m_rules.lineStarters) {
            if (startsAt(m_line, i, starter)) {
                lineComment = true;
                break;
            }
        }
        if (lineComment) {
            add(pos, kColourComment);
            state = kStateLineComment;
            break;
        }
        if (startsAt(m_line, i, m_rules.stringOpener)) {
            add(pos, kColourString);
            state = kStateString;
            i += len;
            continue;
        }
        if (startsAt(m_line, i, m_rules.charOpener)) {
            add(pos, kColourChar);
            state = kStateChar;
            i += len;
            continue;
        }
        bool opened = false;
        for (const auto& opener : m_rules.blockOpeners) {
            if (startsAt(m_line, i, opener)) {
                add(pos, kColourComment);
                state = kStateBlockComment;
                // A two-character opener's second character is not looked at again.
                i += len;
                if (opener.size() >= 2 && i < m_line.size()) i += unitLength(m_line, i, encoding);
                opened = true;
                break;
            }
        }
        if (opened) continue;

        if (len > 1) {
            // A multi-byte character never ends a word; it does not start one either.
        } else if (m_rules.isWordChar(c)) {
            if (m_wordStart < 0) m_wordStart = pos;
        } else if (m_wordStart >= 0) {
            endWord(pos);
            emit = true;
            wordEnded = true;
        }
        i += len;
    }
    endWord(static_cast<int>(m_line.size()));
    if (state & kStateLineComment) state = kStateNone;
    return m_out;
}

}  // namespace

ParsedLine parseLine(std::string_view line, int state, const SyntaxRules& rules,
                     TextEncoding encoding) {
    LineParse parse(line, state & (kStateBlockComment | kStateString | kStateChar), rules);
    return parse.run(encoding);
}

}  // namespace zeq::desk
