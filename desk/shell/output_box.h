// The output box: a read-only text pane that every part of the application appends to.
// append() may be called from any thread; the text is queued to the window's thread.
#pragma once

#include <QPlainTextEdit>

#include "core/interfaces.h"

namespace zeq::desk {

class OutputBox : public QPlainTextEdit, public OutputSink {
    Q_OBJECT
  public:
    explicit OutputBox(QWidget* parent = nullptr);

    // OutputSink: thread-safe.
    void append(std::string_view text) override;
    // On the window's thread: the append rules (hint switch, automatic clearing).
    void appendText(const QString& text);

    bool hintsShown() const { return m_hints; }
    void setHintsShown(bool on) { m_hints = on; }
    bool autoClear() const { return m_autoClear; }
    void setAutoClear(bool on) { m_autoClear = on; }
    // Removes the selected text; everything when nothing is selected.
    void clearSelection();

  private:
    bool m_hints = true;
    bool m_autoClear = true;
};

}  // namespace zeq::desk
