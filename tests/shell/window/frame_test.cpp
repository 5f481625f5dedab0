// The main frame: its commands, settings at start and close, the output box, the parameter
// window, help and accessibility.
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolBar>
#include <thread>

#include "shell/command_ids.h"
#include "shell/output_box.h"
#include "shell/param_window.h"
#include "shell/source_editor.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {

void FrameTest::laterCommandsArePresentAndDisabled() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    for (int id :
         {cmd::kCompile,        cmd::kRun,         cmd::kStop,          cmd::kPause,
          cmd::kContinue,       cmd::kStep,        cmd::kRenameDevice,  cmd::kHoming,
          cmd::kRegisterConfig, cmd::kCardUsb,     cmd::kCardPci,       cmd::kConfigFile,
          cmd::kTeach,          cmd::kJog,         cmd::kGraph,         cmd::kWatchStart,
          cmd::kWatchStop,      cmd::kFirmware,    cmd::kShowCounters,  cmd::kMarkRunning,
          cmd::kViewWatch,      cmd::kPauseMotors, cmd::kEmergencyStop, cmd::kExecInstruction,
          cmd::kSearchDevices}) {
        QAction* a = w->action(id);
        QVERIFY2(a, qPrintable(QString::number(id)));
        QVERIFY2(!a->isEnabled(), qPrintable(QString::number(id)));
    }
    QVERIFY(w->action(cmd::kCardUsb)->isChecked());
    QCOMPARE(w->action(cmd::kSaveAs)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+S")));
    QCOMPARE(w->action(cmd::kRun)->shortcut(), QKeySequence(QStringLiteral("Alt+R")));
    // A later part installs its handler and the command comes alive.
    bool ran = false;
    w->setCommandHandler(cmd::kRun, [&ran] { ran = true; });
    w->action(cmd::kRun)->trigger();
    QVERIFY(ran);
    // The menu titles, in order.
    QStringList titles;
    for (QAction* a : w->menuBar()->actions()) titles << a->text();
    QCOMPARE(titles, (QStringList{"文件(&F)", "编辑(&E)", "查看(&V)", "设置(&S)", "工程(&P)",
                                  "工具(&T)", "帮助(&H)"}));
    // The status panes.
    const auto labels = w->statusBar()->findChildren<QLabel*>();
    QStringList panes;
    for (QLabel* l : labels) panes << l->text();
    QVERIFY(panes.contains(QStringLiteral(" 没有设备连接! ")));
    QVERIFY(panes.contains(QStringLiteral("TX:0 ,RX:0")));
    QVERIFY(panes.contains(QStringLiteral("行:1,列:1")));
}

void FrameTest::viewCommandsShowHideAndLock() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    const auto dock = [&](const char* name) { return w->findChild<QDockWidget*>(name); };
    const auto bar = [&](const char* name) { return w->findChild<QToolBar*>(name); };
    struct View {
        int id;
        QWidget* widget;
    };
    for (const View& v : {View{cmd::kViewOutput, dock("outputDock")},
                          View{cmd::kViewCommandBox, dock("commandDock")},
                          View{cmd::kViewStandardBar, bar("standardBar")},
                          View{cmd::kViewProjectBar, bar("projectBar")},
                          View{cmd::kViewDeviceBar, bar("deviceBar")},
                          View{cmd::kViewInstructionBar, bar("instructionBar")},
                          View{cmd::kViewEmergencyBar, bar("emergencyBar")},
                          View{cmd::kViewStatusBar, w->statusBar()}}) {
        QVERIFY(v.widget && v.widget->isVisible());
        w->action(v.id)->trigger();
        QVERIFY2(v.widget->isHidden(), qPrintable(QString::number(v.id)));
        w->action(v.id)->trigger();
        QVERIFY(v.widget->isVisible());
    }
    // Closing a dock by its own button clears the menu check.
    dock("outputDock")->close();
    QVERIFY(!w->action(cmd::kViewOutput)->isChecked());
    w->action(cmd::kLockBars)->trigger();
    for (QToolBar* b : w->findChildren<QToolBar*>()) QVERIFY(!b->isMovable());
    QVERIFY(!(dock("commandDock")->features() & QDockWidget::DockWidgetMovable));
    w->action(cmd::kLockBars)->trigger();
    for (QToolBar* b : w->findChildren<QToolBar*>()) QVERIFY(b->isMovable());
}

void FrameTest::zoomAbsentOpensMaximised() {
    TempHome home;
    QVERIFY(startWindow(std::make_shared<ScriptedDialogs>())->startsMaximised());
    home.write(QStringLiteral("dat/zeq.ini"), "[Toolcfg]\nZoom=0\n");
    QVERIFY(!startWindow(std::make_shared<ScriptedDialogs>())->startsMaximised());
}

void FrameTest::commandBoxStoresItsLines() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    w->commandBox()->setPlainText(QStringLiteral("wr mcstgpos, 0\n\nrd curpos, 0"));
    QVERIFY(w->close());
    const QByteArray ini = home.read(QStringLiteral("dat/zeq.ini"));
    QVERIFY(ini.contains("CommandTotal=2"));
    QVERIFY(ini.contains("1=wr mcstgpos, 0"));
    QVERIFY(ini.contains("2=rd curpos, 0"));
    auto again = startWindow(std::make_shared<ScriptedDialogs>());
    QCOMPARE(again->commandBox()->toPlainText(), QStringLiteral("wr mcstgpos, 0\nrd curpos, 0"));
}

void FrameTest::exitFromTheFileMenuByKeyboard() {
    TempHome home;
    home.write(QStringLiteral("demo.zeq"), "main\nend\n");
    auto w =
        startWindow(std::make_shared<ScriptedDialogs>(), home.path(QStringLiteral("demo.zeq")));
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QCOMPARE(w->windowTitle(),
             QStringLiteral("ZeqDesk - %1 (USB)").arg(home.path(QStringLiteral("demo.zeq"))));
    QTest::keyClick(w.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
    QTRY_VERIFY(!w->isVisible());
    const QByteArray ini = home.read(QStringLiteral("dat/zeq.ini"));
    QVERIFY(ini.contains("Zoom="));
    QVERIFY(ini.contains("editsourcepath=" + home.path(QStringLiteral("demo.zeq")).toUtf8()));
}

void FrameTest::outputBoxAppendRules() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    OutputBox* out = w->outputBox();
    out->appendText(QStringLiteral("one\r\n"));
    QCOMPARE(out->toPlainText(), QStringLiteral("one\n"));
    w->action(cmd::kShowHints)->trigger();  // hints off: dropped
    out->appendText(QStringLiteral("two\r\n"));
    QCOMPARE(out->toPlainText(), QStringLiteral("one\n"));
    w->action(cmd::kShowHints)->trigger();
    QString many;
    for (int i = 0; i < 2000; ++i) many += QStringLiteral("line\n");
    out->appendText(many);  // 2001 blocks now
    out->appendText(QStringLiteral("after\n"));
    QCOMPARE(out->toPlainText(), QStringLiteral("after\n"));
    // With automatic clearing off the box holds up to 5000 lines.
    w->action(cmd::kOutputAutoClear)->trigger();
    out->appendText(many);
    out->appendText(QStringLiteral("kept\n"));
    QVERIFY(out->toPlainText().startsWith(QStringLiteral("after\n")));
    // From another thread the text arrives queued.
    std::thread([out] { static_cast<OutputSink*>(out)->append("from worker\r\n"); }).join();
    QTRY_VERIFY(out->toPlainText().endsWith(QStringLiteral("from worker\n")));
    w->action(cmd::kOutputClearAll)->trigger();
    QVERIFY(out->toPlainText().isEmpty());
}

void FrameTest::parameterWindowFilters() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    w->action(cmd::kParams)->trigger();
    auto* params = w->findChild<ParamWindow*>();
    QVERIFY(params && params->isVisible());
    QCOMPARE(params->windowTitle(), QStringLiteral("zEQ的参数"));
    const int all = params->visibleRows();
    QCOMPARE(all, 237);
    QTest::keyClicks(params->filterBox(), QStringLiteral("MCSMAXVEL"));
    QVERIFY(params->visibleRows() >= 1 && params->visibleRows() < all);
}

void FrameTest::helpOpensTheDocumentBelowTheHome() {
    TempHome home;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    const QString pdf = home.path(QStringLiteral("doc/ZeqDesk软件操作指南.pdf"));
    home.write(QStringLiteral("doc/ZeqDesk软件操作指南.pdf"), "%PDF-1.4\n");
    w->action(cmd::kHelp)->trigger();
    QCOMPARE(dialogs->urls.size(), 1);
    QCOMPARE(dialogs->urls.first(), QUrl::fromLocalFile(pdf));
    w->action(cmd::kWebPage)->trigger();
    QCOMPARE(dialogs->urls.size(), 2);
    QVERIFY(dialogs->messages.isEmpty());
}

void FrameTest::everyPaneAndBarHasAnAccessibleName() {
    TempHome home;
    auto w = startWindow(std::make_shared<ScriptedDialogs>());
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    // F6 walks the panes: editor, instruction box, output box, and round again.
    w->editor()->setFocus();
    QTRY_VERIFY(w->editor()->hasFocus());
    for (QWidget* next :
         {static_cast<QWidget*>(w->commandBox()), static_cast<QWidget*>(w->outputBox()),
          static_cast<QWidget*>(w->editor())}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QTRY_VERIFY(next->hasFocus());
    }
    QCOMPARE(w->outputBox()->accessibleName(), QStringLiteral("输出"));
    const auto named = [](QWidget* widget) {
        return !widget->accessibleName().isEmpty() ||
               !QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty();
    };
    for (QWidget* widget : w->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QToolBar*>(widget) || qobject_cast<QDockWidget*>(widget) ||
            qobject_cast<QAbstractButton*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
            qobject_cast<QComboBox*>(widget) || qobject_cast<QLabel*>(widget) ||
            widget == w->editor();
        if (!control || !widget->isVisible()) continue;
        // The dock title bars' own float and close buttons are Qt's, named by Qt.
        if (widget->objectName().startsWith(QLatin1String("qt_"))) continue;
        QVERIFY2(named(widget), qPrintable(widget->metaObject()->className() + QStringLiteral(" ") +
                                           widget->objectName()));
    }
}

}  // namespace zeq::desk::test
