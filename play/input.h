// SPDX-License-Identifier: MIT
// The player's input apart from any device: the commands, the keys the game acts on and a
// standard pad's buttons by what they are, each with the name the README and the manual page
// give it. Every device maps what it reports into these at its edge (play/bindings.h, the
// SDL front end's keys and hat, the page's key codes and gamepad numbers).
#pragma once

#include "play/tables.h"

#include <array>
#include <cstddef>

namespace gemlets {

// A value with the name the player reads for it.
template <class Enum> struct Label {
    Enum value;
    const char* text;
};

// The text of `value` in a table of labels checked by holdsEachOnce.
template <class Enum, std::size_t N>
constexpr const char* labelOf(const std::array<Label<Enum>, N>& labels, Enum value) {
    return lookUp(labels, &Label<Enum>::value, value, &Label<Enum>::text).value_or("");
}

enum class Command { moveLeft, moveRight, rotate, dropOne, hardDrop, togglePause, quit, end };
inline constexpr std::size_t commandCount = countOf<Command>;
inline constexpr auto commandLabels = std::to_array<Label<Command>>({
    {Command::moveLeft, "move left"},
    {Command::moveRight, "move right"},
    {Command::rotate, "rotate"},
    {Command::dropOne, "drop one row"},
    {Command::hardDrop, "drop all the way"},
    {Command::togglePause, "pause / resume"},
    {Command::quit, "quit"},
});
static_assert(holdsEachOnce<Command>(commandLabels, &Label<Command>::value),
              "every command needs one name");

// The keys the game acts on, apart from any platform's key numbers.
enum class Key { left, right, up, down, space, p, escape, end };
inline constexpr std::size_t keyCount = countOf<Key>;
inline constexpr auto keyLabels = std::to_array<Label<Key>>({
    {Key::left, "Left"},
    {Key::right, "Right"},
    {Key::up, "Up"},
    {Key::down, "Down"},
    {Key::space, "Space"},
    {Key::p, "P"},
    {Key::escape, "Escape"},
});
static_assert(holdsEachOnce<Key>(keyLabels, &Label<Key>::value), "every key needs one name");

// A standard pad's buttons by what they are, in SDL2's order for a game controller, which
// sdl12-compat numbers a controller's buttons by (checked against SDL2's own header in
// desktop/sdl2_controllers.cpp).
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
inline constexpr std::size_t padButtonCount = countOf<PadButton>;
inline constexpr auto padButtonLabels = std::to_array<Label<PadButton>>({
    {PadButton::a, "A"},
    {PadButton::b, "B"},
    {PadButton::x, "X"},
    {PadButton::y, "Y"},
    {PadButton::back, "Back (Select)"},
    {PadButton::guide, "Guide"},
    {PadButton::start, "Start"},
    {PadButton::leftStick, "left stick"},
    {PadButton::rightStick, "right stick"},
    {PadButton::leftShoulder, "left shoulder"},
    {PadButton::rightShoulder, "right shoulder"},
    {PadButton::dpadUp, "d-pad up"},
    {PadButton::dpadDown, "d-pad down"},
    {PadButton::dpadLeft, "d-pad left"},
    {PadButton::dpadRight, "d-pad right"},
});
static_assert(holdsEachOnce<PadButton>(padButtonLabels, &Label<PadButton>::value),
              "every pad button needs one name");

} // namespace gemlets
