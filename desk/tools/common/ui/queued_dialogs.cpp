#include "tools/common/ui/queued_dialogs.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QThread>

namespace zeq::desk {
namespace {

constexpr const char* kCaption = "提示";

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

bool QueuedDialogs::onOwnerThread() const {
    return m_owner && QThread::currentThread() == m_owner->thread();
}

void QueuedDialogs::show(const QString& text) {
    if (m_target) {
        const QByteArray bytes = text.toUtf8();
        m_target->message(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
        return;
    }
    QMessageBox::warning(m_owner, QString::fromUtf8(kCaption), text);
}

void QueuedDialogs::message(std::string_view text) {
    const QString copy = toQString(text);
    if (onOwnerThread()) {
        show(copy);
        return;
    }
    QWidget* owner = m_owner;
    if (!owner) return;
    // Dropped when the window goes first.
    QMetaObject::invokeMethod(
        owner, [this, copy] { show(copy); }, Qt::QueuedConnection);
}

UserDialogs::Answer QueuedDialogs::askYesNo(std::string_view text, Answer defaultAnswer) {
    if (!onOwnerThread()) return defaultAnswer;
    if (m_target) return m_target->askYesNo(text, defaultAnswer);
    const auto r = QMessageBox::question(
        m_owner, QString::fromUtf8(kCaption), toQString(text), QMessageBox::Yes | QMessageBox::No,
        defaultAnswer == Answer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return r == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

UserDialogs::Answer QueuedDialogs::askYesNoCancel(std::string_view text, Answer defaultAnswer) {
    if (!onOwnerThread()) return defaultAnswer;
    if (m_target) return m_target->askYesNoCancel(text, defaultAnswer);
    const auto r = QMessageBox::question(m_owner, QString::fromUtf8(kCaption), toQString(text),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return r == QMessageBox::Yes ? Answer::Yes : r == QMessageBox::No ? Answer::No : Answer::Cancel;
}

}  // namespace zeq::desk
