// The watch box over a virtual card (step clock), driven through its menu, its add window and
// its cells as a user would.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "shell/command_ids.h"
#include "tools/watch/ui/watch_dock.h"
#include "tools/watch/ui/watch_pane.h"
#include "tools/watch/watch_messages.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

class ListOutput : public OutputSink {
  public:
    void append(std::string_view) override {}
};

class ListDialogs : public UserDialogs {
  public:
    QStringList messages;
    void message(std::string_view text) override {
        messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    Answer askYesNo(std::string_view, Answer a) override { return a; }
    Answer askYesNoCancel(std::string_view, Answer a) override { return a; }
};

class StepClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds) override {}
};

QString cell(const WatchPane& pane, int row, int column) {
    const QTableWidgetItem* item = pane.table()->item(row, column);
    return item ? item->text() : QString();
}

// Clicks a cell, then picks entry `index` of the drop-down list that opens over it.
void pickInCell(WatchPane& pane, int row, int column, int index) {
    QTableWidget* table = pane.table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(row, column)).center());
    auto* box = qobject_cast<QComboBox*>(table->cellWidget(row, column));
    QVERIFY(box);
    QVERIFY(!box->accessibleName().isEmpty());
    QVERIFY(index < box->count());
    QAbstractItemView* view = box->view();
    view->setCurrentIndex(view->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!table->cellWidget(row, column));
}

}  // namespace

struct WatchPaneTest::Fixture {
    QTemporaryDir home;
    ListOutput output;
    ListDialogs dialogs;
    StepClock clock;
    std::unique_ptr<Boards> boards;
    std::unique_ptr<WatchList> list;
    std::unique_ptr<WatchPane> pane;
};

void WatchPaneTest::init() {
    ::setenv("ZEQLINK_SIM", "1", 1);
    ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
    m = std::make_unique<Fixture>();
    DeviceBinding& binding = deviceBinding();
    binding.unload();
    binding.setDialogs(&m->dialogs);
    binding.setEndProgram([](int) {});
    binding.setCardType(kCardUsb);
    binding.setLibraryDir(ZEQ_DLL_DIR);
    QCOMPARE(binding.load(), 0);
    m->boards = std::make_unique<Boards>(binding, m->output, m->dialogs, m->clock);
    m->boards->search();
    QCOMPARE(m->boards->connectDevice(0, 0), 0);
    m->list = std::make_unique<WatchList>(*m->boards, m->output, m->dialogs, m->clock);
    m->list->setIniPath(m->home.filePath(QStringLiteral("zeq.ini")).toStdString());
    m->pane = std::make_unique<WatchPane>(*m->list);
    m->pane->resize(400, 300);
    m->pane->show();
    QVERIFY(QTest::qWaitForWindowExposed(m->pane.get()));
}

void WatchPaneTest::cleanup() {
    m->pane.reset();
    m->list.reset();
    for (int b = 0; b < Boards::kBoardCount; ++b) {
        ZEQ_HANDLE h = m->boards->handle(b);
        if (h) myClose(&h);
    }
    m->boards.reset();
    deviceBinding().unload();
    deviceBinding().setDialogs(nullptr);
    deviceBinding().setEndProgram(nullptr);
    m.reset();
    ::unsetenv("ZEQLINK_SIM");
}

void WatchPaneTest::menuEnablingFollowsTheListAndTheSelection() {
    WatchPane& pane = *m->pane;
    using C = WatchCommand;
    const auto enabled = [&](C c) {
        emit pane.menu()->aboutToShow();
        return pane.action(c)->isEnabled();
    };
    // Empty list: add, hexadecimal and interval only.
    QVERIFY(!enabled(C::Start) && !enabled(C::Stop) && !enabled(C::Delete));
    QVERIFY(!enabled(C::DeleteAll));
    QVERIFY(enabled(C::Add) && enabled(C::Hex) && enabled(C::Interval));

    QVERIFY(m->list->addRow("naxis"));
    pane.refreshRows();
    QVERIFY(enabled(C::Start) && enabled(C::DeleteAll) && !enabled(C::Delete));
    pane.table()->selectRow(0);
    QVERIFY(enabled(C::Delete));

    // Polling: stop only, besides hexadecimal and interval.
    pane.action(C::Start)->trigger();
    QVERIFY(enabled(C::Stop) && !enabled(C::Start) && !enabled(C::Add));
    QVERIFY(!enabled(C::Delete) && !enabled(C::DeleteAll) && enabled(C::Hex));
    pane.action(C::Stop)->trigger();
    m->list->waitIdle();
    QVERIFY(enabled(C::Start) && !enabled(C::Stop));

    // The pop-up menu from the keyboard opens inside the list's top-left corner.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(200, 200),
                          pane.table()->mapToGlobal(QPoint(200, 200)));
    QApplication::sendEvent(pane.table(), &key);
    QTRY_VERIFY(pane.menu()->isVisible());
    QCOMPARE(pane.menu()->pos(), pane.table()->viewport()->mapToGlobal(QPoint(5, 5)));
    pane.menu()->close();

    // Hidden pane: no start.
    pane.hide();
    QVERIFY(!enabled(C::Start));
    pane.show();
    pane.action(C::Hex)->trigger();
    QVERIFY(pane.action(C::Hex)->isChecked());
}

void WatchPaneTest::addWindowFiltersAndAddsTheTypedName() {
    WatchPane& pane = *m->pane;
    pane.action(WatchCommand::Add)->trigger();
    WatchAddWindow* window = pane.addWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QString::fromUtf8(watch_text::kAddTitle));
    QComboBox* names = window->nameBox();
    QCOMPARE(names->count(), 237);

    // Typing filters by any part of a name, ignoring case.
    QCompleter* completer = names->completer();
    completer->setCompletionPrefix(QStringLiteral("POS"));
    QVERIFY(completer->completionCount() > 1);
    for (int i = 0; i < completer->completionCount(); ++i) {
        completer->setCurrentRow(i);
        QVERIFY(
            completer->currentCompletion().contains(QStringLiteral("pos"), Qt::CaseInsensitive));
    }

    auto* add = window->findChild<QPushButton*>(QStringLiteral("watchAddButton"));
    names->lineEdit()->clear();
    QTest::keyClicks(names->lineEdit(), QStringLiteral("NAXIS"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(pane.table()->rowCount(), 1);
    QCOMPARE(cell(pane, 0, 0), QStringLiteral("NAXIS"));
    QCOMPARE(cell(pane, 0, 2), QStringLiteral("0"));
    QCOMPARE(cell(pane, 0, 3), QStringLiteral("0"));

    names->lineEdit()->setText(QStringLiteral("nosuch"));
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(pane.table()->rowCount(), 1);
    QCOMPARE(m->dialogs.messages.value(0),
             QString::fromUtf8(watch_text::kNotSystemParam).replace("%s", "nosuch"));

    // Opening again while visible shows the same window.
    pane.action(WatchCommand::Add)->trigger();
    QCOMPARE(pane.addWindow(), window);
}

void WatchPaneTest::boardAndAxisCellsEditInPlaceAndSave() {
    WatchPane& pane = *m->pane;
    QVERIFY(m->list->addRow("mcspos"));
    pane.refreshRows();
    pickInCell(pane, 0, 3, 1);  // board 1: no device
    QCOMPARE(cell(pane, 0, 3), QStringLiteral("1"));
    QCOMPARE(m->list->row(0).board, 1);
    pickInCell(pane, 0, 2, 2);
    QCOMPARE(cell(pane, 0, 2), QStringLiteral("2"));
    const WatchSettings saved =
        loadWatchSettings(m->home.filePath(QStringLiteral("zeq.ini")).toStdString());
    QCOMPARE(int(saved.rows.size()), 1);
    QCOMPARE(saved.rows[0].axis, 2);
    QCOMPARE(saved.rows[0].board, 1);

    // While polling the cells stay closed.
    m->list->setBoard(0, 0);
    pane.refreshRows();
    pane.action(WatchCommand::Start)->trigger();
    QTest::mouseClick(pane.table()->viewport(), Qt::LeftButton, {},
                      pane.table()->visualItemRect(pane.table()->item(0, 3)).center());
    QVERIFY(!pane.table()->cellWidget(0, 3));
    pane.action(WatchCommand::Stop)->trigger();
}

void WatchPaneTest::pollingShowsValuesInTheValueCells() {
    WatchPane& pane = *m->pane;
    QVERIFY(m->list->addRow("naxis"));
    QVERIFY(m->list->addRow("naxis"));
    QVERIFY(m->list->setBoard(1, 3));
    pane.refreshRows();
    pane.action(WatchCommand::Start)->trigger();
    QTRY_COMPARE(cell(pane, 0, 1), QStringLiteral("4"));
    QTRY_COMPARE(cell(pane, 1, 1), QString::fromUtf8(watch_text::kNoDevice));
    pane.action(WatchCommand::Hex)->trigger();
    QTRY_COMPARE(cell(pane, 0, 1), QStringLiteral("0004H"));
    pane.action(WatchCommand::Stop)->trigger();
}

void WatchPaneTest::dockLoadsAtCreationAndSavesAtClose() {
    TempHome home;
    home.write(QStringLiteral("dat/zeq.ini"),
               "[ListView]\nparamnum=2\n0=naxis:0:0\n1=mcsvel:5:9\n[Toolcfg]\nListGetTime=250\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto window = startWindow(dialogs);
    QDockWidget* dock = installWatchPane(*window, *m->list);
    QCOMPARE(m->list->rowCount(), 2);
    QCOMPARE(m->list->interval(), 250);
    QCOMPARE(watchRowText(m->list->row(1)), std::string("mcsvel:5:0"));

    QAction* view = window->action(cmd::kViewWatch);
    QVERIFY(view->isEnabled());
    const bool shown = dock->isVisible();
    view->trigger();
    QCOMPARE(dock->isVisible(), !shown);

    QVERIFY(m->list->setInterval(300));
    QVERIFY(window->close());
    const WatchSettings saved = loadWatchSettings(home.iniPath().toStdString());
    QCOMPARE(saved.interval, 300);
    QCOMPARE(int(saved.rows.size()), 2);
    // The file keeps the application's "key=value" lines.
    const QByteArray text = home.read(QStringLiteral("dat/zeq.ini"));
    QVERIFY(text.contains("\nZoom=") && text.contains("\nListGetTime=300"));
    window.reset();
}

// The frame's "获取参数值" is enabled while a board is connected, also when the connection
// changes after the pane was shown (the device bars say so through boardsChanged).
void WatchPaneTest::frameStartFollowsTheBoards() {
    TempHome home;
    home.write(QStringLiteral("dat/zeq.ini"), "[ListView]\nparamnum=1\n0=naxis:0:0\n");
    auto window = startWindow(std::make_shared<ScriptedDialogs>());
    QDockWidget* dock = installWatchPane(*window, *m->list);
    QTRY_VERIFY(dock->isVisible());
    QAction* start = window->action(cmd::kWatchStart);
    QTRY_VERIFY(start->isEnabled());
    for (const bool connected : {false, true}) {
        m->boards->toggleConnection(0);
        QCOMPARE(m->boards->handle(0) != 0, connected);
        emit window->boardsChanged();
        QCOMPARE(start->isEnabled(), connected);
    }
    delete dock;  // as zeqdesk does: the pane goes before the frame it reports to
    window.reset();
}

WatchPaneTest::WatchPaneTest() = default;
WatchPaneTest::~WatchPaneTest() = default;

}  // namespace zeq::desk::test
