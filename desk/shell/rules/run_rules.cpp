#include "shell/rules/run_rules.h"

#include "shell/command_ids.h"

namespace zeq::desk {

bool runCommandEnabled(int id, const RunState& s) {
    switch (id) {
        case cmd::kCompile:
            return !s.running;
        case cmd::kRun:
            return s.connected && !s.running;
        case cmd::kStep:
        case cmd::kPauseMotors:
        case cmd::kExecInstruction:
            return s.connected;
        case cmd::kPause:
            return s.connected && s.running && !s.stepMode && !s.paused;
        case cmd::kContinue:
            return s.connected && s.running && s.paused;
        case cmd::kStop:
            return s.running;
        case cmd::kEmergencyStop:
            return s.connected || s.running || s.boxBusy;
        default:
            return true;
    }
}

}  // namespace zeq::desk
