// SPDX-License-Identifier: MIT
// Test helpers for SDL's dummy video driver: the run folder, a session on that driver, and a
// game with a window whose iterations a test drives one at a time.
#pragma once

#include "desktop/desktop_resources.h"
#include "desktop/sdl_session.h"
#include "frame/main_loop.h"
#include "model/game_start.h"
#include "play/drop_task.h"

#include <SDL.h>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace gemlets::fixture {

// Where the build puts the game's font, images and field file.
inline const std::filesystem::path runDir = GEMLETS_RUN_DIR;

inline SdlSession dummySession() {
    setenv("SDL_VIDEODRIVER", "dummy", 1); // only the tests pick the driver
    return SdlSession();
}

inline Uint16 pixelAt(SDL_Surface* s, int x, int y) {
    return static_cast<const Uint16*>(s->pixels)[y * s->pitch / 2 + x];
}

// A started game and its window; the drop task is never started, so drop steps are called
// directly and nothing moves unless the test says so.
class DummyWindowTest : public ::testing::Test {
protected:
    DummyWindowTest() {
        startGame(game);
        screen.surface = openWindow();
    }

    // A key press, or with SDL_JOYBUTTONDOWN a button press, for the next iteration.
    void push(Uint8 type, int code = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.keysym.sym = SDLKey(code);
        if (type == SDL_JOYBUTTONDOWN)
            event.jbutton.button = Uint8(code);
        ASSERT_EQ(SDL_PushEvent(&event), 0) << SDL_GetError();
    }

    SdlSession session = dummySession();
    std::ostringstream out;
    Game game{out};
    DropTask dropTask{game};
    Screen screen;
    RandomGenerator random{5489};
    MainLoop loop{game, dropTask, screen, random, [] {
                      return false;
                  }};
};

} // namespace gemlets::fixture
