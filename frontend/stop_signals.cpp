#include "frontend/stop_signals.h"

#include <csignal>

namespace gemlets {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void noteStopSignal(int) {
    stopSignal = 1;
}

} // namespace

void installStopSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopSignalReceived() {
    return stopSignal != 0;
}

} // namespace gemlets
