// The graph, jog and homing dialogs over a virtual card (step clock), driven through their
// buttons and the mouse as a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/graph/graph_messages.h"
#include "tools/graph/ui/graph_dialog.h"
#include "tools/homing/homing_messages.h"
#include "tools/homing/ui/homing_dialog.h"
#include "tools/homing/ui/homing_picture.h"
#include "tools/jog/ui/jog_dialog.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

class NoOutput : public OutputSink {
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

class NoWaitClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds) override {}
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

struct ToolDialogsTest::Fixture {
    NoOutput output;
    ListDialogs dialogs;
    NoWaitClock clock;
    std::unique_ptr<Boards> boards;

    // A register of axis `axis` of board 0, read while no tool talks to the card.
    std::int32_t read32(const char* name, int axis) {
        ParamRow row{};
        if (paramCatalogue().findByName(name, &row) < 0) return INT32_MIN;
        int status = 0;
        const std::int32_t v = myReadParam(boards->handle(0), axis, row.address, &status);
        return status == 0 ? v : INT32_MIN;
    }
};

void ToolDialogsTest::init() {
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
}

void ToolDialogsTest::cleanup() {
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

void ToolDialogsTest::graphButtonCaptionsFollowTheCapture() {
    GraphDialog dialog(
        *m->boards, [] { return 0; }, QString(), nullptr, &m->dialogs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* start = dialog.startButton();
    QCOMPARE(start->text(), u8(graph_text::kCaptionStart));
    QCOMPARE(dialog.zoomLabel(ZoomAxis::X)->text(), u8(graph_text::kZoomAtOpen));
    QTRY_COMPARE(dialog.xAxis()->count(), 4);  // `naxis` of the card

    // An empty range is refused before anything starts.
    dialog.lowField()->setText(QStringLiteral("100"));
    dialog.highField()->setText(QStringLiteral("100"));
    QTest::mouseClick(start, Qt::LeftButton);
    QCOMPARE(m->dialogs.messages.value(0), u8(graph_text::kRangeZero));
    QVERIFY(!dialog.capture().running());
    QCOMPARE(start->text(), u8(graph_text::kCaptionStart));

    // `mcspos` of a standing axis lies in [0, 5120]: every sample draws a point. A depth that is
    // never reached keeps the capture running until "停止".
    dialog.lowField()->setText(QStringLiteral("0"));
    dialog.highField()->setText(QStringLiteral("5120"));
    dialog.xName()->setEditText(QStringLiteral("mcspos"));
    dialog.yName(0)->setEditText(QStringLiteral("curpos"));
    dialog.depthField()->setValue(1000000);
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_COMPARE(start->text(), u8(graph_text::kCaptionStop));
    QVERIFY(!dialog.refreshButton()->isEnabled());
    QVERIFY(dialog.progressLabel()->isVisible());
    QTRY_VERIFY(dialog.pointCount(0) > 10);
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_COMPARE(start->text(), u8(graph_text::kCaptionRedraw));
    QVERIFY(dialog.refreshButton()->isEnabled());
    QVERIFY(!dialog.progressLabel()->isVisible());
    // Every sample taken is shown; a deep capture draws every n-th of them.
    QCOMPARE(int(dialog.shownSamples().size()), dialog.capture().sampleCount());
    QVERIFY(dialog.pointCount(0) > 0 && dialog.pointCount(0) <= GraphDialog::kMaxDrawnPoints);
    QVERIFY(dialog.pointCount(0) * 2 >
            std::min(dialog.capture().sampleCount(), GraphDialog::kMaxDrawnPoints));
    QCOMPARE(dialog.pointCount(1), 0);
    QCOMPARE(dialog.cursorValue()->text(), QStringLiteral("0"));  // Y1 at X 0
    QCOMPARE(m->dialogs.messages.size(), 1);
}

void ToolDialogsTest::graphKeepsItsSettingsAndFiles() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("zeq.ini"));
    {
        GraphDialog dialog(
            *m->boards, [] { return 0; }, ini, nullptr, &m->dialogs);
        dialog.show();
        dialog.xName()->setEditText(QStringLiteral("ticks"));
        dialog.yName(2)->setEditText(QStringLiteral("curvel"));
        dialog.lowField()->setText(QStringLiteral("200"));
        dialog.highField()->setText(QStringLiteral("900"));
        dialog.depthField()->setValue(64);
        dialog.cursorField()->setValue(250);
        dialog.reject();  // closing writes "GRAPHDLG"
    }
    const GraphSettings saved = loadGraphSettings(ini.toStdString());
    QCOMPARE(saved.xName, std::string("ticks"));
    QCOMPARE(saved.yNames[2], std::string("curvel"));
    QCOMPARE(saved.low, 200);
    QCOMPARE(saved.high, 900);
    QCOMPARE(saved.depth, 64);
    QCOMPARE(saved.inputX, 50);  // the cursor as an offset from the range's low value

    // Opened again: the fields as they were; a saved capture is shown and written back whole.
    GraphDialog dialog(
        *m->boards, [] { return 0; }, ini, nullptr, &m->dialogs);
    QCOMPARE(dialog.cursorField()->value(), 250);
    QCOMPARE(dialog.xName()->currentText(), QStringLiteral("ticks"));
    const QString in = dir.filePath(QStringLiteral("in.csv"));
    QFile f(in);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("sample,x,y1,y2,y3\n0,250,7,,\n1,5000,,,\n2,260,9,1,\n");
    f.close();
    QVERIFY(dialog.openCsv(in));
    QCOMPARE(dialog.pointCount(0), 2);
    QCOMPARE(dialog.pointCount(1), 1);
    QCOMPARE(dialog.cursorValue()->text(), QStringLiteral("7"));
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(dialog.exportCsv(out));
    QFile back(out);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("sample,x,y1,y2,y3\n0,250,7,,\n1,5000,,,\n2,260,9,1,\n"));
    QVERIFY(dialog.exportPng(dir.filePath(QStringLiteral("plot.png"))));
    QVERIFY(!QImage(dir.filePath(QStringLiteral("plot.png"))).isNull());

    // A file that is not a capture changes nothing and says where it is wrong.
    f.open(QIODevice::WriteOnly);
    f.write("sample,x,y1,y2,y3\n0,abc,,,\n");
    f.close();
    QVERIFY(!dialog.openCsv(in));
    QCOMPARE(m->dialogs.messages.size(), 1);
    QCOMPARE(dialog.pointCount(0), 2);
}

void ToolDialogsTest::homingShowsTheSixteenBits() {
    HomingDialog dialog(
        *m->boards, [] { return 0; }, nullptr, &m->dialogs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(dialog.setup().loaded());
    QTRY_COMPARE(dialog.bitsLabel()->text(), QStringLiteral("0000-0000-0000-0000"));

    // Two phases, the second with the ORG edge then index pulses, starting negative, the
    // rising edge, the second phase at high speed.
    dialog.phasesButton(2)->click();
    QVERIFY(!dialog.actionButton(2)->isEnabled());  // the third action is for one phase only
    dialog.actionButton(1)->click();
    dialog.startNegativeButton()->click();
    dialog.risingEdgeButton()->click();
    dialog.editPhaseButton(2)->click();
    dialog.highSpeedButton()->click();
    QCOMPARE(dialog.bitsLabel()->text(), QStringLiteral("1100-0000-0110-0000"));
    QCOMPARE(dialog.picture()->picture(), 4);  // picture 21

    // Back to one phase: the action moves into bits 0-1, phase 2's speed bit stays.
    dialog.phasesButton(1)->click();
    QCOMPARE(dialog.bitsLabel()->text(), QStringLiteral("1100-0000-0100-0010"));
    QCOMPARE(dialog.picture()->picture(), 1);  // picture 11
    QVERIFY(dialog.actionButton(2)->isEnabled());
    QVERIFY(!dialog.editPhaseButton(2)->isEnabled());
    QVERIFY(dialog.editPhaseButton(1)->isChecked());

    // Nothing written yet: no search; writing needs both speeds.
    QVERIFY(!dialog.searchButton()->isEnabled());
    dialog.highvelField()->setText(QStringLiteral("0"));
    dialog.writeButton()->click();
    QCOMPARE(m->dialogs.messages.value(0), u8(homing_text::kZeroSpeed));
    dialog.highvelField()->setText(QStringLiteral("20"));
    dialog.lowvelField()->setText(QStringLiteral("5"));
    dialog.writeButton()->click();
    QTRY_VERIFY(dialog.searchButton()->isEnabled());
    QCOMPARE(m->read32("highvel", 0), 20);
}

void ToolDialogsTest::jogStopsOnReleaseAnywhereAndOnFocusLoss() {
    JogDialog dialog(
        *m->boards, [] { return 0; }, nullptr, &m->dialogs);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(!dialog.distField()->text().isEmpty());  // the factors read back
    QTRY_COMPARE(dialog.axisList()->count(), 4);
    QPushButton* positive = dialog.jogButton(JogControl::Direction::Positive);
    const QPoint outside = positive->geometry().bottomRight() + QPoint(30, 30);

    struct Way {
        const char* name;
        std::function<void()> end;
    };
    const Way ways[] = {
        {"released outside the button",
         [&] { QTest::mouseRelease(&dialog, Qt::LeftButton, {}, outside); }},
        {"released on the button", [&] { QTest::mouseRelease(positive, Qt::LeftButton); }},
        {"focus lost",
         [&] {
             QEvent deactivate(QEvent::WindowDeactivate);
             QApplication::sendEvent(&dialog, &deactivate);
         }},
        {"hidden", [&] { dialog.hide(); }},
    };
    for (const Way& way : ways) {
        dialog.show();
        QTest::mousePress(positive, Qt::LeftButton);
        QVERIFY2(dialog.control().jogging(), way.name);
        QVERIFY(positive->isDown());
        // Leaving the button with the mouse held does not stop it.
        QTest::mouseMove(positive, positive->rect().bottomRight() + QPoint(40, 40));
        dialog.control().waitIdle();
        QVERIFY2(m->read32("mcstgvel", 0) > 0, way.name);
        way.end();
        QVERIFY2(!dialog.control().jogging(), way.name);
        QVERIFY(!positive->isDown());
        dialog.control().waitIdle();
        QVERIFY2(m->read32("mcstgvel", 0) == 0, way.name);
    }
    QVERIFY(m->dialogs.messages.isEmpty());
}

ToolDialogsTest::ToolDialogsTest() = default;
ToolDialogsTest::~ToolDialogsTest() = default;

}  // namespace zeq::desk::test
