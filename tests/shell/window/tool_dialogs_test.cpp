// The register configuration, teach and firmware dialogs over a virtual card (step clock),
// driven through their controls as a user would.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "shell/command_ids.h"
#include "shell/output_box.h"
#include "tools/firmware/firmware_messages.h"
#include "tools/firmware/ui/firmware_dialog.h"
#include "tools/regconfig/register_pages.h"
#include "tools/regconfig/ui/regconfig_install.h"
#include "tools/regconfig/ui/register_config_dialog.h"
#include "tools/regconfig/ui/register_page.h"
#include "tools/teach/teach_messages.h"
#include "tools/teach/ui/teach_dialog.h"
#include "tools/teach/ui/teach_ui_messages.h"
#include "window_fixture.h"
#include "window_tests.h"

namespace zeq::desk::test {
namespace {

class NullOutput : public OutputSink {
  public:
    void append(std::string_view) override {}
};

class QuietDialogs : public UserDialogs {
  public:
    void message(std::string_view) override {}
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

// One virtual card of `axes` axes connected as board 0.
struct CardFixture {
    explicit CardFixture(int axes) {
        ::setenv("ZEQLINK_SIM", "1", 1);
        ::setenv("ZEQLINK_SIM_CLOCK", "step", 1);
        ::setenv("ZEQLINK_SIM_AXES", std::to_string(axes).c_str(), 1);
        DeviceBinding& binding = deviceBinding();
        binding.unload();
        binding.setDialogs(&quiet);
        binding.setEndProgram([](int) {});
        binding.setCardType(kCardUsb);
        binding.setLibraryDir(ZEQ_DLL_DIR);
        loaded = binding.load() == 0;
        boards = std::make_unique<Boards>(binding, output, quiet, clock);
        boards->search();
        connected = loaded && boards->connectDevice(0, 0) == 0;
    }
    ~CardFixture() {
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = boards->handle(b);
            if (h) myClose(&h);
        }
        boards.reset();
        deviceBinding().unload();
        deviceBinding().setDialogs(nullptr);
        deviceBinding().setEndProgram(nullptr);
        ::unsetenv("ZEQLINK_SIM");
        ::unsetenv("ZEQLINK_SIM_AXES");
    }
    QTemporaryDir dir;
    NullOutput output;
    QuietDialogs quiet;
    NoWaitClock clock;
    ScriptedDialogs shell;
    std::unique_ptr<Boards> boards;
    bool loaded = false;
    bool connected = false;
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// The 16 digits of a caption "name寄存器(dddd-dddd-dddd-dddd)", bit 15 first.
QString captionDigits(const QString& caption) {
    QString digits = caption.mid(caption.indexOf(QLatin1Char('(')));
    digits.remove(QRegularExpression(QStringLiteral("[^01]")));
    return digits;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

// ---- Register configuration ----

void RegisterConfigDialogTest::pagesFollowTheirBitTables_data() {
    QTest::addColumn<int>("axes");
    QTest::addColumn<QStringList>("tabs");
    QTest::newRow("4 axes") << 4
                            << QStringList{"encpctr",      "encsctr",        "aioctr", "stepmod",
                                           u8("错误处理"), u8("其他寄存器"), "aiod"};
    QTest::newRow("8 axes") << 8 << QStringList{"encpctr", "encsctr",      "aioctr",
                                                "stepmod", u8("错误处理"), u8("其他寄存器")};
}

void RegisterConfigDialogTest::pagesFollowTheirBitTables() {
    QFETCH(int, axes);
    QFETCH(QStringList, tabs);
    CardFixture card(axes);
    QVERIFY(card.connected);
    regconfig::RegisterConfigDialog dialog(*card.boards, 0, card.shell);
    dialog.show();
    QTRY_VERIFY(!dialog.busy());
    QCOMPARE(dialog.axisList()->count(), axes);
    QStringList shown;
    for (int i = 0; i < dialog.tabs()->count(); ++i) shown << dialog.tabs()->tabText(i);
    QCOMPARE(shown, tabs);

    // Every offered bit: its "set" control writes 1 into its caption digit and the value, its
    // "cleared" control (or the unchecked box) writes 0; no other digit moves.
    using namespace regconfig;
    for (const ConfigPage& description : pagesFor(axes)) {
        RegisterPage* page = dialog.page(description.tab);
        QVERIFY(page);
        for (const BitRegister& reg : description.registers) {
            QGroupBox* box = page->registerBox(reg.reg);
            QVERIFY(box);
            for (const BitOption& o : reg.options) {
                const QString where = QStringLiteral("%1 bit %2")
                                          .arg(QString::fromUtf8(registerInfo(reg.reg).name))
                                          .arg(o.bit);
                QAbstractButton* set = page->optionButton(reg.reg, o.bit, true);
                QVERIFY2(set && set->text() == u8(o.whenSet), qPrintable(where));
                QAbstractButton* cleared = page->optionButton(reg.reg, o.bit, false);
                if (o.control == Control::OptionPair)
                    QVERIFY2(cleared && cleared->text() == u8(o.whenCleared), qPrintable(where));
                for (const bool on : {true, false}) {
                    // From the other state into this one, as the user would click.
                    QAbstractButton* into = set;
                    if (o.control == Control::CheckBox) {
                        if (set->isChecked() == on) set->click();
                    } else {
                        into = on ? set : cleared;
                        if (into->isChecked()) (on ? cleared : set)->click();
                    }
                    const QString before = captionDigits(box->title());
                    into->click();
                    const QString after = captionDigits(box->title());
                    QCOMPARE(after.size(), 16);
                    QString expected = before;
                    expected[15 - o.bit] = on ? QLatin1Char('1') : QLatin1Char('0');
                    QCOMPARE(after, expected);
                    QCOMPARE(before.at(15 - o.bit), on ? QLatin1Char('0') : QLatin1Char('1'));
                    const std::int32_t value = dialog.config().axis(0)[reg.reg];
                    QCOMPARE(bool((value >> o.bit) & 1), on);
                }
            }
        }
    }
    QVERIFY(!dialog.config().saved());
}

void RegisterConfigDialogTest::refusedNumberKeepsTheAxis() {
    CardFixture card(4);
    QVERIFY(card.connected);
    regconfig::RegisterConfigDialog dialog(*card.boards, 0, card.shell);
    dialog.show();
    QTRY_VERIFY(!dialog.busy());
    using namespace regconfig;
    RegisterPage* other = dialog.page("其他寄存器");
    QVERIFY(other);
    QLineEdit* smooth = other->field(FieldKind::Word16, RegId::smooth);
    QVERIFY(smooth);
    smooth->selectAll();
    QTest::keyClicks(smooth, QStringLiteral("12x"));
    dialog.axisList()->setCurrentIndex(1);
    emit dialog.axisList()->activated(1);
    QCOMPARE(dialog.axis(), 0);
    QCOMPARE(dialog.axisList()->currentIndex(), 0);
    QCOMPARE(card.shell.messages.value(0), QStringLiteral("12x") + u8(" 不是有效的数值!"));

    // A typed number is kept for its axis; the next axis shows its own.
    smooth->selectAll();
    QTest::keyClicks(smooth, QStringLiteral("7"));
    emit dialog.axisList()->activated(1);
    QCOMPARE(dialog.axis(), 1);
    QCOMPARE(dialog.config().axis(0)[RegId::smooth], 7);
    QCOMPARE(smooth->text(), QString::number(dialog.config().axis(1)[RegId::smooth]));
}

void RegisterConfigDialogTest::downloadCommandReportsToTheOutputBox() {
    CardFixture card(4);
    QVERIFY(card.connected);
    TempHome home;
    auto shell = std::make_shared<ScriptedDialogs>();
    auto window = startWindow(shell);
    int target = 1;  // no device there
    installRegisterConfig(
        *window, *card.boards, [&target] { return target; }, shell);
    QAction* download = window->action(cmd::kConfigFile);
    QVERIFY(download && download->isEnabled());
    download->trigger();
    QTRY_VERIFY(window->outputBox()->toPlainText().contains(u8("设备没有打开")));

    const QString file = card.dir.filePath(QStringLiteral("setup.txt"));
    writeFile(file, "{ the main encoder\n  of axis 0 }\nwr encpctr 8001h 0 ; external\n");
    shell->openNames << file;
    target = 0;
    download->trigger();
    QTRY_VERIFY(window->outputBox()->toPlainText().contains(u8("配置成功!")));
    ParamRow row{};
    QVERIFY(paramCatalogue().findByName("encpctr", &row) >= 0);
    int status = -1;
    QCOMPARE(int(myReadParamWord(card.boards->handle(0), 0, row.address, &status)), 0x8001);
    QCOMPARE(status, 0);
    QVERIFY(window->close());
}

// ---- Teach ----

void TeachDialogTest::deleteRenumbersTheRows() {
    CardFixture card(4);
    QVERIFY(card.connected);
    const QString csv = card.dir.filePath(QStringLiteral("points.csv"));
    writeFile(csv,
              "point,axis0,axis1,axis2,axis3,speed,endspeed\n"
              "point1,1.0,,,,1.0,1.0\npoint2,2.0,,,,2.0,1.0\npoint3,3.0,,,,3.0,1.0\n");
    teach::TeachDialog dialog(*card.boards, 0, card.shell, std::string());
    dialog.show();
    card.shell.openNames << csv;
    dialog.button(teach::ui_text::kLoadPoints)->click();
    QTableWidget* table = dialog.table();
    QCOMPARE(table->rowCount(), 3);

    table->selectRow(0);
    dialog.button(teach::ui_text::kDeleteRow)->click();
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("point1"));
    QCOMPARE(table->item(1, 0)->text(), QStringLiteral("point2"));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("2.0"));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("3.0"));

    // An edited cell reaches the list; a recorded row takes the next name and the checked
    // axes' positions only.
    table->item(1, 2)->setText(QStringLiteral("12a"));
    QCOMPARE(dialog.points().row(1).cells[1], std::string("12a"));
    dialog.axisBox(0)->setChecked(true);
    dialog.button(teach::ui_text::kRecord)->click();
    QTRY_COMPARE(table->rowCount(), 3);
    QCOMPARE(table->item(2, 0)->text(), QStringLiteral("point3"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("0.0000"));
    QCOMPARE(table->item(2, 2)->text(), QString());
    QCOMPARE(table->item(2, 5)->text(), QStringLiteral("1.0"));
    QVERIFY(card.shell.messages.isEmpty());
}

// ---- Firmware ----

void FirmwareDialogTest::captionsAndCloseGuard() {
    CardFixture card(4);
    QVERIFY(card.connected);
    firmware::FirmwareDialog dialog(*card.boards, 0, card.shell);
    dialog.show();
    QTRY_VERIFY(dialog.cardKnown());
    // The virtual card: hwversion 0x0408, fwversion 0x0615.
    QCOMPARE(dialog.cardLines()->text(),
             u8("版本: 0408\n轴数: 4\n类型: USB\n日期: 2018/06/15\n更新功能: 有"));

    // A file that is no firmware is refused; a matching one shows its lines.
    const QString bad = card.dir.filePath(QStringLiteral("bad.bit"));
    writeFile(bad, QByteArray(64, 'x'));
    card.shell.openNames << bad;
    dialog.fileButton()->click();
    QCOMPARE(card.shell.messages.value(0), u8(firmware::msg::kNotFirmwareFile));
    QVERIFY(dialog.fileField()->text().isEmpty());

    QByteArray image(256 * 1024, '\0');
    for (int i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + (i >> 9));
    QByteArray bit("ZEQ", 4);
    const std::uint16_t words[] = {4, 0x0408, 0x0615, 0};
    for (std::uint16_t w : words) bit.append(char(w & 0xFF)).append(char(w >> 8));
    bit.append(4, char(0xFF));
    const QString good = card.dir.filePath(QStringLiteral("good.bit"));
    writeFile(good, bit + image);
    card.shell.openNames << good;
    dialog.fileButton()->click();
    QCOMPARE(dialog.fileField()->text(), good);
    QCOMPARE(dialog.fileLines()->text(), u8("版本: 0408\n轴数: 4\n日期: 2018/06/15\n类型: USB"));

    // While the update runs the button reads "停止" and the dialog does not close; the
    // question's Yes, then the warning's Yes, stop it.
    QCOMPARE(dialog.updateButton()->text(), u8(firmware::msg::kButtonUpdate));
    card.shell.messages.clear();
    dialog.updateButton()->click();
    QTRY_COMPARE(dialog.updateButton()->text(), u8(firmware::msg::kButtonStop));
    card.shell.answers << ShellDialogs::Answer::No;
    QVERIFY(!dialog.close());
    QVERIFY(dialog.isVisible());
    QCOMPARE(card.shell.questions.value(0), u8(firmware::msg::kStopFirst));
    card.shell.answers << ShellDialogs::Answer::Yes << ShellDialogs::Answer::Yes;
    QVERIFY(!dialog.close());
    QCOMPARE(card.shell.questions.value(2), u8(firmware::msg::kConfirmStop));
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.updating(), 20000);
    QCOMPARE(dialog.updateButton()->text(), u8(firmware::msg::kButtonUpdate));
    QCOMPARE(card.shell.messages.value(0), u8(firmware::msg::kUpdateStopped));
    QVERIFY(dialog.statusLine()->text().startsWith(u8("正在校验")));
    QVERIFY(dialog.close());
}

}  // namespace zeq::desk::test
