// The device bars over two virtual cards (step clock), driven through their buttons, lists and
// the frame's commands as a user would. The card calls run on the bars' worker; every check
// waits for it with QTRY_*.
#include "shell/device_bars.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/output_box.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

// The boards' message boxes, from whichever thread shows them.
class BoxLog : public UserDialogs {
  public:
    void message(std::string_view text) override {
        QMutexLocker lock(&m_mutex);
        m_messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    Answer askYesNo(std::string_view, Answer a) override { return a; }
    Answer askYesNoCancel(std::string_view, Answer a) override { return a; }
    QStringList messages() {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }

  private:
    QMutex m_mutex;
    QStringList m_messages;
};

// The window, its session and its device bars, as zeqdesk builds them, over the current home:
// the search and the --board connections run on the bars' worker once the window is up.
struct Desk {
    std::shared_ptr<ScriptedDialogs> shellDialogs = std::make_shared<ScriptedDialogs>();
    BoxLog boxes;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    std::unique_ptr<DeviceBars> bars;

    explicit Desk(std::vector<std::pair<int, int>> connections = {}) {
        deviceBinding().setLibraryDir(ZEQ_DLL_DIR);
        deviceBinding().setEndProgram([](int) {});
        window = startWindow(shellDialogs);
        Session::Setup setup;
        setup.sink = window->outputBox();
        setup.dialogs = &boxes;
        setup.cardType = window->cardType();
        setup.rememberBoards = true;
        setup.searchAtOpen = false;
        session = std::make_unique<Session>(setup);
        if (!session->open()) return;
        bars = installDeviceBars(*window, *session);
        bars->startUp(std::move(connections));
    }
    ~Desk() {
        bars.reset();
        session.reset();
        window.reset();
        deviceBinding().setEndProgram(nullptr);
    }
    QString output() const { return window->outputBox()->toPlainText(); }
    QString connectionPane() const {
        return window->findChild<QLabel*>(QStringLiteral("connectionPane"))->text();
    }
    QString countersPane() const {
        return window->findChild<QLabel*>(QStringLiteral("countersPane"))->text();
    }
};

#define WAIT_IDLE(desk) QTRY_VERIFY((desk).bars && !(desk).bars->busy())

void pickBoard(Desk& d, int slot, int board) {
    QComboBox* list = d.bars->boardList(slot);
    list->setCurrentIndex(board);
    emit list->activated(board);
}

}  // namespace

void DeviceBarsTest::init() {
    ::setenv("ZEQLINK_SIM", "2", 1);
    ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
}

void DeviceBarsTest::cleanup() {
    ::unsetenv("ZEQLINK_SIM");
    ::unsetenv("ZEQLINK_SIM_FAULTS");
}

void DeviceBarsTest::connectAndDisconnectThroughASlotBar() {
    TempHome home;
    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    // One bar per device found; the two get boards 0 and 1.
    for (int n = 0; n < Boards::kMaxSlots; ++n) QCOMPARE(d.bars->slotBar(n)->isVisible(), n < 2);
    QCOMPARE(d.bars->nameField(0)->text(), QStringLiteral("ZEQ-SIM0"));
    QVERIFY(d.bars->nameField(0)->isReadOnly());
    QCOMPARE(d.bars->boardList(0)->currentText(), QStringLiteral("Board:0"));
    QCOMPARE(d.bars->boardList(1)->currentText(), QStringLiteral("Board:1"));
    QCOMPARE(d.bars->targetList()->count(), 2);
    QCOMPARE(d.bars->targetList()->currentText(), QStringLiteral("ZEQ-SIM0"));
    QCOMPARE(d.session->targetBoard(), -1);

    struct Step {
        QString line, pane, caption;
        int target;
    };
    const Step steps[] = {
        {"ZEQ-SIM0 已连接\n", "ZEQ-SIM0已连接", "断开设备", 0},
        {"ZEQ-SIM0 已断开\n", "ZEQ-SIM0已断开", "连接设备", -1},
    };
    for (const Step& s : steps) {
        QTest::mouseClick(d.bars->connectButton(0), Qt::LeftButton);
        // Busy until the worker is done: wait cursor, the bar disabled.
        QVERIFY(d.bars->busy());
        QVERIFY(!d.bars->connectButton(0)->isEnabled());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        WAIT_IDLE(d);
        QTRY_VERIFY2(d.output().endsWith(s.line), qPrintable(d.output()));
        QCOMPARE(d.connectionPane(), s.pane);
        QCOMPARE(d.bars->connectButton(0)->text(), s.caption);
        QCOMPARE(d.session->targetBoard(), s.target);
        QVERIFY(d.bars->connectButton(0)->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
    QVERIFY(d.boxes.messages().isEmpty());
}

void DeviceBarsTest::aFailingCardLeavesTheBarsUsable() {
    struct Case {
        const char* faults;
        QStringList lines;  // the output after each press of the button
        QString pane;
    };
    const Case cases[] = {
        // The open itself fails.
        {"open:halffull", {"连接失败!\n"}, "连接失败!"},
        // The card vanishes right after its open: connected, then its close fails.
        {"unplug=0", {"ZEQ-SIM0 已连接\n", "ZEQ-SIM0 已断开\n"}, "ZEQ-SIM0已断开"},
    };
    for (const Case& c : cases) {
        ::setenv("ZEQLINK_SIM_FAULTS", c.faults, 1);
        TempHome home;
        Desk d;
        QVERIFY(d.bars);
        WAIT_IDLE(d);
        for (const QString& line : c.lines) {
            QTest::mouseClick(d.bars->connectButton(0), Qt::LeftButton);
            WAIT_IDLE(d);
            QTRY_VERIFY2(d.output().endsWith(line), qPrintable(d.output()));
        }
        QCOMPARE(d.connectionPane(), c.pane);
        QCOMPARE(d.bars->connectButton(0)->text(), QStringLiteral("连接设备"));
        QVERIFY(d.bars->connectButton(0)->isEnabled());
        QCOMPARE(d.session->targetBoard(), -1);
        QCOMPARE(d.session->boards().handle(0), ZEQ_HANDLE{0});
        ::unsetenv("ZEQLINK_SIM_FAULTS");
    }
}

void DeviceBarsTest::boardNumberAlreadyTaken() {
    TempHome home;
    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    QTest::mouseClick(d.bars->connectButton(0), Qt::LeftButton);
    WAIT_IDLE(d);
    QVERIFY(d.session->boards().isConnected(0));
    // Picking the board already chosen is no change: the slot stays connected.
    pickBoard(d, 0, 0);
    WAIT_IDLE(d);
    QVERIFY(d.session->boards().isConnected(0));

    // Choosing the connected board in the other slot is refused at once ...
    pickBoard(d, 1, 0);
    WAIT_IDLE(d);
    QCOMPARE(d.boxes.messages(), QStringList{"此Board号已经有设备连接,请选择其他的Board!"});
    // ... and connecting it as that board too; nothing changes.
    QTest::mouseClick(d.bars->connectButton(1), Qt::LeftButton);
    WAIT_IDLE(d);
    QCOMPARE(d.boxes.messages().value(1), QStringLiteral("Board:0已被其他设备占用,请选择其他!"));
    QVERIFY(!d.session->boards().isConnected(1));
    QCOMPARE(d.bars->connectButton(1)->text(), QStringLiteral("连接设备"));
    QVERIFY(d.session->boards().isConnected(0));

    // The target follows the list: the second device is not connected, so no target board.
    QCOMPARE(d.session->targetBoard(), 0);
    emit d.bars->targetList()->activated(1);
    WAIT_IDLE(d);
    QCOMPARE(d.session->targetBoard(), -1);

    // A run keeps the boards as they are: no connect, no search, no card-type switch.
    d.bars->setRunActive(true);
    QVERIFY(!d.bars->connectButton(0)->isEnabled());
    QVERIFY(!d.window->action(cmd::kSearchDevices)->isEnabled());
    QVERIFY(!d.window->action(cmd::kCardPci)->isEnabled());
    d.bars->toggleConnection(0);
    QVERIFY(!d.bars->busy());
    QVERIFY(d.session->boards().isConnected(0));
    d.bars->setRunActive(false);
    QVERIFY(d.bars->connectButton(0)->isEnabled());

    // Changing a connected slot's board disconnects it first.
    pickBoard(d, 0, 5);
    WAIT_IDLE(d);
    QTRY_VERIFY(d.output().endsWith("已断开ZEQ-SIM0连接的Board:0\n"));
    QVERIFY(!d.session->boards().isConnected(0));
}

void DeviceBarsTest::rememberedBoardsComeBackAtTheNextStart() {
    TempHome home;
    {
        Desk d;
        QVERIFY(d.bars);
        WAIT_IDLE(d);
        pickBoard(d, 0, 6);
        WAIT_IDLE(d);
        pickBoard(d, 1, 2);
        WAIT_IDLE(d);
        QVERIFY(d.window->close());
    }
    const QByteArray ini = home.read(QStringLiteral("dat/zeq.ini"));
    QVERIFY2(ini.contains("ZEQ-SIM0=6") && ini.contains("ZEQ-SIM1=2"), ini.constData());

    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    QCOMPARE(d.bars->boardList(0)->currentText(), QStringLiteral("Board:6"));
    QCOMPARE(d.bars->boardList(1)->currentText(), QStringLiteral("Board:2"));
}

// zeqdesk --board 3=1: the search and the connection happen on the worker while the window
// is already up; the bars then show the connected device as the target.
void DeviceBarsTest::startUpSearchesAndConnectsOnTheWorker() {
    TempHome home;
    Desk d({{3, 1}});
    QVERIFY(d.bars);
    QSignalSpy boardsChanged(d.window.get(), &MainWindow::boardsChanged);
    QVERIFY(d.bars->busy());
    QVERIFY(!d.bars->targetList()->isEnabled());
    WAIT_IDLE(d);
    QCOMPARE(boardsChanged.count(), 1);
    QCOMPARE(d.bars->targetList()->count(), 2);
    QCOMPARE(d.bars->targetList()->currentText(), QStringLiteral("ZEQ-SIM1"));
    QCOMPARE(d.bars->boardList(1)->currentText(), QStringLiteral("Board:3"));
    QCOMPARE(d.bars->connectButton(1)->text(), QStringLiteral("断开设备"));
    QCOMPARE(d.bars->connectButton(0)->text(), QStringLiteral("连接设备"));
    QCOMPARE(d.session->targetBoard(), 3);
    QVERIFY(d.session->boards().handle(3) != 0);
    QVERIFY(d.bars->targetList()->isEnabled());
    QVERIFY(d.boxes.messages().isEmpty());
}

void DeviceBarsTest::cardTypeSwitchRefusedWhileConnected() {
    TempHome home;
    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    QTest::mouseClick(d.bars->connectButton(1), Qt::LeftButton);
    WAIT_IDLE(d);
    const QString title = d.window->windowTitle();
    QVERIFY(title.endsWith(QStringLiteral("(USB)")));

    d.window->action(cmd::kCardPci)->trigger();
    WAIT_IDLE(d);
    QCOMPARE(d.boxes.messages(), QStringList{"先关闭连接的设备!"});
    QCOMPARE(d.window->windowTitle(), title);
    QVERIFY(d.window->action(cmd::kCardUsb)->isChecked());
    QVERIFY(!d.window->action(cmd::kCardPci)->isChecked());
    QVERIFY(d.session->boards().isConnected(1));

    // Disconnected, the USB card is reloaded and searched again: the slots come back.
    QTest::mouseClick(d.bars->connectButton(1), Qt::LeftButton);
    WAIT_IDLE(d);
    d.window->action(cmd::kCardUsb)->trigger();
    WAIT_IDLE(d);
    QCOMPARE(d.boxes.messages().size(), 1);
    QVERIFY(d.window->action(cmd::kCardUsb)->isChecked());
    QVERIFY(d.bars->slotBar(1)->isVisible());
    QCOMPARE(d.window->windowTitle(), title);
    // After a switch to the USB card the counters are shown once, display on or off.
    QTRY_VERIFY(d.countersPane().startsWith(QStringLiteral("TX:")));
    QVERIFY(!d.window->action(cmd::kShowCounters)->isChecked());
}

void DeviceBarsTest::countersShowAfterTheCommand() {
    TempHome home;
    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    QTest::mouseClick(d.bars->connectButton(0), Qt::LeftButton);
    WAIT_IDLE(d);
    Boards& boards = d.session->boards();
    QCOMPARE(d.countersPane(), QStringLiteral("TX:0 ,RX:0"));  // off at start
    QAction* counters = d.window->action(cmd::kShowCounters);
    QVERIFY(counters->isEnabled());
    counters->trigger();
    QVERIFY(counters->isChecked());
    static const QRegularExpression shown(QStringLiteral("^TX:(\\d+),RX:(\\d+)$"));
    QTRY_VERIFY(shown.match(d.countersPane()).hasMatch());
    const int tx0 = shown.match(d.countersPane()).captured(1).toInt();
    const int rx0 = shown.match(d.countersPane()).captured(2).toInt();
    QVERIFY(tx0 > 0 && rx0 > 0);  // the connect's own traffic

    // A read counts both ways; the timer shows it.
    int status = -1;
    myReadParamWord(boards.handle(0), 0, 634, &status);
    QCOMPARE(status, 0);
    QTRY_VERIFY(shown.match(d.countersPane()).captured(2).toInt() > rx0);
    QVERIFY(shown.match(d.countersPane()).captured(1).toInt() > tx0);
    QCOMPARE(d.countersPane(), QString::fromStdString(boards.counterText()));

    // Off again: the library stops notifying and the pane stays as it was.
    counters->trigger();
    QVERIFY(!counters->isChecked());
    const QString last = d.countersPane();
    const auto rx = boards.rxBytes();
    myReadParamWord(boards.handle(0), 0, 634, &status);
    boards.refreshCounters();
    QCOMPARE(boards.rxBytes(), rx);
    QCOMPARE(d.countersPane(), last);
}

void DeviceBarsTest::renameWritesTheNewDescription() {
    TempHome home;
    Desk d;
    QVERIFY(d.bars);
    WAIT_IDLE(d);
    // Answers the rename dialog, which offers the current name, with `name`.
    const auto rename = [&d](const QString& current, const QString& name) {
        QTimer::singleShot(0, [current, name] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->textValue(), current);
            dialog->setTextValue(name);
            dialog->accept();
        });
        d.window->action(cmd::kRenameDevice)->trigger();
        WAIT_IDLE(d);
    };
    rename("ZEQ-SIM0", QString(33, QLatin1Char('x')));
    QTRY_VERIFY(d.output().endsWith("名称多于32个字符!\n"));
    QVERIFY(d.boxes.messages().isEmpty());

    // The new description is in the bridge's EEPROM: the next search lists it. Written back
    // at the end, as the other tests know the card.
    for (const auto& [from, to] : {std::pair{"ZEQ-SIM0", "ZEQ-AXES"}, {"ZEQ-AXES", "ZEQ-SIM0"}}) {
        rename(from, to);
        QCOMPARE(d.boxes.messages().last(), QStringLiteral("更改成功!"));
        d.window->action(cmd::kSearchDevices)->trigger();
        WAIT_IDLE(d);
        QCOMPARE(d.bars->nameField(0)->text(), QString::fromUtf8(to));
        QCOMPARE(d.bars->targetList()->itemText(0), QString::fromUtf8(to));
    }
}

}  // namespace zeq::desk::test
