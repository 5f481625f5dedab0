// The desktop's dialogs for the tools: message boxes captioned with the tool's window, file
// dialogs that take the filters in the form "text|patterns|text|patterns||" and give a saved
// name the extension of the filter's first pattern when it has none.
#pragma once

#include <QPointer>
#include <QWidget>

#include "shell/shell_dialogs.h"

namespace zeq::desk {

// "cfg(*.CFG)|*.cfg|All Files (*.*)|*.*||" -> "cfg(*.cfg);;All Files (*)".
QString qtFileFilter(const char* filter);
// The extension of the filter's first pattern ("cfg"), empty when it has none.
QString defaultSuffixOf(const char* filter);

// The frame's dialogs, but owned by the tool's dialog in front and with the filters above;
// opening addresses and programs is the frame's.
class ToolShellDialogs : public QtShellDialogs {
  public:
    explicit ToolShellDialogs(QWidget* parent) : QtShellDialogs(parent), m_parent(parent) {}
    void message(const QString& text) override;
    Answer ask(const QString& text, const QString& title, bool withCancel) override;
    // `filter` in the form above.
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& preset, const QString& filter) override;

  private:
    QWidget* owner() const;
    QString caption() const;
    QPointer<QWidget> m_parent;
};

}  // namespace zeq::desk
