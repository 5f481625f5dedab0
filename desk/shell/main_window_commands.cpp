// Help, update, About, the parameter window, find, go-to-line and the editor's option
// dialogs.
#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app_home.h"
#include "shell/editor_font.h"
#include "shell/find_dialog.h"
#include "shell/main_window.h"
#include "shell/param_window.h"
#include "shell/shell_messages.h"
#include "shell/source_editor.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

QColor fromBgr(std::uint32_t v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
std::uint32_t toBgr(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

// The executable's folder with links resolved.
QString programFolder() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return canonical.isEmpty() ? dir : canonical;
}

}  // namespace

void MainWindow::showHelp() {
    const std::vector<std::string> folders = {programFolder().toStdString(), applicationHome(),
                                              QDir::currentPath().toStdString()};
    for (const std::string& candidate : helpCandidates(folders)) {
        const QString path = QString::fromStdString(candidate);
        if (QFileInfo(path).isFile() && m_dialogs->openUrl(QUrl::fromLocalFile(path))) return;
    }
    m_dialogs->message(u8(msg::kHelpMissing));
}

void MainWindow::runUpdate() {
    const QString program = programFolder() + QStringLiteral("/update");
    const QFileInfo info(program);
    if (info.isFile() && info.isExecutable() && m_dialogs->startProgram(program)) return;
    m_dialogs->message(u8(msg::kUpdateMissing));
}

void MainWindow::showAbout() {
    QDialog dialog(this);
    dialog.setWindowTitle(u8(msg::kAboutCaption));
    auto* version =
        new QLabel(u8(msg::kAboutVersion).arg(QString::fromStdString(versionText())), &dialog);
    version->setAccessibleName(version->text());
    auto* link =
        new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(u8(msg::kMakerWebAddress)), &dialog);
    link->setAccessibleName(u8(msg::kMakerWebAddress));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this,
            [this](const QString& url) { m_dialogs->openUrl(QUrl(url)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(version);
    layout->addWidget(link);
    layout->addWidget(buttons);
    dialog.exec();
}

void MainWindow::showParams() {
    if (!m_paramWindow) {
        m_paramWindow = new ParamWindow(this);
        m_paramWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_paramWindow->show();
    m_paramWindow->raise();
    m_paramWindow->activateWindow();
}

void MainWindow::showFind(bool replace) {
    if (!m_findDialog) m_findDialog = new FindDialog(m_editor, this);
    m_findDialog->setReplaceMode(replace);
    if (m_editor->hasSelectedText()) m_findDialog->findField()->setText(m_editor->selectedText());
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->findField()->setFocus();
}

void MainWindow::goToLine() {
    bool ok = false;
    const int line =
        QInputDialog::getInt(this, u8(msg::kGoToTitle), u8(msg::kGoToPrompt), m_editor->caretLine(),
                             1, std::max(1, m_editor->lines()), 1, &ok);
    if (!ok) return;
    m_editor->setCursorPosition(line - 1, 0);
    m_editor->ensureLineVisible(line - 1);
    m_editor->setFocus();
}

void MainWindow::chooseColouring() {
    QDialog dialog(this);
    dialog.setWindowTitle(u8(msg::kSyntaxDialogTitle));
    auto* box = new QCheckBox(u8(msg::kSyntaxSwitch), &dialog);
    box->setChecked(m_editor->language() == kLanguageZeq);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(box);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    m_editor->setLanguage(box->isChecked() ? kLanguageZeq : kLanguagePlain);
    saveEditorSettings();
}

void MainWindow::chooseColours() {
    QDialog dialog(this);
    dialog.setWindowTitle(u8(msg::kColourDialogTitle));
    EditorSettings settings = m_editor->settings();
    auto* form = new QFormLayout;
    const auto paint = [](QPushButton* b, std::uint32_t v) {
        b->setStyleSheet(QStringLiteral("background-color: %1").arg(fromBgr(v).name()));
    };
    for (int i = 0; i < kEditorColourCount; ++i) {
        const QString label =
            QString::fromUtf8(kEditorColourKeys[i].label.data(), kEditorColourKeys[i].label.size());
        auto* button = new QPushButton(&dialog);
        button->setAccessibleName(label);
        button->setMinimumWidth(60);
        paint(button, settings.colours[i]);
        connect(button, &QPushButton::clicked, &dialog, [&, i, button, label] {
            const QColor c = QColorDialog::getColor(fromBgr(settings.colours[i]), &dialog, label);
            if (!c.isValid()) return;
            settings.colours[i] = toBgr(c);
            paint(button, settings.colours[i]);
        });
        form->addRow(label, button);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    m_editor->applySettings(settings);
    saveEditorSettings();
}

void MainWindow::chooseFont() {
    bool ok = false;
    const QFont current = fontFromDescription(m_editor->settings().font);
    const QFont font = QFontDialog::getFont(&ok, current, this, u8(msg::kFontDialogTitle));
    if (!ok) return;
    EditorSettings settings = m_editor->settings();
    settings.font = descriptionFromFont(font, settings.font);
    m_editor->applySettings(settings);
    saveEditorSettings();
}

}  // namespace zeq::desk
