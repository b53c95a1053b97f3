// SPDX-License-Identifier: MIT
// Watching a replay in the game's window, at the pace it was played: one iteration that both
// platforms share, the desktop driving it in a loop and the page at each animation frame.
#pragma once

#include "frontend/rendering.h"
#include "model/game.h"
#include "play/commands.h"
#include "play/replay.h"

#include <SDL.h>
#include <chrono>
#include <functional>
#include <optional>

namespace gemlets {

class SoundPlayer;

// What the watcher's keys do: P (or the pad's pause button) pauses and resumes the watching,
// Escape (or the pad's quit button) stops it; joystick buttons read as `pad` says.
enum class WatchKey { none, pause, stop };
WatchKey watchKeyFor(const SDL_Event& event, Pad pad = Pad::gp2x);

struct WatchLoop {
    using Clock = std::chrono::steady_clock;

    Screen& screen;
    Game& game;
    ReplayPlayer& player;
    // How joystick 0's buttons are read.
    Pad pad = Pad::gp2x;
    // The game's sounds, when it has any (frontend/sound_player.h).
    SoundPlayer* sound = nullptr;
    // The replay's clock: the time watched, which stands still while the watching is paused,
    // from the first iteration on.
    Clock::duration watched{};
    std::optional<Clock::time_point> last = std::nullopt;
    bool paused = false;
    // What the platform's window does with an event of its own (the desktop's fullscreen key, a
    // resize): true when it took the event, which then never reaches the game.
    std::function<bool(const SDL_Event&)> windowEvent = nullptr;
};

// One iteration at `now`: the watcher's keys, the events due by the time watched with their
// sounds, and a frame.
// False once the replay is over (after the frame that shows its end) or, at once, when the
// watcher stops it.
bool runWatchIteration(WatchLoop& loop, WatchLoop::Clock::time_point now);

// Iterations about a frame of a 100 Hz display apart until the replay is over, the watcher
// stops it or a stop signal comes: the replay's events are shown within that of their time.
void watchReplay(WatchLoop& loop);

} // namespace gemlets
