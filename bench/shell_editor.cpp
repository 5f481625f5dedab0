// The window application's editor and start-up: launch to an idle window with a 10,000-line
// script, colouring a 100,000-line script from top to bottom, and what one keystroke in the
// middle of it re-colours. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "shell/main_window.h"
#include "shell/source_editor.h"
#include "shell/zeq_lexer.h"

namespace {

using zeq::desk::MainWindow;
using zeq::desk::SourceEditor;

// A script of `lines` lines in the shape real ones have: comments, loops, calls, numbers.
QByteArray script(int lines) {
    static const char* const kShape[] = {
        "; move both axes and wait",
        "main",
        "\tvar n",
        "\tfor n = 1 to 10 do",
        "\t\tMoveAbsolute n * 10, 0",
        "\t\twa 0",
        "\t\tSetMCSmaxvel 0FFh, 1",
        "\tnext",
        "{ block comment",
        "  still comment }",
        "\twhile n < 3",
        "\t\tn = n + 1 ; count",
        "\twend",
        "end",
    };
    QByteArray out;
    out.reserve(lines * 24);
    for (int i = 0; i < lines; ++i) {
        out += kShape[i % (sizeof kShape / sizeof *kShape)];
        out += '\n';
    }
    return out;
}

void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void BM_LaunchToIdleWith10000Lines(benchmark::State& state) {
    QTemporaryDir home;
    qputenv("ZEQ_HOME", home.path().toLocal8Bit());
    const QString path = home.path() + QStringLiteral("/big.zeq");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(script(10000));
    f.close();
    for (auto _ : state) {
        auto w = std::make_unique<MainWindow>();
        zeq::desk::ShellOptions options;
        options.file = path;
        w->startUp(options);
        w->show();
        settle();
        state.PauseTiming();
        w->hide();
        w.reset();
        settle();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LaunchToIdleWith10000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole program: process start, the device library, the window with the script, until the
// event queue is idle and the window has been drawn once (into a picture, which ends it).
void BM_ProcessLaunchToIdleWith10000Lines(benchmark::State& state) {
    QTemporaryDir home;
    const QString path = home.path() + QStringLiteral("/big.zeq");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(script(10000));
    f.close();
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/zeqdesk");
    for (auto _ : state) {
        QProcess p;
        p.start(program, {QStringLiteral("--home"), home.path(), QStringLiteral("--screenshot"),
                          home.path() + QStringLiteral("/w.png"), path});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError("zeqdesk did not start and end cleanly");
            break;
        }
    }
}
BENCHMARK(BM_ProcessLaunchToIdleWith10000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Colour100000Lines(benchmark::State& state) {
    SourceEditor editor;
    editor.setDocumentText(QString::fromUtf8(script(100000)));
    for (auto _ : state) {
        editor.SendScintilla(QsciScintilla::SCI_CLEARDOCUMENTSTYLE);
        editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
    }
    state.counters["lines"] = 100000;
}
BENCHMARK(BM_Colour100000Lines)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_KeystrokeInTheMiddleOf100000Lines(benchmark::State& state) {
    SourceEditor editor;
    editor.resize(900, 700);
    editor.show();
    editor.setDocumentText(QString::fromUtf8(script(100000)));
    editor.SendScintilla(QsciScintilla::SCI_COLOURISE, 0L, -1L);
    editor.setCursorPosition(50000, 1);
    editor.ensureLineVisible(50000);
    settle();
    long recoloured = 0;
    for (auto _ : state) {
        editor.zeqLexer()->resetLinesParsed();
        editor.insert(QStringLiteral("x"));
        settle();
        recoloured += editor.zeqLexer()->linesParsed();
        state.PauseTiming();
        editor.undo();
        settle();
        state.ResumeTiming();
    }
    state.counters["lines_recoloured"] =
        benchmark::Counter(static_cast<double>(recoloured), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeystrokeInTheMiddleOf100000Lines)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
