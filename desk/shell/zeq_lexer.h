// The editor's colouring: a thin adapter that hands each line to the Qt-free line parser and
// paints its runs. The state carried from line to line is kept as Scintilla's line state, so
// restyling after an edit starts at the edited line and stops where the carried state is
// unchanged again... or at the end of the range Scintilla asks for.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <array>
#include <memory>

#include "core/encoding.h"
#include "shell/rules/line_parser.h"

namespace zeq::desk {

class ZeqLexer : public QsciLexerCustom {
    Q_OBJECT
  public:
    explicit ZeqLexer(QObject* parent = nullptr);

    const char* language() const override { return "ZEQ"; }
    QString description(int style) const override;
    void styleText(int start, int end) override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    QFont defaultFont(int style) const override;

    // The rule set to colour with (shared by every editor).
    void setRules(std::shared_ptr<const SyntaxRules> rules);
    const SyntaxRules& rules() const { return *m_rules; }
    // The colours of the six kinds and the background.
    void setColours(const std::array<QColor, kColourKindCount>& colours, const QColor& paper);
    void setEditorFont(const QFont& font);

    // Lines parsed by styleText since the last reset (for measurements).
    long linesParsed() const { return m_linesParsed; }
    void resetLinesParsed() { m_linesParsed = 0; }

  private:
    std::shared_ptr<const SyntaxRules> m_rules;
    std::array<QColor, kColourKindCount> m_colours;
    QColor m_paper;
    QFont m_font;
    long m_linesParsed = 0;
};

}  // namespace zeq::desk
