// The signals a long-running command answers: Ctrl-C (SIGINT), SIGTERM and SIGHUP. They are
// blocked in every thread and taken only with sigtimedwait, so no signal handler exists.
#pragma once

#include <signal.h>

namespace zeq::cli {

// Blocks the three signals in the calling thread and returns their set. Call it before any
// thread is started, so that every thread inherits the mask.
sigset_t blockStopSignals();

// The next of the signals in `set`, waiting at most `ms` milliseconds; 0 when none came.
int nextSignal(const sigset_t& set, int ms);

}  // namespace zeq::cli
