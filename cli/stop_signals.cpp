#include "stop_signals.h"

#include <pthread.h>
#include <time.h>

namespace zeq::cli {

sigset_t blockStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return set;
}

int nextSignal(const sigset_t& set, int ms) {
    const timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
    const int sig = ::sigtimedwait(&set, nullptr, &timeout);
    return sig > 0 ? sig : 0;
}

}  // namespace zeq::cli
