// SPDX-License-Identifier: MIT
// SDL is initialised by one owner at a time. The frame benchmarks keep a window and the
// game's images between their runs; the start-up and quit benchmarks start and end SDL
// themselves, as the game does, so they end the frame benchmarks' window first.
#pragma once

namespace gemlets::bench {

// Ends the frame benchmarks' window, images and SDL session; their next run makes them again.
void endFrameStage();

} // namespace gemlets::bench
