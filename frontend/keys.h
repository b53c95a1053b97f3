// SPDX-License-Identifier: MIT
// The play layer's keys as the SDL being built with numbers them: classic SDL 1.2 and
// emscripten's SDL differ (SDLK_RIGHT is 275 in one, 1103 in the other).
#pragma once

#include "play/input.h"

#include <SDL.h>
#include <array>
#include <optional>

namespace gemlets {

struct SdlKey {
    int symbol;
    Key key;
};

inline constexpr auto sdlKeys = std::to_array<SdlKey>({
    {SDLK_LEFT, Key::left},
    {SDLK_RIGHT, Key::right},
    {SDLK_UP, Key::up},
    {SDLK_DOWN, Key::down},
    {SDLK_SPACE, Key::space},
    {SDLK_p, Key::p},
    {SDLK_ESCAPE, Key::escape},
});
static_assert(holdsEachOnce<Key>(sdlKeys, &SdlKey::key),
              "every key of the play layer needs one SDL symbol here");

// The key an SDL key symbol stands for, or none for a key the game does not use.
constexpr std::optional<Key> keyForSymbol(int symbol) {
    return lookUp(sdlKeys, &SdlKey::symbol, symbol, &SdlKey::key);
}

} // namespace gemlets
