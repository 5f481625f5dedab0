#include "tools/regconfig/ui/register_config_dialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <memory>

#include "shell/shell_dialogs.h"
#include "tools/axis_list.h"
#include "tools/regconfig/regconfig_messages.h"
#include "tools/regconfig/ui/regconfig_ui_messages.h"
#include "tools/regconfig/ui/register_page.h"

namespace zeq::desk::regconfig {

namespace {
QString u8(const char* text) {
    return QString::fromUtf8(text);
}
}  // namespace

RegisterConfigDialog* RegisterConfigDialog::open(Boards& boards, int board, ShellDialogs& shell,
                                                 QWidget* parent) {
    if (board < 0 || board >= Boards::kBoardCount) {
        shell.message(u8(msg::kChooseDevice));
        return nullptr;
    }
    if (boards.handle(board) == 0) {
        shell.message(u8(msg::kOpenDeviceFirst));
        return nullptr;
    }
    auto* dialog = new RegisterConfigDialog(boards, board, shell, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->QDialog::open();
    return dialog;
}

RegisterConfigDialog::RegisterConfigDialog(Boards& boards, int board, ShellDialogs& shell,
                                           QWidget* parent)
    : QDialog(parent), m_boards(boards), m_shell(shell), m_dialogs(shell) {
    setWindowTitle(u8(msg::kTitle));
    setObjectName(QStringLiteral("registerConfigDialog"));
    setAccessibleName(u8(msg::kTitle));
    m_dialogs.setQuestionTitle(msg::kNotSaved, msg::kHint);
    m_dialogs.setQuestionTitle(msg::kGenerated, msg::kHint);

    m_cards = new QComboBox(this);
    m_cards->setObjectName(QStringLiteral("cardList"));
    m_cards->setAccessibleName(u8(ui_text::kCardList));
    for (int b = 0; b < Boards::kBoardCount; ++b) m_cards->addItem(u8(ui_text::kBoardEntry).arg(b));
    m_axes = new QComboBox(this);
    m_axes->setObjectName(QStringLiteral("axisList"));
    m_axes->setAccessibleName(u8(ui_text::kAxisList));
    auto* cardLabel = new QLabel(u8(ui_text::kCardList), this);
    cardLabel->setBuddy(m_cards);
    auto* axisLabel = new QLabel(u8(ui_text::kAxisList), this);
    axisLabel->setBuddy(m_axes);
    auto* lists = new QHBoxLayout;
    lists->addWidget(cardLabel);
    lists->addWidget(m_cards);
    lists->addSpacing(20);
    lists->addWidget(axisLabel);
    lists->addWidget(m_axes);
    lists->addStretch(1);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("registerPages"));
    m_tabs->setAccessibleName(u8(msg::kTitle));

    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, void (RegisterConfigDialog::*)()> actions[] = {
        {ui_text::kApply, &RegisterConfigDialog::applyToCard},
        {ui_text::kGenerate, &RegisterConfigDialog::generateFile},
        {ui_text::kSave, &RegisterConfigDialog::saveToFile},
        {ui_text::kImport, &RegisterConfigDialog::importFromFile},
        {ui_text::kClose, nullptr},
    };
    for (const auto& [text, slot] : actions) {
        auto* b = new QPushButton(u8(text), this);
        b->setAccessibleName(u8(text));
        b->setAutoDefault(false);
        if (slot)
            connect(b, &QPushButton::clicked, this, slot);
        else
            connect(b, &QPushButton::clicked, this, &QDialog::close);
        buttons->addWidget(b);
        m_buttons.push_back(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    resize(800, 640);

    connect(m_cards, &QComboBox::activated, this, &RegisterConfigDialog::chooseCard);
    connect(m_axes, &QComboBox::activated, this, &RegisterConfigDialog::chooseAxis);
    m_board = board;
    load(board);
}

RegisterConfigDialog::~RegisterConfigDialog() {
    m_dialogs.shutDown();
}

RegisterPage* RegisterConfigDialog::page(const char* tab) const {
    for (RegisterPage* p : m_pages)
        if (QString::fromUtf8(p->page().tab) == QString::fromUtf8(tab)) return p;
    return nullptr;
}

QPushButton* RegisterConfigDialog::button(const char* text) const {
    for (QPushButton* b : m_buttons)
        if (b->text() == u8(text)) return b;
    return nullptr;
}

void RegisterConfigDialog::setBusy(bool busy) {
    m_busy = busy;
    m_cards->setEnabled(!busy);
    m_axes->setEnabled(!busy);
    m_tabs->setEnabled(!busy);
    for (QPushButton* b : m_buttons) b->setEnabled(!busy);
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

// The card becomes the dialog's when everything was read; a failed read keeps the card before.
void RegisterConfigDialog::load(int board) {
    m_cards->setCurrentIndex(board);
    const ZEQ_HANDLE handle = m_boards.handle(board);
    setBusy(true);
    Boards& boards = m_boards;
    m_worker.post([this, &boards, board, handle] {
        auto read = std::make_shared<RegisterConfig>();
        const int status = read->readFromCard(handle, toolAxisCount(boards, board));
        QMetaObject::invokeMethod(
            this,
            [this, read, status, board] {
                if (status == ZEQ_OK) {
                    m_board = board;
                    m_config = std::move(*read);
                    m_axis = 0;
                    m_axes->clear();
                    for (const std::string& e : axisListEntries(m_config.axisCount()))
                        m_axes->addItem(QString::fromStdString(e));
                    rebuildPages();
                    showAxis();
                } else {
                    m_cards->setCurrentIndex(m_board);
                    m_dialogs.message(ui_text::kReadFailed);
                }
                setBusy(false);
                emit cardDone();
            },
            Qt::QueuedConnection);
    });
}

void RegisterConfigDialog::rebuildPages() {
    const bool large = !m_config.hasAiod();
    if (!m_pages.empty() && large == m_largePages) return;
    m_largePages = large;
    while (m_tabs->count() > 0) {
        QWidget* w = m_tabs->widget(0);
        m_tabs->removeTab(0);
        delete w;
    }
    m_pages.clear();
    for (ConfigPage& description : pagesFor(m_config.naxis())) {
        const QString tab = QString::fromUtf8(description.tab);
        auto* page = new RegisterPage(std::move(description));
        auto* scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        m_tabs->addTab(scroll, tab);
        connect(page, &RegisterPage::optionChosen, this, &RegisterConfigDialog::chooseOption);
        connect(page, &RegisterPage::unitsChosen, this, &RegisterConfigDialog::chooseUnits);
        m_pages.push_back(page);
    }
}

void RegisterConfigDialog::showAxis() {
    if (m_axis < 0 || m_axis >= m_config.axisCount()) return;
    m_axes->setCurrentIndex(m_axis);
    for (RegisterPage* p : m_pages) {
        p->setUserUnits(m_userUnits);
        p->showValues(m_config.axis(m_axis), m_config.timeScale());
    }
}

bool RegisterConfigDialog::commitPages() {
    if (m_axis < 0 || m_axis >= m_config.axisCount()) return true;
    AxisRegisters& values = m_config.axis(m_axis);
    double timeScale = m_config.timeScale();
    bool changed = false;
    bool ok = true;
    for (RegisterPage* p : m_pages) {
        if (!p->commit(values, timeScale, m_dialogs, changed)) {
            m_tabs->setCurrentWidget(p->parentWidget()->parentWidget());
            ok = false;
            break;
        }
    }
    m_config.setTimeScale(timeScale);
    if (changed) m_config.markChanged();
    // The motion limits in user units follow a changed factor.
    if (ok && changed) showAxis();
    return ok;
}

void RegisterConfigDialog::chooseCard(int index) {
    if (index == m_board) return;
    const auto back = [this] { m_cards->setCurrentIndex(m_board); };
    if (!commitPages() || m_config.keepUnsavedCard(m_dialogs)) return back();
    if (m_boards.handle(index) == 0) {
        m_dialogs.message(msg::kOpenDeviceFirst);
        return back();
    }
    load(index);
}

void RegisterConfigDialog::chooseAxis(int index) {
    if (index == m_axis) return;
    if (!commitPages()) {
        m_axes->setCurrentIndex(m_axis);
        return;
    }
    m_axis = index;
    showAxis();
}

void RegisterConfigDialog::chooseOption(RegId reg, int bit, bool set) {
    if (m_axis < 0 || m_axis >= m_config.axisCount()) return;
    AxisRegisters& values = m_config.axis(m_axis);
    const BitOption option{bit, "", "", Control::CheckBox};
    values[reg] = applyOption(static_cast<std::uint16_t>(values[reg]), option, set);
    m_config.markChanged();
    for (RegisterPage* p : m_pages) p->showBits(values);
}

void RegisterConfigDialog::chooseUnits(bool user) {
    if (!commitPages()) {
        for (RegisterPage* p : m_pages) p->setUserUnits(m_userUnits);
        return;
    }
    m_userUnits = user;
    showAxis();
}

void RegisterConfigDialog::applyToCard() {
    if (m_busy || m_config.axisCount() == 0 || !commitPages()) return;
    auto config = std::make_shared<RegisterConfig>(m_config);
    const ZEQ_HANDLE handle = m_boards.handle(m_board);
    setBusy(true);
    m_worker.post([this, config, handle] {
        const bool ok = config->applyReporting(handle, m_dialogs);
        QMetaObject::invokeMethod(
            this,
            [this, config, ok] {
                if (ok) m_config = *config;  // counts as saved
                setBusy(false);
                emit cardDone();
            },
            Qt::QueuedConnection);
    });
}

void RegisterConfigDialog::generateFile() {
    if (m_busy || m_config.axisCount() == 0 || !commitPages()) return;
    const QString path = m_shell.saveFileName(QString(), u8(msg::kGenFilter));
    if (path.isEmpty()) return;
    if (m_config.generateReporting(path.toStdString(), m_dialogs))
        m_shell.openUrl(QUrl::fromLocalFile(path));
}

void RegisterConfigDialog::saveToFile() {
    if (m_busy || m_config.axisCount() == 0 || !commitPages()) return;
    const QString path = m_shell.saveFileName(QString(), u8(msg::kCfgFilter));
    if (path.isEmpty()) return;
    m_config.saveReporting(path.toStdString(), m_dialogs);
}

void RegisterConfigDialog::importFromFile() {
    if (m_busy || m_config.axisCount() == 0) return;
    const QString path = m_shell.openFileName(u8(msg::kCfgFilter));
    if (path.isEmpty()) return;
    if (m_config.importReporting(path.toStdString(), m_dialogs)) showAxis();
}

void RegisterConfigDialog::closeEvent(QCloseEvent* event) {
    // A read or write of the card ends within the library's time-outs; the dialog stays until
    // then so that the window's thread never waits for it.
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void RegisterConfigDialog::reject() {
    if (!m_busy) QDialog::reject();
}

}  // namespace zeq::desk::regconfig
