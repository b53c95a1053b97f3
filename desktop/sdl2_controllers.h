// SPDX-License-Identifier: MIT
// SDL2's game-controller layer, started in the SDL2 that sdl12-compat loaded. Its source
// includes SDL2's header and nothing of SDL 1.2's, whose names it shares: this header names
// neither.
#pragma once

#include <memory>

namespace gemlets {

// Stops the layer, then lets go of SDL2. SDL2 then frees every controller: sdl12-compat's
// joysticks must have stopped first.
struct ControllerLayerStop {
    void operator()(void* sdl2) const;
};
using ControllerLayer = std::unique_ptr<void, ControllerLayerStop>;

// sdl12-compat lists game controllers but starts only SDL2's joystick layer, and without its
// game-controller layer SDL2 turns no button into a controller event: the pad would be listed
// and never pressed. None where no SDL2 is loaded (classic SDL 1.2) or the layer cannot start.
ControllerLayer startControllerLayer();

} // namespace gemlets
