// SPDX-License-Identifier: MIT
// Player input as plain commands: the one table of every key and button, and applying a
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

// A standard pad's buttons by what they are, whatever number a platform gives them.
enum class PadButton {
    a,
    b,
    x,
    y,
    back,
    guide,
    start,
    leftStick,
    rightStick,
    leftShoulder,
    rightShoulder,
    dpadUp,
    dpadDown,
    dpadLeft,
    dpadRight,
    end
};
inline constexpr std::size_t padButtonCount = static_cast<std::size_t>(PadButton::end);

// How a joystick's button numbers are read: as the GP2X's, in the order Linux numbers a
// common pad's (`padOrder`), or in PadButton's own order, SDL2's for a game controller it knows.
enum class Pad { gp2x, standard, controller };

// A joystick read as a game controller is in PadButton's order. Otherwise the GP2X's has 19
// buttons, its d-pad among them, and no hat; any other is a pad in the common order.
constexpr Pad padShaped(int buttons, int hats, bool controller = false) {
    if (controller)
        return Pad::controller;
    return buttons == 19 && hats == 0 ? Pad::gp2x : Pad::standard;
}

// Every way to give a command, one binding a line: a key, a GP2X button (SDL's number for
// joystick 0) or a standard pad's button, with the name the README and the manual give it.
struct Control {
    Command command;
    Key key = Key::end;
    int gp2x = -1;
    PadButton pad = PadButton::end;
    const char* name = "";
};
inline constexpr auto controls = std::to_array<Control>({
    {.command = Command::moveLeft, .key = Key::left, .name = "Left"},
    {.command = Command::moveRight, .key = Key::right, .name = "Right"},
    {.command = Command::rotate, .key = Key::up, .name = "Up"},
    {.command = Command::dropOne, .key = Key::down, .name = "Down"},
    {.command = Command::hardDrop, .key = Key::space, .name = "Space"},
    {.command = Command::togglePause, .key = Key::p, .name = "P"},
    {.command = Command::quit, .key = Key::escape, .name = "Escape"},
    {.command = Command::moveLeft, .gp2x = 2, .name = "LEFT"},
    {.command = Command::moveRight, .gp2x = 6, .name = "RIGHT"},
    {.command = Command::rotate, .gp2x = 13, .name = "B"},
    {.command = Command::dropOne, .gp2x = 4, .name = "DOWN"},
    {.command = Command::hardDrop, .gp2x = 14, .name = "X"},
    {.command = Command::togglePause, .gp2x = 8, .name = "START"},
    {.command = Command::quit, .gp2x = 9, .name = "SELECT"},
    {.command = Command::moveLeft, .pad = PadButton::dpadLeft, .name = "d-pad left"},
    {.command = Command::moveRight, .pad = PadButton::dpadRight, .name = "d-pad right"},
    {.command = Command::rotate, .pad = PadButton::a, .name = "A"},
    {.command = Command::rotate, .pad = PadButton::dpadUp, .name = "d-pad up"},
    {.command = Command::dropOne, .pad = PadButton::dpadDown, .name = "d-pad down"},
    {.command = Command::hardDrop, .pad = PadButton::b, .name = "B"},
    {.command = Command::togglePause, .pad = PadButton::start, .name = "Start"},
    {.command = Command::quit, .pad = PadButton::back, .name = "Back (Select)"},
});

// A standard pad's buttons in the order Linux numbers a common pad's, which SDL 1.2 keeps:
// its d-pad a hat, or these last four buttons on a pad without one.
inline constexpr std::array<PadButton, 15> padOrder{{
    PadButton::a,
    PadButton::b,
    PadButton::x,
    PadButton::y,
    PadButton::leftShoulder,
    PadButton::rightShoulder,
    PadButton::back,
    PadButton::start,
    PadButton::guide,
    PadButton::leftStick,
    PadButton::rightStick,
    PadButton::dpadLeft,
    PadButton::dpadRight,
    PadButton::dpadUp,
    PadButton::dpadDown,
}};

// The one key that gives the command.
constexpr Key keyFor(Command command) {
    for (const Control& control : controls) {
        if (control.command == command && control.key != Key::end)
            return control.key;
    }
    return Key::end;
}

// True when every key gives one command and every command has one key.
constexpr bool keysAreOneToOne() {
    std::array<int, keyCount> seen{};
    for (const Control& control : controls) {
        if (control.key == Key::end)
            continue;
        if (seen[static_cast<std::size_t>(control.key)]++ != 0)
            return false;
    }
    for (const Control& control : controls) {
        if (keyFor(control.command) == Key::end)
            return false;
    }
    for (const int n : seen) {
        if (n != 1)
            return false;
    }
    return true;
}
static_assert(keysAreOneToOne(), "every key needs one command, and every command a key");

// What a key or a pad button does, if anything.
std::optional<Command> commandForKey(Key key);
std::optional<Command> commandForPad(PadButton button);

// What joystick button number `button` does on this pad.
std::optional<Command> commandForButton(Pad pad, int button);

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
