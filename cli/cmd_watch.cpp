// `zeq watch ROW... [--hex] [--interval MS] [--passes N]`: the watch list's polling passes on the
// connected boards. ROW is a watch row as the settings file keeps it, NAME:AXIS:BOARD. After
// each pass one line per row, "ROW<TAB>CELL", CELL being the value cell's text; the output box
// messages go to stdout as pane text. Without --passes it polls until Ctrl-C (or SIGTERM,
// SIGHUP). Exit 1 when polling ended by itself (an invalid handle), else 0.
#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "commands.h"
#include "interpreter/script_interpreter.h"
#include "stop_signals.h"
#include "tool_session.h"
#include "tools/watch/watch_list.h"

namespace zeq::cli {
namespace {

struct WatchOptions {
    std::vector<std::string> rows;
    bool hex = false;
    int interval = desk::WatchSettings::kDefaultInterval;
    int passes = 0;  // 0: until a signal
};

// Prints each complete pass and stops the list after the passes asked for.
class PassPrinter : public desk::WatchObserver {
  public:
    PassPrinter(desk::WatchList& list, std::vector<std::string> labels, int passes)
        : m_list(list), m_labels(std::move(labels)), m_passes(passes) {}

    void passEnded(bool complete) override {
        if (!complete) return;
        std::string text;
        for (int i = 0; i < static_cast<int>(m_labels.size()); ++i)
            text += m_labels[i] + "\t" + m_list.valueText(i) + "\n";
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        std::lock_guard lock(m_mutex);
        if (m_passes > 0 && ++m_done >= m_passes) {
            m_list.stop();
            m_finished = true;
            m_wake.notify_all();
        }
    }
    void pollingEnded() override {
        std::lock_guard lock(m_mutex);
        m_endedByItself = true;
        m_finished = true;
        m_wake.notify_all();
    }
    bool finished() {
        std::lock_guard lock(m_mutex);
        return m_finished;
    }
    bool endedByItself() {
        std::lock_guard lock(m_mutex);
        return m_endedByItself;
    }

  private:
    desk::WatchList& m_list;
    std::vector<std::string> m_labels;
    int m_passes;
    int m_done = 0;
    bool m_finished = false;
    bool m_endedByItself = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

int runWatch(const WatchOptions& o) {
    std::vector<desk::WatchRow> rows;
    std::vector<std::string> labels;
    for (const std::string& text : o.rows) {
        desk::WatchRow row;
        if (!desk::parseWatchRow(text, row) || row.name.empty()) {
            std::fprintf(stderr, "zeq: not a watch row (NAME:AXIS:BOARD): %s\n", text.c_str());
            return 2;
        }
        labels.push_back(desk::watchRowText(row));
        rows.push_back(std::move(row));
    }
    if (o.passes < 0) {
        std::fprintf(stderr, "zeq: --passes must be 1 or more\n");
        return 2;
    }

    const sigset_t signals = blockStopSignals();  // before any thread starts

    ToolSession session;
    if (!session.open()) return 2;
    desk::WatchList list(session.boards(), session.sink(), session.dialogs(), desk::systemClock());
    if (!list.setInterval(o.interval)) return 2;
    list.setRows(std::move(rows));
    if (list.hex() != o.hex) list.toggleHex();
    PassPrinter printer(list, labels, o.passes);
    list.setObserver(&printer);
    if (!list.start()) return 2;

    const timespec tick{0, 20 * 1000000L};
    while (!printer.finished()) {
        if (::sigtimedwait(&signals, nullptr, &tick) > 0) break;
    }
    list.stop();
    list.waitIdle();
    list.setObserver(nullptr);
    return printer.endedByItself() ? 1 : 0;
}

const bool watchRegistered = registerCommand("watch", [](CLI::App& app) -> Runner {
    auto o = std::make_shared<WatchOptions>();
    CLI::App* sub = app.add_subcommand(
        "watch", "poll parameters as the watch list does (ROW = NAME:AXIS:BOARD)");
    sub->add_option("ROW", o->rows, "watch rows NAME:AXIS:BOARD")->required();
    sub->add_flag("--hex", o->hex, "hexadecimal display");
    sub->add_option("--interval", o->interval, "ms from the end of a pass to the next (>= 1)");
    sub->add_option("--passes", o->passes, "passes to run (default: until Ctrl-C)");
    sub->fallthrough();
    return [o] { return runWatch(*o); };
});

}  // namespace
}  // namespace zeq::cli
