#include "tools/jog/ui/jog_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "tools/common/ui/board_list.h"
#include "tools/jog/jog_messages.h"

namespace zeq::desk {
namespace {

constexpr const char* kBoardLabel = "控制板:";
constexpr const char* kAxisLabel = "轴号:";

QString number(double v) {
    return QString::number(v, 'f', 1);
}

}  // namespace

JogDialog::JogDialog(Boards& boards, std::function<int()> targetBoard, QWidget* parent,
                     UserDialogs* boxes)
    : QDialog(parent),
      m_boards(boards),
      m_targetBoard(std::move(targetBoard)),
      m_boxes(this, boxes),
      m_jog(boards, m_boxes) {
    setObjectName(QStringLiteral("jogDialog"));
    setWindowTitle(u8text(jog_text::kTitle));
    setAccessibleName(u8text(jog_text::kTitle));
    setModal(false);

    m_board = new QComboBox(this);
    m_board->setObjectName(QStringLiteral("jogBoard"));
    m_board->setAccessibleName(u8text(kBoardLabel));
    m_axis = new QComboBox(this);
    m_axis->setObjectName(QStringLiteral("jogAxis"));
    m_axis->setAccessibleName(u8text(kAxisLabel));
    m_speed = new QLineEdit(number(JogControl::kDefaultSpeed), this);
    m_dist = new QLineEdit(this);
    m_time = new QLineEdit(this);
    const std::pair<QLineEdit*, const char*> fields[] = {{m_speed, jog_text::kSpeed},
                                                         {m_dist, jog_text::kDistFactor},
                                                         {m_time, jog_text::kTimeFactor}};
    for (const auto& [field, text] : fields) {
        field->setAccessibleName(u8text(text));
        auto* v = new QDoubleValidator(field);
        v->setNotation(QDoubleValidator::StandardNotation);
        v->setLocale(QLocale::c());
        field->setValidator(v);
    }
    auto* form = new QFormLayout;
    form->addRow(u8text(kBoardLabel), m_board);
    form->addRow(u8text(kAxisLabel), m_axis);
    form->addRow(u8text(jog_text::kSpeed), m_speed);
    form->addRow(u8text(jog_text::kDistFactor), m_dist);
    form->addRow(u8text(jog_text::kTimeFactor), m_time);

    m_positive = new QPushButton(u8text(jog_text::kJogPositive), this);
    m_negative = new QPushButton(u8text(jog_text::kJogNegative), this);
    m_positive->setObjectName(QStringLiteral("jogPositive"));
    m_negative->setObjectName(QStringLiteral("jogNegative"));
    for (QPushButton* b : {m_positive, m_negative}) {
        b->setAccessibleName(b->text());
        b->setAutoDefault(false);
        b->setMinimumHeight(40);
        b->installEventFilter(this);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_negative);
    buttons->addWidget(m_positive);
    auto* note = new QLabel(u8text(jog_text::kNote), this);
    note->setWordWrap(true);
    note->setAccessibleName(note->text());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(note);
    setMinimumWidth(380);

    connect(m_board, &QComboBox::activated, this, [this] {
        const int board = selectedBoard(m_board);
        m_jog.fillAxisList(board);
        selectionChanged();
    });
    connect(m_axis, &QComboBox::activated, this, &JogDialog::selectionChanged);
    // Another application coming to the front ends a jog.
    m_appState = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                         [this](Qt::ApplicationState state) {
                             if (state != Qt::ApplicationActive && m_jog.jogging()) {
                                 m_jog.applicationDeactivated();
                                 stopJog();
                             }
                         });
    m_jog.setObserver(this);
    refreshBoards();
}

JogDialog::~JogDialog() {
    disconnect(m_appState);
    m_jog.release();
    m_jog.waitIdle();  // the stop reaches the card; then nothing reports to this dialog
    m_jog.setObserver(nullptr);
}

void JogDialog::refreshBoards() {
    const int board = fillBoardList(m_board, m_boards, m_targetBoard());
    m_axis->clear();
    m_jog.fillAxisList(board);
    m_jog.select(board, 0);
    m_speed->setText(number(m_jog.speed()));
}

void JogDialog::selectionChanged() {
    m_jog.select(selectedBoard(m_board), std::max(0, m_axis->currentIndex()));
    m_speed->setText(number(m_jog.speed()));
}

double JogDialog::fieldValue(const QLineEdit* field) const {
    bool ok = false;
    const double v = QLocale::c().toDouble(field->text().trimmed(), &ok);
    return ok ? v : 0.0;
}

void JogDialog::startJog(JogControl::Direction direction) {
    if (m_jog.jogging()) return;
    m_jog.setSpeed(fieldValue(m_speed));
    m_jog.setDistFactor(fieldValue(m_dist));
    m_jog.setTimeFactor(fieldValue(m_time));
    if (!m_jog.press(direction)) return;
    jogButton(direction)->setDown(true);
    grabMouse();  // the release comes here wherever the mouse is
}

void JogDialog::stopJog() {
    m_jog.release();
    m_positive->setDown(false);
    m_negative->setDown(false);
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

bool JogDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_positive || watched == m_negative) {
        const auto direction = watched == m_positive ? JogControl::Direction::Positive
                                                     : JogControl::Direction::Negative;
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                    startJog(direction);
                return true;
            case QEvent::MouseButtonRelease:
                stopJog();
                return true;
            case QEvent::MouseMove:
                return true;  // leaving the button does not end the jog, the release does
            case QEvent::FocusOut:
                if (m_jog.jogging() && !isActiveWindow()) stopJog();
                break;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void JogDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (m_jog.jogging()) stopJog();
    QDialog::mouseReleaseEvent(event);
}

void JogDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && m_jog.jogging()) {
        m_jog.focusLost();
        stopJog();
    }
    QDialog::changeEvent(event);
}

bool JogDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && m_jog.jogging()) {
        m_jog.focusLost();
        stopJog();
    }
    return QDialog::event(event);
}

void JogDialog::hideEvent(QHideEvent* event) {
    m_jog.closed();
    stopJog();
    QDialog::hideEvent(event);
}

void JogDialog::closeEvent(QCloseEvent* event) {
    m_jog.closed();
    stopJog();
    QDialog::closeEvent(event);
}

void JogDialog::factorsRead(const std::string& timeFactor, const std::string& distFactor) {
    const QString t = QString::fromStdString(timeFactor), d = QString::fromStdString(distFactor);
    QMetaObject::invokeMethod(
        this,
        [this, t, d] {
            m_time->setText(t);
            m_dist->setText(d);
        },
        Qt::QueuedConnection);
}

void JogDialog::jogReleased() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_jog.jogging()) return;  // a new jog started meanwhile
            m_positive->setDown(false);
            m_negative->setDown(false);
        },
        Qt::QueuedConnection);
}

void JogDialog::axisListFilled(int board, const std::vector<std::string>& entries) {
    QStringList texts;
    for (const std::string& e : entries) texts << QString::fromStdString(e);
    QMetaObject::invokeMethod(
        this,
        [this, board, texts] {
            if (board != selectedBoard(m_board)) return;
            const int kept = m_axis->currentIndex();
            m_axis->clear();
            m_axis->addItems(texts);
            m_axis->setCurrentIndex(kept >= 0 && kept < texts.size() ? kept
                                    : texts.isEmpty()                ? -1
                                                                     : 0);
        },
        Qt::QueuedConnection);
}

}  // namespace zeq::desk
