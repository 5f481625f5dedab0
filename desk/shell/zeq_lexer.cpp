#include "shell/zeq_lexer.h"

#include <Qsci/qsciscintilla.h>

#include <vector>

namespace zeq::desk {

ZeqLexer::ZeqLexer(QObject* parent)
    : QsciLexerCustom(parent),
      m_rules(std::make_shared<SyntaxRules>(SyntaxRules::defaults(kLanguageZeq))) {
    m_colours = {QColor(0, 128, 0), QColor(0, 0, 255), QColor(0, 0, 0),
                 QColor(255, 0, 0), QColor(128, 0, 0), QColor(128, 0, 0)};
    m_paper = Qt::white;
}

QString ZeqLexer::description(int style) const {
    static const char* const names[kColourKindCount] = {"Comment", "Keyword", "Default",
                                                        "Number",  "String",  "Character"};
    return style >= 0 && style < kColourKindCount ? QString::fromLatin1(names[style]) : QString();
}

QColor ZeqLexer::defaultColor(int style) const {
    return style >= 0 && style < kColourKindCount ? m_colours[style] : m_colours[kColourNormal];
}

QColor ZeqLexer::defaultPaper(int) const {
    return m_paper;
}

QFont ZeqLexer::defaultFont(int) const {
    return m_font;
}

void ZeqLexer::setRules(std::shared_ptr<const SyntaxRules> rules) {
    if (rules) m_rules = std::move(rules);
}

void ZeqLexer::setColours(const std::array<QColor, kColourKindCount>& colours,
                          const QColor& paper) {
    m_colours = colours;
    m_paper = paper;
    for (int s = 0; s < kColourKindCount; ++s) {
        setColor(colours[s], s);
        setPaper(paper, s);
    }
    setDefaultPaper(paper);
    setDefaultColor(colours[kColourNormal]);
}

void ZeqLexer::setEditorFont(const QFont& font) {
    m_font = font;
    setDefaultFont(font);
    for (int s = 0; s < kColourKindCount; ++s) setFont(font, s);
}

void ZeqLexer::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed || start >= end) return;
    // Always start at a line start, with the state the previous line carried out.
    int line = static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, start));
    const int lineCount = static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_GETLINECOUNT));
    int state = line > 0
                    ? static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_GETLINESTATE, line - 1))
                    : kStateNone;
    std::vector<char> buffer;
    const SyntaxRules& rules = *m_rules;
    int pos = static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line));
    startStyling(pos);
    while (line < lineCount && pos < end) {
        const int lineEnd =
            static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, line));
        const int next =
            line + 1 < lineCount
                ? static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line + 1))
                : static_cast<int>(ed->SendScintilla(QsciScintilla::SCI_GETLENGTH));
        const int length = lineEnd - pos;
        buffer.resize(static_cast<std::size_t>(length) + 1);
        if (length > 0) {
            ed->SendScintilla(QsciScintilla::SCI_GETTEXTRANGE, pos, lineEnd, buffer.data());
        }
        // The editor holds UTF-8; a GBK file is converted when it is loaded.
        const ParsedLine parsed =
            parseLine(std::string_view(buffer.data(), static_cast<std::size_t>(length)), state,
                      rules, TextEncoding::Utf8);
        ++m_linesParsed;
        int at = 0;
        for (std::size_t r = 0; r < parsed.runs.size(); ++r) {
            const int from = parsed.runs[r].position;
            const int to = r + 1 < parsed.runs.size() ? parsed.runs[r + 1].position : length;
            if (from > at) setStyling(from - at, kColourNormal);
            if (to > from) setStyling(to - from, parsed.runs[r].kind);
            at = std::max(at, to);
        }
        if (at < length) setStyling(length - at, kColourNormal);
        // The line break takes the colour of a comment or string that goes on.
        const int breakStyle = (parsed.state & kStateBlockComment) ? kColourComment
                               : (parsed.state & kStateString)     ? kColourString
                               : (parsed.state & kStateChar)       ? kColourChar
                                                                   : kColourNormal;
        if (next > lineEnd) setStyling(next - lineEnd, breakStyle);
        ed->SendScintilla(QsciScintilla::SCI_SETLINESTATE, line, parsed.state);
        state = parsed.state;
        pos = next;
        ++line;
    }
}

}  // namespace zeq::desk
