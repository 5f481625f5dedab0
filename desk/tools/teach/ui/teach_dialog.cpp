#include "tools/teach/ui/teach_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "binding/device_binding.h"
#include "interpreter/script_interpreter.h"
#include "shell/rules/ini_store.h"
#include "shell/shell_dialogs.h"
#include "tools/axis_list.h"
#include "tools/teach/teach_messages.h"
#include "tools/teach/ui/teach_ui_messages.h"

namespace zeq::desk::teach {

namespace {
QString u8(const char* text) {
    return QString::fromUtf8(text);
}
double numberOf(const QLineEdit* edit) {
    return edit->text().trimmed().toDouble();  // 0 for a text that is no number
}
}  // namespace

TeachDialog::TeachDialog(Boards& boards, int board, ShellDialogs& shell, std::string iniPath,
                         QWidget* parent)
    : QDialog(parent),
      m_boards(boards),
      m_shell(shell),
      m_iniPath(std::move(iniPath)),
      m_dialogs(shell),
      m_player(m_dialogs, *this, systemClock()) {
    setWindowTitle(u8(msg::kTitle));
    setObjectName(QStringLiteral("teachDialog"));
    setAccessibleName(u8(msg::kTitle));

    m_cards = new QComboBox(this);
    m_cards->setObjectName(QStringLiteral("cardList"));
    m_cards->setAccessibleName(u8(ui_text::kCardList));
    for (int b = 0; b < Boards::kBoardCount; ++b) m_cards->addItem(u8(ui_text::kBoardEntry).arg(b));
    auto* cardRow = new QHBoxLayout;
    auto* cardLabel = new QLabel(u8(ui_text::kCardList), this);
    cardLabel->setBuddy(m_cards);
    cardRow->addWidget(cardLabel);
    cardRow->addWidget(m_cards, 1);

    // One line per axis: check box, "+" and "-".
    auto* axes = new QGridLayout;
    for (int a = 0; a < PointList::kMaxAxes; ++a) {
        auto* box = new QCheckBox(u8(ui_text::kAxisBox).arg(a), this);
        box->setObjectName(QStringLiteral("axis%1").arg(a));
        axes->addWidget(box, a, 0);
        m_axisBoxes.push_back(box);
        for (int dir : {+1, -1}) {
            auto* b = new QPushButton(u8(dir > 0 ? ui_text::kJogPlus : ui_text::kJogMinus), this);
            b->setObjectName(QStringLiteral("jog%1%2").arg(a).arg(dir > 0 ? "plus" : "minus"));
            b->setAccessibleName(u8(ui_text::kAxisBox).arg(a) + b->text());
            b->setAutoDefault(false);
            b->setFixedWidth(40);
            b->installEventFilter(this);
            connect(b, &QPushButton::pressed, this, [this, a, dir] { startJog(a, dir); });
            connect(b, &QPushButton::released, this, [this] { stopJog(); });
            axes->addWidget(b, a, dir > 0 ? 1 : 2);
            m_jogButtons.push_back(b);
        }
    }

    auto* fields = new QFormLayout;
    m_jogSpeed = new QLineEdit(QStringLiteral("10.0"), this);
    m_pathAccel = new QLineEdit(QStringLiteral("100.0"), this);
    m_pathDecel = new QLineEdit(QStringLiteral("100.0"), this);
    m_mode = new QComboBox(this);
    for (const char* mode : msg::kModes) m_mode->addItem(u8(mode));
    m_loop = new QCheckBox(u8(msg::kLoop), this);
    const std::pair<const char*, QWidget*> rows[] = {{ui_text::kJogSpeed, m_jogSpeed},
                                                     {ui_text::kPathAccel, m_pathAccel},
                                                     {ui_text::kPathDecel, m_pathDecel},
                                                     {ui_text::kMode, m_mode}};
    for (const auto& [label, widget] : rows) {
        widget->setAccessibleName(u8(label));
        fields->addRow(u8(label), widget);
    }
    fields->addRow(m_loop);

    auto* buttons = new QGridLayout;
    const std::pair<const char*, void (TeachDialog::*)()> actions[] = {
        {ui_text::kRecord, &TeachDialog::record},
        {ui_text::kDeleteRow, &TeachDialog::deleteRow},
        {ui_text::kDeleteAll, &TeachDialog::deleteAll},
        {ui_text::kToPoint1, &TeachDialog::returnToPoint1},
        {ui_text::kSavePoints, &TeachDialog::savePoints},
        {ui_text::kLoadPoints, &TeachDialog::loadPoints},
        {msg::kRun, &TeachDialog::runOrStop},
        {ui_text::kClose, nullptr},
    };
    int at = 0;
    for (const auto& [text, slot] : actions) {
        auto* b = new QPushButton(u8(text), this);
        b->setAccessibleName(u8(text));
        b->setAutoDefault(false);
        if (slot)
            connect(b, &QPushButton::clicked, this, slot);
        else
            connect(b, &QPushButton::clicked, this, &QDialog::close);
        buttons->addWidget(b, at / 2, at % 2);
        ++at;
        m_buttons.push_back(b);
        if (slot == &TeachDialog::runOrStop) m_run = b;
    }

    auto* left = new QVBoxLayout;
    left->addLayout(cardRow);
    left->addLayout(axes);
    left->addLayout(fields);
    left->addLayout(buttons);
    left->addStretch(1);

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("pointList"));
    m_table->setAccessibleName(u8(ui_text::kPointList));
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(m_table, &QTableWidget::cellChanged, this, &TeachDialog::cellEdited);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(m_table, 1);
    resize(900, 520);

    readSettings();
    connect(m_cards, &QComboBox::activated, this, &TeachDialog::chooseBoard);
    chooseBoard(std::clamp(board, 0, Boards::kBoardCount - 1));
    if (!m_pointFile.isEmpty()) loadPointFile(m_pointFile, true);
}

TeachDialog::~TeachDialog() {
    m_cancelPlay = true;
    m_player.requestStop();
    m_dialogs.shutDown();
}

QPushButton* TeachDialog::jogButton(int axis, bool plus) const {
    return m_jogButtons.at(static_cast<std::size_t>(axis * 2 + (plus ? 0 : 1)));
}

QPushButton* TeachDialog::button(const char* text) const {
    for (QPushButton* b : m_buttons)
        if (b->accessibleName() == u8(text)) return b;
    return nullptr;
}

void TeachDialog::post(CardWorker::Task task) {
    m_worker.post(std::move(task));
}

void TeachDialog::report(std::function<void()> onWindowThread) {
    QMetaObject::invokeMethod(
        this,
        [this, f = std::move(onWindowThread)] {
            f();
            emit workerReported();
        },
        Qt::QueuedConnection);
}

TeachSettings TeachDialog::settings() const {
    TeachSettings s;
    s.handle = m_boards.handle(m_board);
    for (int a = 0; a < m_axisCount; ++a)
        if (m_axisBoxes[static_cast<std::size_t>(a)]->isChecked()) s.checkedAxes |= 1u << a;
    s.jogSpeed = numberOf(m_jogSpeed);
    s.pathAccel = numberOf(m_pathAccel);
    s.pathDecel = numberOf(m_pathDecel);
    s.mode = m_mode->currentIndex();
    s.loop = m_loop->isChecked();
    s.pciCard = deviceBinding().cardType() == kCardPci;
    return s;
}

// ---- Board and axes ----

void TeachDialog::chooseBoard(int board) {
    stopJog();
    m_board = board;
    m_cards->setCurrentIndex(board);
    // The remembered count at once, the card's own when the worker has read it.
    setAxisCount(m_boards.axisCount(board));
    Boards& boards = m_boards;
    post([this, &boards, board] {
        const int count = toolAxisCount(boards, board);
        report([this, board, count] {
            if (board == m_board) setAxisCount(count);
        });
    });
}

void TeachDialog::setAxisCount(int count) {
    m_axisCount = std::clamp(count, 0, PointList::kMaxAxes);
    m_points.setAxisCount(m_axisCount);
    for (int a = 0; a < PointList::kMaxAxes; ++a) {
        const bool on = a < m_axisCount;
        m_axisBoxes[static_cast<std::size_t>(a)]->setEnabled(on && !m_playing);
        if (!on) m_axisBoxes[static_cast<std::size_t>(a)]->setChecked(false);
        jogButton(a, true)->setEnabled(on && !m_playing);
        jogButton(a, false)->setEnabled(on && !m_playing);
    }
    refreshTable();
}

// ---- The point list ----

void TeachDialog::refreshTable() {
    const QSignalBlocker blocker(m_table);
    const int axes = m_points.axisCount();
    QStringList headers{u8(ui_text::kPointColumn)};
    for (int a = 0; a < axes; ++a)
        headers << u8(msg::kAxisHeaderFormat).replace("%d", QString::number(a));
    headers << u8(msg::kSpeedHeader) << u8(msg::kEndSpeedHeader);
    m_table->setColumnCount(static_cast<int>(headers.size()));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->setRowCount(m_points.rowCount());
    for (int r = 0; r < m_points.rowCount(); ++r) {
        const PointRow& row = m_points.row(r);
        auto* name = new QTableWidgetItem(QString::fromStdString(PointList::rowName(r)));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        m_table->setItem(r, 0, name);
        for (int a = 0; a < axes; ++a)
            m_table->setItem(r, 1 + a,
                             new QTableWidgetItem(
                                 QString::fromStdString(row.cells[static_cast<std::size_t>(a)])));
        m_table->setItem(r, 1 + axes, new QTableWidgetItem(QString::fromStdString(row.speed)));
        m_table->setItem(r, 2 + axes, new QTableWidgetItem(QString::fromStdString(row.endSpeed)));
    }
    m_table->resizeColumnsToContents();
    // Empty axis columns stay wide enough to be edited.
    for (int c = 1; c <= axes; ++c)
        m_table->setColumnWidth(c, std::max(m_table->columnWidth(c), 80));
}

void TeachDialog::cellEdited(int row, int column) {
    if (row < 0 || row >= m_points.rowCount() || column < 1) return;
    const QTableWidgetItem* item = m_table->item(row, column);
    if (!item) return;
    PointRow& r = m_points.row(row);
    const std::string text = item->text().trimmed().toStdString();
    const int axes = m_points.axisCount();
    if (column <= axes)
        r.cells[static_cast<std::size_t>(column - 1)] = text;
    else if (column == axes + 1)
        r.speed = text;
    else if (column == axes + 2)
        r.endSpeed = text;
}

void TeachDialog::record() {
    const TeachSettings s = settings();
    const int axes = m_points.axisCount();
    post([this, s, axes] {
        auto taken = std::make_shared<PointList>(axes);
        if (!m_player.record(s, *taken)) return report([] {});
        report([this, taken] {
            // The board may have changed meanwhile: the row takes the list's columns.
            taken->setAxisCount(m_points.axisCount());
            m_points.row(m_points.appendRow()) = taken->row(0);
            refreshTable();
            m_table->selectRow(m_points.rowCount() - 1);
        });
    });
}

void TeachDialog::deleteRow() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_points.rowCount()) return;
    m_points.deleteRow(row);
    refreshTable();
    if (m_points.rowCount() > 0) m_table->selectRow(std::min(row, m_points.rowCount() - 1));
}

void TeachDialog::deleteAll() {
    m_points.clear();
    refreshTable();
}

void TeachDialog::returnToPoint1() {
    const TeachSettings s = settings();
    auto points = std::make_shared<PointList>(m_points);
    post([this, s, points] {
        m_player.returnToPoint1(s, *points);
        report([] {});
    });
}

// ---- Playback ----

void TeachDialog::runOrStop() {
    if (m_playing) {
        m_cancelPlay = true;
        m_player.requestStop();
        return;
    }
    if (!m_player.runButton(m_dialogs)) return;
    stopJog();
    m_playing = true;
    m_cancelPlay = false;
    const TeachSettings s = settings();
    auto points = std::make_shared<PointList>(m_points);
    post([this, s, points] {
        if (!m_cancelPlay) m_player.play(s, *points);
        report([this] {
            m_playing = false;
            setEditing(true);
        });
    });
}

void TeachDialog::runningChanged(bool running) {
    report([this, running] { setEditing(!running); });
}

void TeachDialog::setEditing(bool enabled) {
    m_run->setText(u8(enabled ? msg::kRun : msg::kStop));
    m_run->setAccessibleName(u8(msg::kRun));
    for (QPushButton* b : m_buttons)
        if (b != m_run) b->setEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{m_cards, m_jogSpeed, m_pathAccel, m_pathDecel,
                                                      m_mode, m_loop, m_table})
        w->setEnabled(enabled);
    for (int a = 0; a < PointList::kMaxAxes; ++a) {
        const bool on = enabled && a < m_axisCount;
        m_axisBoxes[static_cast<std::size_t>(a)]->setEnabled(on);
        jogButton(a, true)->setEnabled(on);
        jogButton(a, false)->setEnabled(on);
    }
}

// ---- Jog ----

void TeachDialog::startJog(int axis, int direction) {
    if (m_jogAxis >= 0 || m_playing) return;
    m_jogAxis = axis;
    m_jogSettings = settings();
    const TeachSettings s = m_jogSettings;
    post([this, s, axis, direction] { m_jogStarted = m_player.jog(s, axis, direction); });
}

void TeachDialog::stopJog() {
    if (m_jogAxis < 0) return;
    const int axis = m_jogAxis;
    m_jogAxis = -1;
    const TeachSettings s = m_jogSettings;
    // Only a jog that went out is stopped (a refused one has shown its message already).
    post([this, s, axis] {
        if (m_jogStarted) m_player.jog(s, axis, 0);
        m_jogStarted = false;
    });
}

bool TeachDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) stopJog();
    return QDialog::eventFilter(watched, event);
}

void TeachDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) stopJog();
    QDialog::changeEvent(event);
}

// ---- Point files ----

void TeachDialog::savePoints() {
    const QString path = m_shell.saveFileName(m_pointFile, u8(ui_text::kCsvFilter));
    if (path.isEmpty()) return;
    if (!m_points.saveCsv(path.toStdString())) {
        m_dialogs.message(msg::kCsvCannotWrite);
        return;
    }
    m_pointFile = path;
}

void TeachDialog::loadPoints() {
    const QString path = m_shell.openFileName(u8(ui_text::kCsvFilter));
    if (!path.isEmpty()) loadPointFile(path, false);
}

bool TeachDialog::loadPointFile(const QString& path, bool quiet) {
    PointList loaded;
    std::string error;
    if (!loaded.loadCsv(path.toStdString(), error)) {
        if (!quiet) m_dialogs.message(error);
        return false;
    }
    loaded.setAxisCount(m_axisCount);
    m_points = std::move(loaded);
    m_pointFile = path;
    refreshTable();
    return true;
}

// ---- Settings and closing ----

void TeachDialog::readSettings() {
    if (m_iniPath.empty()) return;
    IniStore ini;
    ini.load(m_iniPath);
    using namespace ui_text;
    m_pointFile = QString::fromStdString(ini.getString(kSection, kKeyPointFile, ""));
    m_jogSpeed->setText(QString::fromStdString(ini.getString(kSection, kKeyJogSpeed, "10.0", 32)));
    m_pathAccel->setText(
        QString::fromStdString(ini.getString(kSection, kKeyPathAccel, "100.0", 32)));
    m_pathDecel->setText(
        QString::fromStdString(ini.getString(kSection, kKeyPathDecel, "100.0", 32)));
    m_mode->setCurrentIndex(
        static_cast<int>(std::clamp(ini.getInt(kSection, kKeyMode, 0), 0L, 2L)));
    m_loop->setChecked(ini.getInt(kSection, kKeyLoop, 0) != 0);
}

void TeachDialog::writeSettings() const {
    if (m_iniPath.empty()) return;
    IniStore ini;
    ini.load(m_iniPath);
    using namespace ui_text;
    ini.deleteSection(kSection);
    ini.setString(kSection, kKeyPointFile, m_pointFile.toStdString());
    ini.setString(kSection, kKeyJogSpeed, m_jogSpeed->text().toStdString());
    ini.setString(kSection, kKeyPathAccel, m_pathAccel->text().toStdString());
    ini.setString(kSection, kKeyPathDecel, m_pathDecel->text().toStdString());
    ini.setInt(kSection, kKeyMode, m_mode->currentIndex());
    ini.setInt(kSection, kKeyLoop, m_loop->isChecked() ? 1 : 0);
    ini.save(m_iniPath);
}

void TeachDialog::closeEvent(QCloseEvent* event) {
    // Closing stops what moves: the held jog and a running playback.
    stopJog();
    if (m_playing) {
        m_cancelPlay = true;
        m_player.requestStop();
    }
    writeSettings();
    QDialog::closeEvent(event);
}

void TeachDialog::reject() {
    stopJog();
    if (m_playing) {
        m_cancelPlay = true;
        m_player.requestStop();
    }
    writeSettings();
    QDialog::reject();
}

}  // namespace zeq::desk::teach
