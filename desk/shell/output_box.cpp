#include "shell/output_box.h"

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

void OutputBox::append(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QMetaObject::invokeMethod(
        this, [this, t] { appendText(t); }, Qt::QueuedConnection);
}

void OutputBox::appendText(const QString& text) {
    if (!m_hints) return;
    if (outputNeedsClear(document()->blockCount(), m_autoClear)) clear();
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(t);
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
