#include "tools/common/ui/tool_shell_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zeq::desk {

QString qtFileFilter(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1String("*.*"), QLatin1String("*")).replace(QLatin1Char(';'), ' ');
        QString text = parts[i];
        const int open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0) text.truncate(open);
        out << text + QLatin1Char('(') + patterns + QLatin1Char(')');
    }
    return out.join(QLatin1String(";;"));
}

QString defaultSuffixOf(const char* filter) {
    const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
    if (parts.size() < 2) return {};
    const QString first = parts[1].section(QLatin1Char(';'), 0, 0).trimmed();
    if (!first.startsWith(QLatin1String("*.")) || first.mid(1).contains(QLatin1Char('*')))
        return {};
    return first.mid(2).toLower();
}

// The tool's dialog in front, when there is one, owns the boxes and gives them its caption.
QWidget* ToolShellDialogs::owner() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return m_parent;
}

QString ToolShellDialogs::caption() const {
    QWidget* w = QApplication::activeModalWidget();
    return w ? w->windowTitle() : QApplication::applicationName();
}

void ToolShellDialogs::message(const QString& text) {
    QMessageBox::information(owner(), caption(), text);
}

ShellDialogs::Answer ToolShellDialogs::ask(const QString& text, const QString& title,
                                           bool withCancel) {
    return askBox(owner(), title.isEmpty() ? caption() : title, text, withCancel);
}

QString ToolShellDialogs::openFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(owner(), QString(), QString(),
                                        qtFileFilter(filter.toUtf8().constData()));
}

QString ToolShellDialogs::saveFileName(const QString& preset, const QString& filter) {
    const QByteArray f = filter.toUtf8();
    return saveFileDialog(owner(), qtFileFilter(f.constData()), defaultSuffixOf(f.constData()),
                          preset);
}

}  // namespace zeq::desk
