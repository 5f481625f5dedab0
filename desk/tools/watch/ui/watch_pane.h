// The watch box: the watch list's rows in a table of four columns, its pop-up menu, the
// add-parameter window, the in-place board and axis cells and the interval dialog. A thin
// layer over WatchList: every rule and every card call is the list's; the pane never waits
// for a card. Values reported by the list's worker are queued to the pane's thread and shown
// at most once per frame.
#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <atomic>

#include "tools/watch/watch_list.h"

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QTableWidget;
class QTimer;

namespace zeq::desk {

// The add-parameter window "增加参数": the catalogue's names in an editable combo box that
// filters as one types, and the add and delete buttons.
class WatchAddWindow : public QDialog {
    Q_OBJECT
  public:
    explicit WatchAddWindow(QWidget* parent = nullptr);
    QComboBox* nameBox() const { return m_names; }
    QString typedName() const;

  signals:
    void addRequested(const QString& name);
    void deleteRequested(const QString& name);

  private:
    QComboBox* m_names = nullptr;
};

// The interval dialog "设置间隔时间".
class WatchIntervalDialog : public QDialog {
    Q_OBJECT
  public:
    WatchIntervalDialog(WatchList& list, QWidget* parent = nullptr);
    QLineEdit* field() const { return m_field; }
    void accept() override;

  private:
    WatchList& m_list;
    QLineEdit* m_field = nullptr;
};

class WatchPane : public QWidget, public WatchObserver {
    Q_OBJECT
  public:
    static constexpr int kFrameMs = 16;  // at most one repaint of the values per frame

    explicit WatchPane(WatchList& list, QWidget* parent = nullptr);
    ~WatchPane() override;

    QTableWidget* table() const { return m_table; }
    // Wide enough for the four columns and a vertical scroll bar.
    QSize sizeHint() const override;
    QMenu* menu() const { return m_menu; }
    // The menu's action of a command (32902..32907, 32934).
    QAction* action(WatchCommand command) const { return m_actions.value(int(command)); }
    WatchAddWindow* addWindow() const { return m_addWindow; }
    WatchIntervalDialog* intervalDialog() const { return m_intervalDialog; }

    // Runs a command as its menu entry does, when it is enabled.
    void run(WatchCommand command);
    // Opens the drop-down list over the axis (column 2) or board (column 3) cell of a row.
    void editCell(int row, int column);
    // Refills the table from the list, then the enabling.
    void refreshRows();
    // Re-evaluates the enabling of the commands (also of the main frame's, through the signal).
    void updateActions();

    // WatchObserver, on the list's worker thread.
    void valueChanged(int row, const std::string& text) override;
    void pollingEnded() override;

  signals:
    void commandsChanged();

  protected:
    // A double click outside any row opens the add-parameter window.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showMenu(const QPoint& pos);
    void openAddWindow();
    void openIntervalDialog();
    void flushValues();
    int selectedRow() const;

    WatchList& m_list;
    QTableWidget* m_table = nullptr;
    QMenu* m_menu = nullptr;
    QHash<int, QAction*> m_actions;
    QPointer<WatchAddWindow> m_addWindow;
    QPointer<WatchIntervalDialog> m_intervalDialog;
    QTimer* m_frame = nullptr;
    std::atomic<bool> m_valuesDirty{false};
};

}  // namespace zeq::desk
