// The watch list: rows of catalogue parameters, each bound to a board and an axis, read from
// the cards by polling passes on the list's worker thread.
//
// Threads. Every member is called on the owner's thread (the window's, or the command line's
// main thread) and never waits for a card: passes and `naxis` reads run on the list's worker.
// The worker reports through WatchObserver and writes the output box through OutputSink.
//
// Polling: start() runs a pass at once; each pass that ends normally re-arms the next one
// `interval` ms after its end, so passes never overlap. stop() ends polling; a pass in progress
// ends after its current row. A ZEQ_ERR_HANDLE status on the last row read stops polling by
// itself, with the output box message.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "tools/card_worker.h"
#include "tools/watch/watch_format.h"

namespace zeq::desk {

// What the list reports from its worker thread.
class WatchObserver {
  public:
    virtual ~WatchObserver() = default;
    // The value cell of `row` now reads `text`.
    virtual void valueChanged(int /*row*/, const std::string& /*text*/) {}
    // A pass ended; `complete`: it went through every row (false: a stop cut it short).
    virtual void passEnded(bool /*complete*/) {}
    // Polling ended by itself (ZEQ_ERR_HANDLE); the list is stopped.
    virtual void pollingEnded() {}
};

// The commands of the list's pop-up menu, by their ids.
enum class WatchCommand : int {
    Start = 32902,
    Add = 32903,
    Hex = 32904,
    Delete = 32905,
    DeleteAll = 32906,
    Stop = 32907,
    Interval = 32934,
};

class WatchList {
  public:
    static constexpr std::chrono::milliseconds kFifoFullRetry{5};

    // `boards` gives the board handle table and the shared axis counts; `clock` the waits of a
    // full FIFO. All must outlive the list.
    WatchList(Boards& boards, OutputSink& output, UserDialogs& dialogs, Clock& clock);
    // Stops polling and waits for the worker's current card call.
    ~WatchList();
    WatchList(const WatchList&) = delete;
    WatchList& operator=(const WatchList&) = delete;

    void setObserver(WatchObserver* observer) { m_observer = observer; }
    // The settings file; empty: nothing is saved.
    void setIniPath(std::string path) { m_iniPath = std::move(path); }

    // ---- Rows ----
    int rowCount() const;
    WatchRow row(int i) const;
    std::string valueText(int i) const;
    // Loads `ListGetTime` and the rows of `ListView` when the list is empty.
    void load();
    // Replaces every row (rows read by the load rule). Refused while polling; does not save.
    bool setRows(std::vector<WatchRow> rows);
    // Saves the rows and the interval.
    bool save() const;
    // Writes the interval alone; the application calls it when it closes, after rewriting
    // `Toolcfg`, so that the interval set survives a restart.
    bool saveInterval() const { return saveWatchInterval(m_iniPath, interval()); }
    // Appends NAME with axis 0 and board 0 and saves. Refused while polling.
    bool addRow(std::string_view name);
    // Refused while polling or with `i` out of range.
    bool deleteRow(int i);
    bool deleteAll();
    // The in-place cells. The axis must be one of axisChoices(i); the board 0..7. A board that
    // is connected gets its axis count read from the card again (on the worker). Refused while
    // polling. Each change saves.
    bool setAxis(int i, int axis);
    bool setBoard(int i, int board);
    // Entries of the axis cell's drop-down: the shared axis count of the row's board when it is
    // connected, else the card type's default.
    int axisChoices(int i) const;
    // The drop-down entry preselected for a cell showing `value`: clamped to the last of `count`.
    static int preselectedEntry(int value, int count) {
        return value < 0 ? 0 : (value < count ? value : count - 1);
    }

    // ---- The add-parameter window ----
    // Add: a name equal to a system parameter's ignoring case is added as typed; otherwise the
    // message. An empty text does nothing. True when a row was added.
    bool addTypedName(std::string_view typed);
    // Delete: the first row whose name equals the text, or the message.
    bool deleteTypedName(std::string_view typed);

    // ---- Display and interval ----
    bool hex() const { return m_hex.load(); }
    void toggleHex() { m_hex = !m_hex.load(); }
    int interval() const { return m_interval.load(); }
    // The interval dialog's OK: a value below 1 is refused with the message.
    bool setInterval(int ms);

    // ---- Polling ----
    bool polling() const { return m_running.load(); }
    // Reads `naxis` of every connected board into the list's axis counts (on the worker), as
    // when the watch box is created.
    void readAxisCounts();
    // Copies the shared axis counts and starts polling. Refused while polling or without rows.
    bool start();
    void stop();
    // Waits until the worker is idle (the command line and the tests).
    void waitIdle() { m_worker.waitIdle(); }

    // Menu enabling. `paneVisible`: the watch box is shown; `rowSelected`: a row is selected.
    bool enabled(WatchCommand command, bool paneVisible, bool rowSelected) const;
    bool checked(WatchCommand command) const { return command == WatchCommand::Hex && hex(); }

  private:
    void runPass(unsigned generation);
    void setValue(int i, unsigned rowsGeneration, const std::string& text);
    int listAxisCount(int board) const;
    void rowsChanged();

    Boards& m_boards;
    OutputSink& m_output;
    UserDialogs& m_dialogs;
    Clock& m_clock;
    WatchObserver* m_observer = nullptr;
    std::string m_iniPath;

    mutable std::mutex m_mutex;  // rows, value texts, the list's axis counts
    std::vector<WatchRow> m_rows;
    std::vector<std::string> m_values;
    unsigned m_rowsGeneration = 0;  // changes with every change of the rows
    std::array<int, Boards::kBoardCount> m_axisCounts{};

    std::atomic<bool> m_hex{false};
    std::atomic<int> m_interval{WatchSettings::kDefaultInterval};
    std::atomic<bool> m_running{false};
    std::atomic<unsigned> m_generation{0};  // of start(); a pass of an older one ends
    CardWorker m_worker;                    // last: joined before the members it uses go
};

}  // namespace zeq::desk
