// Message boxes for a tool whose core may ask from a worker thread. On the window's thread a
// call goes straight to the desktop's dialogs; from a worker, a message is queued to the window's
// thread (the worker goes on) and a question is queued and waited for. shutDown() gives every
// waiting and later question its default answer, so a worker never hangs on a window that is
// going away.
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <condition_variable>
#include <mutex>

#include "core/interfaces.h"
#include "shell/shell_dialogs.h"

namespace zeq::desk {

class WorkerDialogs : public QObject, public UserDialogs {
    Q_OBJECT
  public:
    // Lives on the thread that creates it (the window's). `shell` must outlive it.
    explicit WorkerDialogs(ShellDialogs& shell, QObject* parent = nullptr);
    ~WorkerDialogs() override;

    // The caption a question is asked with (the desktop's own caption otherwise).
    void setQuestionTitle(const char* question, const char* title);

    void message(std::string_view text) override;
    Answer askYesNo(std::string_view text, Answer defaultAnswer) override;
    Answer askYesNoCancel(std::string_view text, Answer defaultAnswer) override;

    // Any thread.
    void shutDown();

  private:
    Answer ask(std::string_view text, Answer defaultAnswer, bool withCancel);
    Answer askHere(const QString& text, bool withCancel);
    bool onOwnThread() const;

    ShellDialogs& m_shell;
    QHash<QString, QString> m_titles;
    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_shutDown = false;
};

}  // namespace zeq::desk
