// The document commands of the main frame: new, open, save, save as, recent files, dropped
// files, the start-up load and the close with its settings.
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "catalogue/param_catalogue.h"
#include "core/app_home.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/param_window.h"
#include "shell/rules/editor_settings.h"
#include "shell/rules/ini_store.h"
#include "shell/rules/shell_settings.h"
#include "shell/shell_messages.h"
#include "shell/source_editor.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// The absolute, symbolic-link-free path of a file (the long path name of the platform).
QString fullPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

void MainWindow::startUp(const ShellOptions& options) {
    IniStore ini;
    ini.load(iniPath().toStdString());
    ShellSettings settings;
    settings.load(ini);
    m_cardType = options.cardType >= 0 ? options.cardType : settings.boardType;
    m_startMaximised = settings.zoom;
    m_commandBox->setPlainText(QString::fromStdString(commandBoxText(settings.commandLines)));
    m_connectionPane->setText(u8(msg::kNoDevice));
    action(cmd::kCardUsb)->setChecked(m_cardType == 0);
    action(cmd::kCardPci)->setChecked(m_cardType == 1);

    EditorSettings editorSettings;
    editorSettings.load(ini);
    m_editor->applySettings(editorSettings);
    m_editor->setLanguage(loadEditorLanguage(ini));

    m_recent = RecentFiles(RecentFiles::kApplicationCapacity);
    m_recent.load(ini);
    rebuildRecentMenu();

    QString path = options.file.isEmpty() ? QString() : fullPath(options.file);
    if (path.isEmpty()) path = QString::fromStdString(settings.editSourcePath);
    m_path.clear();
    if (path.isEmpty() || !loadDocument(path)) {
        m_editor->setEncoding(TextEncoding::Gbk);
        m_editor->setDocumentText(u8(msg::kNewDocumentText));
    }
    updateTitle();
    paramCatalogue();  // built with its system rows on first use
}

void MainWindow::showForStartUp() {
    if (m_startMaximised) {
        showMaximized();
    } else {
        show();
    }
}

bool MainWindow::loadDocument(const QString& path) {
    QString error;
    const QString full = fullPath(path);
    if (!m_editor->loadFile(full, &error)) {
        m_dialogs->message(u8(msg::kOpenFailed).arg(full, error));
        return false;
    }
    m_path = full;
    m_recent.add(full.toStdString());
    saveRecentFiles();
    updateTitle();
    return true;
}

bool MainWindow::confirmDiscard(const char* question, bool withCancel) {
    if (!m_editor->isModified()) return true;
    const auto answer = m_dialogs->ask(u8(question), QString(), withCancel);
    if (answer == ShellDialogs::Answer::Cancel) return false;
    if (answer == ShellDialogs::Answer::Yes) return saveDocument();
    return true;
}

void MainWindow::newDocument() {
    // A changed text is never dropped without asking, titled or not.
    if (!confirmDiscard(msg::kAskSaveOnNew, false)) return;
    if (m_interpreterRunning) {
        m_dialogs->message(u8(msg::kStopInterpreterFirst));
        return;
    }
    m_path.clear();
    m_editor->setEncoding(TextEncoding::Gbk);
    m_editor->setDocumentText(u8(msg::kNewDocumentText));
    updateTitle();
}

void MainWindow::openDocument() {
    if (!confirmDiscard(msg::kAskSaveOnOpen, true)) return;
    const QString path = m_dialogs->openFileName(u8(msg::kFileFilter));
    if (path.isEmpty()) return;
    if (m_interpreterRunning) {
        m_dialogs->message(u8(msg::kStopInterpreterFirst));
        return;
    }
    loadDocument(path);
}

bool MainWindow::saveTo(const QString& path) {
    QString error;
    if (!m_editor->saveFile(path, &error)) {
        m_dialogs->message(u8(msg::kSaveFailed).arg(path, error));
        return false;
    }
    m_path = fullPath(path);
    m_recent.add(m_path.toStdString());
    saveRecentFiles();
    updateTitle();
    return true;
}

bool MainWindow::saveDocument() {
    QString path = m_path;
    if (path.isEmpty()) {
        path = m_dialogs->saveFileName(QString(), u8(msg::kFileFilter));
        if (path.isEmpty()) return false;
    }
    return saveTo(path);
}

bool MainWindow::saveDocumentAs() {
    const QString preset = m_path.isEmpty() ? QString() : QFileInfo(m_path).fileName();
    const QString path = m_dialogs->saveFileName(preset, u8(msg::kFileFilter));
    if (path.isEmpty()) return false;
    return saveTo(path);
}

void MainWindow::openRecent(int index) {
    const auto& paths = m_recent.paths();
    if (index < 0 || index >= static_cast<int>(paths.size())) return;
    const QString path = QString::fromStdString(paths[index]);
    if (!QFileInfo(path).isFile()) {
        m_recent.remove(paths[index]);
        saveRecentFiles();
        m_dialogs->message(u8(msg::kFileMissing));
        return;
    }
    if (m_interpreterRunning) {
        m_dialogs->message(u8(msg::kStopInterpreterFirst));
        return;
    }
    if (!confirmDiscard(msg::kAskSaveOnOpen, true)) return;
    loadDocument(path);
}

void MainWindow::dropFiles(const QStringList& paths) {
    if (paths.size() != 1) return;
    if (m_interpreterRunning) {
        m_dialogs->message(u8(msg::kStopInterpreterFirst));
        return;
    }
    if (!confirmDiscard(msg::kAskSaveOnOpen, true)) return;
    loadDocument(paths.first());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    if (paths.size() != event->mimeData()->urls().size()) return;
    event->acceptProposedAction();
    dropFiles(paths);
}

void MainWindow::saveRecentFiles() {
    rebuildRecentMenu();
    const std::string path = iniPath().toStdString();
    ensureDirectory(applicationDatDir());
    IniStore ini;
    ini.load(path);
    m_recent.save(ini);
    std::string error;
    if (!ini.save(path, &error)) {
        statusBar()->showMessage(
            u8(msg::kSettingsSaveFailed).arg(iniPath(), QString::fromStdString(error)));
    }
}

void MainWindow::saveEditorSettings() {
    const std::string path = iniPath().toStdString();
    ensureDirectory(applicationDatDir());
    IniStore ini;
    ini.load(path);
    m_editor->settings().save(ini);
    std::string error;
    if (!ini.save(path, &error)) {
        m_dialogs->message(
            u8(msg::kSettingsSaveFailed).arg(iniPath(), QString::fromStdString(error)));
    }
}

bool MainWindow::writeSettingsAtClose() {
    const std::string path = iniPath().toStdString();
    IniStore ini;
    ini.load(path);
    ShellSettings settings;
    settings.load(ini);  // keeps the device keys as they are now
    settings.zoom = isMaximized();
    settings.editSourcePath = m_path.toStdString();
    settings.boardType = m_cardType;
    settings.commandLines = commandBoxLines(m_commandBox->toPlainText().toStdString());
    settings.save(ini);
    m_editor->settings().save(ini);
    std::string error;
    if (!ini.save(path, &error)) {
        m_dialogs->message(
            u8(msg::kSettingsSaveFailed).arg(iniPath(), QString::fromStdString(error)));
        return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    ensureDirectory(applicationDatDir());
    if (m_editor->isModified()) {
        const auto answer = m_dialogs->ask(u8(msg::kAskSaveOnClose), u8(msg::kPromptTitle), true);
        if (answer == ShellDialogs::Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == ShellDialogs::Answer::Yes) {
            const QString preset = m_path.isEmpty() ? u8(msg::kCloseSaveInitialName) : m_path;
            QString chosen = m_dialogs->saveFileName(preset, u8(msg::kCloseSaveFilter));
            if (chosen.isEmpty() || !saveTo(chosen)) {
                event->ignore();
                return;
            }
        }
    }
    writeSettingsAtClose();
    for (const auto& hook : m_closeHooks) hook();
    m_editor->setModified(false);
    if (m_paramWindow) m_paramWindow->close();
    event->accept();
}

}  // namespace zeq::desk
