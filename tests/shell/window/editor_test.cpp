// The source editor: indentation, call tips, colouring through the line parser, the rule set
// of the per-user store, encodings and the font.
#include <QFontInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSettings>

#include "core/encoding.h"
#include "shell/editor_font.h"
#include "shell/find_dialog.h"
#include "shell/rules/line_parser.h"
#include "shell/source_editor.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

int styleAt(SourceEditor& e, int pos) {
    return static_cast<int>(e.SendScintilla(QsciScintilla::SCI_GETSTYLEAT, pos));
}

// Styles every byte of the text now.
void colourAll(SourceEditor& e) {
    e.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
}

QByteArray gbk(const char* utf8) {
    const std::string s = utf8ToGbk(utf8);
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void EditorTest::indentsAfterWhileAndAfterATabbedLine() {
    TempHome home;
    SourceEditor e;
    e.show();
    e.setDocumentText(QStringLiteral("while x < 3"));
    e.setCursorPosition(0, 11);
    QTest::keyClick(&e, Qt::Key_Return);
    QCOMPARE(e.lineText(1), QStringLiteral("\t"));
    QTest::keyClicks(&e, QStringLiteral("wa 0"));
    QTest::keyClick(&e, Qt::Key_Return);
    QCOMPARE(e.lineText(2), QStringLiteral("\t"));
    QCOMPARE(e.caretLine(), 3);
    QCOMPARE(e.caretColumn(), 2);
}

void EditorTest::showsTheCallTipOfABuiltIn() {
    TempHome home;
    SourceEditor e;
    e.show();
    e.setDocumentText(QString());
    QTest::keyClicks(&e, QStringLiteral("TgvelInTime "));
    QCOMPARE(e.lastCallTip(), QStringLiteral("TgvelInTime  time, tgvel, axis"));
    QVERIFY(e.SendScintilla(QsciScintilla::SCI_CALLTIPACTIVE) != 0);
}

void EditorTest::coloursAGbkScriptWithChineseComments() {
    TempHome home;
    home.write(QStringLiteral("c.zeq"), gbk("; 中文注释\r\n{ 块\r\n注释 }\r\nwhile 0FFh\r\n"));
    SourceEditor e;
    e.show();
    QString error;
    QVERIFY2(e.loadFile(home.path(QStringLiteral("c.zeq")), &error), qPrintable(error));
    QCOMPARE(e.encoding(), TextEncoding::Gbk);
    colourAll(e);
    const auto lineStart = [&](int line) {
        return static_cast<int>(e.SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line));
    };
    // Every byte of the first two lines and of the third up to the brace is comment (the line
    // break after a line comment is not).
    for (int pos = 0; pos < lineStart(2) + 8; ++pos) {
        if (pos == lineStart(1) - 2 || pos == lineStart(1) - 1) continue;
        QCOMPARE(styleAt(e, pos), kColourComment);
    }
    QCOMPARE(styleAt(e, lineStart(2) + 8), kColourNormal);
    QCOMPARE(styleAt(e, lineStart(3)), kColourKeyword);
    QCOMPARE(styleAt(e, lineStart(3) + 6), kColourNumber);
    QCOMPARE(static_cast<int>(e.SendScintilla(QsciScintilla::SCI_GETLINESTATE, 1)),
             static_cast<int>(kStateBlockComment));
    // Opening a brace above recolours what follows.
    e.insertAt(QStringLiteral("{"), 3, 0);
    colourAll(e);
    QCOMPARE(styleAt(e, lineStart(3) + 1), kColourComment);
}

void EditorTest::languageOneColoursNothing() {
    TempHome home;
    SourceEditor e;
    e.show();
    e.setDocumentText(QStringLiteral("while 10 ; c\n"));
    e.setLanguage(kLanguagePlain);
    colourAll(e);
    for (int pos = 0; pos < 12; ++pos) QCOMPARE(styleAt(e, pos), kColourNormal);
    e.setLanguage(kLanguageZeq);
    colourAll(e);
    QCOMPARE(styleAt(e, 0), kColourKeyword);
    QCOMPARE(styleAt(e, 11), kColourComment);
}

void EditorTest::rulesComeFromThePerUserStore() {
    TempHome home;
    {
        QSettings store(QStringLiteral("ZeqDesk"), QStringLiteral("ZeqDesk"));
        store.setValue(QStringLiteral("icrEdit__ParseRule_ZEQ/LineCommentStr0"),
                       QStringLiteral("//"));
        store.setValue(QStringLiteral("Keywords/_ZEQ"), QStringLiteral(" move,wait,"));
    }
    SourceEditor e;
    e.show();
    e.setLanguage(kLanguageZeq);
    e.setDocumentText(QStringLiteral("move while // x\n"));
    colourAll(e);
    QCOMPARE(styleAt(e, 0), kColourKeyword);
    QCOMPARE(styleAt(e, 5), kColourNormal);
    QCOMPARE(styleAt(e, 11), kColourComment);
    // The next home has no store: the defaults again.
    QSettings(QStringLiteral("ZeqDesk"), QStringLiteral("ZeqDesk")).clear();
    e.setLanguage(kLanguageZeq);
}

void EditorTest::gbkFileRoundTripsByteForByte() {
    TempHome home;
    const QByteArray gbkBytes =
        gbk("; 中文注释：速度\r\nmain\r\n\tSetMCSmaxvel 50, 0 ; 轴\r\nend\r\n");
    const QByteArray utf8Bytes = QByteArray("; 中文\nmain\nend\n");
    home.write(QStringLiteral("g.zeq"), gbkBytes);
    home.write(QStringLiteral("u.zeq"), utf8Bytes);
    for (const auto& [name, bytes] : {std::pair{QStringLiteral("g.zeq"), gbkBytes},
                                      std::pair{QStringLiteral("u.zeq"), utf8Bytes}}) {
        SourceEditor e;
        QString error;
        QVERIFY(e.loadFile(home.path(name), &error));
        QVERIFY(e.text().contains(QStringLiteral("中文")));
        QVERIFY(e.saveFile(home.path(QStringLiteral("out.zeq")), &error));
        QCOMPARE(home.read(QStringLiteral("out.zeq")), bytes);
    }
    // A file with a NUL byte is refused: saving it back would cut it short.
    home.write(QStringLiteral("bin.zeq"), QByteArray("ab\0cd", 5));
    SourceEditor e;
    e.setDocumentText(QStringLiteral("kept"));
    QString error;
    QVERIFY(!e.loadFile(home.path(QStringLiteral("bin.zeq")), &error));
    QCOMPARE(e.text(), QStringLiteral("kept"));
    // So is one with bytes that are neither GBK nor UTF-8.
    home.write(QStringLiteral("odd.zeq"), QByteArray("main \xFF\xFF\n"));
    QVERIFY(!e.loadFile(home.path(QStringLiteral("odd.zeq")), &error));
    QCOMPARE(e.text(), QStringLiteral("kept"));
}

void EditorTest::missingFaceFallsBackToACjkFont() {
    FontDescription desc;  // "宋体", not installed here
    const QFont font = fontFromDescription(desc);
    if (!installedCjkFamily().isEmpty()) QCOMPARE(font.family(), installedCjkFamily());
    QVERIFY(QFontMetrics(font).inFont(QChar(0x4E2D)));  // 中
    desc.weight = 700;
    desc.italic = 1;
    desc.height = -16;
    const FontDescription back = descriptionFromFont(fontFromDescription(desc), desc);
    QCOMPARE(back.weight, 700L);
    QCOMPARE(back.italic, 1L);
    QCOMPARE(back.height, -16L);
}

void EditorTest::marksTheRunningLine() {
    SourceEditor e;
    e.setDocumentText(QStringLiteral("main\n\twa 0\nend\n"));
    e.markRunningLine(1);
    QVERIFY(e.markersAtLine(1) != 0);
    e.markRunningLine(2);
    QCOMPARE(e.markersAtLine(1), 0u);
    QVERIFY(e.markersAtLine(2) != 0);
    e.clearRunningLine();
    QCOMPARE(e.markersAtLine(2), 0u);
    QCOMPARE(e.runningLine(), -1);
}

void EditorTest::findsAndReplaces() {
    SourceEditor e;
    e.setDocumentText(QStringLiteral("wa 0\nWA 1\nwait\n"));
    FindDialog find(&e);
    find.findField()->setText(QStringLiteral("wa "));
    QVERIFY(find.findNext());
    QCOMPARE(e.selectedText(), QStringLiteral("wa "));
    find.replaceField()->setText(QStringLiteral("wx "));
    QCOMPARE(find.replaceAll(), 2);  // case ignored: "wa " and "WA "
    QCOMPARE(e.text(), QStringLiteral("wx 0\nwx 1\nwait\n"));
    e.undo();
    QCOMPARE(e.text(), QStringLiteral("wa 0\nWA 1\nwait\n"));  // one undo step
    find.findField()->setText(QStringLiteral("absent"));
    QVERIFY(!find.findNext());
}

}  // namespace zeq::desk::test
