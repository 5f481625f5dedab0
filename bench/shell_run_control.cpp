// Run control in the window (offscreen), on a virtual card with USB timing (real clock, 1 ms
// modelled latency per bridge call):
//
// - BM_EmergencyStopToWire: from the emergency-stop action to the `emstop` write on the wire,
//   while a run streams parameter writes. The wire is watched through ZEQLINK_TRACE pointed at
//   a named pipe, read by a thread that stamps each line as it comes. The goal is one exchange
//   (counter exchange_ms: one immediate parameter write, measured on the idle card) plus 5 ms.
// - BM_EventLoopLatencyWhilePrinting: the longest delay of a 10 ms timer of the window's
//   event loop while a script prints a line per statement as fast as it can, with the output
//   pane's line count and the text waiting for it (both bounded by the pane's clearing limit)
//   and the growth of the process's resident memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "binding/device_binding.h"
#include "session/session.h"
#include "shell/command_ids.h"
#include "shell/main_window.h"
#include "shell/output_box.h"
#include "shell/run_control.h"
#include "shell/source_editor.h"

namespace {

using namespace zeq::desk;
using Clock = std::chrono::steady_clock;

// The write of 0xFFFF to `emstop` (500) of axis 0 through the immediate FIFO.
constexpr char kEmstopFrame[] = "W 80 05 F4 81 FF FF F3 81";

constexpr char kStream[] =
    "var i\nmain\n\ti = 0\n\twhile i >= 0 do\n\t\twr mcstgpos, i, 0\n\t\ti = i + 1\n\twend\nend\n";
constexpr char kPrint[] =
    "var i\nmain\n\ti = 0\n\twhile i >= 0 do\n\t\ti = i + 1\n\t\tmg line &i\n\twend\nend\n";

class QuietDialogs : public UserDialogs {
  public:
    void message(std::string_view) override {}
    Answer askYesNo(std::string_view, Answer d) override { return d; }
    Answer askYesNoCancel(std::string_view, Answer d) override { return d; }
};

// Reads the trace pipe line by line and stamps what matters.
class WireWatch {
  public:
    explicit WireWatch(std::string path) : m_path(std::move(path)) {
        m_thread = std::thread([this] { readLoop(); });
    }
    ~WireWatch() {
        m_thread.detach();  // blocked in a read of the pipe until the process ends
    }
    std::atomic<long> writes{0};
    std::atomic<bool> armed{false};
    std::atomic<bool> seen{false};
    std::atomic<Clock::rep> seenAt{0};

  private:
    void readLoop() {
        std::FILE* f = std::fopen(m_path.c_str(), "r");
        if (!f) return;
        char line[512];
        while (std::fgets(line, sizeof line, f)) {
            if (line[0] != 'W') continue;
            ++writes;
            if (armed && !seen && std::strncmp(line, kEmstopFrame, sizeof kEmstopFrame - 1) == 0) {
                seenAt = Clock::now().time_since_epoch().count();
                seen = true;
            }
        }
    }
    std::string m_path;
    std::thread m_thread;
};

struct Rig {
    QTemporaryDir home;
    std::unique_ptr<WireWatch> wire;
    QuietDialogs dialogs;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<Session> session;
    std::unique_ptr<RunControl> run;
    bool ok = false;

    Rig() {
        qputenv("ZEQ_HOME", home.path().toLocal8Bit());
        qputenv("ZEQLINK_SIM", "1");
        qputenv("ZEQLINK_SIM_CLOCK", "real");
        if (qEnvironmentVariableIsEmpty("ZEQLINK_SIM_LATENCY_US"))
            qputenv("ZEQLINK_SIM_LATENCY_US", "1000");
        const std::string pipe = home.filePath(QStringLiteral("trace.pipe")).toStdString();
        if (::mkfifo(pipe.c_str(), 0600) != 0) return;
        qputenv("ZEQLINK_TRACE", QByteArray::fromStdString(pipe));
        wire = std::make_unique<WireWatch>(pipe);
        window = std::make_unique<MainWindow>();
        window->startUp({});
        window->show();
        Session::Setup setup;
        setup.sink = window->outputBox();
        setup.dialogs = &dialogs;
        session = std::make_unique<Session>(setup);
        if (!session->open()) return;
        run = installRunControl(*window, *session);
        if (session->boards().connectDevice(0, 0) != 0) return;
        session->setTargetBoard(0);
        ok = true;
    }
    ~Rig() {
        run.reset();
        session.reset();
        window.reset();
    }
    void open(const char* name, const char* text) {
        const QString path = home.filePath(QString::fromLatin1(name));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write(text);
        f.close();
        window->loadDocument(path);
    }
    // Runs the event loop until `done` or `limit`.
    template <typename Done>
    bool pumpUntil(Done done, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done() || Clock::now() > end) loop.quit();
        });
        poll.start(1);
        loop.exec();
        return done();
    }
    void endRun() {
        if (session->controller().isRunning()) window->action(cmd::kStop)->trigger();
        pumpUntil([this] { return !session->controller().isRunning(); }, std::chrono::seconds(10));
    }
};

std::unique_ptr<Rig> g_rig;
Rig& rig() {
    if (!g_rig) g_rig = std::make_unique<Rig>();
    return *g_rig;
}

// One immediate parameter write on the idle card, in milliseconds.
double exchangeMs(Rig& r) {
    DevicePort& port = r.session->port();
    const std::uint32_t h = r.session->boards().handle(0);
    constexpr int kWrites = 20;
    const auto t0 = Clock::now();
    for (int i = 0; i < kWrites; ++i) port.writeParam16(h, 0, 501, 0, false);
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count() / kWrites;
}

void BM_EmergencyStopToWire(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ok) {
        state.SkipWithError("no virtual card, or no trace pipe");
        return;
    }
    const double exchange = exchangeMs(r);
    r.open("stream.zeq", kStream);
    double worst = 0;
    for (auto _ : state) {
        // Run is enabled once the window has seen the board and the last run's end.
        r.pumpUntil([&] { return r.window->action(cmd::kRun)->isEnabled(); },
                    std::chrono::seconds(5));
        r.window->action(cmd::kRun)->trigger();
        const long before = r.wire->writes.load();
        // Streaming: a few hundred writes on the wire.
        if (!r.pumpUntil([&] { return r.wire->writes.load() > before + 300; },
                         std::chrono::seconds(10))) {
            state.SkipWithError("the run does not stream");
            break;
        }
        r.wire->seen = false;
        r.wire->armed = true;
        const auto t0 = Clock::now();
        r.window->action(cmd::kEmergencyStop)->trigger();
        if (!r.pumpUntil([&] { return r.wire->seen.load(); }, std::chrono::seconds(5))) {
            state.SkipWithError("no emstop frame on the wire");
            break;
        }
        r.wire->armed = false;
        const Clock::time_point t1{Clock::duration(r.wire->seenAt.load())};
        const double s = std::chrono::duration<double>(t1 - t0).count();
        worst = std::max(worst, s * 1000);
        state.SetIterationTime(s);
        r.endRun();
    }
    state.counters["exchange_ms"] = exchange;
    state.counters["goal_ms"] = exchange + 5;
    state.counters["worst_ms"] = worst;
}

long residentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void BM_EventLoopLatencyWhilePrinting(benchmark::State& state) {
    Rig& r = rig();
    if (!r.ok) {
        state.SkipWithError("no virtual card");
        return;
    }
    r.open("print.zeq", kPrint);
    OutputBox* out = r.window->outputBox();
    for (auto _ : state) {
        const long rssBefore = residentKb();
        double maxDelayMs = 0;
        int maxPaneLines = 0, maxPending = 0;
        QElapsedTimer since;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (since.isValid())
                maxDelayMs = std::max(maxDelayMs, since.nsecsElapsed() / 1e6 - 10.0);
            since.start();
            maxPaneLines = std::max(maxPaneLines, out->document()->blockCount());
            maxPending = std::max(maxPending, out->pendingLines());
        });
        tick.start(10);
        r.pumpUntil([&] { return r.window->action(cmd::kRun)->isEnabled(); },
                    std::chrono::seconds(5));
        const auto t0 = Clock::now();
        r.window->action(cmd::kRun)->trigger();
        r.pumpUntil([] { return false; }, std::chrono::seconds(state.range(0)));
        tick.stop();
        r.endRun();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        state.counters["max_delay_ms"] = maxDelayMs;
        state.counters["max_pane_lines"] = maxPaneLines;
        state.counters["max_pending_lines"] = maxPending;
        state.counters["rss_growth_kb"] = static_cast<double>(residentKb() - rssBefore);
    }
}

BENCHMARK(BM_EmergencyStopToWire)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_EventLoopLatencyWhilePrinting)
    ->Arg(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_rig.reset();
    return 0;
}
