// What a program run and the instruction box report to whoever shows their state (the main
// frame's commands, marks and variables pane; the CLI ignores most of it).
//
// Threads: every call comes from a worker of the RunController — the run thread for the
// run* calls, the box thread for boxBusy — never from the thread that gave the command. An
// implementation copies what it needs, hands it to its own thread and returns at once: it
// must not wait for that thread, must not touch a card and must not call the controller's
// commands from inside a report (the run thread is blocked until the report returns).
#pragma once

#include <string>
#include <vector>

namespace zeq::desk {

class RunObserver {
  public:
    // How a program run ended.
    enum class Result {
        Finished,  // "运行结束！": the program ran to its end (errors may have been reported)
        Stopped,   // "运行终止！": Stop, emergency stop or a signal ended it
        NotRun,    // the program could not be compiled or loaded: nothing ran
    };
    // A variable of the paused program, its name as UTF-8.
    struct Variable {
        std::string name;
        double value = 0.0;
        bool local = false;  // a local of the running function, else a global
    };

    virtual ~RunObserver() = default;

    // A program run begins (before its compile, when it compiles first). `stepping`: started
    // by Step.
    virtual void runStarted(bool stepping) = 0;
    // The statement on the 0-based source line `line` is about to run. Comes once per
    // statement: coalesce before repainting.
    virtual void runningLine(int line) = 0;
    // The run waits before the statement on `line` (Pause, a Step, a breakpoint or the
    // script's own `pause`). `variables`: the globals, then the locals of the running
    // function, as they are now.
    virtual void runPaused(int line, const std::vector<Variable>& variables) = 0;
    // The run goes on after runPaused (Continue, Step or Stop released it).
    virtual void runResumed() = 0;
    // The run is over; `errors`: it or its compile reported an error.
    virtual void runEnded(Result result, bool errors) = 0;
    // The instruction box starts (true) or ends (false) a statement.
    virtual void boxBusy(bool busy) = 0;
};

}  // namespace zeq::desk
