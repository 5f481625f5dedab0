// What the main frame asks of the desktop: message boxes, file dialogs, opening a document or
// web address and starting a program. The window uses QtShellDialogs; tests put in their own
// to answer and to see what was asked.
#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace zeq::desk {

class ShellDialogs {
  public:
    enum class Answer { Yes, No, Cancel };
    virtual ~ShellDialogs() = default;

    virtual void message(const QString& text) = 0;
    // Yes/No, or Yes/No/Cancel when `withCancel`.
    virtual Answer ask(const QString& text, const QString& title, bool withCancel) = 0;
    // Empty when cancelled.
    virtual QString openFileName(const QString& filter) = 0;
    // `preset`: the name or path the dialog starts with. Empty when cancelled.
    virtual QString saveFileName(const QString& preset, const QString& filter) = 0;
    // False when the desktop could not open it.
    virtual bool openUrl(const QUrl& url) = 0;
    virtual bool startProgram(const QString& path) = 0;
};

// A Yes/No (or Yes/No/Cancel) box over `parent`; a closed box answers No (Cancel when offered).
ShellDialogs::Answer askBox(QWidget* parent, const QString& title, const QString& text,
                            bool withCancel);
// The save dialog over `parent`: Qt's `filter`, `suffix` added to a name without one, `preset`
// selected first. Empty when cancelled.
QString saveFileDialog(QWidget* parent, const QString& filter, const QString& suffix,
                       const QString& preset);

class QtShellDialogs : public ShellDialogs {
  public:
    explicit QtShellDialogs(QWidget* parent) : m_parent(parent) {}
    void message(const QString& text) override;
    Answer ask(const QString& text, const QString& title, bool withCancel) override;
    QString openFileName(const QString& filter) override;
    QString saveFileName(const QString& preset, const QString& filter) override;
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& path) override;

  private:
    QWidget* m_parent;
};

}  // namespace zeq::desk
