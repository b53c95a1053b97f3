// SPDX-License-Identifier: MIT
// SDL and SDL_ttf for the life of one object: initialised together, shut down together.
#pragma once

#include "frontend/sound_player.h"

#include <string_view>

namespace gemlets {

// True on sdl12-compat (SDL 1.2 on SDL2), which reports 1.2.50 and later so that programs can
// tell it from classic SDL.
bool isSdl12Compat();

// Whether start-up keeps the video driver SDL chose. A driver that shows the player nothing,
// where SDL lands when no display opens, is kept only when SDL_VIDEODRIVER (`requested`, null
// when unset) names it, as the tests do with dummy.
bool keepsVideoDriver(std::string_view driver, const char* requested);

class SdlSession {
public:
    // SDL_Init(SDL_INIT_EVERYTHING), retried a few times because opening the display fails
    // now and then on some X servers, and refused on a video driver that shows nothing (see
    // keepsVideoDriver); then TTF_Init and ignoreUnusedEvents, focus changes included. Without
    // `sound` SDL's silent audio driver serves unless SDL_AUDIODRIVER names another, so that
    // no sound system is asked for a device. Throws StartupError, leaving nothing initialised.
    explicit SdlSession(bool sound = true);
    // TTF_Quit, then SDL_Quit.
    ~SdlSession();

    SdlSession(const SdlSession&) = delete;
    SdlSession& operator=(const SdlSession&) = delete;
};

// player.open() with the standard streams quiet: a sound system's libraries write their
// complaints there when there is no device, and a game without one plays on in silence.
bool openSound(SoundPlayer& player);

} // namespace gemlets
