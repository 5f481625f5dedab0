// Message boxes of a tool window. A tool's core reports from its worker thread; the boxes must
// open on the window's thread. message() may be called from any thread: off the window's
// thread it is queued to the window and shown there later (the worker never waits for the
// user). The questions are asked only on the window's thread (the cores ask before they post
// work); from another thread they take the default answer.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "core/interfaces.h"

namespace zeq::desk {

class QueuedDialogs : public UserDialogs {
  public:
    // `owner`: the window the boxes belong to. `target` non-null: the texts go there instead of
    // boxes (tests), still on the window's thread.
    explicit QueuedDialogs(QWidget* owner, UserDialogs* target = nullptr)
        : m_owner(owner), m_target(target) {}

    void message(std::string_view text) override;
    Answer askYesNo(std::string_view text, Answer defaultAnswer) override;
    Answer askYesNoCancel(std::string_view text, Answer defaultAnswer) override;

  private:
    bool onOwnerThread() const;
    void show(const QString& text);

    QPointer<QWidget> m_owner;
    UserDialogs* m_target;
};

// UTF-8 text of the system to a QString.
inline QString u8text(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace zeq::desk
