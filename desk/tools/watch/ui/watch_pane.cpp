#include "tools/watch/ui/watch_pane.h"

#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "catalogue/param_catalogue.h"
#include "tools/watch/ui/watch_ui_messages.h"
#include "tools/watch/watch_messages.h"

namespace zeq::desk {
namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

// Column widths for a 270-pixel list.
constexpr int kColumnWidths[] = {90, 90, 45, 45};

}  // namespace

// ---- The add-parameter window ----

WatchAddWindow::WatchAddWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(u8(watch_text::kAddTitle));
    setAccessibleName(u8(watch_text::kAddTitle));
    setObjectName(QStringLiteral("watchAddWindow"));
    setModal(false);
    m_names = new QComboBox(this);
    m_names->setObjectName(QStringLiteral("watchAddName"));
    m_names->setAccessibleName(u8(watch_ui_text::kAddNameBox));
    m_names->setEditable(true);
    m_names->setInsertPolicy(QComboBox::NoInsert);
    for (const ParamRow& row : systemParamRows()) {
        const auto name = row.nameView();
        m_names->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    m_names->setCurrentIndex(-1);
    // Typing filters the names: any part of a name, ignoring case.
    m_names->completer()->setCompletionMode(QCompleter::PopupCompletion);
    m_names->completer()->setFilterMode(Qt::MatchContains);
    m_names->completer()->setCaseSensitivity(Qt::CaseInsensitive);

    auto* add = new QPushButton(u8(watch_ui_text::kAddButton), this);
    add->setObjectName(QStringLiteral("watchAddButton"));
    add->setAccessibleName(u8(watch_ui_text::kAddButton));
    add->setDefault(true);
    auto* del = new QPushButton(u8(watch_ui_text::kDeleteButton), this);
    del->setObjectName(QStringLiteral("watchDeleteButton"));
    del->setAccessibleName(u8(watch_ui_text::kDeleteButton));
    connect(add, &QPushButton::clicked, this, [this] {
        if (!typedName().isEmpty()) emit addRequested(typedName());
    });
    connect(del, &QPushButton::clicked, this, [this] {
        if (!typedName().isEmpty()) emit deleteRequested(typedName());
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(del);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_names);
    layout->addLayout(buttons);
}

QString WatchAddWindow::typedName() const {
    return m_names->currentText().trimmed();
}

// ---- The interval dialog ----

WatchIntervalDialog::WatchIntervalDialog(WatchList& list, QWidget* parent)
    : QDialog(parent), m_list(list) {
    setWindowTitle(u8(watch_text::kIntervalTitle));
    setAccessibleName(u8(watch_text::kIntervalTitle));
    setObjectName(QStringLiteral("watchIntervalDialog"));
    auto* label = new QLabel(u8(watch_ui_text::kIntervalLabel), this);
    m_field = new QLineEdit(QString::number(list.interval()), this);
    m_field->setObjectName(QStringLiteral("watchIntervalField"));
    m_field->setAccessibleName(u8(watch_ui_text::kIntervalField));
    m_field->setValidator(new QIntValidator(-999999999, 999999999, m_field));
    label->setBuddy(m_field);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setText(u8(watch_ui_text::kOk));
    box->button(QDialogButtonBox::Ok)->setAccessibleName(u8(watch_ui_text::kOk));
    box->button(QDialogButtonBox::Cancel)->setText(u8(watch_ui_text::kCancel));
    box->button(QDialogButtonBox::Cancel)->setAccessibleName(u8(watch_ui_text::kCancel));
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_field);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(box);
}

void WatchIntervalDialog::accept() {
    bool ok = false;
    const int ms = m_field->text().trimmed().toInt(&ok);
    // The list refuses a value below 1 with its message and keeps the old one.
    m_list.setInterval(ok ? ms : 0);
    QDialog::accept();
}

// ---- The pane ----

WatchPane::WatchPane(WatchList& list, QWidget* parent) : QWidget(parent), m_list(list) {
    setObjectName(QStringLiteral("watchPane"));
    setAccessibleName(u8(watch_ui_text::kPaneTitle));
    m_table = new QTableWidget(0, 4, this);
    m_table->setObjectName(QStringLiteral("watchList"));
    m_table->setAccessibleName(u8(watch_ui_text::kList));
    m_table->setHorizontalHeaderLabels({u8(watch_text::kColumnName), u8(watch_text::kColumnValue),
                                        u8(watch_text::kColumnAxis), u8(watch_text::kColumnBoard)});
    for (int c = 0; c < 4; ++c) m_table->setColumnWidth(c, kColumnWidths[c]);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);  // a wider pane: no blank strip
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setShowGrid(true);
    m_table->setStyleSheet(QStringLiteral("QTableWidget { color: rgb(10,10,80); }"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("watchMenu"));
    m_menu->setAccessibleName(u8(watch_ui_text::kMenu));
    const std::pair<WatchCommand, const char*> entries[] = {
        {WatchCommand::Start, watch_text::kMenuStart},
        {WatchCommand::Stop, watch_text::kMenuStop},
        {WatchCommand::Add, watch_text::kMenuAdd},
        {WatchCommand::Hex, watch_text::kMenuHex},
        {WatchCommand::Delete, watch_text::kMenuDelete},
        {WatchCommand::DeleteAll, watch_text::kMenuDeleteAll},
        {WatchCommand::Interval, watch_text::kMenuInterval},
    };
    for (const auto& [command, label] : entries) {
        QAction* a = m_menu->addAction(u8(label));
        a->setObjectName(QStringLiteral("watch%1").arg(int(command)));
        a->setCheckable(command == WatchCommand::Hex);
        const WatchCommand c = command;
        connect(a, &QAction::triggered, this, [this, c] { run(c); });
        m_actions.insert(int(command), a);
    }
    connect(m_menu, &QMenu::aboutToShow, this, &WatchPane::updateActions);
    connect(m_table, &QTableWidget::cellClicked, this, &WatchPane::editCell);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &WatchPane::updateActions);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);

    m_frame = new QTimer(this);
    m_frame->setSingleShot(true);
    m_frame->setInterval(kFrameMs);
    connect(m_frame, &QTimer::timeout, this, &WatchPane::flushValues);

    m_list.setObserver(this);
    refreshRows();
}

QSize WatchPane::sizeHint() const {
    int width = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    for (int w : kColumnWidths) width += w;
    const QMargins m = layout() ? layout()->contentsMargins() : QMargins();
    return {width + m.left() + m.right(), QWidget::sizeHint().height()};
}

WatchPane::~WatchPane() {
    m_list.stop();
    m_list.waitIdle();
    m_list.setObserver(nullptr);
}

int WatchPane::selectedRow() const {
    const auto rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void WatchPane::refreshRows() {
    const int n = m_list.rowCount();
    m_table->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        const WatchRow row = m_list.row(i);
        const QString texts[] = {QString::fromStdString(row.name),
                                 QString::fromStdString(m_list.valueText(i)),
                                 QString::number(row.axis), QString::number(row.board)};
        for (int c = 0; c < 4; ++c) {
            QTableWidgetItem* item = m_table->item(i, c);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(i, c, item);
            }
            item->setText(texts[c]);
        }
    }
    updateActions();
}

void WatchPane::updateActions() {
    const bool visible = isVisible();
    const bool selected = selectedRow() >= 0;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const auto command = WatchCommand(it.key());
        it.value()->setEnabled(m_list.enabled(command, visible, selected));
        if (it.value()->isCheckable()) it.value()->setChecked(m_list.checked(command));
    }
    emit commandsChanged();
}

void WatchPane::showMenu(const QPoint& pos) {
    updateActions();
    m_menu->popup(m_table->viewport()->mapToGlobal(pos));
}

void WatchPane::run(WatchCommand command) {
    updateActions();
    if (!m_list.enabled(command, isVisible(), selectedRow() >= 0)) return;
    switch (command) {
        case WatchCommand::Start:
            m_list.start();
            break;
        case WatchCommand::Stop:
            m_list.stop();
            break;
        case WatchCommand::Add:
            openAddWindow();
            break;
        case WatchCommand::Hex:
            m_list.toggleHex();
            break;
        case WatchCommand::Delete:
            m_list.deleteRow(selectedRow());
            break;
        case WatchCommand::DeleteAll:
            m_list.deleteAll();
            break;
        case WatchCommand::Interval:
            openIntervalDialog();
            break;
    }
    refreshRows();
}

void WatchPane::openAddWindow() {
    // One instance: shown again while visible, made anew otherwise.
    if (m_addWindow && m_addWindow->isVisible()) {
        m_addWindow->raise();
        m_addWindow->activateWindow();
        return;
    }
    if (m_addWindow) m_addWindow->deleteLater();
    m_addWindow = new WatchAddWindow(this);
    m_addWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_addWindow, &WatchAddWindow::addRequested, this, [this](const QString& name) {
        m_list.addTypedName(name.toStdString());
        refreshRows();
    });
    connect(m_addWindow, &WatchAddWindow::deleteRequested, this, [this](const QString& name) {
        m_list.deleteTypedName(name.toStdString());
        refreshRows();
    });
    m_addWindow->show();
}

void WatchPane::openIntervalDialog() {
    if (m_intervalDialog) m_intervalDialog->deleteLater();
    m_intervalDialog = new WatchIntervalDialog(m_list, this);
    m_intervalDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_intervalDialog->open();
}

void WatchPane::editCell(int row, int column) {
    if ((column != 2 && column != 3) || row < 0 || row >= m_list.rowCount() || m_list.polling())
        return;
    const WatchRow current = m_list.row(row);
    const bool board = column == 3;
    const int count = board ? Boards::kBoardCount : m_list.axisChoices(row);
    auto* box = new QComboBox(m_table);
    box->setObjectName(board ? QStringLiteral("watchBoardCell") : QStringLiteral("watchAxisCell"));
    box->setAccessibleName(u8(board ? watch_ui_text::kBoardCell : watch_ui_text::kAxisCell));
    for (int i = 0; i < count; ++i) box->addItem(QString::number(i));
    box->setCurrentIndex(WatchList::preselectedEntry(board ? current.board : current.axis, count));
    connect(box, &QComboBox::activated, this, [this, row, board](int index) {
        if (board)
            m_list.setBoard(row, index);
        else
            m_list.setAxis(row, index);
        // Removed after the signal has returned to the box.
        QTimer::singleShot(0, this, [this] {
            for (int r = 0; r < m_table->rowCount(); ++r)
                for (int c = 2; c < 4; ++c) m_table->removeCellWidget(r, c);
            refreshRows();
        });
    });
    m_table->setCellWidget(row, column, box);
    box->setFocus();
    box->showPopup();
}

bool WatchPane::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_table || watched == m_table->viewport()) &&
        event->type() == QEvent::ContextMenu) {
        // At the cursor; from the keyboard 5 pixels inside the list's top-left corner.
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        const QPoint at = menuEvent->reason() == QContextMenuEvent::Keyboard
                              ? QPoint(5, 5)
                              : m_table->viewport()->mapFromGlobal(menuEvent->globalPos());
        showMenu(at);
        return true;
    }
    if (watched == m_table->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_table->indexAt(mouse->position().toPoint()).isValid()) {
            run(WatchCommand::Add);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WatchPane::valueChanged(int, const std::string&) {
    // Worker thread: mark the values dirty and ask the pane's thread once for a repaint.
    if (m_valuesDirty.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_frame->isActive()) m_frame->start();
        },
        Qt::QueuedConnection);
}

void WatchPane::pollingEnded() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            flushValues();
            updateActions();
        },
        Qt::QueuedConnection);
}

void WatchPane::flushValues() {
    m_valuesDirty = false;
    const int n = std::min(m_list.rowCount(), m_table->rowCount());
    for (int i = 0; i < n; ++i)
        if (QTableWidgetItem* item = m_table->item(i, 1))
            item->setText(QString::fromStdString(m_list.valueText(i)));
}

}  // namespace zeq::desk
