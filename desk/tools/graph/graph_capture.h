// One graph capture: X and up to three Y parameters of one board polled on the capture's
// worker into a buffer of `depth` sample slots.
//
// Threads. start(), stop() and the readers are called on the owner's thread and never wait for a
// card. The worker reports through GraphObserver and shows its messages through UserDialogs
// (the window queues both to its own thread).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "tools/card_worker.h"
#include "tools/graph/graph_settings.h"

namespace zeq::desk {

// A parameter of the capture: a catalogue name and an axis (-1: none chosen).
struct GraphParam {
    std::string name;
    int axis = -1;
};

struct GraphRequest {
    int board = 0;
    GraphParam x;
    std::array<GraphParam, 3> y;
    std::array<bool, 3> yUsed{true, false, false};  // Y1 is checked when the dialog opens
    std::int32_t low = 0;
    std::int32_t high = 5120;
    int depth = 512;
};

// The cursor field's readout over `samples`: the Y1 value of the first sample whose X equals
// `x` and whose Y1 was read, or "----".
std::string graphCursorText(const std::vector<GraphSample>& samples, std::int64_t x);

class GraphObserver {
  public:
    virtual ~GraphObserver() = default;
    // The capture started polling over [low, high]: "刷新" off, caption "停止", progress text.
    virtual void captureStarted(std::int32_t /*low*/, std::int32_t /*high*/) {}
    // Sample slot `index` was taken (repaint, at most once per frame).
    virtual void sampleTaken(int /*index*/) {}
    // The capture ended (also after a refusal on the worker): "刷新" on, caption "重画".
    // `full`: it ran to its depth.
    virtual void captureEnded(bool /*full*/) {}
    // The axis lists of a board: 0 … `naxis` - 1 (fillAxisLists, "刷新").
    virtual void axisListsFilled(int /*board*/, int /*axisCount*/) {}
};

class GraphCapture {
  public:
    static constexpr int kMaxDepth = 1 << 24;

    GraphCapture(Boards& boards, UserDialogs& dialogs);
    ~GraphCapture();
    GraphCapture(const GraphCapture&) = delete;
    GraphCapture& operator=(const GraphCapture&) = delete;

    void setObserver(GraphObserver* observer) { m_observer = observer; }

    // The "画图" button while no capture runs. Low = high is refused with the message; a low above
    // the high value is swapped. False when refused or a capture runs.
    bool start(GraphRequest request);
    // Fills the axis lists of `board` from its `naxis` (board change, "刷新").
    void fillAxisLists(int board);
    // The "停止" button: the capture ends after its current poll.
    void stop() { m_running = false; }
    bool running() const { return m_running.load(); }
    // Waits until the worker is idle (the command line and the tests).
    void waitIdle() { m_worker.waitIdle(); }

    // The range of the last capture, low <= high.
    std::int32_t low() const { return m_low.load(); }
    std::int32_t high() const { return m_high.load(); }
    int sampleCount() const { return m_count.load(); }
    // The sample slots taken so far, from slot `first` on.
    std::vector<GraphSample> samples(int first = 0) const;
    // The cursor field: the Y1 value of the first sample whose X equals `x`, or "----".
    std::string cursorText(std::int64_t x) const;

  private:
    struct Selector {
        int address = 0;
        int kind = 0;
        int axis = 0;
    };
    void capture(GraphRequest request);
    bool resolve(const GraphParam& p, Selector& out);
    int read(ZEQ_HANDLE h, const Selector& s, std::int64_t& value);

    Boards& m_boards;
    UserDialogs& m_dialogs;
    GraphObserver* m_observer = nullptr;

    std::atomic<bool> m_running{false};
    std::atomic<std::int32_t> m_low{0};
    std::atomic<std::int32_t> m_high{0};
    std::atomic<int> m_count{0};
    mutable std::mutex m_mutex;  // the buffer
    std::vector<GraphSample> m_buffer;
    CardWorker m_worker;
};

}  // namespace zeq::desk
