#include "shell/output_box.h"

#include <QFile>
#include <QMetaObject>
#include <QScrollBar>
#include <QTextCursor>

#include "shell/rules/shell_rules.h"

namespace zeq::desk {

OutputBox::OutputBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

OutputBox::~OutputBox() {
    if (m_log) std::fclose(m_log);
}

bool OutputBox::setLogFile(const QString& path) {
    std::lock_guard lock(m_pendingMutex);
    if (m_log) std::fclose(m_log);
    m_log = std::fopen(QFile::encodeName(path).constData(), "ab");
    return m_log != nullptr;
}

void OutputBox::append(std::string_view text) {
    QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const int lines = static_cast<int>(t.count(QLatin1Char('\n')));
    bool post = false;
    {
        std::lock_guard lock(m_pendingMutex);
        if (m_log) {
            std::fwrite(text.data(), 1, text.size(), m_log);
            std::fflush(m_log);
        }
        m_pending.push_back(std::move(t));
        m_pendingPieceLines.push_back(lines);
        m_pendingLines += lines;
        // The pane keeps at most its clearing limit of lines: older waiting text would be
        // cleared away by the pieces after it.
        while (m_pending.size() > 1 &&
               m_pendingLines - m_pendingPieceLines.front() >= kOutputHardClearLines) {
            m_pendingLines -= m_pendingPieceLines.front();
            m_pending.pop_front();
            m_pendingPieceLines.pop_front();
        }
        post = !m_flushQueued;
        m_flushQueued = true;
    }
    if (post)
        QMetaObject::invokeMethod(
            this, [this] { flushPending(); }, Qt::QueuedConnection);
}

int OutputBox::pendingLines() const {
    std::lock_guard lock(m_pendingMutex);
    return m_pendingLines;
}

void OutputBox::flushPending() {
    QStringList pieces;
    QList<int> lines;
    {
        std::lock_guard lock(m_pendingMutex);
        pieces.swap(m_pending);
        lines.swap(m_pendingPieceLines);
        m_pendingLines = 0;
        m_flushQueued = false;
    }
    if (!m_hints || pieces.isEmpty()) return;
    // The clearing rule applies before each piece, as if they came one by one; only the text
    // after the last clearing is inserted, in one edit.
    int blocks = document()->blockCount();
    qsizetype from = 0;
    bool cleared = false;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (outputNeedsClear(blocks, m_autoClear)) {
            blocks = 1;
            from = i;
            cleared = true;
        }
        blocks += lines[i];
    }
    if (cleared) clear();
    QString text;
    for (qsizetype i = from; i < pieces.size(); ++i) text += pieces[i];
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    scrollToEnd();
}

void OutputBox::appendText(const QString& text) {
    insertPiece(text);
    scrollToEnd();
}

void OutputBox::insertPiece(const QString& text) {
    if (!m_hints) return;
    if (outputNeedsClear(document()->blockCount(), m_autoClear)) clear();
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(t);
}

void OutputBox::scrollToEnd() {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void OutputBox::clearSelection() {
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.removeSelectedText();
    } else {
        clear();
    }
}

}  // namespace zeq::desk
