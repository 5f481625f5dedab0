// Run control in the real main frame over a session with one virtual card (step clock),
// driven through the frame's actions and keys as a user would: the output pane, the editor's
// marks, the variables pane and the card's registers tell what happened.
#include <QDockWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "binding/device_binding.h"
#include "catalogue/param_catalogue.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/output_box.h"
#include "shell/run_control.h"
#include "shell/source_editor.h"
#include "shell/variables_pane.h"
#include "window_fixture.h"
#include "window_tests.h"

// Runs take their time on a busy machine; on failure the output pane tells why.
#define WAIT_FOR(cond) QTRY_VERIFY2_WITH_TIMEOUT(cond, qPrintable(m->output()), 20000)

namespace zeq::desk::test {
namespace {

class BoxDialogs : public UserDialogs {
  public:
    QStringList messages;
    void message(std::string_view text) override {
        messages << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    Answer askYesNo(std::string_view, Answer a) override { return a; }
    Answer askYesNoCancel(std::string_view, Answer a) override { return a; }
};

// 0-based lines: 0 var, 1 main, 2..4 the assignments, 5 end.
constexpr char kThreeSteps[] = "var a\nmain\n\ta = 1\n\ta = 2\n\ta = 3\nend\n";
// Writes to the card until it is stopped, with an echoed assignment every 10 ms (lines 0 var,
// 1 main, 2 i = 0, 3 while, 4 the count, 5 the write, 6 the sleep, 7 wend, 8 end).
constexpr char kEndless[] =
    "var i\nmain\n\ti = 0\n\twhile 1 do\n\t\ti = i + 1\n\t\tSetMCSmaxvel 10, 0\n"
    "\t\tsleep 10\n\twend\nend\n";

}  // namespace

struct RunControlTest::Fixture {
    TempHome home;
    std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
    BoxDialogs boxes;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    std::unique_ptr<RunControl> run;

    QString output() const { return window->outputBox()->toPlainText(); }
    SourceEditor* editor() const { return window->editor(); }
    RunController& controller() const { return session->controller(); }
    QAction* action(int id) const { return window->action(id); }
    // A register of the card's axis `axis`, read through the immediate FIFO.
    int reg(int address, int axis = 0) const {
        int status = 0;
        const int v =
            session->port().readParam16(session->boards().handle(0), axis, address, &status, false);
        return status == 0 ? v : -1;
    }
    // Writes `text` as the script `name` in the home and opens it.
    QString open(const char* name, const char* text) {
        home.write(QString::fromLatin1(name), QByteArray(text));
        const QString path = home.path(QString::fromLatin1(name));
        dialogs->openNames = {path};
        window->action(cmd::kOpen)->trigger();
        return path;
    }
};

RunControlTest::RunControlTest() = default;
RunControlTest::~RunControlTest() = default;

void RunControlTest::init() {
    ::setenv("ZEQLINK_SIM", "1", 1);
    m = std::make_unique<Fixture>();
    DeviceBinding& binding = deviceBinding();
    binding.unload();
    binding.setEndProgram([](int) {});
    binding.setLibraryDir(ZEQ_DLL_DIR);
    m->window = startWindow(m->dialogs);
    QApplication::setActiveWindow(m->window.get());
    QVERIFY(QTest::qWaitForWindowActive(m->window.get()));
    Session::Setup setup;
    setup.sink = m->window->outputBox();
    setup.dialogs = &m->boxes;
    m->session = std::make_unique<Session>(setup);
    QVERIFY(m->session->open());
    m->run = installRunControl(*m->window, *m->session);
    // No board yet: nothing runs.
    QVERIFY(!m->action(cmd::kRun)->isEnabled());
    QVERIFY(m->action(cmd::kCompile)->isEnabled());
    // The slot bars belong to the device toolbar; here the board is connected directly.
    Boards& boards = m->session->boards();
    QCOMPARE(boards.slotCount(), 1);
    boards.chooseBoard(0, 0);
    QCOMPARE(boards.toggleConnection(0), 0);
    m->session->setTargetBoard(0);
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    m->window->outputBox()->clear();
}

void RunControlTest::cleanup() {
    m->run.reset();
    m->session.reset();
    m->window.reset();
    deviceBinding().setEndProgram(nullptr);
    m.reset();
    ::unsetenv("ZEQLINK_SIM");
}

void RunControlTest::demoRunsToTheEndFromItsKey() {
    QFile demo(QStringLiteral(ZEQ_EXAMPLES_DIR "/demo.zeq"));
    QVERIFY(demo.open(QIODevice::ReadOnly));
    m->open("demo.zeq", demo.readAll().constData());
    QTest::keyClick(m->editor(), Qt::Key_R, Qt::AltModifier);
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行结束！\n")));
    QVERIFY(m->output().contains(QStringLiteral("demo finished: axis 0 at 30")));
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    QTRY_COMPARE(m->editor()->runningLine(), -1);
    QVERIFY(!m->window->interpreterRunning());
}

void RunControlTest::untitledChangedTextIsSavedThroughTheDialogFirst() {
    m->window->action(cmd::kNew)->trigger();
    m->editor()->setText(QStringLiteral("main\n\tmg saved first\nend\n"));
    const QString path = m->home.path(QStringLiteral("src.zeq"));
    m->dialogs->saveNames = {path};
    m->action(cmd::kRun)->trigger();
    QCOMPARE(m->dialogs->savePresets, QStringList{QStringLiteral("src")});
    QCOMPARE(m->window->documentPath(), path);
    QVERIFY(m->home.read(path).contains("mg saved first"));
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行结束！\n")));
    const QString out = m->output();
    QVERIFY(out.startsWith(QStringLiteral("代码被修改，保存并开始重新分析……")));
    QVERIFY(out.indexOf(QStringLiteral("saved first")) >
            out.indexOf(QStringLiteral("开始解析执行")));

    // A compile error never starts a run.
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    m->window->outputBox()->clear();
    m->editor()->setText(QStringLiteral("main\n\tundeclared = 1\nend\n"));
    m->action(cmd::kRun)->trigger();
    WAIT_FOR(m->output().contains(QStringLiteral("\n程序还有错误，运行停止！\n")));
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    QVERIFY(!m->output().contains(QStringLiteral("开始解析执行")));
    QVERIFY(m->output().contains(QStringLiteral("error(")));
}

void RunControlTest::stepFromIdleThenOneStatementPerStep() {
    m->open("steps.zeq", kThreeSteps);
    VariablesPane* vars = m->run->variablesPane();
    m->action(cmd::kStep)->trigger();
    WAIT_FOR(m->editor()->runningLine() == 2);
    QTRY_COMPARE(vars->valueText(QStringLiteral("a")), QStringLiteral("0"));
    QVERIFY(vars->isEnabled());
    QVERIFY(m->action(cmd::kContinue)->isEnabled());
    QVERIFY(!m->action(cmd::kPause)->isEnabled());
    for (int line = 3; line <= 4; ++line) {
        m->action(cmd::kStep)->trigger();
        QTRY_COMPARE(m->editor()->runningLine(), line);
        QTRY_COMPARE(vars->valueText(QStringLiteral("a")), QString::number(line - 2));
    }
    m->action(cmd::kContinue)->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行结束！\n")));
    QTRY_COMPARE(vars->topLevelItemCount(), 0);
    QTRY_COMPARE(m->editor()->runningLine(), -1);
}

void RunControlTest::pauseContinueThenStopEndsTheRun() {
    m->open("endless.zeq", kEndless);
    VariablesPane* vars = m->run->variablesPane();
    m->action(cmd::kRun)->trigger();
    QTRY_VERIFY(m->window->interpreterRunning());
    QVERIFY(!m->action(cmd::kRun)->isEnabled());
    m->action(cmd::kPause)->trigger();
    WAIT_FOR(vars->isEnabled());
    QVERIFY(m->output().contains(QStringLiteral("暂停运行!\n")));
    QVERIFY(m->action(cmd::kContinue)->isEnabled());
    QVERIFY(m->editor()->runningLine() >= 2 && m->editor()->runningLine() <= 7);
    const double pausedAt = vars->valueText(QStringLiteral("i")).toDouble();

    m->action(cmd::kContinue)->trigger();
    WAIT_FOR(m->output().contains(QStringLiteral("继续运行!\n")));
    QTRY_VERIFY(!vars->isEnabled());
    // It goes on: a second pause finds the loop further on.
    m->action(cmd::kPause)->trigger();
    QTRY_VERIFY(vars->isEnabled());
    QVERIFY(vars->valueText(QStringLiteral("i")).toDouble() > pausedAt);

    // Stop while paused ends the run; nothing comes after its last words.
    m->action(cmd::kStop)->trigger();
    QTRY_VERIFY(!m->window->interpreterRunning());
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行终止！\n")));
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    QVERIFY(m->output().endsWith(QStringLiteral("\n运行终止！\n")));
    QTRY_COMPARE(m->editor()->runningLine(), -1);
}

void RunControlTest::breakpointInTheGutterPausesAndFollowsItsLine() {
    const QString path = m->open("steps.zeq", kThreeSteps);
    SourceEditor* e = m->editor();
    // A click in the breakpoint gutter beside line 3 ("a = 2").
    const long pos = e->positionFromLineIndex(3, 0);
    const int y =
        static_cast<int>(e->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos)) +
        e->textHeight(3) / 2;
    QTest::mouseClick(e->viewport(), Qt::LeftButton, {}, QPoint(e->marginWidth(0) + 5, y));
    QCOMPARE(e->breakpointLines(), std::vector<int>{3});
    m->action(cmd::kRun)->trigger();
    WAIT_FOR(e->runningLine() == 3);
    QTRY_COMPARE(m->run->variablesPane()->valueText(QStringLiteral("a")), QStringLiteral("1"));
    QVERIFY(m->output().contains(QStringLiteral("暂停运行!\n")));
    m->action(cmd::kContinue)->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行结束！\n")));

    // A line above moves the breakpoint with its statement; the next run pauses there.
    e->setCursorPosition(0, 0);
    QTest::keyClicks(e, QStringLiteral("; moved"));
    QTest::keyClick(e, Qt::Key_Return);
    QCOMPARE(e->breakpointLines(), std::vector<int>{4});
    m->window->outputBox()->clear();
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    m->action(cmd::kRun)->trigger();
    WAIT_FOR(e->runningLine() == 4);
    QTRY_COMPARE(m->run->variablesPane()->valueText(QStringLiteral("a")), QStringLiteral("1"));
    m->action(cmd::kStop)->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行终止！\n")));

    // Kept per file: the settings have it, and the file opened again shows it.
    QTRY_VERIFY(m->home.read(QStringLiteral("dat/zeq.ini")).contains(("5|" + path).toUtf8()));
    QTRY_VERIFY(m->action(cmd::kRun)->isEnabled());
    m->window->action(cmd::kNew)->trigger();
    QTRY_VERIFY(e->breakpointLines().empty());
    m->dialogs->openNames = {path};
    m->window->action(cmd::kOpen)->trigger();
    QTRY_COMPARE(e->breakpointLines(), std::vector<int>{4});

    // Run to cursor: a one-time stop at the caret's line.
    e->setBreakpointLines({});
    e->setCursorPosition(5, 0);
    m->run->runToCursorAction()->trigger();
    WAIT_FOR(e->runningLine() == 5);
    QTRY_COMPARE(m->run->variablesPane()->valueText(QStringLiteral("a")), QStringLiteral("2"));
    m->action(cmd::kContinue)->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行结束！\n")));
}

void RunControlTest::emergencyStopKeyEndsTheRunWithoutATarget() {
    m->open("endless.zeq", kEndless);
    m->session->setTargetBoard(-1);
    m->action(cmd::kRun)->trigger();
    WAIT_FOR(m->output().contains(QStringLiteral("开始解析执行")));
    QCOMPARE(m->reg(500), 0);
    // From any widget: here the output pane has the focus.
    m->window->outputBox()->setFocus();
    QTest::keyClick(m->window->outputBox(), Qt::Key_F12);
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n运行终止！\n")));
    QTRY_VERIFY(!m->window->interpreterRunning());
    QCOMPARE(m->reg(500), 0xFFFF);
    QVERIFY(!m->output().contains(QStringLiteral("急停指令发送失败")));
    QVERIFY(m->action(cmd::kEmergencyStop)->iconText().contains(QStringLiteral("F12")));

    // Hold motion writes hpause of the target board.
    m->session->setTargetBoard(0);
    QCOMPARE(m->reg(501), 0);
    m->action(cmd::kPauseMotors)->trigger();
    QTRY_COMPARE(m->reg(501), 0xFFFF);
    QTRY_VERIFY(m->action(cmd::kPauseMotors)->isEnabled());
}

void RunControlTest::instructionBoxRunsAndItsButtonStopsIt() {
    ParamRow row{};
    QVERIFY(paramCatalogue().findByName("mcsmaxvel", &row) >= 0);
    QAction* execute = m->action(cmd::kExecInstruction);
    QCOMPARE(execute->text(), QStringLiteral("执行指令"));
    m->window->commandBox()->setPlainText(QStringLiteral("SetMCSmaxvel 10, 0"));
    execute->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n单指令运行结束！\n")));
    int status = 0;
    QVERIFY(m->session->port().readParam32(m->session->boards().handle(0), 0, row.address, &status,
                                           false) != 0);
    QCOMPARE(status, 0);

    // A long box text keeps it busy: its button stops it.
    QString many;
    for (int i = 0; i < 20000; ++i) many += QStringLiteral("SetMCSmaxvel 10, 0\n");
    m->window->commandBox()->setPlainText(many);
    m->window->outputBox()->clear();
    execute->trigger();
    QTRY_COMPARE(execute->text(), QStringLiteral("停止"));
    QVERIFY(execute->isEnabled());
    execute->trigger();
    WAIT_FOR(m->output().endsWith(QStringLiteral("\n单指令运行终止！\n")));
    QTRY_COMPARE(execute->text(), QStringLiteral("执行指令"));
}

}  // namespace zeq::desk::test
