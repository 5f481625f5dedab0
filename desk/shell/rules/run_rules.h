// When the run-control commands of the main frame are enabled: a pure function of the run
// state, which the window reads on its own thread.
#pragma once

namespace zeq::desk {

// What the enabling of the run-control commands depends on.
struct RunState {
    bool connected = false;  // at least one board's handle is not 0
    bool running = false;    // a program run thread is alive
    bool paused = false;     // the run's pause request is set (Pause, Step, a breakpoint)
    bool stepMode = false;   // the main frame's step-mode flag
    bool boxBusy = false;    // the instruction box runs a statement
};

// Whether command `id` (a run-control command id of command_ids.h) is enabled in `state`.
// Commands that are not run-control commands are reported enabled.
//
// Two rules are kinder than "a board is connected" because a running script must always be
// stoppable: Stop is enabled while a run goes on, and the emergency stop while a run or a
// box statement goes on, even after the last board was disconnected.
bool runCommandEnabled(int id, const RunState& state);

}  // namespace zeq::desk
