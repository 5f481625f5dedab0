// Samples per second of a graph capture on a virtual card with the timing of a USB card (the
// real clock and its modelled latency per bridge call): the capture alone, as `zeq graph`
// runs it, and with the graph dialog open drawing every sample (offscreen platform). Each
// capture reads X (`mcspos`) and Y1 (`curpos`) of an axis running at constant velocity.
//
// `bench_shell_graph --move-csv FILE` instead writes the CSV of one capture of a move: the
// position (`mcspos`) of axis 0 against the card's time (`ticks`) while it moves to 8000 and
// back (the screenshots script shows it in the dialog).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/graph/graph_capture.h"
#include "tools/graph/ui/graph_dialog.h"

namespace {

using namespace zeq::desk;

class Quiet : public OutputSink, public UserDialogs {
  public:
    void append(std::string_view) override {}
    void message(std::string_view text) override {
        std::fprintf(stderr, "message: %.*s\n", int(text.size()), text.data());
    }
    Answer askYesNo(std::string_view, Answer a) override { return a; }
    Answer askYesNoCancel(std::string_view, Answer a) override { return a; }
};

class WallClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds ms) override { std::this_thread::sleep_for(ms); }
};

constexpr int kDepth = 200;

// One virtual card connected as board 0, the device library loaded once for the process.
struct Card {
    Quiet quiet;
    WallClock clock;
    std::unique_ptr<Boards> boards;

    Card() {
        ::setenv("ZEQLINK_SIM", "1", 1);
        DeviceBinding& binding = deviceBinding();
        binding.setDialogs(&quiet);
        binding.setCardType(kCardUsb);
        binding.setLibraryDir(ZEQ_DLL_DIR);
        if (binding.load() != 0) std::abort();
        boards = std::make_unique<Boards>(binding, quiet, quiet, clock);
        boards->search();
        if (boards->connectDevice(0, 0) != 0) std::abort();
    }
    ZEQ_HANDLE handle() const { return boards->handle(0); }
    // Axis 0 at constant velocity from wherever it is, far from the end of the range.
    void run() {
        MyMoveVelocity(handle(), 0.0, 0, 0);
        MyMoveVelocity(handle(), 20.0, 0, 0);
    }
    void stop() { MyMoveVelocity(handle(), 0.0, 0, 0); }
};

Card& card() {
    static Card c;
    return c;
}

GraphRequest request() {
    GraphRequest rq;
    rq.board = 0;
    rq.x = {"mcspos", 0};
    rq.y[0] = {"curpos", 0};
    rq.low = INT32_MIN;
    rq.high = INT32_MAX;
    rq.depth = kDepth;
    return rq;
}

void BM_GraphCaptureHeadless(benchmark::State& state) {
    Card& c = card();
    GraphCapture capture(*c.boards, c.quiet);
    std::int64_t samples = 0;
    c.run();
    for (auto _ : state) {
        if (!capture.start(request())) state.SkipWithError("refused");
        capture.waitIdle();
        samples += capture.sampleCount();
    }
    c.stop();
    state.SetItemsProcessed(samples);
    state.counters["samples_per_s"] =
        benchmark::Counter(double(samples), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GraphCaptureHeadless)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_GraphCaptureWithDialogOpen(benchmark::State& state) {
    Card& c = card();
    GraphDialog dialog(
        *c.boards, [] { return 0; }, QString(), nullptr, &c.quiet);
    dialog.show();
    const GraphRequest rq = request();
    dialog.xName()->setEditText(QString::fromStdString(rq.x.name));
    dialog.yName(0)->setEditText(QString::fromStdString(rq.y[0].name));
    dialog.lowField()->setText(QString::number(rq.low));
    dialog.highField()->setText(QString::number(rq.high));
    dialog.depthField()->setValue(rq.depth);
    while (dialog.xAxis()->count() == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::int64_t samples = 0;
    c.run();
    for (auto _ : state) {
        dialog.startButton()->click();
        // The window's own loop, drawing as samples arrive, until the capture has ended and
        // its last frame is drawn.
        do {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        } while (dialog.capture().running() ||
                 int(dialog.shownSamples().size()) < dialog.capture().sampleCount());
        samples += dialog.capture().sampleCount();
    }
    c.stop();
    state.SetItemsProcessed(samples);
    state.counters["samples_per_s"] =
        benchmark::Counter(double(samples), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GraphCaptureWithDialogOpen)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// One capture of a move to 8000 and back, position against card time.
int writeMoveCsv(const char* path) {
    Card& c = card();
    const ZEQ_HANDLE h = c.handle();
    ParamRow ticks{};
    paramCatalogue().findByName("ticks", &ticks);
    int status = 0;
    const std::int32_t t0 = myReadParam(h, 0, ticks.address, &status);
    if (status != 0) return 1;
    MySetMCSmaxvel(h, 0.4, 0, 0);
    MySetMCSaccel(h, 0.00005, 0, 0);
    GraphCapture capture(*c.boards, c.quiet);
    GraphRequest rq;
    rq.board = 0;
    rq.x = {"ticks", 0};
    rq.y[0] = {"mcspos", 0};
    rq.y[1] = {"curvel", 0};
    rq.yUsed = {true, false, false};
    rq.low = t0;
    rq.high = t0 + 85000;
    rq.depth = 330;
    MyMoveAbsolute(h, 8000.0, 0, 0);
    if (!capture.start(rq)) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(2800));
    MyMoveAbsolute(h, 0.0, 0, 0);
    capture.waitIdle();
    return writeGraphCsv(path, capture.samples()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--move-csv") == 0) return writeMoveCsv(argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
