// How long the window's event loop is held up while the device bars work: the largest delay
// of a 10 ms timer (beyond its 10 ms) from the command until the bars are idle again, on
// virtual cards with a USB card's round trip (ZEQLINK_SIM_LATENCY_US=1000, real clock).
//   - a device search while the connected card has been unplugged;
//   - a connect (the open's own traffic, the axis count read).
// Runs on the offscreen platform; the goal is well under 50 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "binding/device_binding.h"
#include "session/session.h"
#include "shell/device_bars.h"
#include "shell/main_window.h"
#include "shell/output_box.h"

namespace {

using zeq::desk::DeviceBars;
using zeq::desk::MainWindow;
using zeq::desk::Session;

class QuietDialogs : public zeq::desk::UserDialogs {
  public:
    void message(std::string_view) override {}
    Answer askYesNo(std::string_view, Answer a) override { return a; }
    Answer askYesNoCancel(std::string_view, Answer a) override { return a; }
};

struct Desk {
    QTemporaryDir home;
    QuietDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    std::unique_ptr<DeviceBars> bars;

    Desk() {
        qputenv("ZEQ_HOME", home.path().toLocal8Bit());
        window = std::make_unique<MainWindow>();
        window->startUp({});
        window->show();
        Session::Setup setup;
        setup.sink = window->outputBox();
        setup.dialogs = &dialogs;
        session = std::make_unique<Session>(setup);
        if (session->open()) bars = zeq::desk::installDeviceBars(*window, *session);
        // The first paint (fonts, styles) is not the bars' doing: get it over with first.
        window->grab();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ~Desk() {
        bars.reset();
        session.reset();
        window.reset();
    }
};

// Runs `command` and the event loop until the bars are idle; returns the largest lateness of
// a 10 ms timer meanwhile, in milliseconds.
double maxTimerDelayMs(DeviceBars& bars, const std::function<void()>& command) {
    QEventLoop loop;
    QObject::connect(&bars, &DeviceBars::idle, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last - 10'000'000);
        last = now;
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        tick.start();
        command();
    });
    loop.exec();
    // The last period up to the end counts too.
    worst = std::max(worst, clock.nsecsElapsed() - last - 10'000'000);
    return static_cast<double>(worst) / 1e6;
}

void setUsbTiming() {
    ::setenv("ZEQLINK_SIM", "2", 1);
    ::setenv("ZEQLINK_SIM_CLOCK", "real", 1);
    ::setenv("ZEQLINK_SIM_LATENCY_US", "1000", 1);
}

// The connected card vanishes after its open; the search closes it (which fails) and lists
// the devices again.
void BM_SearchWithUnpluggedCard(benchmark::State& state) {
    setUsbTiming();
    ::setenv("ZEQLINK_SIM_FAULTS", "unplug=0", 1);
    Desk d;
    if (!d.bars) {
        state.SkipWithError("no device library");
        return;
    }
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        maxTimerDelayMs(*d.bars, [&] { d.bars->toggleConnection(0); });
        state.ResumeTiming();
        worst = std::max(worst, maxTimerDelayMs(*d.bars, [&] { d.bars->search(); }));
    }
    ::unsetenv("ZEQLINK_SIM_FAULTS");
    state.counters["max_delay_ms"] = worst;
}
BENCHMARK(BM_SearchWithUnpluggedCard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ConnectUnderWay(benchmark::State& state) {
    setUsbTiming();
    Desk d;
    if (!d.bars) {
        state.SkipWithError("no device library");
        return;
    }
    double worst = 0;
    for (auto _ : state) {
        worst = std::max(worst, maxTimerDelayMs(*d.bars, [&] { d.bars->toggleConnection(0); }));
        state.PauseTiming();
        maxTimerDelayMs(*d.bars, [&] { d.bars->toggleConnection(0); });  // disconnect
        state.ResumeTiming();
    }
    state.counters["max_delay_ms"] = worst;
}
BENCHMARK(BM_ConnectUnderWay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
