// The teach dialog "示教": the board list, one line per axis (check box, jog "+" and "-"), the
// jog speed and the path acceleration and deceleration, the playback mode and the loop check
// box, the point list edited in place, and the buttons record, delete, delete all, return to
// point 1 and run/stop, plus saving and loading the point list as a CSV file.
//
// Every card call runs on the dialog's worker (jog, record, return to point 1, playback); the
// stop of a playback and of a jog goes out from the window's thread at once. A jog stops (speed
// 0) when its button is released, when the button or the dialog loses the focus, and when the
// dialog closes. The dialog remembers its fields and the last point file in section "Teach" of
// zeq.ini and loads that file again when it opens.
#pragma once

#include <QDialog>
#include <atomic>
#include <string>
#include <vector>

#include "binding/boards.h"
#include "tools/card_worker.h"
#include "tools/common/ui/worker_dialogs.h"
#include "tools/teach/point_list.h"
#include "tools/teach/teach_player.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zeq::desk {
class ShellDialogs;
}

namespace zeq::desk::teach {

class TeachDialog : public QDialog, private TeachObserver {
    Q_OBJECT
  public:
    // `iniPath`: zeq.ini, read here and written when the dialog closes (empty: neither).
    TeachDialog(Boards& boards, int board, ShellDialogs& shell, std::string iniPath,
                QWidget* parent = nullptr);
    ~TeachDialog() override;

    const PointList& points() const { return m_points; }
    QTableWidget* table() const { return m_table; }
    QComboBox* cardList() const { return m_cards; }
    QCheckBox* axisBox(int axis) const { return m_axisBoxes[static_cast<std::size_t>(axis)]; }
    QPushButton* jogButton(int axis, bool plus) const;
    QPushButton* button(const char* text) const;
    bool playing() const { return m_playing; }
    // The settings a card call is made with, as the controls stand.
    TeachSettings settings() const;

    // The buttons (as clicked).
    void record();
    void deleteRow();
    void deleteAll();
    void returnToPoint1();
    void runOrStop();
    void savePoints();
    void loadPoints();
    bool loadPointFile(const QString& path, bool quiet);

    void reject() override;

  signals:
    // The worker has done what was posted so far (record, axis count, playback end).
    void workerReported();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // TeachObserver, on the worker.
    void runningChanged(bool running) override;

    void chooseBoard(int board);
    void setAxisCount(int count);
    void refreshTable();
    void cellEdited(int row, int column);
    void setEditing(bool enabled);
    void startJog(int axis, int direction);
    void stopJog();
    void readSettings();
    void writeSettings() const;
    void post(CardWorker::Task task);
    void report(std::function<void()> onWindowThread);

    Boards& m_boards;
    ShellDialogs& m_shell;
    std::string m_iniPath;
    WorkerDialogs m_dialogs;
    PointList m_points;
    TeachPlayer m_player;
    int m_board = 0;
    int m_axisCount = 0;
    bool m_playing = false;
    QString m_pointFile;
    int m_jogAxis = -1;           // the axis whose button is held, -1 none
    TeachSettings m_jogSettings;  // the settings the held jog started with
    bool m_jogStarted = false;    // worker only: the held jog went out
    std::atomic<bool> m_cancelPlay{false};

    QComboBox* m_cards = nullptr;
    std::vector<QCheckBox*> m_axisBoxes;
    std::vector<QPushButton*> m_jogButtons;  // plus, minus for each axis
    QLineEdit* m_jogSpeed = nullptr;
    QLineEdit* m_pathAccel = nullptr;
    QLineEdit* m_pathDecel = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_loop = nullptr;
    QTableWidget* m_table = nullptr;
    std::vector<QPushButton*> m_buttons;
    QPushButton* m_run = nullptr;
    CardWorker m_worker;  // last: joined before the members its tasks use go away
};

}  // namespace zeq::desk::teach
