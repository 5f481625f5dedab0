#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "core/app_home.h"
#include "shell/command_ids.h"
#include "shell/menu_table.h"
#include "shell/output_box.h"
#include "shell/shell_messages.h"
#include "shell/source_editor.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

}  // namespace

MainWindow::MainWindow(std::shared_ptr<ShellDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(std::move(dialogs)) {
    if (!m_dialogs) m_dialogs = std::make_shared<QtShellDialogs>(this);
    setObjectName(QStringLiteral("mainWindow"));
    setAcceptDrops(true);
    m_editor = new SourceEditor(this);
    m_editor->setObjectName(QStringLiteral("sourceEditor"));
    m_editor->setAccessibleName(u8(msg::kEditorName));
    setCentralWidget(m_editor);
    resize(1100, 720);
    buildDocks();
    buildMenus();
    buildToolBars();
    buildStatusBar();
    installHandlers();
    // F6 and Shift+F6 move between the panes (the editor keeps Tab for itself).
    for (const int step : {1, -1}) {
        auto* cycle = new QAction(this);
        cycle->setShortcut(
            QKeySequence(step > 0 ? QStringLiteral("F6") : QStringLiteral("Shift+F6")));
        cycle->setShortcutContext(Qt::WindowShortcut);
        connect(cycle, &QAction::triggered, this, [this, step] { focusNextPane(step); });
        addAction(cycle);
    }
    connect(m_editor, &SourceEditor::caretMoved, this, [this](int line, int column) {
        m_caretPane->setText(u8(msg::kCaretFormat).arg(line).arg(column));
    });
    updateTitle();
}

MainWindow::~MainWindow() {
    // Bars and docks report their visibility while they are torn down; nobody listens then.
    for (QToolBar* bar : m_toolBars) bar->disconnect();
    m_outputDock->disconnect();
    m_commandDock->disconnect();
}

QString MainWindow::iniPath() const {
    return QString::fromStdString(applicationDatDir()) + QStringLiteral("/zeq.ini");
}

QAction* MainWindow::makeAction(int id, const QString& text) {
    auto* a = new QAction(text, this);
    a->setData(id);
    a->setObjectName(QStringLiteral("cmd_%1").arg(id));
    connect(a, &QAction::triggered, this, [this, id] {
        const auto it = m_handlers.constFind(id);
        if (it != m_handlers.constEnd() && *it) (*it)();
    });
    m_actions.insert(id, a);
    return a;
}

void MainWindow::buildMenus() {
    for (const MenuSpec& topMenu : menuBarSpec()) {
        QMenu* top = menuBar()->addMenu(u8(topMenu.title));
        top->setAccessibleName(u8(topMenu.title));
        QList<QMenu*> stack{top};
        for (const MenuEntry& e : topMenu.entries) {
            QMenu* menu = stack.back();
            switch (e.kind) {
                case EntryKind::Separator:
                    menu->addSeparator();
                    break;
                case EntryKind::SubmenuBegin: {
                    QMenu* sub = menu->addMenu(u8(e.text));
                    sub->setAccessibleName(u8(e.text));
                    stack.push_back(sub);
                    break;
                }
                case EntryKind::SubmenuEnd:
                    if (stack.size() > 1) stack.pop_back();
                    break;
                case EntryKind::RecentFiles:
                    m_recentMenu = menu->addMenu(u8(e.text));
                    m_recentMenu->setAccessibleName(u8(e.text));
                    rebuildRecentMenu();
                    break;
                case EntryKind::Command: {
                    QAction* a = makeAction(e.id, u8(e.text));
                    if (e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
                    if (e.tip) a->setStatusTip(u8(e.tip));
                    a->setCheckable(e.checkable);
                    a->setEnabled(e.owner != CommandOwner::Later);
                    menu->addAction(a);
                    break;
                }
            }
        }
    }
    // The output box's own commands, on its context menu.
    struct Extra {
        int id;
        const char* text;
        bool checkable;
    };
    for (const Extra& x :
         {Extra{cmd::kOutputAutoClear, "自动清除", true}, Extra{cmd::kOutputClear, "清除", false},
          Extra{cmd::kOutputClearAll, "全部清除", false}}) {
        makeAction(x.id, u8(x.text))->setCheckable(x.checkable);
    }
    for (int id : {cmd::kPauseMotors, cmd::kEmergencyStop, cmd::kExecInstruction,
                   cmd::kSearchDevices, cmd::kWatchInterval}) {
        static const QHash<int, const char*> texts = {
            {cmd::kPauseMotors, msg::kPauseMotors},
            {cmd::kEmergencyStop, msg::kEmergencyStop},
            {cmd::kExecInstruction, msg::kExecInstruction},
            {cmd::kSearchDevices, msg::kSearchDevices},
            {cmd::kWatchInterval, "设置获取间隔时间(&T)"}};
        makeAction(id, u8(texts.value(id)))->setEnabled(false);
    }
    m_output->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_output, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        for (int id :
             {cmd::kOutputAutoClear, cmd::kOutputClear, cmd::kOutputClearAll, cmd::kShowHints}) {
            menu.addAction(action(id));
        }
        menu.exec(m_output->mapToGlobal(at));
    });
}

void MainWindow::buildToolBars() {
    const auto addBar = [this](const char* objectName, const char* title, int viewCommand) {
        QToolBar* bar = addToolBar(u8(title));
        bar->setObjectName(QString::fromLatin1(objectName));
        bar->setAccessibleName(u8(title));
        m_toolBars.push_back(bar);
        QAction* view = action(viewCommand);
        view->setChecked(true);
        connect(view, &QAction::toggled, bar, &QWidget::setVisible);
        connect(bar, &QToolBar::visibilityChanged, view,
                [view, bar](bool) { view->setChecked(!bar->isHidden()); });
        return bar;
    };
    for (const ToolBarSpec& barDesc : commandToolBarSpec()) {
        QToolBar* bar = addBar(barDesc.objectName, barDesc.title, barDesc.viewCommand);
        for (int id : barDesc.commands) {
            if (id == 0) {
                bar->addSeparator();
            } else {
                bar->addAction(action(id));
            }
        }
    }
    addToolBarBreak();
    QToolBar* device = addBar("deviceBar", msg::kDeviceBar, cmd::kViewDeviceBar);
    m_deviceList = new QComboBox(device);
    m_deviceList->setObjectName(QStringLiteral("deviceList"));
    m_deviceList->setAccessibleName(u8(msg::kTargetDevice));
    m_deviceList->setMinimumContentsLength(16);
    m_deviceList->setEnabled(false);
    device->addWidget(m_deviceList);
    device->addAction(action(cmd::kSearchDevices));
    QToolBar* instruction =
        addBar("instructionBar", msg::kInstructionBar, cmd::kViewInstructionBar);
    instruction->addAction(action(cmd::kExecInstruction));
    QToolBar* emergency = addBar("emergencyBar", msg::kEmergencyBar, cmd::kViewEmergencyBar);
    emergency->addAction(action(cmd::kPauseMotors));
    emergency->addAction(action(cmd::kEmergencyStop));
    const std::pair<int, QStyle::StandardPixmap> icons[] = {
        {cmd::kNew, QStyle::SP_FileIcon},
        {cmd::kOpen, QStyle::SP_DialogOpenButton},
        {cmd::kSave, QStyle::SP_DialogSaveButton},
        {cmd::kAbout, QStyle::SP_MessageBoxQuestion},
        {cmd::kRun, QStyle::SP_MediaPlay},
        {cmd::kStop, QStyle::SP_MediaStop},
        {cmd::kPause, QStyle::SP_MediaPause},
        {cmd::kContinue, QStyle::SP_MediaSeekForward},
        {cmd::kStep, QStyle::SP_MediaSkipForward},
        {cmd::kCompile, QStyle::SP_DialogApplyButton},
        {cmd::kCut, QStyle::SP_DialogDiscardButton},
        {cmd::kCopy, QStyle::SP_FileDialogDetailedView},
        {cmd::kPaste, QStyle::SP_DialogResetButton},
        {cmd::kFind, QStyle::SP_FileDialogContentsView},
    };
    for (const auto& [id, pixmap] : icons) action(id)->setIcon(style()->standardIcon(pixmap));
    for (QToolBar* bar : m_toolBars) {
        const bool iconBar = bar->objectName() == QLatin1String("standardBar") ||
                             bar->objectName() == QLatin1String("projectBar");
        bar->setToolButtonStyle(iconBar ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly);
        for (QAction* a : bar->actions()) {
            if (QWidget* w = bar->widgetForAction(a)) {
                w->setFocusPolicy(Qt::TabFocus);
                if (!a->text().isEmpty()) w->setAccessibleName(QString(a->text()).remove('&'));
            }
        }
    }
}

void MainWindow::buildDocks() {
    m_output = new OutputBox(this);
    m_output->setObjectName(QStringLiteral("outputBox"));
    m_output->setAccessibleName(u8(msg::kOutputTitle));
    m_output->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_output->setTabChangesFocus(true);
    m_outputDock = new QDockWidget(u8(msg::kOutputTitle), this);
    m_outputDock->setObjectName(QStringLiteral("outputDock"));
    m_outputDock->setAccessibleName(u8(msg::kOutputTitle));
    m_outputDock->setWidget(m_output);
    addDockWidget(Qt::BottomDockWidgetArea, m_outputDock);

    m_commandBox = new QPlainTextEdit(this);
    m_commandBox->setObjectName(QStringLiteral("commandBox"));
    m_commandBox->setAccessibleName(u8(msg::kCommandBoxTitle));
    m_commandBox->setTabChangesFocus(true);
    m_commandDock = new QDockWidget(u8(msg::kCommandBoxTitle), this);
    m_commandDock->setObjectName(QStringLiteral("commandDock"));
    m_commandDock->setAccessibleName(u8(msg::kCommandBoxTitle));
    m_commandDock->setWidget(m_commandBox);
    addDockWidget(Qt::BottomDockWidgetArea, m_commandDock);
    resizeDocks({m_outputDock, m_commandDock}, {3, 1}, Qt::Horizontal);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setAccessibleName(u8(msg::kMessagePane));
    const auto pane = [bar](const char* name, const char* text, const char* accessible) {
        auto* label = new QLabel(u8(text), bar);
        label->setObjectName(QString::fromLatin1(name));
        label->setAccessibleName(u8(accessible));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(label);
        return label;
    };
    m_connectionPane = pane("connectionPane", msg::kConnectionPrompt, msg::kConnectionPane);
    m_countersPane = pane("countersPane", msg::kCounters, msg::kCountersPane);
    m_caretPane = pane("caretPane", "行:1,列:1", msg::kCaretPane);
    // Caps, num and scroll lock have no portable state query; their panes are left out.
}

void MainWindow::focusNextPane(int step) {
    QList<QWidget*> panes;
    for (QWidget* w : {static_cast<QWidget*>(m_editor), static_cast<QWidget*>(m_commandBox),
                       static_cast<QWidget*>(m_output)}) {
        if (w->isVisible()) panes << w;
    }
    if (panes.isEmpty()) return;
    int at = 0;
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i]->hasFocus() || panes[i]->isAncestorOf(QApplication::focusWidget())) at = i;
    }
    panes[(at + step + panes.size()) % panes.size()]->setFocus(Qt::ShortcutFocusReason);
}

void MainWindow::setCommandHandler(int id, std::function<void()> handler) {
    m_handlers.insert(id, std::move(handler));
    if (QAction* a = action(id)) a->setEnabled(true);
}

void MainWindow::setLocked(bool locked) {
    for (QToolBar* bar : m_toolBars) bar->setMovable(!locked);
    const auto features = locked
                              ? QDockWidget::DockWidgetClosable
                              : QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                    QDockWidget::DockWidgetFloatable;
    m_outputDock->setFeatures(features);
    m_commandDock->setFeatures(features);
}

void MainWindow::installHandlers() {
    auto& h = m_handlers;
    h[cmd::kNew] = [this] { newDocument(); };
    h[cmd::kOpen] = [this] { openDocument(); };
    h[cmd::kSave] = [this] { saveDocument(); };
    h[cmd::kSaveAs] = [this] { saveDocumentAs(); };
    h[cmd::kExit] = [this] { close(); };
    h[cmd::kUndo] = [this] { m_editor->undo(); };
    h[cmd::kRedo] = [this] { m_editor->redo(); };
    h[cmd::kCut] = [this] { m_editor->cut(); };
    h[cmd::kCopy] = [this] { m_editor->copy(); };
    h[cmd::kPaste] = [this] { m_editor->paste(); };
    h[cmd::kSelectAll] = [this] { m_editor->selectAll(); };
    h[cmd::kFind] = [this] { showFind(false); };
    h[cmd::kReplace] = [this] { showFind(true); };
    h[cmd::kGoToLine] = [this] { goToLine(); };
    h[cmd::kLockBars] = [this] { setLocked(action(cmd::kLockBars)->isChecked()); };
    h[cmd::kHelp] = [this] { showHelp(); };
    h[cmd::kUpdate] = [this] { runUpdate(); };
    h[cmd::kWebPage] = [this] { m_dialogs->openUrl(QUrl(u8(msg::kMakerWebAddress))); };
    h[cmd::kAbout] = [this] { showAbout(); };
    h[cmd::kParams] = [this] { showParams(); };
    h[cmd::kSyntaxColouring] = [this] { chooseColouring(); };
    h[cmd::kColours] = [this] { chooseColours(); };
    h[cmd::kFont] = [this] { chooseFont(); };
    h[cmd::kOutputAutoClear] = [this] {
        m_output->setAutoClear(action(cmd::kOutputAutoClear)->isChecked());
    };
    h[cmd::kShowHints] = [this] { m_output->setHintsShown(action(cmd::kShowHints)->isChecked()); };
    h[cmd::kOutputClear] = [this] { m_output->clearSelection(); };
    h[cmd::kOutputClearAll] = [this] { m_output->clear(); };
    for (int i = 0; i <= cmd::kRecentLast - cmd::kRecentFirst; ++i) {
        h[cmd::kRecentFirst + i] = [this, i] { openRecent(i); };
    }
    action(cmd::kOutputAutoClear)->setChecked(true);
    action(cmd::kShowHints)->setChecked(true);

    const auto viewToggle = [this](int id, QWidget* w) {
        QAction* a = action(id);
        a->setChecked(true);
        connect(a, &QAction::toggled, w, &QWidget::setVisible);
    };
    viewToggle(cmd::kViewStatusBar, statusBar());
    viewToggle(cmd::kViewOutput, m_outputDock);
    viewToggle(cmd::kViewCommandBox, m_commandDock);
    connect(m_outputDock, &QDockWidget::visibilityChanged, this,
            [this](bool) { action(cmd::kViewOutput)->setChecked(!m_outputDock->isHidden()); });
    connect(m_commandDock, &QDockWidget::visibilityChanged, this,
            [this](bool) { action(cmd::kViewCommandBox)->setChecked(!m_commandDock->isHidden()); });
}

void MainWindow::rebuildRecentMenu() {
    if (!m_recentMenu) return;
    for (QAction* a : m_recentMenu->actions()) {
        m_actions.remove(a->data().toInt());
        a->deleteLater();
    }
    m_recentMenu->clear();
    const auto& paths = m_recent.paths();
    if (paths.empty()) {
        QAction* a = makeAction(cmd::kRecentFirst, u8(msg::kNoRecentFiles));
        a->setEnabled(false);
        m_recentMenu->addAction(a);
        return;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString::fromStdString(paths[i]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        m_recentMenu->addAction(makeAction(cmd::kRecentFirst + static_cast<int>(i), text));
    }
}

void MainWindow::setCardType(int cardType) {
    m_cardType = cardType;
    action(cmd::kCardUsb)->setChecked(cardType == 0);
    action(cmd::kCardPci)->setChecked(cardType == 1);
    updateTitle();
}

void MainWindow::updateTitle() {
    setWindowTitle(QString::fromStdString(frameTitle(m_path.toStdString(), m_cardType)));
}

}  // namespace zeq::desk
