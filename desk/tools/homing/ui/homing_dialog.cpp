#include "tools/homing/ui/homing_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <climits>

#include "tools/common/ui/board_list.h"
#include "tools/homing/homing_messages.h"
#include "tools/homing/ui/homing_picture.h"

namespace zeq::desk {
namespace {

constexpr const char* kBoardLabel = "控制板:";
constexpr const char* kAxisLabel = "轴号:";
constexpr const char* kDirectionGroup = "出发方向";
constexpr const char* kEdgeGroup = "原点开关ORG信号";
constexpr const char* kAfterGroup = "找到原点后";
constexpr const char* kPhasesGroup = "阶段数";
constexpr const char* kActionGroup = "最后阶段的动作";
constexpr const char* kSpeedGroup = "各阶段速度";
constexpr const char* kOffsetField = "原点偏移(homepos):";
constexpr const char* kBitsLabel = "homeseq:";
constexpr const char* kMovePosition = "指定位置(homeSTpos)";

QRadioButton* radio(QWidget* parent, const char* text) {
    auto* r = new QRadioButton(u8text(text), parent);
    r->setAccessibleName(u8text(text));
    return r;
}

// Two or three radio buttons of one choice in a titled box.
QGroupBox* group(QWidget* parent, const char* title, std::initializer_list<QWidget*> items) {
    auto* box = new QGroupBox(u8text(title), parent);
    box->setAccessibleName(u8text(title));
    auto* layout = new QVBoxLayout(box);
    for (QWidget* w : items) layout->addWidget(w);
    return box;
}

QLineEdit* intField(QWidget* parent, const QString& name) {
    auto* f = new QLineEdit(parent);
    f->setAccessibleName(name);
    f->setValidator(new QIntValidator(INT_MIN, INT_MAX, f));
    return f;
}

std::int32_t intValue(const QLineEdit* f) {
    bool ok = false;
    const int v = f->text().trimmed().toInt(&ok);
    return ok ? v : 0;
}

// A radio button that may show none of its group checked.
void setChecked(QRadioButton* r, bool on) {
    r->setAutoExclusive(false);
    r->setChecked(on);
    r->setAutoExclusive(true);
}

}  // namespace

HomingDialog::HomingDialog(Boards& boards, std::function<int()> targetBoard, QWidget* parent,
                           UserDialogs* boxes)
    : QDialog(parent),
      m_boards(boards),
      m_targetBoard(std::move(targetBoard)),
      m_boxes(this, boxes),
      m_setup(boards, m_boxes) {
    setObjectName(QStringLiteral("homingDialog"));
    setWindowTitle(u8text(homing_text::kTitle));
    setAccessibleName(u8text(homing_text::kTitle));
    setModal(false);
    build();
    m_setup.setObserver(this);
    refreshBoards();
}

HomingDialog::~HomingDialog() {
    m_setup.waitIdle();
    m_setup.setObserver(nullptr);
}

void HomingDialog::build() {
    using namespace homing_text;
    m_board = new QComboBox(this);
    m_board->setObjectName(QStringLiteral("homingBoard"));
    m_board->setAccessibleName(u8text(kBoardLabel));
    m_axis = new QComboBox(this);
    m_axis->setObjectName(QStringLiteral("homingAxis"));
    m_axis->setAccessibleName(u8text(kAxisLabel));
    connect(m_board, &QComboBox::activated, this, [this] {
        const int board = selectedBoard(m_board);
        m_axis->clear();
        m_setup.fillAxisList(board);
        if (!m_setup.select(board, 0)) fillBoardList(m_board, m_boards, m_setup.board());
        showState();
    });
    connect(m_axis, &QComboBox::activated, this, &HomingDialog::axisChosen);

    m_positive = radio(this, kStartPositive);
    m_negative = radio(this, kStartNegative);
    m_rising = radio(this, kRisingEdge);
    m_falling = radio(this, kFallingEdge);
    m_stopAfter = radio(this, kStopAtHome);
    m_moveAfter = radio(this, kMoveAfterHome);
    m_homeSTpos = intField(this, u8text(kMovePosition));
    const char* phaseTexts[] = {kOnePhase, kTwoPhases, kThreePhases};
    const char* actionTexts[] = {kAction1, kAction2, kAction3};
    const char* editTexts[] = {kPhase1, kPhase2, kPhase3};
    for (size_t i = 0; i < 3; ++i) {
        m_phases[i] = radio(this, phaseTexts[i]);
        // The action texts are long: a wrapping label beside a bare button, a click on the
        // label clicks the button.
        m_actions[i] = new QRadioButton(this);
        m_actions[i]->setAccessibleName(u8text(actionTexts[i]));
        m_actionTexts[i] = new QLabel(u8text(actionTexts[i]), this);
        m_actionTexts[i]->setWordWrap(true);
        m_actionTexts[i]->setBuddy(m_actions[i]);
        m_actionTexts[i]->installEventFilter(this);
        m_editPhase[i] = radio(this, editTexts[i]);
    }
    m_low = radio(this, kLowSpeed);
    m_high = radio(this, kHighSpeed);

    m_highvel = intField(this, u8text(kHighvelField));
    m_lowvel = intField(this, u8text(kLowvelField));
    m_homepos = intField(this, u8text(kOffsetField));

    // Each option goes to the core, then every control shows the core's state again.
    const auto option = [this](QRadioButton* r, std::function<void()> change) {
        connect(r, &QRadioButton::clicked, this, [this, change] {
            change();
            showState();
        });
    };
    option(m_positive, [this] { m_setup.setStartNegative(false); });
    option(m_negative, [this] { m_setup.setStartNegative(true); });
    option(m_rising, [this] { m_setup.setRisingEdge(true); });
    option(m_falling, [this] { m_setup.setRisingEdge(false); });
    option(m_stopAfter, [this] { m_setup.setMoveAfterHome(false); });
    option(m_moveAfter, [this] { m_setup.setMoveAfterHome(true); });
    for (int i = 0; i < 3; ++i) {
        option(m_phases[size_t(i)], [this, i] { m_setup.setPhases(i + 1); });
        option(m_actions[size_t(i)], [this, i] { m_setup.setFinalAction(i); });
        option(m_editPhase[size_t(i)], [this, i] { m_setup.setEditPhase(i + 1); });
    }
    option(m_low, [this] { m_setup.setEditPhaseHighSpeed(false); });
    option(m_high, [this] { m_setup.setEditPhaseHighSpeed(true); });
    connect(m_highvel, &QLineEdit::editingFinished, this, &HomingDialog::commitFields);
    connect(m_lowvel, &QLineEdit::editingFinished, this, &HomingDialog::commitFields);
    connect(m_homepos, &QLineEdit::editingFinished, this, &HomingDialog::commitFields);
    connect(m_homeSTpos, &QLineEdit::editingFinished, this, &HomingDialog::commitFields);

    m_write = new QPushButton(u8text(kWriteSetup), this);
    m_search = new QPushButton(u8text(kStartSearch), this);
    m_setHome = new QPushButton(u8text(kSetHome), this);
    for (QPushButton* b : {m_write, m_search, m_setHome}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
    }
    connect(m_write, &QPushButton::clicked, this, [this] {
        commitFields();
        m_setup.writeSetup();
    });
    connect(m_search, &QPushButton::clicked, this, [this] {
        commitFields();
        m_setup.startSearch();
    });
    connect(m_setHome, &QPushButton::clicked, this, [this] { m_setup.setHome(); });

    m_bits = new QLabel(this);
    m_bits->setObjectName(QStringLiteral("homingBits"));
    m_bits->setAccessibleName(u8text(kBitsLabel));
    m_bits->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    m_bits->setFont(mono);
    m_picture = new HomingPicture(this);
    m_picture->setAccessibleName(u8text(kTitle));

    layOut();
}

void HomingDialog::layOut() {
    using namespace homing_text;
    // Layout: the selection on top; the options on the left; the picture, the bits, the
    // speeds and the buttons on the right.
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(u8text(kBoardLabel), this));
    top->addWidget(m_board);
    top->addWidget(new QLabel(u8text(kAxisLabel), this));
    top->addWidget(m_axis);
    top->addStretch(1);

    auto* moveRow = new QWidget(this);
    auto* moveLayout = new QHBoxLayout(moveRow);
    moveLayout->setContentsMargins(0, 0, 0, 0);
    moveLayout->addWidget(m_moveAfter);
    moveLayout->addWidget(m_homeSTpos);

    auto* actionBox = new QGroupBox(u8text(kActionGroup), this);
    actionBox->setAccessibleName(u8text(kActionGroup));
    auto* actionLayout = new QGridLayout(actionBox);
    for (int i = 0; i < 3; ++i) {
        actionLayout->addWidget(m_actions[size_t(i)], i, 0, Qt::AlignTop);
        actionLayout->addWidget(m_actionTexts[size_t(i)], i, 1);
    }
    actionLayout->setColumnStretch(1, 1);

    auto* left = new QVBoxLayout;
    left->addWidget(group(this, kDirectionGroup, {m_positive, m_negative}));
    left->addWidget(group(this, kEdgeGroup, {m_rising, m_falling}));
    left->addWidget(group(this, kAfterGroup, {m_stopAfter, moveRow}));
    left->addWidget(group(this, kPhasesGroup, {m_phases[0], m_phases[1], m_phases[2]}));

    auto* speedBox = new QGroupBox(u8text(kSpeedGroup), this);
    speedBox->setAccessibleName(u8text(kSpeedGroup));
    auto* speedLayout = new QGridLayout(speedBox);
    for (int i = 0; i < 3; ++i) speedLayout->addWidget(m_editPhase[size_t(i)], 0, i);
    speedLayout->addWidget(m_low, 1, 0);
    speedLayout->addWidget(m_high, 1, 1);
    // The phase buttons and the speed buttons are two choices in one box.
    auto* phaseChoice = new QButtonGroup(speedBox);
    auto* speedChoice = new QButtonGroup(speedBox);
    for (QRadioButton* r : m_editPhase) phaseChoice->addButton(r);
    speedChoice->addButton(m_low);
    speedChoice->addButton(m_high);

    auto* values = new QFormLayout;
    values->addRow(u8text(kHighvelField), m_highvel);
    values->addRow(u8text(kLowvelField), m_lowvel);
    values->addRow(u8text(kOffsetField), m_homepos);
    values->addRow(u8text(kBitsLabel), m_bits);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_write);
    buttons->addWidget(m_search);
    buttons->addWidget(m_setHome);

    auto* right = new QVBoxLayout;
    right->addWidget(m_picture, 1);
    right->addWidget(speedBox);
    right->addLayout(values);

    // The long action texts take the whole width below the two columns.
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(columns);
    layout->addWidget(actionBox);
    layout->addLayout(buttons);
    resize(800, 640);
}

void HomingDialog::refreshBoards() {
    const int board = fillBoardList(m_board, m_boards, m_targetBoard());
    m_axis->clear();
    m_setup.fillAxisList(board);
    m_setup.select(board, 0);
    showState();
}

void HomingDialog::axisChosen(int index) {
    commitFields();
    if (!m_setup.select(selectedBoard(m_board), std::max(index, 0))) {
        // The question was answered No: the previous axis stays.
        const QSignalBlocker block(m_axis);
        m_axis->setCurrentIndex(m_setup.axis());
    }
    showState();
}

void HomingDialog::commitFields() {
    const HomingValues v = m_setup.edited();
    if (intValue(m_highvel) != v.highvel) m_setup.setHighvel(intValue(m_highvel));
    if (intValue(m_lowvel) != v.lowvel) m_setup.setLowvel(intValue(m_lowvel));
    if (intValue(m_homepos) != v.homepos) m_setup.setHomepos(intValue(m_homepos));
    if (intValue(m_homeSTpos) != v.homeSTpos) m_setup.setHomeSTpos(intValue(m_homeSTpos));
}

void HomingDialog::showState() {
    const HomingValues v = m_setup.edited();
    const std::uint16_t seq = v.homeseq;
    setChecked(m_negative, seq & homeseq::kNegativeBit);
    setChecked(m_positive, !(seq & homeseq::kNegativeBit));
    setChecked(m_rising, seq & homeseq::kRisingEdgeBit);
    setChecked(m_falling, !(seq & homeseq::kRisingEdgeBit));
    setChecked(m_moveAfter, seq & homeseq::kMoveAfterHomeBit);
    setChecked(m_stopAfter, !(seq & homeseq::kMoveAfterHomeBit));
    const int phases = m_setup.phases();
    const int action = m_setup.finalAction();
    const int edit = m_setup.editPhase();
    for (int i = 0; i < 3; ++i) {
        setChecked(m_phases[size_t(i)], phases == i + 1);
        setChecked(m_actions[size_t(i)], action == i);
        m_actions[size_t(i)]->setEnabled(m_setup.finalActionEnabled(i));
        m_actionTexts[size_t(i)]->setEnabled(m_setup.finalActionEnabled(i));
        m_editPhase[size_t(i)]->setEnabled(m_setup.phaseEnabled(i + 1));
        setChecked(m_editPhase[size_t(i)], edit == i + 1);
    }
    const bool high = seq & homeseq::speedBit(edit);
    setChecked(m_high, high);
    setChecked(m_low, !high);
    m_highvel->setText(QString::number(v.highvel));
    m_lowvel->setText(QString::number(v.lowvel));
    m_homepos->setText(QString::number(v.homepos));
    m_homeSTpos->setText(QString::number(v.homeSTpos));
    m_search->setEnabled(m_setup.startSearchEnabled());
    m_bits->setText(QString::fromStdString(m_setup.bitsText()));
    m_picture->setPicture(homeseq::pictureNumber(m_setup.pictureIndex()));
}

bool HomingDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease)
        for (size_t i = 0; i < 3; ++i)
            if (watched == m_actionTexts[i] && m_actions[i]->isEnabled()) m_actions[i]->click();
    return QDialog::eventFilter(watched, event);
}

void HomingDialog::axisLoaded(int board, int axis, bool) {
    QMetaObject::invokeMethod(
        this,
        [this, board, axis] {
            if (board == m_setup.board() && axis == m_setup.axis()) showState();
        },
        Qt::QueuedConnection);
}

void HomingDialog::setupWritten(bool) {
    QMetaObject::invokeMethod(
        this, [this] { showState(); }, Qt::QueuedConnection);
}

void HomingDialog::axisListFilled(int board, const std::vector<std::string>& entries) {
    QStringList texts;
    for (const std::string& e : entries) texts << QString::fromStdString(e);
    QMetaObject::invokeMethod(
        this,
        [this, board, texts] {
            if (board != selectedBoard(m_board)) return;
            m_axis->clear();
            m_axis->addItems(texts);
            const int axis = m_setup.axis();
            m_axis->setCurrentIndex(axis < texts.size() ? axis : -1);
        },
        Qt::QueuedConnection);
}

}  // namespace zeq::desk
