// The parameter window "zEQ的参数": the catalogue's system rows in a table, with a filter box.
#pragma once

#include <QDialog>

class QLineEdit;
class QTableView;
class QSortFilterProxyModel;

namespace zeq::desk {

class ParamWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ParamWindow(QWidget* parent = nullptr);
    QLineEdit* filterBox() const { return m_filter; }
    // Rows shown under the current filter.
    int visibleRows() const;

  private:
    QLineEdit* m_filter;
    QTableView* m_table;
    QSortFilterProxyModel* m_proxy;
};

}  // namespace zeq::desk
