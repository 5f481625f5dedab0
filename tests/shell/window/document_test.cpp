// Document commands: the questions before unsaved work is dropped, save failures, recent
// files, dropped files and the close.
#include <sys/resource.h>

#include <QMenu>
#include <QMimeData>
#include <csignal>

#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/source_editor.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

using Answer = ShellDialogs::Answer;
const QString kNewText = QStringLiteral("\nmain\n\t\nend\n");

void drop(MainWindow& w, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    // Delivered to the frame as the platform's drag and drop hands it over (the application's
    // own routing wants a drag in progress).
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(w).event(&enter);
    QVERIFY(enter.isAccepted());
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(w).event(&event);
}

}  // namespace

void DocumentTest::newAsksBeforeDiscardingAnUntitledText() {
    TempHome home;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    QCOMPARE(w->editor()->text(), kNewText);
    w->editor()->append(QStringLiteral("wa 0\n"));
    // Yes, then the Save dialog is cancelled: the text stays.
    dialogs->answers = {Answer::Yes};
    w->action(cmd::kNew)->trigger();
    QCOMPARE(dialogs->questions.size(), 1);
    QCOMPARE(dialogs->questions.last(), QStringLiteral("源文件被修改了,是否保存?"));
    QVERIFY(w->editor()->text().contains(QStringLiteral("wa 0")));
    // No: the text is dropped as the user chose.
    dialogs->answers = {Answer::No};
    w->action(cmd::kNew)->trigger();
    QCOMPARE(dialogs->questions.size(), 2);
    QCOMPARE(w->editor()->text(), kNewText);
    QVERIFY(!w->editor()->isModified());
}

void DocumentTest::recentFileAsksBeforeDiscarding() {
    TempHome home;
    home.write(QStringLiteral("a.zeq"), "main\nend\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs, home.path(QStringLiteral("a.zeq")));
    w->action(cmd::kNew)->trigger();
    w->editor()->append(QStringLiteral("unsaved"));
    dialogs->answers = {Answer::Cancel};
    w->action(cmd::kRecentFirst)->trigger();
    QCOMPARE(dialogs->questions, QStringList{QStringLiteral("文件已被修改, 是否要保存?")});
    QVERIFY(w->editor()->text().contains(QStringLiteral("unsaved")));
    QVERIFY(w->documentPath().isEmpty());
    dialogs->answers = {Answer::No};
    w->action(cmd::kRecentFirst)->trigger();
    QCOMPARE(w->documentPath(), home.path(QStringLiteral("a.zeq")));
    QCOMPARE(w->editor()->text(), QStringLiteral("main\nend\n"));
}

void DocumentTest::droppedFileAsksBeforeDiscarding() {
    TempHome home;
    home.write(QStringLiteral("b.zeq"), "main\nend\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    w->editor()->append(QStringLiteral("unsaved"));
    dialogs->answers = {Answer::Cancel};
    drop(*w, {home.path(QStringLiteral("b.zeq"))});
    QCOMPARE(dialogs->questions.size(), 1);
    QVERIFY(w->documentPath().isEmpty());
    // Yes saves first through the Save dialog, then the dropped file is loaded.
    dialogs->answers = {Answer::Yes};
    dialogs->saveNames = {home.path(QStringLiteral("kept.zeq"))};
    drop(*w, {home.path(QStringLiteral("b.zeq"))});
    QVERIFY(home.read(QStringLiteral("kept.zeq")).contains("unsaved"));
    QCOMPARE(w->documentPath(), home.path(QStringLiteral("b.zeq")));
}

void DocumentTest::twoDroppedFilesDoNothing() {
    TempHome home;
    home.write(QStringLiteral("a.zeq"), "a\n");
    home.write(QStringLiteral("b.zeq"), "b\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    drop(*w, {home.path(QStringLiteral("a.zeq")), home.path(QStringLiteral("b.zeq"))});
    QVERIFY(w->documentPath().isEmpty());
    QCOMPARE(w->editor()->text(), kNewText);
    QVERIFY(dialogs->questions.isEmpty() && dialogs->messages.isEmpty());
    drop(*w, {home.path(QStringLiteral("a.zeq"))});
    QCOMPARE(w->editor()->text(), QStringLiteral("a\n"));
}

void DocumentTest::titleIsRebuiltAfterSave() {
    TempHome home;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    QCOMPARE(w->windowTitle(), QStringLiteral("ZeqDesk (USB)"));
    dialogs->saveNames = {home.path(QStringLiteral("new (1).zeq"))};
    w->action(cmd::kSave)->trigger();
    QCOMPARE(w->windowTitle(),
             QStringLiteral("ZeqDesk - %1 (USB)").arg(home.path(QStringLiteral("new (1).zeq"))));
    QCOMPARE(w->recentFiles().paths().front(),
             home.path(QStringLiteral("new (1).zeq")).toStdString());
    // A new file is GBK.
    QCOMPARE(home.read(QStringLiteral("new (1).zeq")), QByteArray("\nmain\n\t\nend\n"));
    // Save as offers the file name alone.
    dialogs->saveNames = {home.path(QStringLiteral("other.zeq"))};
    w->action(cmd::kSaveAs)->trigger();
    QCOMPARE(dialogs->savePresets.last(), QStringLiteral("new (1).zeq"));
    QVERIFY(w->windowTitle().contains(QStringLiteral("other.zeq")));
}

void DocumentTest::failedSaveKeepsTheOldFileAndSaysSo() {
    TempHome home;
    home.write(QStringLiteral("a.zeq"), "old\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs, home.path(QStringLiteral("a.zeq")));
    w->editor()->setText(QString(200, QLatin1Char('x')));
    // A file-size limit makes the write fail as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    w->action(cmd::kSave)->trigger();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    QCOMPARE(home.read(QStringLiteral("a.zeq")), QByteArray("old\n"));
    QCOMPARE(dialogs->messages.size(), 1);
    QVERIFY(dialogs->messages.first().startsWith(QStringLiteral("保存文件失败")));
    QVERIFY(w->editor()->isModified());
    QCOMPARE(QDir(home.path()).entryList({QStringLiteral("a.zeq*")}, QDir::Files).size(), 1);
}

void DocumentTest::missingRecentFileIsRemoved() {
    TempHome home;
    home.write(QStringLiteral("a.zeq"), "a\n");
    home.write(QStringLiteral("b.zeq"), "b\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs, home.path(QStringLiteral("a.zeq")));
    QVERIFY(w->loadDocument(home.path(QStringLiteral("b.zeq"))));
    QFile::remove(home.path(QStringLiteral("a.zeq")));
    w->action(cmd::kRecentFirst + 1)->trigger();
    QCOMPARE(dialogs->messages, QStringList{QStringLiteral("此文件不存在!")});
    QCOMPARE(w->recentFiles().paths().size(), std::size_t{1});
    QCOMPARE(w->recentMenu()->actions().size(), 1);
    QVERIFY(home.read(QStringLiteral("dat/zeq.ini")).contains("FileNum=1"));
}

void DocumentTest::runningInterpreterBlocksOtherDocuments() {
    TempHome home;
    home.write(QStringLiteral("a.zeq"), "a\n");
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    w->setInterpreterRunning(true);
    dialogs->openNames = {home.path(QStringLiteral("a.zeq"))};
    w->action(cmd::kOpen)->trigger();
    drop(*w, {home.path(QStringLiteral("a.zeq"))});
    w->action(cmd::kNew)->trigger();
    QCOMPARE(dialogs->messages.size(), 3);
    for (const QString& m : dialogs->messages) QCOMPARE(m, QStringLiteral("请先停止解释器执行!"));
    QVERIFY(w->documentPath().isEmpty());
}

void DocumentTest::closeWithCancelledSaveDialogStaysOpen() {
    TempHome home;
    auto dialogs = std::make_shared<ScriptedDialogs>();
    auto w = startWindow(dialogs);
    w->editor()->append(QStringLiteral("x"));
    dialogs->answers = {Answer::Yes};
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QCOMPARE(dialogs->questions, QStringList{QStringLiteral("是否保存编辑代码？")});
    QCOMPARE(dialogs->savePresets, QStringList{QStringLiteral("src")});
    QVERIFY(!QFile::exists(home.iniPath()));
    // Cancel keeps it open too; No closes and writes the settings.
    dialogs->answers = {Answer::Cancel};
    QVERIFY(!w->close());
    dialogs->answers = {Answer::No};
    QVERIFY(w->close());
    QVERIFY(home.read(QStringLiteral("dat/zeq.ini")).contains("Zoom="));
}

}  // namespace zeq::desk::test
