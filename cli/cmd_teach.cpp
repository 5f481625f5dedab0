// `zeq teach play POINTS.csv --mode 0|1|2 [--loop]`: teach playback of a saved point list on
// the first board given. The axes taking part are those with a position in any row. Ctrl-C
// (or SIGTERM, SIGHUP) requests the stop as the dialog's "停止" does; the moves already queued
// on the card finish. SIGINT is blocked in every thread and taken with sigtimedwait, so no
// code of ours runs in a signal handler.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "binding/device_binding.h"
#include "commands.h"
#include "interpreter/script_interpreter.h"
#include "stop_signals.h"
#include "tool_session.h"
#include "tools/teach/point_list.h"
#include "tools/teach/teach_player.h"

namespace zeq::cli {
namespace {

namespace th = desk::teach;

class QuietObserver : public th::TeachObserver {
  public:
    void runningChanged(bool) override {}
};

struct TeachArgs {
    std::string action;
    std::string file;
    int mode = 0;
    bool loop = false;
};

int play(const TeachArgs& args) {
    th::PointList points;
    std::string error;
    if (!points.loadCsv(args.file, error)) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    const sigset_t signals = blockStopSignals();  // before any thread starts

    ToolSession session;
    if (!session.open()) return 2;
    th::TeachSettings settings;
    settings.handle = session.handle();
    settings.mode = args.mode;
    settings.loop = args.loop;
    settings.pciCard = desk::deviceBinding().cardType() != 0;
    const int axes = std::min(points.axisCount(), session.axisCount());
    for (int r = 0; r < points.rowCount(); ++r)
        for (int a = 0; a < axes; ++a)
            if (!points.row(r).cells[static_cast<std::size_t>(a)].empty())
                settings.checkedAxes |= 1u << a;

    StdoutDialogs dialogs;
    QuietObserver observer;
    th::TeachPlayer player(dialogs, observer, desk::systemClock());
    std::atomic<bool> done{false};
    bool ok = false;
    std::thread worker([&] {
        ok = player.play(settings, points);
        done = true;
    });
    while (!done) {
        const timespec timeout{0, 20 * 1000000L};
        if (::sigtimedwait(&signals, nullptr, &timeout) > 0) player.requestStop();
    }
    worker.join();
    return ok ? 0 : 1;
}

const bool teachRegistered = registerCommand("teach", [](CLI::App& app) -> Runner {
    auto args = std::make_shared<TeachArgs>();
    CLI::App* sub = app.add_subcommand("teach", "teach playback: play POINTS.csv");
    sub->fallthrough();
    sub->add_option("action", args->action, "play")->required()->check(CLI::IsMember({"play"}));
    sub->add_option("file", args->file, "the point list (CSV)")->required();
    sub->add_option("--mode", args->mode, "0: all axes together, 1: axis by axis, 2: path")
        ->check(CLI::Range(0, 2));
    sub->add_flag("--loop", args->loop, "play the points again and again until Ctrl-C");
    return [args] { return play(*args); };
});

}  // namespace
}  // namespace zeq::cli
