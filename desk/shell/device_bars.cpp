#include "shell/device_bars.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "binding/binding_messages.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/device_messages.h"
#include "shell/main_window.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}
QString u8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Command ids of the slot bars' controls: board list, name field, connect button of slot n.
constexpr int kBoardListId = 32909;
constexpr int kNameFieldId = 32917;
constexpr int kConnectButtonId = 32925;
// The counters are read a few times a second, never per transfer.
constexpr int kCounterRefreshMs = 250;

// The frame's commands that start a card call; disabled while one runs.
constexpr int kCardCommands[] = {cmd::kSearchDevices, cmd::kRenameDevice, cmd::kCardUsb,
                                 cmd::kCardPci, cmd::kShowCounters};

}  // namespace

DeviceBars::DeviceBars(MainWindow& window, Session& session)
    : m_window(window), m_session(session), m_boards(session.boards()) {
    m_targetList = window.findChild<QComboBox*>(QStringLiteral("deviceList"));
    m_connectionPane = window.findChild<QLabel*>(QStringLiteral("connectionPane"));
    m_countersPane = window.findChild<QLabel*>(QStringLiteral("countersPane"));
    Q_ASSERT(m_targetList && m_connectionPane && m_countersPane);
    buildBars();
    installCommands();
    // Under a PCI card the counter pane is blank from the start.
    if (window.cardType() == kCardPci) m_countersPane->setText(u8(binding_text::kCountersCleared));

    m_counterTimer = new QTimer(this);
    m_counterTimer->setInterval(kCounterRefreshMs);
    connect(m_counterTimer, &QTimer::timeout, this, [this] {
        if (!m_busy) m_boards.refreshCounters();
    });
    m_counterTimer->start();

    // The start-up search ran before the bars existed and no card call runs yet.
    m_boards.setView(this);
    show(takeSnapshot());
    setBusy(false);
}

DeviceBars::~DeviceBars() {
    // The worker's card call ends within the library's time-outs; the boards outlive us.
    m_worker.cancelPending();
    m_worker.waitIdle();
    m_boards.setView(nullptr);
    if (m_busy) QApplication::restoreOverrideCursor();
    // The frame may outlive the bars: its commands no longer reach them.
    QList<int> ids(std::begin(kCardCommands), std::end(kCardCommands));
    for (int n = 0; n < Boards::kMaxSlots; ++n) ids << kConnectButtonId + n;
    for (int id : ids) {
        m_window.setCommandHandler(id, nullptr);
        if (QAction* a = m_window.action(id)) a->setEnabled(false);
    }
}

void DeviceBars::buildBars() {
    // The device toolbar: the label before the target list, the search button after it.
    if (auto* bar = m_window.findChild<QToolBar*>(QStringLiteral("deviceBar"))) {
        for (QAction* a : bar->actions()) {
            if (bar->widgetForAction(a) != m_targetList) continue;
            auto* label = new QLabel(u8(device_text::kTargetLabel), bar);
            label->setObjectName(QStringLiteral("targetLabel"));
            label->setBuddy(m_targetList);
            bar->insertWidget(a, label);
            break;
        }
    }
    if (QAction* s = m_window.action(cmd::kSearchDevices)) {
        s->setText(u8(device_text::kSearchCaption));
        s->setStatusTip(u8(device_text::kSearchPrompt));
    }
    connect(m_targetList, &QComboBox::activated, this, [this](int i) { selectTarget(i); });

    // One slot bar per device, in a row of their own; shown while their slot holds a device.
    m_window.addToolBarBreak(Qt::TopToolBarArea);
    for (int n = 0; n < Boards::kMaxSlots; ++n) {
        Bar& b = m_bars[n];
        b.bar = new QToolBar(u8(device_text::kSlotBarTitle).arg(n), &m_window);
        b.bar->setObjectName(QStringLiteral("slotBar%1").arg(n));
        b.bar->setAccessibleName(b.bar->windowTitle());
        b.boards = new QComboBox(b.bar);
        b.boards->setObjectName(QStringLiteral("boardList%1").arg(n));
        b.boards->setProperty("commandId", kBoardListId + n);
        b.boards->setAccessibleName(u8(device_text::kBoardPrompt));
        b.boards->setStatusTip(u8(device_text::kBoardPrompt));
        for (int board = 0; board < Boards::kBoardCount; ++board)
            b.boards->addItem(QString::asprintf(binding_text::kBoardEntry, board));
        b.name = new QLineEdit(b.bar);
        b.name->setObjectName(QStringLiteral("deviceName%1").arg(n));
        b.name->setProperty("commandId", kNameFieldId + n);
        b.name->setReadOnly(true);
        b.name->setAccessibleName(u8(device_text::kNamePrompt));
        b.name->setStatusTip(u8(device_text::kNamePrompt));
        b.name->setMinimumWidth(140);
        b.name->setMaximumWidth(260);
        b.command = m_window.addCommand(kConnectButtonId + n, u8(binding_text::kConnectCaption));
        b.command->setStatusTip(u8(device_text::kConnectPrompt));
        b.bar->addWidget(b.boards);
        b.bar->addWidget(b.name);
        b.bar->addAction(b.command);
        b.connect = qobject_cast<QToolButton*>(b.bar->widgetForAction(b.command));
        b.connect->setObjectName(QStringLiteral("connectButton%1").arg(n));
        b.connect->setAccessibleName(u8(device_text::kConnectPrompt));
        b.connect->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b.connect->setFocusPolicy(Qt::TabFocus);
        m_window.addToolBar(Qt::TopToolBarArea, b.bar);
        b.bar->hide();
        // A change of the selection only: picking the board already chosen changes nothing.
        connect(b.boards, &QComboBox::activated, this, [this, n](int board) {
            if (n < static_cast<int>(m_shown.devices.size()) &&
                m_shown.devices[n].chosenBoard == board)
                return;
            chooseBoard(n, board);
        });
        m_window.setCommandHandler(kConnectButtonId + n, [this, n] { toggleConnection(n); });
    }
    // Tab from the instruction box reaches the device widgets in the order they are shown:
    // target list, search, then each slot bar's list, name and button.
    QList<QWidget*> chain{m_window.commandBox(), m_targetList};
    if (auto* bar = m_window.findChild<QToolBar*>(QStringLiteral("deviceBar")))
        if (QWidget* w = bar->widgetForAction(m_window.action(cmd::kSearchDevices))) chain << w;
    for (const Bar& b : m_bars) chain << b.boards << b.name << b.connect;
    for (int i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void DeviceBars::installCommands() {
    m_window.setCommandHandler(cmd::kSearchDevices, [this] { search(); });
    m_window.setCommandHandler(cmd::kCardUsb, [this] { switchCardType(kCardUsb); });
    m_window.setCommandHandler(cmd::kCardPci, [this] { switchCardType(kCardPci); });
    m_window.setCommandHandler(cmd::kRenameDevice, [this] { askRename(); });
    m_window.setCommandHandler(cmd::kShowCounters, [this] { toggleCounters(); });
    if (QAction* a = m_window.action(cmd::kShowCounters)) {
        a->setStatusTip(u8(device_text::kCountersPrompt));
        a->setChecked(m_boards.counterDisplay());
    }
}

// ---- Card calls -------------------------------------------------------------------------

void DeviceBars::onCard(std::function<void()> work) {
    setBusy(true);
    m_worker.post([this, work = std::move(work)] {
        work();
        Snapshot s = takeSnapshot();
        QMetaObject::invokeMethod(
            this,
            [this, s = std::move(s)] {
                show(s);
                setBusy(false);
                emit m_window.boardsChanged();
                emit idle();
            },
            Qt::QueuedConnection);
    });
}

DeviceBars::Snapshot DeviceBars::takeSnapshot() const {
    Snapshot s;
    for (int i = 0; i < m_boards.slotCount(); ++i) {
        const DeviceSlot& d = m_boards.slot(i);
        s.devices.push_back({u8(d.displayName), d.chosenBoard, d.connectedBoard >= 0,
                             u8(m_boards.connectCaption(i))});
    }
    s.targetSlot = m_boards.targetSlot();
    if (s.targetSlot >= 0) {
        const DeviceSlot& d = m_boards.slot(s.targetSlot);
        if (d.chosenBoard >= 0 && d.connectedBoard == d.chosenBoard &&
            m_boards.handle(d.chosenBoard) != 0)
            s.targetBoard = d.chosenBoard;
    }
    s.cardType = m_session.binding().cardType();
    return s;
}

void DeviceBars::startUp(std::vector<std::pair<int, int>> connections) {
    onCard([this, connections = std::move(connections)] {
        m_boards.search();
        // Without a target, the boards make the first device connected the target, as the
        // command-line tool does with its first --board.
        if (!connections.empty()) m_boards.selectTarget(-1);
        for (const auto& [board, device] : connections) m_boards.connectDevice(device, board);
    });
}

void DeviceBars::show(const Snapshot& s) {
    m_shown = s;
    m_targetList->clear();
    for (const SlotView& v : s.devices) m_targetList->addItem(v.name);
    m_targetList->setCurrentIndex(s.targetSlot);
    for (int n = 0; n < Boards::kMaxSlots; ++n) {
        Bar& b = m_bars[n];
        const bool filled = n < static_cast<int>(s.devices.size());
        if (filled) {
            const SlotView& v = s.devices[n];
            b.name->setText(v.name);
            b.name->setCursorPosition(0);
            b.boards->setCurrentIndex(v.chosenBoard);
            b.command->setText(v.caption);
        }
        b.bar->setVisible(filled);
    }
    m_session.setTargetBoard(s.targetBoard);
    if (QAction* a = m_window.action(cmd::kCardUsb)) a->setChecked(s.cardType == kCardUsb);
    if (QAction* a = m_window.action(cmd::kCardPci)) a->setChecked(s.cardType == kCardPci);
}

void DeviceBars::setBusy(bool busy) {
    if (busy != m_busy) {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
        m_busy = busy;
    }
    const bool usable = !busy && !m_runActive;
    m_targetList->setEnabled(usable && m_targetList->count() > 0);
    for (Bar& b : m_bars) b.bar->setEnabled(usable);
    for (int id : kCardCommands)
        if (QAction* a = m_window.action(id))
            a->setEnabled(usable || (id == cmd::kShowCounters && !busy));
}

void DeviceBars::setRunActive(bool active) {
    m_runActive = active;
    setBusy(m_busy);
}

// ---- Commands ---------------------------------------------------------------------------

void DeviceBars::search() {
    if (m_busy || m_runActive) return;
    onCard([this] { m_boards.search(); });
}

void DeviceBars::chooseBoard(int slot, int board) {
    if (m_busy || m_runActive) return;
    onCard([this, slot, board] { m_boards.chooseBoard(slot, board); });
}

void DeviceBars::toggleConnection(int slot) {
    if (m_busy || m_runActive) return;
    onCard([this, slot] { m_boards.toggleConnection(slot); });
}

void DeviceBars::selectTarget(int slot) {
    if (m_busy || m_runActive) return;
    onCard([this, slot] { m_boards.selectTarget(slot); });
}

void DeviceBars::switchCardType(int cardType) {
    if (m_busy || m_runActive) return;
    onCard([this, cardType] { m_boards.switchCardType(cardType); });
}

void DeviceBars::renameTarget(const QString& newName) {
    if (m_busy || m_runActive) return;
    const std::string name = newName.toStdString();
    const int slot = m_shown.targetSlot;
    onCard([this, slot, name] { m_boards.renameDevice(slot, name); });
}

void DeviceBars::askRename() {
    if (m_busy) return;
    if (m_shown.targetSlot < 0) {
        renameTarget(QString());  // "没有设备!"
        return;
    }
    bool ok = false;
    const QString name = QInputDialog::getText(&m_window, u8(device_text::kRenameTitle),
                                               u8(device_text::kRenamePrompt), QLineEdit::Normal,
                                               m_shown.devices[m_shown.targetSlot].name, &ok);
    if (ok) renameTarget(name);
}

void DeviceBars::toggleCounters() {
    if (m_busy) return;
    // Only a flag and the library's notification target change: no card is asked.
    m_boards.toggleCounterDisplay();
    if (QAction* a = m_window.action(cmd::kShowCounters)) a->setChecked(m_boards.counterDisplay());
    m_boards.refreshCounters();
}

// ---- BoardsView -------------------------------------------------------------------------

void DeviceBars::setConnectionState(std::string_view text) {
    QMetaObject::invokeMethod(
        this, [this, t = u8(text)] { m_connectionPane->setText(t); }, Qt::AutoConnection);
}

void DeviceBars::setCounterText(std::string_view text) {
    QMetaObject::invokeMethod(
        this, [this, t = u8(text)] { m_countersPane->setText(t); }, Qt::AutoConnection);
}

void DeviceBars::cardTypeChanged(int cardType) {
    QMetaObject::invokeMethod(
        this,
        [this, cardType] {
            m_window.setCardType(cardType);
            // A switch to the USB card hides the watch box.
            if (cardType == kCardUsb) {
                if (auto* dock = m_window.findChild<QDockWidget*>(QStringLiteral("watchDock")))
                    dock->hide();
            }
        },
        Qt::AutoConnection);
}

std::unique_ptr<DeviceBars> installDeviceBars(MainWindow& window, Session& session) {
    return std::make_unique<DeviceBars>(window, session);
}

}  // namespace zeq::desk
