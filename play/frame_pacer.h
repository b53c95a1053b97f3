// SPDX-License-Identifier: MIT
// Paces the main loop at a frame rate, so that a game on the desktop does not keep a whole
// core busy. The caller reads the clock and sleeps; this keeps the beat.
#pragma once

#include <chrono>

namespace gemlets {

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // frameRate (1 or more) iterations a second, the first starting at `start`.
    FramePacer(int frameRate, Clock::time_point start);

    // Called when an iteration's turn step is done, at `now`: the time the next iteration
    // starts. Iterations keep a steady beat; one that ran late starts the beat anew from
    // `now`, so that the next ones do not rush to catch up.
    Clock::time_point nextStart(Clock::time_point now);

private:
    Clock::duration period_;
    Clock::time_point start_;
};

} // namespace gemlets
