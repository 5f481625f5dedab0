#include "shell/shell_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>

#include "shell/shell_messages.h"

namespace zeq::desk {

void QtShellDialogs::message(const QString& text) {
    QMessageBox::information(m_parent, QString::fromUtf8(msg::kAppTitle), text);
}

ShellDialogs::Answer QtShellDialogs::ask(const QString& text, const QString& title,
                                         bool withCancel) {
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    const auto r = QMessageBox::question(
        m_parent, title.isEmpty() ? QString::fromUtf8(msg::kAppTitle) : title, text, buttons);
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return withCancel ? Answer::Cancel : Answer::No;
}

QString QtShellDialogs::openFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QString(), filter);
}

QString QtShellDialogs::saveFileName(const QString& preset, const QString& filter) {
    QFileDialog dialog(m_parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromUtf8(msg::kDefaultSuffix));
    if (!preset.isEmpty()) dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool QtShellDialogs::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool QtShellDialogs::startProgram(const QString& path) {
    return QProcess::startDetached(path);
}

}  // namespace zeq::desk
