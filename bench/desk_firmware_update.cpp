// The time of a firmware update of a 16 KiB and a 256 KiB image on a virtual card with USB timing
// (real clock, default modelled latency of 1000 us per bridge call), and where it goes: CPU time of
// the process (the host's work, the built-in virtual card's included), the update sequence's own
// waits (500 ms after the bridge reset, 1 ms after each block), and the rest, spent waiting in
// the bridge calls for the card (modelled USB latency, flash program and erase time).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "binding/device_wrappers.h"
#include "interpreter/script_interpreter.h"
#include "tools/firmware/card_info.h"
#include "tools/firmware/firmware_update.h"

namespace {

using namespace zeq::desk;
namespace fs = std::filesystem;

class NullSink : public OutputSink {
  public:
    void append(std::string_view) override {}
};

class YesDialogs : public UserDialogs {
  public:
    std::string last;
    void message(std::string_view text) override { last = text; }
    Answer askYesNo(std::string_view, Answer) override { return Answer::Yes; }
    Answer askYesNoCancel(std::string_view, Answer) override { return Answer::Yes; }
};

// Marks when the writing and the verification start (their status lines).
class PhaseObserver : public firmware::FirmwareObserver {
  public:
    std::chrono::steady_clock::time_point writing, verifying;
    void status(std::string_view text) override {
        if (text.find("准备完成") != std::string_view::npos)
            writing = std::chrono::steady_clock::now();
        if (text.find("正在校验") != std::string_view::npos)
            verifying = std::chrono::steady_clock::now();
    }
    void runningChanged(bool) override {}
};

// The wall clock, adding up the time the update sleeps by itself.
class SleepCountingClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds ms) override {
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(ms);
        m_slept += std::chrono::steady_clock::now() - t0;
    }
    std::chrono::duration<double> m_slept{0};
};

double processCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A .bit file for the virtual card (4 axes, hwversion 0x0408, firmware date 0x0615).
fs::path writeImage(const fs::path& dir, std::size_t size) {
    std::vector<char> bytes{'Z', 'E', 'Q', 0};
    for (std::uint16_t w :
         {std::uint16_t{4}, std::uint16_t{0x0408}, std::uint16_t{0x0615}, std::uint16_t{0}}) {
        bytes.push_back(static_cast<char>(w & 0xFF));
        bytes.push_back(static_cast<char>(w >> 8));
    }
    bytes.insert(bytes.end(), 4, static_cast<char>(0xFF));
    std::mt19937 random(12345);
    for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>(random()));
    const fs::path path = dir / "image.bit";
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// state.range(0): the image size in KiB.
void BM_FirmwareUpdate(benchmark::State& state) {
    setenv("ZEQLINK_SIM", "1", 1);
    setenv("ZEQLINK_SIM_CLOCK", "real", 1);
    setenv("ZEQLINK_SIM_AXES", "4", 1);
    const fs::path dir = fs::temp_directory_path() / ("zeq_fw_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path image = writeImage(dir, static_cast<std::size_t>(state.range(0)) * 1024);

    NullSink sink;
    YesDialogs dialogs;
    DeviceBinding& binding = deviceBinding();
    binding.setDialogs(&dialogs);
    if (binding.load() != 0) {
        state.SkipWithError("the device library could not be loaded");
        return;
    }
    {
        Boards boards(binding, sink, dialogs, systemClock());
        boards.startUp();
        firmware::CardInfo card;
        if (boards.connectDevice(0, 0) != 0 || firmware::readCardInfo(boards.handle(0), card)) {
            state.SkipWithError("no virtual card");
            return;
        }
        double wall = 0, cpu = 0, slept = 0, prepare = 0, write = 0, verify = 0;
        for (auto _ : state) {
            SleepCountingClock clock;
            PhaseObserver observer;
            firmware::FirmwareUpdate update(dialogs, observer, clock);
            const double cpu0 = processCpuSeconds();
            const auto t0 = std::chrono::steady_clock::now();
            const auto result =
                update.run({boards.handle(0), card, image.string(), std::string(), std::string()});
            const auto t1 = std::chrono::steady_clock::now();
            if (result != firmware::UpdateResult::Complete) {
                state.SkipWithError(("the update failed: " + dialogs.last).c_str());
                break;
            }
            const double w = std::chrono::duration<double>(t1 - t0).count();
            state.SetIterationTime(w);
            wall += w;
            cpu += processCpuSeconds() - cpu0;
            slept += clock.m_slept.count();
            using Seconds = std::chrono::duration<double>;
            prepare += Seconds(observer.writing - t0).count();
            write += Seconds(observer.verifying - observer.writing).count();
            verify += Seconds(t1 - observer.verifying).count();
        }
        const double n = static_cast<double>(state.iterations());
        if (n > 0) {
            state.counters["cpu_ms"] = cpu / n * 1e3;
            state.counters["own_waits_ms"] = slept / n * 1e3;
            state.counters["card_wait_ms"] = (wall - cpu - slept) / n * 1e3;
            state.counters["host_share_pct"] = cpu / wall * 100;
            state.counters["prepare_ms"] = prepare / n * 1e3;
            state.counters["write_ms"] = write / n * 1e3;
            state.counters["verify_ms"] = verify / n * 1e3;
        }
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = boards.handle(b);
            if (h) myClose(&h);
        }
    }
    binding.unload();
    fs::remove_all(dir);
}

// One update each: a 256 KiB update with USB timing takes minutes (the verification reads the
// flash back one byte per bridge exchange).
BENCHMARK(BM_FirmwareUpdate)
    ->Arg(16)
    ->Arg(256)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
