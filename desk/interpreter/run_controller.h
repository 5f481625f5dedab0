// Run control: the commands the main frame gives a program run (run, step, pause/continue,
// stop, hold motion, emergency stop, analyse) and the instruction box. Qt-free; the GUI and
// the CLI drive it. No command blocks its caller: runs, compiles and box statements go on
// worker threads, which the controller joins before it is destroyed (or in waitIdle()).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "compiler/script_compiler.h"
#include "core/interfaces.h"
#include "interpreter/device_port.h"
#include "interpreter/run_observer.h"
#include "interpreter/script_interpreter.h"

namespace zeq::desk {

class RunController {
  public:
    struct Setup {
        DevicePort* port = nullptr;
        OutputSink* sink = nullptr;
        std::uint32_t* boardTable = nullptr;  // the 8 handle entries
        std::string programDir;               // the application home
        EditorMarks* editor = nullptr;
        UserDialogs* dialogs = nullptr;
        Clock* clock = nullptr;
        // The board chosen in the target device list, -1 when none.
        std::function<int()> targetBoard;
        ParamCatalogue* catalogue = nullptr;
    };

    explicit RunController(Setup setup);
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    void setDocumentPath(const std::string& path);
    // Who hears of the run state (see run_observer.h for its threads); null for nobody. Set
    // it while no run and no box statement is going on.
    void setObserver(RunObserver* observer);
    // The editor whose running line program runs mark; same rule as setObserver.
    void setEditor(EditorMarks* editor) { m_program.setEditor(editor); }
    // Breakpoints and run-to-line of program runs (0-based source lines); any thread.
    void setBreakpoints(const std::vector<int>& lines) { m_program.setBreakpoints(lines); }
    void setRunToLine(int line) { m_program.setRunToLine(line); }

    // ---- Commands ----
    // Analyse: compile the saved document on a worker. `editorEmpty`: the editor holds no text.
    void analyse(bool editorEmpty);
    // Run. `modified`: the editor had changes, which the caller has saved already; the run
    // thread then compiles first and a failed compile runs nothing. False when no run was
    // started (no board connected, or a run is going on).
    bool run(bool modified);
    // Step; when it starts a run, `modified` means as for run().
    void step(bool modified = false);
    void pauseOrContinue();
    void stop();
    // Writes `hpause` to the target board. Talks to the card: call it from a worker.
    void holdMotion();
    // Stops the program run and the instruction box, then writes `emstop` to the target
    // board, or to every connected board when none is chosen. The run stops whatever the
    // writes return; a failed write is reported in the pane. Talks to the card: call it from a
    // worker.
    void emergencyStop();
    // The instruction box's button: stops a busy box, else runs `text` on the target board.
    void executeInstruction(const std::string& text);

    // ---- State for enabling and display ----
    bool anyBoardConnected() const;
    bool isRunning() const { return m_running.load(); }
    bool isPaused() const { return m_program.isPaused(); }
    bool stepMode() const { return m_stepMode.load(); }
    bool boxBusy() const { return m_boxBusy.load(); }
    const char* boxCaption() const;
    // Handle that the tools use after the box picked its board.
    std::uint32_t toolHandle() const { return m_toolHandle.load(); }
    // True when the last program run or box statement reported an error (or its compile
    // failed).
    bool lastRunFailed() const { return m_lastFailed.load(); }

    // Waits until no worker of the controller is busy (CLI, tests, shutdown).
    void waitIdle();

    ScriptInterpreter& programInterpreter() { return m_program; }
    ScriptInterpreter& boxInterpreter() { return m_box; }

    // Compiles `path` with the program compiler and records that the catalogue's user rows
    // now belong to it. True without errors.
    bool compileProgram(const std::string& path);

  private:
    void runThread(std::string path, bool compileFirst);
    // The compile (when asked or stale), load and run; true when something failed. `ran`:
    // false when the program never started.
    bool runProgramSteps(const std::string& path, bool compileFirst, bool& ran);
    void instructionThread(std::string text, std::uint32_t handle);
    void joinRun();
    void joinBox();

    Setup m_setup;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stepMode{false};
    std::atomic<bool> m_boxBusy{false};
    std::atomic<bool> m_compiling{false};
    std::atomic<bool> m_lastFailed{false};
    std::atomic<std::uint32_t> m_toolHandle{0};
    RunObserver* m_observer = nullptr;
    std::mutex m_pathMutex;
    std::string m_documentPath;
    std::mutex m_compileMutex;  // one program compile at a time (Analyse and the run thread)
    ScriptCompiler m_compiler;
    ScriptCompiler m_boxCompiler;
    ScriptInterpreter m_program;
    ScriptInterpreter m_box;
    int m_boxBoard = 0;
    std::uint32_t m_boxHandle = 0;
    std::thread m_runThread;
    std::thread m_compileThread;
    std::thread m_boxThread;
    std::mutex m_threadMutex;
};

}  // namespace zeq::desk
