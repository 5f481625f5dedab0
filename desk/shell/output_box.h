// The output box: a read-only text pane that every part of the application appends to.
// append() may be called from any thread; the text is queued to the window's thread, where
// everything that came since the last pass is added in one pass (a script that prints as fast
// as it can costs one pass per turn of the event loop, not one event per line). What waits is
// bounded like the pane itself: text that the pane's clearing would drop anyway is dropped
// before it is shown.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <cstdio>
#include <mutex>

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

    // Lines waiting for the window's thread (for the benchmarks).
    int pendingLines() const;
    // Also writes every text given to append() to `path` (UTF-8, as given), flushed at once.
    // False when the file cannot be opened.
    bool setLogFile(const QString& path);
    ~OutputBox() override;

  private:
    void flushPending();
    // The append rules for one piece, without scrolling.
    void insertPiece(const QString& text);
    void scrollToEnd();

    mutable std::mutex m_pendingMutex;
    QStringList m_pending;
    QList<int> m_pendingPieceLines;
    int m_pendingLines = 0;
    bool m_flushQueued = false;
    std::FILE* m_log = nullptr;
    bool m_hints = true;
    bool m_autoClear = true;
};

}  // namespace zeq::desk
