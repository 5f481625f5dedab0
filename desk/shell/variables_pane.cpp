#include "shell/variables_pane.h"

#include <QHeaderView>

#include "shell/run_messages.h"

namespace zeq::desk {
namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

enum Column { kName, kValue, kScope };

}  // namespace

VariablesPane::VariablesPane(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("variablesPane"));
    setAccessibleName(u8(msg::kVariablesTitle));
    setColumnCount(3);
    setHeaderLabels({u8(msg::kVariablesName), u8(msg::kVariablesValue), u8(msg::kVariablesScope)});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    header()->setStretchLastSection(true);
    setEnabled(false);
}

void VariablesPane::showPaused(const std::vector<RunObserver::Variable>& variables) {
    setUpdatesEnabled(false);
    clear();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(variables.size()));
    for (const RunObserver::Variable& v : variables) {
        auto* row = new QTreeWidgetItem;
        row->setText(kName, QString::fromStdString(v.name));
        // The interpreter's values are doubles; whole numbers show without a fraction.
        row->setText(kValue, QString::number(v.value, 'g', 15));
        row->setText(kScope, u8(v.local ? msg::kVariablesLocal : msg::kVariablesGlobal));
        row->setTextAlignment(kValue, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    addTopLevelItems(rows);
    resizeColumnToContents(kName);
    setEnabled(true);
    setUpdatesEnabled(true);
}

void VariablesPane::showRunning() {
    setEnabled(false);
}

void VariablesPane::showEnded() {
    clear();
    setEnabled(false);
}

QString VariablesPane::valueText(const QString& name, bool local) const {
    const QString scope = u8(local ? msg::kVariablesLocal : msg::kVariablesGlobal);
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        if (row->text(kName) == name && row->text(kScope) == scope) return row->text(kValue);
    }
    return {};
}

}  // namespace zeq::desk
