// Compile speed of the script compiler in source lines per second, on a generated script of
// about 100,000 lines that uses every statement kind. The build files are not written: the
// measurement is the driver's analysis (spell check, syntax analysis, output text).
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"

namespace {

// One function of the generated script: 40 lines, every statement kind.
void appendFunction(std::string& s, int n, int functions) {
    const std::string id = std::to_string(n);
    s += "fun f" + id + "\n";
    s += "\tvar i k\n";
    s += "\tk = k + 1 ; counter\n";
    s += "\tif k > 3 then\n";
    s += "\t\tSetMCSmaxvel 1000, 0\n";
    s += "\telseif k == 2 then\n";
    s += "\t\twr mcsmaxvel, 5, 1\n";
    s += "\telse\n";
    s += "\t\trd mcspos, 0\n";
    s += "\tendif\n";
    s += "\twhile k < 10 do\n";
    s += "\t\tk = k + 2\n";
    s += "\t\tif k == 7 then\n";
    s += "\t\t\tbreak\n";
    s += "\t\tendif\n";
    s += "\twend\n";
    s += "\tfor i = 1 to 10 step 2 do\n";
    s += "\t\tMoveAbsolute i * 10, 0\n";
    s += "\t\tif i == 5 then\n";
    s += "\t\t\tcontinue\n";
    s += "\t\tendif\n";
    s += "\tnext\n";
    s += "\tgoto skip" + id + "\n";
    s += "\tpause\n";
    s += "skip" + id + ":\n";
    s += "\tGetCurPos g, 0\n";
    s += "\t3 @Z, COP16 encp, 0, user32b0, 0\n";
    s += "\tPathEvent\n";
    s += "\tSET16 1, user16b0, 0\n";
    s += "\tEndPathEvent\n";
    s += "\tPathAddLine 2, k, i\n";
    s += "\twt mcsmoving, 0\n";
    s += "\twa k > 1\n";
    s += "\tboard 0\n";
    s += "\tmg \"step " + id + "\"\n";
    s += "\tsleep 1\n";
    s += "\tLinear2A 10, 100, 0, 200, 1, g\n";
    s += "\tcall f" + std::to_string((n + 1) % functions) + "\n";
    s += "\texit\n";
    s += "end\n";
}

std::string generateScript(int lines, int* lineCount) {
    constexpr int kLinesPerFunction = 40;
    const int functions = lines / kLinesPerFunction;
    std::string s = "var g\n#def ZEQ_LONG speed\nmain\n\tcall f0\nend\n";
    for (int n = 0; n < functions; ++n) appendFunction(s, n, functions);
    int count = 0;
    for (char c : s) count += c == '\n';
    *lineCount = count;
    return s;
}

void BM_CompileScript(benchmark::State& state) {
    int lines = 0;
    const std::string script = generateScript(100000, &lines);
    zeq::desk::ParamCatalogue catalogue;
    catalogue.loadSystemRows();
    zeq::desk::ScriptCompiler compiler(catalogue, nullptr);
    for (auto _ : state) {
        const bool ok = compiler.compileText(script, std::string(), "bench.zeq");
        if (!ok) state.SkipWithError("generated script does not compile");
        benchmark::DoNotOptimize(compiler.outputText().data());
    }
    state.counters["lines"] = lines;
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(lines) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<int64_t>(script.size()) * state.iterations());
}
BENCHMARK(BM_CompileScript)->Unit(benchmark::kMillisecond);

void BM_CompileImmediate(benchmark::State& state) {
    zeq::desk::ParamCatalogue catalogue;
    catalogue.loadSystemRows();
    zeq::desk::ScriptCompiler compiler(catalogue, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(compiler.compileImmediate("wr mcsmaxvel, 1000, 2"));
    }
}
BENCHMARK(BM_CompileImmediate);

}  // namespace

BENCHMARK_MAIN();
