// The teach dialog without the window: jog, record, return to point 1, and playback of the
// point list in three modes.
//
//   mode 0  all checked axes together: ZEQ_LinearNA over the distances from the previous
//           point, a wait on the master's `moving`, then ZEQ_Gearout for the axes of the move;
//   mode 1  each checked axis by itself, in axis order: ZEQ_SetMCSmaxvel, ZEQ_MoveAbsolute and
//           a wait on its `moving`, so the next axis starts when this one has stopped;
//   mode 2  one straight path segment per row through the path planner (1 to 3 axes).
//
// Every motion command goes through the queue FIFO; a call that reports a full FIFO (8) is
// repeated while no stop is requested. "循环运行" starts again at the first row after the last.
//
// Choices this implementation settles:
//   - An empty cell means the axis takes no part in that row (a row recorded with no axis
//     checked moves nothing); a cell with any character other than digits, "." and "-" ends
//     the playback with "位置信息中包含有其他非数字字符!".
//   - Mode 0 with a single axis moving in a row: the line of one axis is an absolute move to
//     the row's point (ZEQ_SetMCSmaxvel with the row's speed, ZEQ_MoveAbsolute to the point,
//     then the wait on its `moving`) instead of ZEQ_LinearNA, which would only gear nothing to
//     it; the point (not the distance) keeps the axis on the taught position even when an
//     earlier move fell short.
//   - Mode 2 while the at-point-1 flag is clear: the first segment is the approach from where
//     the axes stand to point 1; it is added with the row's speed and an end speed of 0, and
//     (our line command has no start speed) the segment after it therefore starts from rest.
//     With the flag set the axes already stand on point 1, so the first row adds nothing.
//     A row at the position of the previous one (zero length) adds nothing either.
//
// Threads: jog, record and returnToPoint1 call the card and belong on a worker in the window
// (they are short immediate-FIFO calls); play() runs on the playback worker. `dialogs` and the
// observer are called on the calling thread. requestStop() and the flags may be used from any
// thread.
#pragma once

#include <atomic>
#include <functional>

#include "binding/device_types.h"
#include "core/interfaces.h"
#include "tools/teach/point_list.h"

namespace zeq::desk::teach {

class TeachObserver {
  public:
    virtual ~TeachObserver() = default;
    // Playback started (controls disabled, caption "停止") or ended (enabled, "运行").
    virtual void runningChanged(bool running) = 0;
    // Rows were appended (record).
    virtual void rowsChanged() {}
};

struct TeachSettings {
    ZEQ_HANDLE handle = 0;
    unsigned checkedAxes = 0;  // bit n: axis n takes part
    double jogSpeed = 1.0;
    double pathAccel = 100.0;
    double pathDecel = 100.0;
    int mode = 0;  // 0, 1, 2
    bool loop = false;
    bool pciCard = false;
    bool checked(int axis) const { return (checkedAxes >> axis) & 1u; }
};

class TeachPlayer {
  public:
    TeachPlayer(UserDialogs& dialogs, TeachObserver& observer, Clock& clock)
        : m_dialogs(dialogs), m_observer(observer), m_clock(clock) {}

    // Jog: direction +1, -1, or 0 (button released). True when the command went out.
    bool jog(const TeachSettings& s, int axis, int direction);
    // Appends a row with the actual positions of the checked axes ("%.4lf").
    bool record(const TeachSettings& s, PointList& points);
    bool returnToPoint1(const TeachSettings& s, const PointList& points);

    // The Run button: while playback runs it requests the stop; otherwise asks "是否从当前
    // 位置开始?" and returns true when the playback may start (the caller starts the worker).
    bool runButton(UserDialogs& dialogs);
    // The playback (worker). Returns true when every row was played (or the stop ended it).
    bool play(const TeachSettings& s, const PointList& points);

    void requestStop() { m_stop = true; }
    bool running() const { return m_running; }
    bool atPoint1() const { return m_atPoint1; }

  private:
    // Repeats the call while it reports a full FIFO and no stop is requested.
    int retry(const std::function<int()>& call);
    bool fail(int status);
    bool playMode1(const TeachSettings& s, const PointList& points);
    bool playMode0(const TeachSettings& s, const PointList& points);
    bool playMode2(const TeachSettings& s, const PointList& points);
    bool moveOneAxis(const TeachSettings& s, int axis, double position, double speed);

    UserDialogs& m_dialogs;
    TeachObserver& m_observer;
    Clock& m_clock;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_atPoint1{false};
};

}  // namespace zeq::desk::teach
