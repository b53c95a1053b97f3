// SPDX-License-Identifier: MIT
// A pad's hat as SDL reports it: its d-pad, whose four directions are the pad's d-pad buttons.
#pragma once

#include "play/input.h"

#include <SDL.h>
#include <array>
#include <optional>

namespace gemlets {

struct HatDirection {
    Uint8 value;
    PadButton button;
};

inline constexpr auto hatDirections = std::to_array<HatDirection>({
    {SDL_HAT_UP, PadButton::dpadUp},
    {SDL_HAT_DOWN, PadButton::dpadDown},
    {SDL_HAT_LEFT, PadButton::dpadLeft},
    {SDL_HAT_RIGHT, PadButton::dpadRight},
});
static_assert(holdsNoneTwice<PadButton>(hatDirections, &HatDirection::button),
              "each direction of the hat is a button of its own");

// The d-pad button a hat's value presses; none for a diagonal or the return to the middle.
constexpr std::optional<PadButton> padButtonForHat(Uint8 value) {
    return lookUp(hatDirections, &HatDirection::value, value, &HatDirection::button);
}

} // namespace gemlets
