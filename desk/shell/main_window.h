// The main frame of zeqdesk: menus and bars built from the command tables, the status bar
// panes, the output box and the single-instruction box, the source editor in the middle, and
// the document commands. Settings come from dat/zeq.ini in the application home.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "shell/rules/recent_files.h"
#include "shell/shell_dialogs.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QDockWidget;
class QComboBox;

namespace zeq::desk {

class OutputBox;
class SourceEditor;
class ParamWindow;
class FindDialog;

struct ShellOptions {
    QString file;       // a file named on the command line
    int cardType = -1;  // -1: the remembered `BoardType`
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // `dialogs` null: the desktop's own message boxes and file dialogs.
    explicit MainWindow(std::shared_ptr<ShellDialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up after the frame exists: settings, editor, recent files, the document, the
    // title. Then showForStartUp() shows it maximised or not, as it was left.
    void startUp(const ShellOptions& options);
    void showForStartUp();

    QAction* action(int id) const { return m_actions.value(id); }
    SourceEditor* editor() const { return m_editor; }
    OutputBox* outputBox() const { return m_output; }
    QPlainTextEdit* commandBox() const { return m_commandBox; }
    const QString& documentPath() const { return m_path; }
    const RecentFiles& recentFiles() const { return m_recent; }
    QMenu* recentMenu() const { return m_recentMenu; }
    int cardType() const { return m_cardType; }
    // After a card-type switch: the title's tag and the check marks of the two commands.
    void setCardType(int cardType);
    QString iniPath() const;
    bool startsMaximised() const { return m_startMaximised; }

    // The interpreter-running flag: while set, no other document is opened.
    void setInterpreterRunning(bool running) { m_interpreterRunning = running; }
    bool interpreterRunning() const { return m_interpreterRunning; }

    // Document commands (also reached through their menu actions).
    void newDocument();
    void openDocument();
    bool saveDocument();
    bool saveDocumentAs();
    void openRecent(int index);
    void dropFiles(const QStringList& paths);
    // Loads a file as the document: recent files and title follow. False after a message.
    bool loadDocument(const QString& path);

    // A command that is on no menu (a button of a bar the parts add later): action(id) finds
    // it, setCommandHandler(id, …) gives it its handler.
    QAction* addCommand(int id, const QString& text) { return makeAction(id, text); }
    // Installs the handler of a command and enables it (for the parts that come later).
    void setCommandHandler(int id, std::function<void()> handler);
    // For the run commands: the desktop's dialogs, and a save of the document to `path`
    // (recent files and title follow). False after a message.
    ShellDialogs& dialogs() const { return *m_dialogs; }
    bool saveDocumentTo(const QString& path) { return saveTo(path); }
    // Runs `hook` when the frame closes, after it has written its settings (the tools save
    // their own keys of zeq.ini here).
    void addCloseHook(std::function<void()> hook) { m_closeHooks.push_back(std::move(hook)); }

  signals:
    // The boards changed (a search, a connection, a card-type switch): the commands that
    // need a connected board look again.
    void boardsChanged();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    void buildToolBars();
    void buildDocks();
    void buildStatusBar();
    void installHandlers();
    QAction* makeAction(int id, const QString& text);
    void rebuildRecentMenu();
    void saveRecentFiles();
    void updateTitle();
    void setLocked(bool locked);
    void focusNextPane(int step);
    // Asks whether to save a changed text. False when the command should end.
    bool confirmDiscard(const char* question, bool withCancel);
    bool saveTo(const QString& path);
    bool writeSettingsAtClose();
    void showHelp();
    void runUpdate();
    void showAbout();
    void showParams();
    void showFind(bool replace);
    void goToLine();
    void chooseColours();
    void chooseFont();
    void chooseColouring();
    void saveEditorSettings();

    std::shared_ptr<ShellDialogs> m_dialogs;
    SourceEditor* m_editor = nullptr;
    OutputBox* m_output = nullptr;
    QPlainTextEdit* m_commandBox = nullptr;
    QDockWidget* m_outputDock = nullptr;
    QDockWidget* m_commandDock = nullptr;
    QList<QToolBar*> m_toolBars;
    QComboBox* m_deviceList = nullptr;
    QMenu* m_recentMenu = nullptr;
    QLabel* m_connectionPane = nullptr;
    QLabel* m_countersPane = nullptr;
    QLabel* m_caretPane = nullptr;
    QHash<int, QAction*> m_actions;
    QHash<int, std::function<void()>> m_handlers;
    std::vector<std::function<void()>> m_closeHooks;
    QPointer<ParamWindow> m_paramWindow;
    QPointer<FindDialog> m_findDialog;

    RecentFiles m_recent;
    QString m_path;
    int m_cardType = 0;
    bool m_startMaximised = true;
    bool m_interpreterRunning = false;
};

}  // namespace zeq::desk
