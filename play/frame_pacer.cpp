// SPDX-License-Identifier: MIT
#include "play/frame_pacer.h"

#include <algorithm>

namespace gemlets {

FramePacer::FramePacer(int frameRate, Clock::time_point start)
    : period_(std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / frameRate),
      start_(start) {}

FramePacer::Clock::time_point FramePacer::nextStart(Clock::time_point now) {
    start_ = std::max(start_ + period_, now);
    return start_;
}

} // namespace gemlets
