#include "tools/firmware/ui/firmware_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "interpreter/script_interpreter.h"
#include "shell/shell_dialogs.h"
#include "tools/firmware/bit_file.h"
#include "tools/firmware/firmware_messages.h"
#include "tools/firmware/password_record.h"
#include "tools/firmware/ui/firmware_ui_messages.h"

namespace zeq::desk::firmware {

namespace {
QString u8(const char* text) {
    return QString::fromUtf8(text);
}
QString joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& l : lines) out << QString::fromStdString(l);
    return out.join(QLatin1Char('\n'));
}
}  // namespace

FirmwareDialog::FirmwareDialog(Boards& boards, int board, ShellDialogs& shell, QWidget* parent)
    : QDialog(parent),
      m_boards(boards),
      m_shell(shell),
      m_dialogs(shell),
      m_updater(m_dialogs, *this, systemClock()) {
    setWindowTitle(u8(ui_text::kTitle));
    setObjectName(QStringLiteral("firmwareDialog"));
    setAccessibleName(u8(ui_text::kTitle));
    m_dialogs.setQuestionTitle(msg::kCardIsNewer, msg::kWarningCaption);
    m_dialogs.setQuestionTitle(msg::kConfirmStop, msg::kWarningCaption);

    m_cards = new QComboBox(this);
    m_cards->setObjectName(QStringLiteral("cardList"));
    m_cards->setAccessibleName(u8(ui_text::kCardList));
    for (int b = 0; b < Boards::kBoardCount; ++b) m_cards->addItem(u8(ui_text::kBoardEntry).arg(b));
    auto* cardRow = new QHBoxLayout;
    auto* cardLabel = new QLabel(u8(ui_text::kCardList), this);
    cardLabel->setBuddy(m_cards);
    cardRow->addWidget(cardLabel);
    cardRow->addWidget(m_cards, 1);

    auto* cardGroup = new QGroupBox(u8(ui_text::kCardGroup), this);
    m_cardLines = new QLabel(cardGroup);
    m_cardLines->setObjectName(QStringLiteral("cardLines"));
    m_cardLines->setAccessibleName(u8(ui_text::kCardGroup));
    m_cardLines->setMinimumHeight(5 * m_cardLines->fontMetrics().lineSpacing());
    (new QVBoxLayout(cardGroup))->addWidget(m_cardLines);

    auto* fileGroup = new QGroupBox(u8(ui_text::kFileGroup), this);
    m_file = new QLineEdit(fileGroup);
    m_file->setObjectName(QStringLiteral("fileField"));
    m_file->setAccessibleName(u8(ui_text::kFileField));
    m_file->setReadOnly(true);
    m_fileButton = new QPushButton(u8(ui_text::kFileButton), fileGroup);
    m_fileButton->setAccessibleName(u8(ui_text::kFileButton));
    m_fileButton->setAutoDefault(false);
    m_fileLines = new QLabel(fileGroup);
    m_fileLines->setObjectName(QStringLiteral("fileLines"));
    m_fileLines->setAccessibleName(u8(ui_text::kFileGroup));
    m_fileLines->setMinimumHeight(4 * m_fileLines->fontMetrics().lineSpacing());
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_fileButton);
    auto* fileLayout = new QVBoxLayout(fileGroup);
    fileLayout->addLayout(fileRow);
    fileLayout->addWidget(m_fileLines);

    auto* infoRow = new QHBoxLayout;
    infoRow->addWidget(cardGroup, 1);
    infoRow->addWidget(fileGroup, 2);

    auto* warning = new QLabel(u8(msg::kWarning), this);
    warning->setStyleSheet(QStringLiteral("color: rgb(180,0,0);"));
    m_update = new QPushButton(u8(msg::kButtonUpdate), this);
    m_update->setObjectName(QStringLiteral("updateButton"));
    m_update->setAccessibleName(u8(msg::kButtonUpdate));
    m_update->setAutoDefault(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setAccessibleName(u8(ui_text::kStatusLine));
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* updateRow = new QHBoxLayout;
    updateRow->addWidget(m_update);
    updateRow->addWidget(m_status, 1);

    auto* passwordGroup = new QGroupBox(u8(ui_text::kPasswordGroup), this);
    m_old = new QLineEdit(passwordGroup);
    m_old->setObjectName(QStringLiteral("oldPassword"));
    m_old->setAccessibleName(u8(ui_text::kOldPassword));
    m_new = new QLineEdit(passwordGroup);
    m_new->setObjectName(QStringLiteral("newPassword"));
    m_new->setAccessibleName(u8(ui_text::kNewPassword));
    m_old->setMaxLength(100);
    m_new->setMaxLength(101);  // one more than allowed: the length check has its say
    m_password = new QPushButton(u8(ui_text::kChangePassword), passwordGroup);
    m_password->setAccessibleName(u8(ui_text::kChangePassword));
    m_password->setAutoDefault(false);
    auto* form = new QFormLayout;
    form->addRow(u8(ui_text::kOldPassword), m_old);
    form->addRow(u8(ui_text::kNewPassword), m_new);
    auto* note = new QLabel(u8(msg::kPasswordNote) + QLatin1Char('\n') + u8(msg::kPasswordRule),
                            passwordGroup);
    note->setWordWrap(true);
    auto* passwordLayout = new QHBoxLayout(passwordGroup);
    passwordLayout->addLayout(form, 1);
    passwordLayout->addWidget(m_password, 0, Qt::AlignBottom);
    auto* passwordOuter = new QVBoxLayout;
    passwordOuter->addWidget(passwordGroup);
    passwordOuter->addWidget(note);

    auto* close = new QPushButton(u8(ui_text::kClose), this);
    close->setAccessibleName(u8(ui_text::kClose));
    close->setAutoDefault(false);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(cardRow);
    layout->addLayout(infoRow);
    layout->addWidget(warning);
    layout->addLayout(updateRow);
    layout->addLayout(passwordOuter);
    layout->addLayout(closeRow);
    resize(640, 460);

    connect(m_cards, &QComboBox::activated, this, &FirmwareDialog::chooseBoard);
    connect(m_fileButton, &QPushButton::clicked, this, &FirmwareDialog::chooseFile);
    connect(m_update, &QPushButton::clicked, this, &FirmwareDialog::updateOrStop);
    connect(m_password, &QPushButton::clicked, this, &FirmwareDialog::changePassword);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    chooseBoard(std::clamp(board, 0, Boards::kBoardCount - 1));
}

FirmwareDialog::~FirmwareDialog() {
    m_updater.requestStop();
    m_dialogs.shutDown();
}

void FirmwareDialog::report(std::function<void()> onWindowThread) {
    QMetaObject::invokeMethod(
        this,
        [this, f = std::move(onWindowThread)] {
            f();
            emit workerReported();
        },
        Qt::QueuedConnection);
}

void FirmwareDialog::setControlsEnabled(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_cards, m_fileButton, m_old, m_new, m_password})
        w->setEnabled(enabled);
}

void FirmwareDialog::chooseBoard(int board) {
    m_board = board;
    m_cards->setCurrentIndex(board);
    m_cardKnown = false;
    m_cardLines->clear();
    const ZEQ_HANDLE handle = m_boards.handle(board);
    if (handle == 0) return;
    m_busy = true;
    m_worker.post([this, handle, board] {
        CardInfo info;
        const int status = readCardInfo(handle, info);
        report([this, info, status, board] {
            m_busy = false;
            if (board != m_board) return;
            if (status != ZEQ_OK) {
                m_dialogs.message(msg::kCannotReadCard);
                return;
            }
            m_card = info;
            m_cardKnown = true;
            m_cardLines->setText(joined(cardInfoLines(info)));
        });
    });
}

void FirmwareDialog::chooseFile() {
    const QString path = m_shell.openFileName(u8(msg::kFileFilter));
    if (path.isEmpty()) return;
    BitFile file;
    const BitFileError error = loadBitFile(path.toStdString(), file);
    if (error != BitFileError::None) {
        m_dialogs.message(bitFileErrorText(error));
        return;
    }
    m_file->setText(path);
    m_fileLines->setText(joined(bitHeaderLines(file.header)));
}

void FirmwareDialog::updateOrStop() {
    if (m_updating) {
        // Before the update runs (bridge reset) there is nothing to stop yet.
        m_updater.confirmStop(m_dialogs);
        return;
    }
    const ZEQ_HANDLE handle = m_boards.handle(m_board);
    if (handle != 0 && m_cardKnown && !m_card.canUpdate()) {
        m_dialogs.message(msg::kNoUpdateFunction);
        return;
    }
    m_updating = true;
    setControlsEnabled(false);
    UpdateRequest request{handle, m_card, m_file->text().toStdString(), m_old->text().toStdString(),
                          m_new->text().toStdString()};
    m_worker.post([this, request] {
        m_updater.run(request);
        report([this] {
            m_updating = false;
            setControlsEnabled(true);
        });
    });
}

void FirmwareDialog::changePassword() {
    if (m_updating || m_busy) return;
    const ZEQ_HANDLE handle = m_boards.handle(m_board);
    const CardInfo card = m_card;
    const std::string oldPassword = m_old->text().toStdString();
    const std::string newPassword = m_new->text().toStdString();
    m_busy = true;
    setControlsEnabled(false);
    m_worker.post([this, handle, card, oldPassword, newPassword] {
        firmware::changePassword(handle, card, oldPassword, newPassword, m_dialogs);
        report([this] {
            m_busy = false;
            setControlsEnabled(true);
        });
    });
}

void FirmwareDialog::status(std::string_view text) {
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    report([this, t] { m_status->setText(t); });
}

void FirmwareDialog::runningChanged(bool running) {
    report([this, running] {
        m_update->setText(u8(running ? msg::kButtonStop : msg::kButtonUpdate));
    });
}

bool FirmwareDialog::mayClose() {
    if (m_updater.running()) return m_updater.mayClose(m_dialogs);
    // An update about to run, a card read or a password change in progress: a moment.
    return !m_updating && !m_busy;
}

void FirmwareDialog::closeEvent(QCloseEvent* event) {
    if (!mayClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FirmwareDialog::reject() {
    if (mayClose()) QDialog::reject();
}

}  // namespace zeq::desk::firmware
