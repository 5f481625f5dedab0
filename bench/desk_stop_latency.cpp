// How long a stop takes to end a running script on a virtual card running in real time, with a
// modelled USB latency per bridge call (ZEQLINK_SIM_LATENCY_US, default here 1000 us). The run
// must end within one device call plus the 5 ms FIFO retry; the figure is the wall time from
// stop() to the end of the run. Two scripts: a loop of parameter writes, and a read queued
// behind a wait for a long move (the run waits for the read's reply, one read-back check of
// 30 status polls at a time, 5 ms apart).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "interpreter/binding_device_port.h"
#include "interpreter/run_controller.h"
#include "interpreter/script_interpreter.h"

namespace {

using namespace zeq::desk;
namespace fs = std::filesystem;

class CountingSink : public OutputSink {
  public:
    void append(std::string_view text) override { m_bytes += text.size(); }
    std::atomic<std::size_t> m_bytes{0};
};

class QuietDialogs : public UserDialogs {
  public:
    void message(std::string_view) override {}
    Answer askYesNo(std::string_view, Answer d) override { return d; }
    Answer askYesNoCancel(std::string_view, Answer d) override { return d; }
};

const char* kLoop =
    "main\n"
    "  var i\n"
    "  i = 0\n"
    "  while i >= 0 do\n"
    "    wr mcstgpos, i, 0\n"
    "    i = i + 1\n"
    "  wend\n"
    "end\n";

// A move of about 1000 s at 10 counts per tick; the read waits for its end.
const char* kQueuedRead =
    "main\n"
    "  SetMCSmaxvel 10, 0\n"
    "  MoveAbsolute 100000000, 0\n"
    "  wa 0\n"
    "  GetCurPos 0\n"
    "end\n";

// `settle`: how long the run goes on before the stop; 0 = until the loop has written output.
void stopLatency(benchmark::State& state, const char* script, std::chrono::milliseconds settle) {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "real", 0);
    setenv("ZEQLINK_SIM_LATENCY_US", "1000", 0);
    const fs::path home = fs::temp_directory_path() / ("zeq_stop_" + std::to_string(::getpid()));
    fs::create_directories(home / "dat");
    const fs::path source = home / "loop.zeq";
    std::ofstream(source, std::ios::binary) << script;

    CountingSink sink;
    QuietDialogs dialogs;
    DeviceBinding& binding = deviceBinding();
    binding.setDialogs(&dialogs);
    if (binding.load() != 0) {
        state.SkipWithError("the device library could not be loaded");
        return;
    }
    {
        Boards boards(binding, sink, dialogs, systemClock());
        boards.startUp();
        if (boards.connectDevice(0, 0) != 0) {
            state.SkipWithError("no virtual card");
            return;
        }
        BindingDevicePort port([&boards](int b) { return boards.axisCount(b); });
        RunController::Setup setup;
        setup.port = &port;
        setup.sink = &sink;
        setup.boardTable = boards.handleTable();
        setup.programDir = home.string();
        setup.dialogs = &dialogs;
        setup.targetBoard = [] { return 0; };
        RunController ctl(setup);
        ctl.setDocumentPath(source.string());
        for (auto _ : state) {
            if (!ctl.run(false)) {
                state.SkipWithError("the run did not start");
                break;
            }
            // Let the run reach its device calls.
            const std::size_t before = sink.m_bytes.load();
            if (settle.count() > 0)
                std::this_thread::sleep_for(settle);
            else
                while (sink.m_bytes.load() < before + 2000)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const auto t0 = std::chrono::steady_clock::now();
            ctl.stop();
            while (ctl.isRunning()) std::this_thread::yield();
            const auto t1 = std::chrono::steady_clock::now();
            ctl.waitIdle();
            state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        }
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = boards.handle(b);
            if (h) myClose(&h);
        }
    }
    binding.unload();
    fs::remove_all(home);
}

void BM_StopLatency(benchmark::State& state) {
    stopLatency(state, kLoop, std::chrono::milliseconds(0));
}
void BM_StopLatencyDuringQueuedRead(benchmark::State& state) {
    stopLatency(state, kQueuedRead, std::chrono::milliseconds(400));
}

BENCHMARK(BM_StopLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StopLatencyDuringQueuedRead)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
