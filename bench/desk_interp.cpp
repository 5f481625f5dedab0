// Interpreter speed: statements per second of a tight arithmetic loop and of a loop that calls
// a function, every assignment echoed to a sink that drops the text. The device port answers
// nothing (these programs make no device calls).
//
// Statements counted per loop turn, as the interpreter executes them from build.dat:
//   arithmetic: Req, jumpZ, x = ..., i = ..., jumpN                    -> 5
//   call:       Req, jumpZ, jumpH, g = ..., jumpE, i = ..., jumpN     -> 7
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "compiler/script_compiler.h"
#include "interpreter/script_interpreter.h"

namespace {

using namespace zeq::desk;

class NullSink : public OutputSink {
  public:
    void append(std::string_view text) override { m_bytes += text.size(); }
    std::size_t m_bytes = 0;
};

class NullPort : public DevicePort {
  public:
    int writeParam16(std::uint32_t, int, int, int, bool) override { return 0; }
    int writeParam32(std::uint32_t, int, int, int, bool) override { return 0; }
    int writeParam48(std::uint32_t, int, int, std::int64_t, bool) override { return 0; }
    int readParam16(std::uint32_t, int, int, int* s, bool) override { return *s = 0; }
    int readParam32(std::uint32_t, int, int, int* s, bool) override { return *s = 0; }
    int readParam48(std::uint32_t, int, int, std::int64_t* v, bool) override {
        return static_cast<int>(*v = 0);
    }
    int waitFifoNotHalfFull(std::uint32_t, bool) override { return 0; }
    int writeWaitToken(std::uint32_t, int, int) override { return 0; }
    int writeWaitToZero(std::uint32_t, int, int) override { return 0; }
    int enableGroup(std::uint32_t, int, int) override { return 0; }
    int exitGroup(std::uint32_t, int) override { return 0; }
    int setGroupAxisNum(std::uint32_t, int, int) override { return 0; }
    int putContourData(std::uint32_t, const std::int16_t*, int) override { return 0; }
    int executePath(std::uint32_t) override { return 0; }
    int getMachineData(std::uint32_t, AxisMachineData (&)[4]) override { return 0; }
    int pathAddEvent(std::uint32_t, const void*, int) override { return 0; }
    int builtin(int, std::uint32_t, std::span<const DeviceArg>, int, DeviceOut&) override {
        return 0;
    }
    int axisCount(int) override { return 4; }
};

constexpr int kTurns = 100000;

const char* kArithmetic =
    "main\n"
    "  var i x\n"
    "  i = 0\n"
    "  while i < %d do\n"
    "    x = x + i * 2 - 1\n"
    "    i = i + 1\n"
    "  wend\n"
    "end\n";

const char* kCall =
    "var g\n"
    "main\n"
    "  var i\n"
    "  i = 0\n"
    "  while i < %d do\n"
    "    call f\n"
    "    i = i + 1\n"
    "  wend\n"
    "end\n"
    "fun f\n"
    "  g = g + 1\n"
    "end\n";

struct Program {
    std::string home;
    std::string source;
};

// Compiles the program into a fresh home once per benchmark.
Program prepare(const char* pattern, int turns) {
    char tmpl[] = "/tmp/zeq_bench_interp_XXXXXX";
    Program p{::mkdtemp(tmpl), {}};
    std::filesystem::create_directories(p.home + "/dat");
    p.source = p.home + "/prog.zeq";
    char text[1024];
    std::snprintf(text, sizeof text, pattern, turns);
    std::ofstream(p.source) << text;
    ScriptCompiler compiler(paramCatalogue(), nullptr);
    if (!compiler.compile(p.home, p.source)) std::abort();
    std::uint32_t t = 0;
    std::ifstream info(p.home + "/dat/binfo.dat", std::ios::binary);
    info.read(reinterpret_cast<char*>(&t), 4);
    CatalogueOwner::set(p.source, t);
    return p;
}

void run(benchmark::State& state, const char* pattern, int statementsPerTurn) {
    const int turns = static_cast<int>(state.range(0));
    Program p = prepare(pattern, turns);
    NullPort port;
    NullSink sink;
    std::uint32_t boards[8] = {1};
    ScriptInterpreter interp(port, sink);
    for (auto _ : state) {
        if (!interp.runProgram(boards, p.home, p.source)) state.SkipWithError("not loadable");
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(turns) *
                            statementsPerTurn);
    state.counters["echo_bytes"] = static_cast<double>(sink.m_bytes);
    std::filesystem::remove_all(p.home);
}

void BM_ArithmeticLoop(benchmark::State& state) {
    run(state, kArithmetic, 5);
}
void BM_CallLoop(benchmark::State& state) {
    run(state, kCall, 7);
}

BENCHMARK(BM_ArithmeticLoop)->Arg(kTurns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallLoop)->Arg(kTurns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
