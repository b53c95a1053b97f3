// SPDX-License-Identifier: MIT
// Player input as plain commands: the joystick button and key tables, and applying a
// command to the game.
#pragma once

#include "model/game.h"
#include "play/drop_task.h"

#include <array>
#include <optional>

namespace gemlets {

enum class Command { moveLeft, moveRight, rotate, dropOne, hardDrop, togglePause, quit };

struct Binding {
    int code; // a joystick button number or an SDL 1.2 key symbol
    Command command;
};

// The GP2X buttons as SDL reports them for joystick 0.
inline constexpr std::array<Binding, 7> buttonTable{{
    {2, Command::moveLeft},    // LEFT
    {4, Command::dropOne},     // DOWN
    {6, Command::moveRight},   // RIGHT
    {8, Command::togglePause}, // START
    {9, Command::quit},        // SELECT
    {13, Command::rotate},     // B
    {14, Command::hardDrop},   // X
}};

// SDL 1.2 key symbols; the SDL side checks them against SDLK_* at compile time.
inline constexpr std::array<Binding, 7> keyTable{{
    {276, Command::moveLeft},    // SDLK_LEFT
    {275, Command::moveRight},   // SDLK_RIGHT
    {273, Command::rotate},      // SDLK_UP
    {274, Command::dropOne},     // SDLK_DOWN
    {32, Command::hardDrop},     // SDLK_SPACE
    {112, Command::togglePause}, // SDLK_p
    {27, Command::quit},         // SDLK_ESCAPE
}};

// The command bound to code, or none for a code the table does not hold.
template <std::size_t N>
constexpr std::optional<Command> commandFor(const std::array<Binding, N>& table, int code) {
    for (const Binding& binding : table) {
        if (binding.code == code)
            return binding.command;
    }
    return std::nullopt;
}

// `pause` <-> `unpause`; any other state stays. Called alone, follow it with
// dropTask.wake(), as applyCommand does.
void togglePause(Game& game);

// Ends the run: the main loop leaves at its next iteration. Called alone, follow it with
// dropTask.wake(), as applyCommand does.
void quit(Game& game);

// Moves, rotations and drops act in every state, as the player asked, under the lock. Then
// wakes the drop task, so that it ends at once after quit and starts its interval at once
// after a pause ends.
void applyCommand(Game& game, DropTask& dropTask, Command command);

// Writes the button line to game.out, then acts by the button table.
void pressButton(Game& game, DropTask& dropTask, int button);

// Acts by the key table; unbound keys do nothing.
void pressKey(Game& game, DropTask& dropTask, int key);

} // namespace gemlets
