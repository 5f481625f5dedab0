// The homing dialog "搜寻机械原点": the options of the selected axis's `homeseq` (starting
// direction, switch edge, what follows the home, phase count, the last phase's action, the
// speed of each phase), the speeds and offsets, the 16-bit display and the sequence picture,
// and the buttons that write the setup, start the search and make the current point the
// origin. A thin layer over HomingSetup: every option goes to the core, and the controls show
// what the core holds.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "tools/common/ui/queued_dialogs.h"
#include "tools/homing/homing_setup.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zeq::desk {

class HomingPicture;

class HomingDialog : public QDialog, public HomingObserver {
    Q_OBJECT
  public:
    HomingDialog(Boards& boards, std::function<int()> targetBoard, QWidget* parent = nullptr,
                 UserDialogs* boxes = nullptr);
    ~HomingDialog() override;

    HomingSetup& setup() { return m_setup; }
    QComboBox* boardList() const { return m_board; }
    QComboBox* axisList() const { return m_axis; }
    // The 16 bits of the edited `homeseq`, bit 15 first.
    QLabel* bitsLabel() const { return m_bits; }
    HomingPicture* picture() const { return m_picture; }
    QRadioButton* phasesButton(int n) const { return m_phases[static_cast<size_t>(n - 1)]; }
    QRadioButton* actionButton(int a) const { return m_actions[static_cast<size_t>(a)]; }
    QRadioButton* editPhaseButton(int n) const { return m_editPhase[static_cast<size_t>(n - 1)]; }
    QRadioButton* startNegativeButton() const { return m_negative; }
    QRadioButton* risingEdgeButton() const { return m_rising; }
    QRadioButton* moveAfterHomeButton() const { return m_moveAfter; }
    QRadioButton* highSpeedButton() const { return m_high; }
    QLineEdit* highvelField() const { return m_highvel; }
    QLineEdit* lowvelField() const { return m_lowvel; }
    QPushButton* writeButton() const { return m_write; }
    QPushButton* searchButton() const { return m_search; }
    QPushButton* setHomeButton() const { return m_setHome; }
    void refreshBoards();

    // HomingObserver, on the core's worker.
    void axisLoaded(int board, int axis, bool ok) override;
    void setupWritten(bool ok) override;
    void axisListFilled(int board, const std::vector<std::string>& entries) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    // Places the controls built by build().
    void layOut();
    // Every control from the core's state of the selected axis.
    void showState();
    void commitFields();
    void axisChosen(int index);

    Boards& m_boards;
    std::function<int()> m_targetBoard;
    QueuedDialogs m_boxes;
    QComboBox* m_board = nullptr;
    QComboBox* m_axis = nullptr;
    QRadioButton* m_positive = nullptr;
    QRadioButton* m_negative = nullptr;
    QRadioButton* m_rising = nullptr;
    QRadioButton* m_falling = nullptr;
    QRadioButton* m_stopAfter = nullptr;
    QRadioButton* m_moveAfter = nullptr;
    std::array<QRadioButton*, 3> m_phases{};
    std::array<QRadioButton*, 3> m_actions{};
    std::array<QLabel*, 3> m_actionTexts{};
    std::array<QRadioButton*, 3> m_editPhase{};
    QRadioButton* m_low = nullptr;
    QRadioButton* m_high = nullptr;
    QLineEdit* m_highvel = nullptr;
    QLineEdit* m_lowvel = nullptr;
    QLineEdit* m_homepos = nullptr;
    QLineEdit* m_homeSTpos = nullptr;
    QLabel* m_bits = nullptr;
    HomingPicture* m_picture = nullptr;
    QPushButton* m_write = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_setHome = nullptr;

    HomingSetup m_setup;  // last: its worker has ended before the members above go
};

}  // namespace zeq::desk
