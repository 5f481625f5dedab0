// The script interpreter: loads build.dat/binfo.dat and executes the program text statement by
// statement, reading it token by token as it goes (a line interpreter: jumps move the read
// position to byte offsets from the label table). Every value is a double; variables live in
// two name tables, the locals of the running function and the globals.
//
// One object per use: the main frame's program runs and the instruction box each own one.
// A run happens on one worker thread; other threads touch only pauseRequested, stopRequested
// and the pause event (requestPause / requestStop / resume).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/param_catalogue.h"
#include "core/board_count.h"
#include "core/encoding.h"
#include "core/interfaces.h"
#include "interpreter/device_port.h"
#include "interpreter/run_observer.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {

// Auto-reset event: one waiter is released per signal; a signal before the wait is kept.
class AutoResetEvent {
  public:
    void signal();
    void reset();
    void wait();
    // True when signalled within the time-out.
    bool waitFor(std::chrono::milliseconds timeout);

  private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};

// The wall clock, for runs that are not under test.
class SystemClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    void sleepFor(std::chrono::milliseconds ms) override;
};
SystemClock& systemClock();

// Which program the catalogue's user rows (the macros of a compile) belong to. Macros live only
// in the catalogue of the process that compiled them, so a build whose owner is not recorded
// here is compiled again before it runs. Process-wide, like the catalogue itself.
struct CatalogueOwner {
    static void set(const std::string& sourcePath, std::uint32_t sourceTime);
    static void clear();
    static bool matches(const std::string& sourcePath, std::uint32_t sourceTime);
};

// Modification time of a file as the build files record it (seconds, low 32 bits); false when
// the file cannot be examined.
bool fileTime32(const std::string& path, std::uint32_t& out);

class ScriptInterpreter {
  public:
    struct Variable {
        std::string name;
        double value = 0.0;
    };
    struct CallFrame {
        std::uint32_t returnLine = 0;
        std::uint32_t returnPos = 0;  // 0xFFFFFFFF: the bottom frame's end marker
        std::uint32_t scopeStart = 0;
        std::uint32_t* boardSlot = nullptr;
        int boardNumber = 0;
    };
    struct LabelEntry {
        std::uint32_t position = 0;
        std::uint32_t line = 0;
    };
    struct ParamRecord {
        ParamRow row{};
        double value = 0.0;
    };

    ScriptInterpreter(DevicePort& port, OutputSink& sink,
                      ParamCatalogue& catalogue = paramCatalogue());
    ~ScriptInterpreter();
    ScriptInterpreter(const ScriptInterpreter&) = delete;
    ScriptInterpreter& operator=(const ScriptInterpreter&) = delete;

    void setEditor(EditorMarks* editor) { editorView = editor; }
    void setClock(Clock* clock) { m_clock = clock ? clock : &systemClock(); }
    // The main frame's step-mode flag, read before every statement of a program run.
    void setStepModeFlag(const std::atomic<bool>* flag) { m_stepMode = flag; }
    // Who hears of the running line and of pauses (program runs only); set before a run.
    void setObserver(RunObserver* observer) { m_observer = observer; }
    // Breakpoints, as 0-based source lines: a program run pauses before a statement on one of
    // them, as Pause does. Any thread, at any time; takes effect at the next statement.
    void setBreakpoints(const std::vector<int>& lines);
    // A one-shot breakpoint on `line` (run to cursor); -1 clears it. Any thread.
    void setRunToLine(int line);
    // True when the last program run was ended by a stop.
    bool wasStopped() const { return m_wasStopped.load(); }

    // Loads the build files of `programDir`/dat, checks them against `documentPath` and runs
    // the program against the board table (8 handle entries). False when the build is missing,
    // damaged, stale, of another source, or compiled by another process (macros unknown here);
    // the caller compiles and calls again. True when the program ran. `loaded`, when given, is
    // called once the build is in memory, before the program starts (the files on disk are
    // not read again after that).
    bool runProgram(std::uint32_t* boardTable, const std::string& programDir,
                    const std::string& documentPath, const std::function<void()>& loaded = nullptr);
    // Single-instruction run of `text` (borrowed) on the board whose handle `handleSlot` holds.
    bool runText(std::uint32_t* handleSlot, std::string_view text);
    void setBoardNumber(int board) { boardNumber = static_cast<std::uint16_t>(board); }

    // Commands from other threads.
    void requestPause() { pauseRequested = true; }
    void requestStop();
    // For an owner that starts program runs on a worker: runProgram() then keeps a stop or a
    // pause that was requested before it got going (during a compile first), and the owner
    // clears old requests with clearRequests() before it starts the worker.
    void setRequestsClearedByCaller(bool on) { m_requestsClearedByCaller = on; }
    void clearRequests() {
        stopRequested = false;
        pauseRequested = false;
    }
    // Clears the pause and signals the event (continue, step, stop).
    void resume();
    bool isPaused() const { return pauseRequested.load(); }
    bool isStopRequested() const { return stopRequested.load(); }

    // True when anything was reported as an error (run-time error or device status) since the
    // last run started.
    bool errorReported() const { return m_errorReported; }

    // ---- For the statement handlers ----
    void advance();
    bool expect(int code);
    bool atEnd() const;  // at end of statement
    double evaluate();
    struct Postfix;  // an expression in postfix order (run_tokenizer.cpp)
    bool toPostfix(Postfix& postfix);
    double runPostfix(const Postfix& postfix);
    Variable* findVariable(std::string_view name);
    // Reports an error at a program-text line (0 = the current line), with an optional name.
    void reportError(std::string_view message, std::string_view name, std::uint32_t line);
    void reportError(std::string_view message) {
        reportError(message, {}, lineNo ? lineNo - 1 : 0);
    }
    void reportStatus(int status);
    void write(std::string_view text);
    void writeScriptText(std::string_view bytes);
    int writeParam(int axis);
    int readParam(int axis, double& out);
    void fifoPause();
    void pauseCheck();
    std::uint32_t handle() const { return currentBoardSlot ? *currentBoardSlot : 0; }
    int fifoSelector() const { return immediateMode ? 0 : 1; }
    bool stopOrFinished() const { return stopRequested.load() || finished; }
    // Calls `fn` (returning a status) with the FIFO retry: 5 ms pause on ZEQ_ERR_FIFO_FULL, a
    // pause check after every call, until the status is another or the run is stopped or
    // finished.
    template <typename Fn>
    int withRetry(Fn&& fn) {
        int status;
        for (;;) {
            status = fn();
            if (status == ZEQ_ERR_FIFO_FULL) fifoPause();
            pauseCheck();
            if (status != ZEQ_ERR_FIFO_FULL || stopOrFinished()) break;
        }
        return status;
    }

    // A read of a program run that the card answers only after a queued wait (its status was
    // 24): waits for the reply of that read, which the queue FIFO still holds, instead of
    // sending it again (queued_read.cpp). 0 with the raw value; kReadCancelled when the run was
    // stopped meanwhile (nothing to report); another status when the wait failed.
    static constexpr int kReadCancelled = -2;
    int awaitQueuedReply(int axis, int address, int words, std::int64_t& raw);
    // The same for a getter built-in (GetCurPos …): the raw reply converted to the user units
    // the device library's getter gives (out.d), or the raw count (out.i) for GetEncp, GetEncs
    // and GetCFIFOCnt.
    int collectQueuedGetter(int code, int axis, DeviceOut& out);
    // Empties the queue FIFO through the immediate FIFO (a queue held by a wait never reaches
    // a write sent through itself).
    void clearQueueFifo();

    // ---- Fields (the run state) ----
    bool immediateMode = false;
    EditorMarks* editorView = nullptr;
    std::uint32_t* boardSlots[kBoardCount] = {};
    std::uint32_t* currentBoardSlot = nullptr;
    std::uint16_t boardNumber = 0;
    std::atomic<bool> pauseRequested{false};
    std::atomic<bool> stopRequested{false};
    AutoResetEvent pauseEvent;
    bool finished = false;
    std::uint32_t lineNo = 0;
    std::int32_t token = 0;
    std::int32_t tokenValue = 0;
    char tokenText[256] = {};
    std::vector<LabelEntry> labelTable;
    std::vector<std::uint32_t> lineMap;
    std::uint32_t globalListPos = 0;
    char sourcePath[256] = {};
    std::vector<CallFrame> callStack;
    std::vector<Variable> locals;
    std::uint32_t scopeStart = 0;
    std::vector<Variable> globals;
    std::uint32_t readPos = 0;
    std::uint32_t textLength = 0;
    const char* programText = nullptr;
    ParamRecord paramRecord;

    DevicePort& port() { return m_port; }
    ParamCatalogue& catalogue() { return m_catalogue; }
    Clock& clock() { return *m_clock; }
    const std::string& programFolder() const { return m_programDir; }

    // Looks up a parameter name (and an optional "+ n") at the current token into
    // paramRecord; reports and ends the run when the catalogue does not know it.
    bool readParamName();
    // The rd statement; with `target` the assignment form that stores into it.
    void readStatement(Variable* target);

  private:
    bool load(const std::string& programDir, const std::string& documentPath);
    void freeProgram();
    void declareGlobals();
    void execute();
    void endOfRun();
    bool stepCheck();
    bool breakpointCheck();
    int sourceLine() const;
    std::vector<RunObserver::Variable> variablesNow() const;
    void markLine();
    void statement();
    void assignmentTo(const std::string& name);
    void echoValue(std::string_view name, double value, const char* separator);
    void labelOrAssignment();
    void declareLocals();
    void jump(int kind);
    void boardStatement();
    void mgStatement();
    void sleepStatement();
    bool jumpTo(std::uint32_t label);
    bool dispatch(int code);
    void writeStatement();
    void waitStatement(bool toZero);
    void waitProfileStatement();
    void eventStatement();
    int readCondition();
    bool readEventOperands(int mnemonic, std::int64_t (&values)[6], int& count);
    void pathEventBlock();
    void fileContour();
    void sendContour(const std::string& path, int axes, const int* axisNumbers,
                     const std::vector<std::int16_t>& data);
    void exePath();
    void getMachineData();
    void pathWriteData();
    void pathSegmentRecord(int code);
    void builtinCall(int code, const void* builtin);
    bool readArgs(const char* kinds, std::vector<DeviceArg>& args);
    bool readOutVariable(std::string& name, bool& present);
    void storeAndPrint(bool present, const std::string& name, double value, const char* valueFormat,
                       bool isInt, const char* bareEnd);

    DevicePort& m_port;
    OutputSink& m_sink;
    ParamCatalogue& m_catalogue;
    Clock* m_clock;
    const std::atomic<bool>* m_stepMode = nullptr;
    RunObserver* m_observer = nullptr;
    std::atomic<bool> m_wasStopped{false};
    bool m_requestsClearedByCaller = false;
    // Breakpoints by source line (guarded by m_breakMutex; m_hasBreaks spares the lock when
    // there are none). m_lastBreakLine: the line the run last paused on for a breakpoint, so
    // that the statements after the pause on that same line do not pause again.
    mutable std::mutex m_breakMutex;
    std::vector<char> m_breakLines;
    int m_runToLine = -1;
    std::atomic<bool> m_hasBreaks{false};
    int m_lastBreakLine = -1;
    std::string m_programText;  // the owned text of a program run
    std::string m_programDir;
    bool m_conditionRegister = true;
    std::uint32_t m_stmtLine = 0;  // program-text line of the running statement's first token
    bool m_errorReported = false;
    TextEncoding m_encoding = TextEncoding::Utf8;

    friend class StatementDispatcher;
};

}  // namespace zeq::desk
