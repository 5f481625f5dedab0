// The source editor: QScintilla with the settings of zeq.ini, colouring through ZeqLexer, the
// line-number gutter, the current and running line, tab, line-end and cross-hair marks,
// automatic indentation and call tips. Reads and writes a file in the encoding it came in.
#pragma once

#include <Qsci/qsciscintilla.h>
#include <Qsci/qscistyle.h>

#include <memory>
#include <vector>

#include "core/encoding.h"
#include "shell/rules/editor_settings.h"
#include "shell/rules/shell_rules.h"
#include "shell/rules/syntax_rules.h"

namespace zeq::desk {

class ZeqLexer;

class SourceEditor : public QsciScintilla {
    Q_OBJECT
  public:
    explicit SourceEditor(QWidget* parent = nullptr);
    ~SourceEditor() override;

    // Applies every setting (switches, colours, font); the tab size starts at 4.
    void applySettings(const EditorSettings& settings);
    const EditorSettings& settings() const { return m_settings; }
    // Language 0 (the script language) or 1 (plain text): reloads the rule set shared by every
    // editor and recolours them all.
    void setLanguage(int language);
    int language() const { return m_settings.switches.language; }

    // Replaces the text; the undo history and the modified flag are cleared.
    void setDocumentText(const QString& text);
    // Reads a file (UTF-8 when it is valid UTF-8, else GBK). On failure the text is unchanged
    // and `error` says why.
    bool loadFile(const QString& path, QString* error);
    // Writes the text in the document's encoding through a temporary file; the old file stays
    // as it was when this fails.
    bool saveFile(const QString& path, QString* error);
    TextEncoding encoding() const { return m_encoding; }
    void setEncoding(TextEncoding e) { m_encoding = e; }
    // The bytes the text is saved as.
    QByteArray encodedText() const;

    // 1-based caret line and column.
    int caretLine() const;
    int caretColumn() const;
    // Text of a 0-based line without its line break; `endsWithCr` tells whether it had "\r".
    QString lineText(int line, bool* endsWithCr = nullptr) const;

    // The running-line mark (0-based source line).
    void markRunningLine(int line);
    void clearRunningLine();
    int runningLine() const { return m_runningLine; }

    // Breakpoints: a mark in the gutter beside the line (a click there toggles it). The marks
    // move with the text; breakpointLines() gives their 0-based lines as they are now.
    void toggleBreakpoint(int line);
    void setBreakpointLines(const std::vector<int>& lines);
    std::vector<int> breakpointLines() const;

    ZeqLexer* zeqLexer() const { return m_lexer; }
    // The call tip shown last (empty when none).
    QString lastCallTip() const { return m_lastTip; }

    // Rebuilds the process-wide rule set from the per-user store (also the editors').
    static void reloadSyntaxRules(int language);

  signals:
    void caretMoved(int line, int column);
    // A breakpoint was toggled, or lines came or went while there are breakpoints.
    void breakpointsChanged();
    // setDocumentText() replaced the whole text (a load or a new document).
    void documentReplaced();

  private:
    void onCharAdded(int ch);
    void onUpdateUi(int updated);
    void refreshLineNumbers();
    void updateCaretMarks();
    void applyColours();
    void recolourAll();

    ZeqLexer* m_lexer;
    EditorSettings m_settings;
    TextEncoding m_encoding = TextEncoding::Gbk;
    CallTipTracker m_tips;
    QString m_lastTip;
    int m_runningLine = -1;
    int m_numberWidth = 0;
    int m_lastCaretLine = -1;
    int m_lastCaretColumn = -1;
    std::unique_ptr<QsciStyle> m_numberStyle;
    std::unique_ptr<QsciStyle> m_currentNumberStyle;
};

}  // namespace zeq::desk
