// SPDX-License-Identifier: MIT
// Player input as plain commands: the joystick button and key tables, and applying a
// command to the game.
#pragma once

#include "model/game.h"
#include "play/drop_task.h"

#include <array>
#include <cstddef>
#include <optional>

namespace gemlets {

enum class Command { moveLeft, moveRight, rotate, dropOne, hardDrop, togglePause, quit };

// The keys the game acts on, apart from any platform's key numbers: each platform maps its
// own key symbols to these. `end` is no key: it counts them, so that a key table that misses
// a key added before it fails to compile.
enum class Key { left, right, up, down, space, p, escape, end };
inline constexpr std::size_t keyCount = static_cast<std::size_t>(Key::end);

// True when the table names every key exactly once.
template <class Entry, std::size_t N>
constexpr bool namesEveryKeyOnce(const std::array<Entry, N>& table, Key Entry::*key) {
    std::array<int, keyCount> seen{};
    for (const Entry& entry : table) {
        const auto at = static_cast<std::size_t>(entry.*key);
        if (at >= keyCount || seen[at]++ != 0)
            return false;
    }
    return N == keyCount;
}

template <typename Code> struct Binding {
    Code code; // a joystick button number or a key
    Command command;
};

// The GP2X buttons as SDL reports them for joystick 0.
inline constexpr std::array<Binding<int>, 7> buttonTable{{
    {2, Command::moveLeft},    // LEFT
    {4, Command::dropOne},     // DOWN
    {6, Command::moveRight},   // RIGHT
    {8, Command::togglePause}, // START
    {9, Command::quit},        // SELECT
    {13, Command::rotate},     // B
    {14, Command::hardDrop},   // X
}};

inline constexpr std::array<Binding<Key>, keyCount> keyTable{{
    {Key::left, Command::moveLeft},
    {Key::right, Command::moveRight},
    {Key::up, Command::rotate},
    {Key::down, Command::dropOne},
    {Key::space, Command::hardDrop},
    {Key::p, Command::togglePause},
    {Key::escape, Command::quit},
}};
static_assert(namesEveryKeyOnce(keyTable, &Binding<Key>::code), "every key needs one command");

// The command bound to code, or none for a code the table does not hold.
template <typename Code, std::size_t N>
constexpr std::optional<Command> commandFor(const std::array<Binding<Code>, N>& table, Code code) {
    for (const Binding<Code>& binding : table) {
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

// Moves, rotations and drops act in every state, as the player asked, entering the game
// through its door (play/game_events.h) as a command of no key or button (a stop signal's).
// Then wakes the drop task, so that it ends at once after quit and starts its interval at
// once after a pause ends.
void applyCommand(Game& game, DropTask& dropTask, Command command);

// Writes the button line to game.out, then acts by the button table; as applyCommand.
void pressButton(Game& game, DropTask& dropTask, int button);

// Acts by the key table; as applyCommand.
void pressKey(Game& game, DropTask& dropTask, Key key);

} // namespace gemlets
