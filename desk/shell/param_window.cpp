#include "shell/param_window.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "catalogue/param_catalogue.h"
#include "shell/shell_messages.h"

namespace zeq::desk {

ParamWindow::ParamWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(msg::kParamWindowTitle));
    setAccessibleName(QString::fromUtf8(msg::kParamWindowTitle));
    setObjectName(QStringLiteral("paramWindow"));
    auto* model = new QStandardItemModel(this);
    model->setHorizontalHeaderLabels({QString::fromUtf8("名称"), QString::fromUtf8("格式"),
                                      QString::fromUtf8("地址"), QString::fromUtf8("类型"),
                                      QString::fromUtf8("只读"), QString::fromUtf8("全局")});
    for (const ParamRow& row : systemParamRows()) {
        const auto name = row.nameView();
        const auto format = row.formatView();
        QList<QStandardItem*> items{
            new QStandardItem(QString::fromUtf8(name.data(), name.size())),
            new QStandardItem(QString::fromUtf8(format.data(), format.size())),
            new QStandardItem(QString::number(row.address)),
            new QStandardItem(QString::number(row.kind)),
            new QStandardItem(row.readOnly ? QString::fromUtf8("是") : QString()),
            new QStandardItem(row.global ? QString::fromUtf8("是") : QString())};
        for (QStandardItem* item : items) item->setEditable(false);
        model->appendRow(items);
    }
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(model);
    m_proxy->setFilterKeyColumn(0);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("paramFilter"));
    m_filter->setPlaceholderText(QString::fromUtf8(msg::kParamFilter));
    m_filter->setAccessibleName(QString::fromUtf8(msg::kParamFilter));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, m_proxy,
            &QSortFilterProxyModel::setFilterFixedString);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("paramTable"));
    m_table->setAccessibleName(QString::fromUtf8(msg::kParamWindowTitle));
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_table);
    resize(560, 480);
}

int ParamWindow::visibleRows() const {
    return m_proxy->rowCount();
}

}  // namespace zeq::desk
