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

ShellDialogs::Answer askBox(QWidget* parent, const QString& title, const QString& text,
                            bool withCancel) {
    using Answer = ShellDialogs::Answer;
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel) buttons |= QMessageBox::Cancel;
    const auto r = QMessageBox::question(parent, title, text, buttons);
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return withCancel ? Answer::Cancel : Answer::No;
}

QString saveFileDialog(QWidget* parent, const QString& filter, const QString& suffix,
                       const QString& preset) {
    QFileDialog dialog(parent, QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (!preset.isEmpty()) dialog.selectFile(preset);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

ShellDialogs::Answer QtShellDialogs::ask(const QString& text, const QString& title,
                                         bool withCancel) {
    return askBox(m_parent, title.isEmpty() ? QString::fromUtf8(msg::kAppTitle) : title, text,
                  withCancel);
}

QString QtShellDialogs::openFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QString(), filter);
}

QString QtShellDialogs::saveFileName(const QString& preset, const QString& filter) {
    return saveFileDialog(m_parent, filter, QString::fromUtf8(msg::kDefaultSuffix), preset);
}

bool QtShellDialogs::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool QtShellDialogs::startProgram(const QString& path) {
    return QProcess::startDetached(path);
}

}  // namespace zeq::desk
