// The jog dialog "点动": board and axis lists, speed, distance and time factors, and the two
// jog buttons that run the axis while the mouse button is held on them. A thin layer over
// JogControl. A jog ends, with velocity 0 on the axis, when the mouse button is released
// anywhere (the dialog holds the mouse while jogging), when the dialog loses the focus, is
// hidden or closed, and when the application is deactivated.
#pragma once

#include <QDialog>
#include <functional>

#include "tools/common/ui/queued_dialogs.h"
#include "tools/jog/jog_control.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zeq::desk {

class JogDialog : public QDialog, public JogObserver {
    Q_OBJECT
  public:
    // `targetBoard`: the board the tools act on (-1: none), preselected in the board list.
    // `boxes` non-null: messages go there (tests).
    JogDialog(Boards& boards, std::function<int()> targetBoard, QWidget* parent = nullptr,
              UserDialogs* boxes = nullptr);
    ~JogDialog() override;

    JogControl& control() { return m_jog; }
    QComboBox* boardList() const { return m_board; }
    QComboBox* axisList() const { return m_axis; }
    QLineEdit* speedField() const { return m_speed; }
    QLineEdit* distField() const { return m_dist; }
    QLineEdit* timeField() const { return m_time; }
    QPushButton* jogButton(JogControl::Direction d) const {
        return d == JogControl::Direction::Positive ? m_positive : m_negative;
    }
    // Refills the board list (the target board first) and the axis list.
    void refreshBoards();

    // JogObserver, on the jog's worker.
    void factorsRead(const std::string& timeFactor, const std::string& distFactor) override;
    void jogReleased() override;
    void axisListFilled(int board, const std::vector<std::string>& entries) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void startJog(JogControl::Direction direction);
    // Every way a jog ends: velocity 0, both buttons up, the mouse let go.
    void stopJog();
    void selectionChanged();
    double fieldValue(const QLineEdit* field) const;

    Boards& m_boards;
    std::function<int()> m_targetBoard;
    QueuedDialogs m_boxes;
    QComboBox* m_board = nullptr;
    QComboBox* m_axis = nullptr;
    QLineEdit* m_speed = nullptr;
    QLineEdit* m_dist = nullptr;
    QLineEdit* m_time = nullptr;
    QPushButton* m_positive = nullptr;
    QPushButton* m_negative = nullptr;
    QMetaObject::Connection m_appState;

    // Last: goes first, and its destructor sends the last stop before the members above go.
    JogControl m_jog;
};

}  // namespace zeq::desk
