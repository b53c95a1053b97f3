// SPDX-License-Identifier: MIT
// Applying the player's commands to the game: a key, a joystick button or a pad's button
// read by its device's map (play/bindings.h), or a command given directly.
#pragma once

#include "model/game.h"
#include "play/bindings.h"
#include "play/drop_task.h"

namespace gemlets {

// `pause` <-> `unpause`; any other state stays. Called alone, follow it with
// dropTask.wake(), as applyCommand does.
void togglePause(Game& game);

// Ends the run: the main loop leaves at its next iteration. Called alone, follow it with
// dropTask.wake(), as applyCommand does.
void quit(Game& game);

// Moves, rotations and drops act in every state, as the player asked, entering the game
// through its door (play/game_events.h) as a command of no key or button (a stop signal's).
// Then wakes the drop task, so that it ends at once after quit and starts its interval at
// once after a pause ends.
void applyCommand(Game& game, DropTask& dropTask, Command command);

// Writes the button line to game.out, then acts as the button does on this pad; as
// applyCommand.
void pressButton(Game& game, DropTask& dropTask, int button, Pad pad = Pad::gp2x);

// A pad's d-pad pressed (a hat's direction): acts as the pad button does.
void pressPad(Game& game, DropTask& dropTask, PadButton button);

// Acts as the key does.
void pressKey(Game& game, DropTask& dropTask, Key key);

} // namespace gemlets
