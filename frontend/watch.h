// SPDX-License-Identifier: MIT
// Watching a replay in the game's window, at the pace it was played.
#pragma once

#include "frontend/rendering.h"
#include "model/game.h"
#include "play/commands.h"
#include "play/replay.h"

#include <SDL.h>

namespace gemlets {

// What the watcher's keys do: P (or the pad's pause button) pauses and resumes the watching,
// Escape (or the pad's quit button) stops it; joystick buttons read as `pad` says.
enum class WatchKey { none, pause, stop };
WatchKey watchKeyFor(const SDL_Event& event, Pad pad = Pad::gp2x);

// Shows the game of `player` as it was played, a frame at a time, its events entered at the
// times they were recorded, until the replay is over or the watcher stops it. The screen has
// its window and images; the player has the game.
void watchReplay(Screen& screen, Game& game, ReplayPlayer& player, Pad pad = Pad::gp2x);

} // namespace gemlets
