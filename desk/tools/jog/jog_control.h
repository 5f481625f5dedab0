// The jog dialog's core: the checks of a jog, and the start/stop logic a widget drives.
//
// Press a jog button -> press(direction): checked, then the axis starts. Every way the press can
// end -> release(): the mouse button released anywhere, the dialog losing focus or closing, the
// application deactivated. release() is idempotent, and the destructor releases too, so a button
// that sticks never leaves an axis running.
//
// Threads. Every member is called on the owner's thread and never waits for a card: the card
// calls run in order on the jog's worker (a stop always goes out after its start). The worker
// reports through JogObserver and shows failures through UserDialogs.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "tools/card_worker.h"

namespace zeq::desk {

// The jog value 65536 * speed * distance factor / time factor must lie in this range, both
// ends included.
inline constexpr double kJogLimit = 536870912.0;

enum class JogCheck { Ok, NoBoard, NotOpen, ZeroSpeed, ZeroTime, ZeroDist, OutOfRange };
// The checks of a jog, in their order. `board` -1: none selected; `open`: a device is connected
// as the board.
JogCheck checkJog(int board, bool open, double speed, double distFactor, double timeFactor);
// The message of a failed check ("" for Ok).
const char* jogCheckText(JogCheck check);
// A factor as the dialog shows it: "%.8lf".
std::string formatJogFactor(double factor);

class JogObserver {
  public:
    virtual ~JogObserver() = default;
    // The time factor and the axis's distance factor read back after a board or axis change
    // (texts "%.8lf"); the speed field goes back to 10.0.
    virtual void factorsRead(const std::string& /*timeFactor*/, const std::string& /*distFactor*/) {
    }
    // The jog ended: both buttons up, the mouse capture released.
    virtual void jogReleased() {}
    // The axis list of a board: "轴 0" … (fillAxisList).
    virtual void axisListFilled(int /*board*/, const std::vector<std::string>& /*entries*/) {}
};

class JogControl {
  public:
    static constexpr double kDefaultSpeed = 10.0;
    enum class Direction { Positive, Negative };

    JogControl(Boards& boards, UserDialogs& dialogs);
    ~JogControl();
    JogControl(const JogControl&) = delete;
    JogControl& operator=(const JogControl&) = delete;

    void setObserver(JogObserver* observer) { m_observer = observer; }

    // Board (-1 for none) and axis; a change reads the factors back and resets the speed.
    void select(int board, int axis);
    int board() const { return m_board; }
    int axis() const { return m_axis; }
    double speed() const { return m_speed; }
    void setSpeed(double v) { m_speed = v; }
    double distFactor() const { return m_dist.load(); }
    double timeFactor() const { return m_time.load(); }
    void setDistFactor(double v) { m_dist = v; }
    void setTimeFactor(double v) { m_time = v; }

    // Fills the axis list of `board`: `naxis` from the card when it is connected, else the
    // count remembered for the board (reported through the observer).
    void fillAxisList(int board);

    // A jog button pressed. False (after the message) when a check fails or a jog runs.
    bool press(Direction direction);
    // Stops the jog when one runs (velocity 0 on the jogging axis).
    void release();
    void focusLost() { release(); }
    void closed() { release(); }
    void applicationDeactivated() { release(); }
    bool jogging() const { return m_jogging; }

    void waitIdle() { m_worker.waitIdle(); }

  private:
    Boards& m_boards;
    UserDialogs& m_dialogs;
    JogObserver* m_observer = nullptr;
    int m_board = -1;
    int m_axis = 0;
    double m_speed = kDefaultSpeed;
    std::atomic<double> m_dist{1.0};  // read back from the card on the worker
    std::atomic<double> m_time{1.0};
    bool m_jogging = false;
    ZEQ_HANDLE m_jogHandle = 0;  // the board's device when the jog started
    int m_jogAxis = 0;
    CardWorker m_worker;
};

}  // namespace zeq::desk
