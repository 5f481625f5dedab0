// One session from start to restart on a temporary home: open a GBK script, edit, save,
// close; the next start brings back the document, the recent list and the instruction box.
#include <QInputMethodEvent>
#include <QPlainTextEdit>

#include "core/encoding.h"
#include "shell/command_ids.h"
#include "shell/source_editor.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {

void EndToEndTest::editSaveCloseAndRestore() {
    TempHome home;
    const std::string before = utf8ToGbk("; 演示脚本\r\nmain\r\n\tMoveAbsolute 10, 0\r\nend\r\n");
    home.write(QStringLiteral("demo.zeq"), QByteArray(before.data(), before.size()));
    const QString path = home.path(QStringLiteral("demo.zeq"));
    {
        auto dialogs = std::make_shared<ScriptedDialogs>();
        auto w = startWindow(dialogs);
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        dialogs->openNames = {path};
        w->action(cmd::kOpen)->trigger();
        QCOMPARE(w->documentPath(), path);
        SourceEditor* e = w->editor();
        e->setCursorPosition(2, 0);
        QTest::keyClicks(e, QStringLiteral("wa 0 ; "));
        // Chinese arrives from the input method.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("等待"));
        QApplication::sendEvent(e, &typed);
        QTest::keyClick(e, Qt::Key_Return);
        QVERIFY(e->isModified());
        w->commandBox()->setPlainText(QStringLiteral("rd curpos, 0"));
        QTest::keyClick(e, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!e->isModified());
        QVERIFY(w->close());
        QVERIFY(dialogs->questions.isEmpty());
        QVERIFY(dialogs->messages.isEmpty());
    }
    const std::string after =
        utf8ToGbk("; 演示脚本\r\nmain\r\nwa 0 ; 等待\r\n\tMoveAbsolute 10, 0\r\nend\r\n");
    QCOMPARE(home.read(QStringLiteral("demo.zeq")), QByteArray(after.data(), after.size()));

    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    QCOMPARE(w->documentPath(), path);
    QCOMPARE(w->windowTitle(), QStringLiteral("ZeqDesk - %1 (USB)").arg(path));
    QVERIFY(w->editor()->text().contains(QStringLiteral("wa 0 ; 等待")));
    QCOMPARE(w->recentFiles().paths(), std::vector<std::string>{path.toStdString()});
    QCOMPARE(w->commandBox()->toPlainText(), QStringLiteral("rd curpos, 0"));
    QVERIFY(!w->editor()->isModified());
}

}  // namespace zeq::desk::test
