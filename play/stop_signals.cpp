// SPDX-License-Identifier: MIT
#include "play/stop_signals.h"

#include <atomic>
#include <csignal>

namespace gemlets {

namespace {

// Any thread may take the signal (the drop task's does not block it), and the main loop
// reads the flag on its own: a lock-free atomic serves both a handler and another thread.
std::atomic<bool> stopSignal = false;
// On ARMv5TE a byte's load and store are plain instructions with kernel-helper barriers: lock-free
// at run time, though the compiler cannot promise it for every ARM (ATOMIC_BOOL_LOCK_FREE 1).
static_assert(ATOMIC_BOOL_LOCK_FREE > 0, "a signal handler may not take a lock");

void noteStopSignal(int) {
    stopSignal.store(true);
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
    return stopSignal.load();
}

} // namespace gemlets
