#include "tools/watch/watch_list.h"

#include <algorithm>
#include <cstdio>

#include "binding/device_wrappers.h"
#include "card/names.h"
#include "catalogue/param_catalogue.h"
#include "tools/watch/watch_messages.h"

namespace zeq::desk {
namespace {

std::string formatted(const char* format, std::string_view arg) {
    const std::string a(arg);
    const int n = std::snprintf(nullptr, 0, format, a.c_str());
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::snprintf(out.data(), out.size() + 1, format, a.c_str());
    return out;
}

bool isSystemName(std::string_view name) {
    for (const ParamRow& r : systemParamRows()) {
        if (card::equals_ignore_case(r.nameView(), name)) return true;
    }
    return false;
}

}  // namespace

WatchList::WatchList(Boards& boards, OutputSink& output, UserDialogs& dialogs, Clock& clock)
    : m_boards(boards), m_output(output), m_dialogs(dialogs), m_clock(clock) {
    for (int b = 0; b < Boards::kBoardCount; ++b) m_axisCounts[b] = m_boards.axisCount(b);
}

WatchList::~WatchList() {
    m_running = false;
    m_worker.cancelPending();
}

int WatchList::rowCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_rows.size());
}

WatchRow WatchList::row(int i) const {
    std::lock_guard lock(m_mutex);
    return i >= 0 && i < static_cast<int>(m_rows.size()) ? m_rows[i] : WatchRow{};
}

std::string WatchList::valueText(int i) const {
    std::lock_guard lock(m_mutex);
    return i >= 0 && i < static_cast<int>(m_values.size()) ? m_values[i] : std::string();
}

void WatchList::load() {
    if (rowCount() > 0) return;
    WatchSettings s = loadWatchSettings(m_iniPath);
    m_interval = s.interval;
    setRows(std::move(s.rows));
}

bool WatchList::setRows(std::vector<WatchRow> rows) {
    if (polling()) return false;
    std::lock_guard lock(m_mutex);
    m_rows = std::move(rows);
    m_values.assign(m_rows.size(), std::string());
    ++m_rowsGeneration;
    return true;
}

bool WatchList::save() const {
    WatchSettings s;
    {
        std::lock_guard lock(m_mutex);
        s.rows = m_rows;
    }
    s.interval = m_interval.load();
    return saveWatchSettings(m_iniPath, s);
}

void WatchList::rowsChanged() {
    ++m_rowsGeneration;
    m_values.resize(m_rows.size());
}

bool WatchList::addRow(std::string_view name) {
    if (polling()) return false;
    {
        std::lock_guard lock(m_mutex);
        m_rows.push_back({std::string(name), 0, 0});
        rowsChanged();
    }
    save();
    return true;
}

bool WatchList::deleteRow(int i) {
    if (polling()) return false;
    {
        std::lock_guard lock(m_mutex);
        if (i < 0 || i >= static_cast<int>(m_rows.size())) return false;
        m_rows.erase(m_rows.begin() + i);
        m_values.erase(m_values.begin() + i);
        rowsChanged();
    }
    save();
    return true;
}

bool WatchList::deleteAll() {
    if (polling()) return false;
    {
        std::lock_guard lock(m_mutex);
        if (m_rows.empty()) return false;
        m_rows.clear();
        m_values.clear();
        rowsChanged();
    }
    save();
    return true;
}

int WatchList::axisChoices(int i) const {
    const int board = row(i).board;
    if (board >= 0 && board < Boards::kBoardCount && m_boards.handle(board) != 0)
        return m_boards.axisCount(board);
    return m_boards.defaultAxisCount();
}

bool WatchList::setAxis(int i, int axis) {
    if (polling() || axis < 0 || axis >= std::max(1, axisChoices(i))) return false;
    {
        std::lock_guard lock(m_mutex);
        if (i < 0 || i >= static_cast<int>(m_rows.size())) return false;
        m_rows[i].axis = axis;
        ++m_rowsGeneration;
    }
    save();
    return true;
}

bool WatchList::setBoard(int i, int board) {
    if (polling() || board < 0 || board >= Boards::kBoardCount) return false;
    {
        std::lock_guard lock(m_mutex);
        if (i < 0 || i >= static_cast<int>(m_rows.size())) return false;
        m_rows[i].board = board;
        ++m_rowsGeneration;
    }
    const ZEQ_HANDLE h = m_boards.handle(board);
    if (h != 0) {
        m_worker.post([this, h, board] {
            const int n = readAxisCount(h);
            if (n <= 0) return;
            std::lock_guard lock(m_mutex);
            m_axisCounts[board] = n;
        });
    }
    save();
    return true;
}

bool WatchList::addTypedName(std::string_view typed) {
    if (typed.empty()) return false;
    if (!isSystemName(typed)) {
        m_dialogs.message(formatted(watch_text::kNotSystemParam, typed));
        return false;
    }
    return addRow(typed);
}

bool WatchList::deleteTypedName(std::string_view typed) {
    if (typed.empty() || polling()) return false;
    int found = -1;
    {
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].name == typed) {
                found = static_cast<int>(i);
                break;
            }
        }
    }
    if (found < 0) {
        m_dialogs.message(formatted(watch_text::kNothingToDelete, typed));
        return false;
    }
    return deleteRow(found);
}

bool WatchList::setInterval(int ms) {
    if (ms < 1) {
        m_dialogs.message(watch_text::kIntervalTooSmall);
        return false;
    }
    m_interval = ms;
    return true;
}

void WatchList::readAxisCounts() {
    for (int b = 0; b < Boards::kBoardCount; ++b) {
        const ZEQ_HANDLE h = m_boards.handle(b);
        if (h == 0) continue;
        m_worker.post([this, h, b] {
            const int n = readAxisCount(h);
            if (n <= 0) return;
            std::lock_guard lock(m_mutex);
            m_axisCounts[b] = n;
        });
    }
}

int WatchList::listAxisCount(int board) const {
    std::lock_guard lock(m_mutex);
    return m_axisCounts[board];
}

bool WatchList::start() {
    if (polling() || rowCount() == 0) return false;
    {
        std::lock_guard lock(m_mutex);
        for (int b = 0; b < Boards::kBoardCount; ++b) m_axisCounts[b] = m_boards.axisCount(b);
    }
    const unsigned generation = ++m_generation;
    m_running = true;
    m_worker.post([this, generation] { runPass(generation); });
    return true;
}

void WatchList::stop() {
    m_running = false;
    m_worker.cancelPending();  // the re-armed pass, if one waits for its interval
}

bool WatchList::enabled(WatchCommand command, bool paneVisible, bool rowSelected) const {
    const bool running = polling();
    const bool empty = rowCount() == 0;
    switch (command) {
        case WatchCommand::Start: {
            // Both card types: the list works with the USB card as well.
            bool anyBoard = false;
            for (int b = 0; b < Boards::kBoardCount; ++b) anyBoard = anyBoard || m_boards.handle(b);
            return !running && paneVisible && !empty && anyBoard;
        }
        case WatchCommand::Stop:
            return running;
        case WatchCommand::Add:
            return !running;
        case WatchCommand::Delete:
            return !running && !empty && rowSelected;
        case WatchCommand::DeleteAll:
            return !running && !empty;
        case WatchCommand::Hex:
        case WatchCommand::Interval:
            return true;
    }
    return false;
}

void WatchList::setValue(int i, unsigned rowsGeneration, const std::string& text) {
    {
        std::lock_guard lock(m_mutex);
        // Rows changed after a stop while this pass finished its row: the index is stale.
        if (rowsGeneration != m_rowsGeneration || i >= static_cast<int>(m_values.size())) return;
        m_values[i] = text;
    }
    if (m_observer) m_observer->valueChanged(i, text);
}

// One polling pass over every row, in order (runs on the worker).
void WatchList::runPass(unsigned generation) {
    auto live = [&] { return m_running.load() && m_generation.load() == generation; };
    if (!live()) return;
    std::vector<WatchRow> rows;
    unsigned rowsGeneration;
    {
        std::lock_guard lock(m_mutex);
        rows = m_rows;
        rowsGeneration = m_rowsGeneration;
    }
    int status = ZEQ_OK;
    std::string lastName;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const WatchRow& r = rows[i];
        const int board = std::max(r.board, 0);
        const ZEQ_HANDLE h = board < Boards::kBoardCount ? m_boards.handle(board) : 0;
        if (h == 0) {
            setValue(i, rowsGeneration, watch_text::kNoDevice);
            continue;
        }
        if (r.axis < 0 || r.axis > listAxisCount(board) - 1) {
            setValue(i, rowsGeneration, watch_text::kBadAxis);
            continue;
        }
        ParamRow p{};
        if (paramCatalogue().findByName(r.name, &p) < 0) {
            setValue(i, rowsGeneration, watch_text::kBadName);
            continue;
        }
        lastName = std::string(p.nameView());
        for (;;) {
            std::int64_t value = 0;
            if (p.kind == kKindUInt32 || p.kind == kKindInt32) {
                value = myReadParam(h, r.axis, p.address, &status);
            } else if (p.kind == kKindInt48) {
                status = myReadParamDouble(h, r.axis, p.address, &value);
            } else {
                value = myReadParamWord(h, r.axis, p.address, &status);
            }
            if (status == ZEQ_ERR_FIFO_FULL) {
                // The card's command FIFO is half full: try the row again a little later,
                // unless polling was stopped meanwhile.
                setValue(i, rowsGeneration, std::string());
                m_clock.sleepFor(kFifoFullRetry);
                if (!live()) {
                    if (m_observer) m_observer->passEnded(false);
                    return;
                }
                continue;
            }
            setValue(i, rowsGeneration,
                     status != ZEQ_OK ? std::string(watch_text::kReadError)
                                      : formatWatchValue(value, p.kind, m_hex.load()));
            break;
        }
        if (!live()) {
            if (m_observer) m_observer->passEnded(false);
            return;
        }
    }
    if (status == ZEQ_ERR_HANDLE) {
        m_output.append(formatted(watch_text::kCannotRead, lastName));
        m_running = false;
        if (m_observer) {
            m_observer->passEnded(true);
            m_observer->pollingEnded();
        }
        return;
    }
    if (status == ZEQ_ERR_CHECKSUM) m_output.append(watch_text::kChecksumError);
    if (m_observer) m_observer->passEnded(true);
    if (!live()) return;
    m_worker.postAfter(std::chrono::milliseconds(m_interval.load()),
                       [this, generation] { runPass(generation); });
}

}  // namespace zeq::desk
