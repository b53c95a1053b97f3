// SPDX-License-Identifier: MIT
// The main loop: one input event, one frame and the turn step per iteration; without a frame
// rate it never sleeps.
#pragma once

#include "frontend/rendering.h"
#include "model/game.h"
#include "model/random_colours.h"
#include "play/commands.h"
#include "play/drop_task.h"
#include "play/stop_signals.h"

#include <SDL.h>
#include <functional>

namespace gemlets {

class SoundPlayer;

struct MainLoop {
    Game& game;
    DropTask& dropTask;
    Screen& screen;
    RandomGenerator& random;
    // A SIGINT or SIGTERM: acted on like the quit input.
    std::function<bool()> stopRequested = stopSignalReceived;
    // How joystick 0's buttons are read.
    Pad pad = Pad::gp2x;
    // Iterations a second; 0 runs them back to back.
    int frameRate = 0;
    // What the platform's window does with an event of its own (the desktop's fullscreen key, a
    // resize): true when it took the event, which then never reaches the game.
    std::function<bool(const SDL_Event&)> windowEvent = nullptr;
    // The game's sounds, when it has any (frontend/sound_player.h).
    SoundPlayer* sound = nullptr;
};

// An event the window takes (loop.windowEvent) goes no further. Joystick buttons (with their
// line on game.out), a hat's four directions and keys act by their devices' bindings
// (play/bindings.h, frontend/hat.h); an expose makes the next frame show the whole window;
// every other event, closing the window included, does nothing.
void handleEvent(MainLoop& loop, const SDL_Event& event);

// One iteration: false, doing nothing, once the run has ended; otherwise at most one event,
// the frame step, the turn step and the sounds they made.
bool runIteration(MainLoop& loop);

// Iterations until the run ends; with a frame rate each one waits out the rest of its share
// of a second after its turn step.
void mainLoop(MainLoop& loop);

} // namespace gemlets
