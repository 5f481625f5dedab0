// How long a stop takes to end a running script on a virtual card running in real time, with a
// modelled USB latency per bridge call (ZEQLINK_SIM_LATENCY_US, default here 1000 us). The run
// must end within one device call plus the 5 ms FIFO retry; the figure is the wall time from
// stop() to the end of the run.
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

void BM_StopLatency(benchmark::State& state) {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "real", 0);
    setenv("ZEQLINK_SIM_LATENCY_US", "1000", 0);
    const fs::path home = fs::temp_directory_path() / ("zeq_stop_" + std::to_string(::getpid()));
    fs::create_directories(home / "dat");
    const fs::path source = home / "loop.zeq";
    std::ofstream(source, std::ios::binary) << kLoop;

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
            // Let the loop reach its device calls.
            const std::size_t before = sink.m_bytes.load();
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

BENCHMARK(BM_StopLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
