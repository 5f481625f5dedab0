#include "tools/common/ui/worker_dialogs.h"

#include <QThread>
#include <memory>

namespace zeq::desk {

namespace {
QString text8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
UserDialogs::Answer fromShell(ShellDialogs::Answer a) {
    switch (a) {
        case ShellDialogs::Answer::Yes:
            return UserDialogs::Answer::Yes;
        case ShellDialogs::Answer::No:
            return UserDialogs::Answer::No;
        case ShellDialogs::Answer::Cancel:
            break;
    }
    return UserDialogs::Answer::Cancel;
}
}  // namespace

WorkerDialogs::WorkerDialogs(ShellDialogs& shell, QObject* parent)
    : QObject(parent), m_shell(shell) {}

WorkerDialogs::~WorkerDialogs() {
    shutDown();
}

void WorkerDialogs::setQuestionTitle(const char* question, const char* title) {
    m_titles.insert(QString::fromUtf8(question), QString::fromUtf8(title));
}

bool WorkerDialogs::onOwnThread() const {
    return QThread::currentThread() == thread();
}

void WorkerDialogs::shutDown() {
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
    }
    m_answered.notify_all();
}

void WorkerDialogs::message(std::string_view text) {
    const QString t = text8(text);
    if (onOwnThread()) {
        m_shell.message(t);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, t] { m_shell.message(t); }, Qt::QueuedConnection);
}

UserDialogs::Answer WorkerDialogs::askHere(const QString& text, bool withCancel) {
    return fromShell(m_shell.ask(text, m_titles.value(text), withCancel));
}

UserDialogs::Answer WorkerDialogs::ask(std::string_view text, Answer defaultAnswer,
                                       bool withCancel) {
    const QString t = text8(text);
    if (onOwnThread()) return askHere(t, withCancel);
    struct Pending {
        bool done = false;
        Answer answer;
    };
    auto pending = std::make_shared<Pending>();
    pending->answer = defaultAnswer;
    {
        std::lock_guard lock(m_mutex);
        if (m_shutDown) return defaultAnswer;
    }
    QMetaObject::invokeMethod(
        this,
        [this, pending, t, withCancel] {
            {
                std::lock_guard lock(m_mutex);
                if (m_shutDown) return;  // the worker has taken the default answer
            }
            const Answer a = askHere(t, withCancel);
            {
                std::lock_guard lock(m_mutex);
                pending->answer = a;
                pending->done = true;
            }
            m_answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [&] { return pending->done || m_shutDown; });
    return pending->done ? pending->answer : defaultAnswer;
}

UserDialogs::Answer WorkerDialogs::askYesNo(std::string_view text, Answer defaultAnswer) {
    return ask(text, defaultAnswer, false);
}

UserDialogs::Answer WorkerDialogs::askYesNoCancel(std::string_view text, Answer defaultAnswer) {
    return ask(text, defaultAnswer, true);
}

}  // namespace zeq::desk
