// SPDX-License-Identifier: MIT
// Each device's map into the player's commands, one binding a line: the keyboard's keys, the
// GP2X's buttons (SDL's numbers for joystick 0, with the names printed on the handheld) and a
// standard pad's buttons, with the two ways a joystick numbers a pad's buttons. The README's
// and the manual page's tables of controls are printed from these (tools/controls_doc.cpp).
#pragma once

#include "play/input.h"

#include <array>
#include <cstddef>
#include <optional>

namespace gemlets {

struct KeyBinding {
    Key key;
    Command command;
};
inline constexpr auto keyBindings = std::to_array<KeyBinding>({
    {Key::left, Command::moveLeft},
    {Key::right, Command::moveRight},
    {Key::up, Command::rotate},
    {Key::down, Command::dropOne},
    {Key::space, Command::hardDrop},
    {Key::p, Command::togglePause},
    {Key::escape, Command::quit},
});
// The page's touch buttons and gamepad and the handheld's key mapper press a command's key.
static_assert(holdsEachOnce<Key>(keyBindings, &KeyBinding::key) &&
                  holdsEachOnce<Command>(keyBindings, &KeyBinding::command),
              "every key needs one command, and every command one key");

struct Gp2xBinding {
    int button;
    Command command;
    const char* label;
};
inline constexpr auto gp2xBindings = std::to_array<Gp2xBinding>({
    {2, Command::moveLeft, "LEFT"},
    {6, Command::moveRight, "RIGHT"},
    {13, Command::rotate, "B"},
    {4, Command::dropOne, "DOWN"},
    {14, Command::hardDrop, "X"},
    {8, Command::togglePause, "START"},
    {9, Command::quit, "SELECT"},
});

struct PadBinding {
    PadButton button;
    Command command;
};
inline constexpr auto padBindings = std::to_array<PadBinding>({
    {PadButton::dpadLeft, Command::moveLeft},
    {PadButton::dpadRight, Command::moveRight},
    {PadButton::a, Command::rotate},
    {PadButton::dpadUp, Command::rotate},
    {PadButton::dpadDown, Command::dropOne},
    {PadButton::b, Command::hardDrop},
    {PadButton::start, Command::togglePause},
    {PadButton::back, Command::quit},
});
static_assert(holdsNoneTwice<PadButton>(padBindings, &PadBinding::button),
              "a pad button gives one command");

// True when the bindings give every command.
template <class Binding, std::size_t N>
constexpr bool givesEveryCommand(const std::array<Binding, N>& bindings) {
    for (const std::size_t n : timesEach<Command>(bindings, &Binding::command)) {
        if (n == 0)
            return false;
    }
    return true;
}
static_assert(givesEveryCommand(gp2xBindings) && givesEveryCommand(padBindings),
              "each joystick needs a button for every command");

// A standard pad's buttons in the order Linux numbers a common pad's, which SDL 1.2 keeps:
// its d-pad a hat, or these last four buttons on a pad without one.
inline constexpr auto padOrder = std::to_array<PadButton>({
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
});
static_assert(holdsEachOnce<PadButton>(padOrder), "Linux's order numbers every pad button once");

// How a joystick's button numbers are read: as the GP2X's, in the order Linux numbers a
// common pad's (`padOrder`), or in PadButton's own order, SDL2's for a game controller.
enum class Pad { gp2x, standard, controller };

// A joystick's numbering by its shape: the GP2X's has 19 buttons, its d-pad among them, and
// no hat; any other is a pad in the common order. Where SDL2 lists the joystick as a game
// controller, its caller reads it as Pad::controller instead.
constexpr Pad padShaped(int buttons, int hats) {
    return buttons == 19 && hats == 0 ? Pad::gp2x : Pad::standard;
}

// What a key does.
constexpr std::optional<Command> commandForKey(Key key) {
    return lookUp(keyBindings, &KeyBinding::key, key, &KeyBinding::command);
}

// The one key that gives the command: every command has one (keyBindings' check).
constexpr std::optional<Key> keyForCommand(Command command) {
    return lookUp(keyBindings, &KeyBinding::command, command, &KeyBinding::key);
}

// What a pad's button does, if anything.
constexpr std::optional<Command> commandForPad(PadButton button) {
    return lookUp(padBindings, &PadBinding::button, button, &PadBinding::command);
}

// The pad button that joystick button number `button` is on a pad numbered so; none on the
// GP2X's, whose buttons are its own.
constexpr std::optional<PadButton> padButtonFor(Pad pad, int button) {
    if (button < 0)
        return std::nullopt;
    const auto at = static_cast<std::size_t>(button);
    if (pad == Pad::standard && at < padOrder.size())
        return padOrder[at];
    if (pad == Pad::controller && at < padButtonCount)
        return static_cast<PadButton>(at);
    return std::nullopt;
}

// What joystick button number `button` does on this pad.
constexpr std::optional<Command> commandForButton(Pad pad, int button) {
    if (pad == Pad::gp2x)
        return lookUp(gp2xBindings, &Gp2xBinding::button, button, &Gp2xBinding::command);
    const std::optional<PadButton> padButton = padButtonFor(pad, button);
    return padButton ? commandForPad(*padButton) : std::nullopt;
}

} // namespace gemlets
