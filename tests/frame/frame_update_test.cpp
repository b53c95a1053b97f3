// SPDX-License-Identifier: MIT
// A frame is drawn only when what the window shows changes, and SDL is handed only the parts
// that changed. The window, which receives only those parts, must still show every frame drawn
// at once, also after an expose has blanked it.
#include "play/drop_task.h"
#include "tests/field_fixture.h"
#include "tests/frame/sdl_fixture.h"

#include <functional>

namespace gemlets {

using FrameUpdateTest = fixture::DummyWindowTest;

TEST_F(FrameUpdateTest, TheWindowShowsEveryChangeAtOnceAndNothingIsDrawnWithoutOne) {
    EXPECT_EQ(SDL_EventState(SDL_VIDEOEXPOSE, SDL_QUERY), SDL_ENABLE) << "exposes filtered out";
    screen.font = openFont(fixture::runDir / fontFile);
    screen.gameover = loadImage(fixture::runDir / gameoverImageFile);
    for (std::size_t colour = 0; colour < screen.cellImages.size(); ++colour)
        screen.cellImages[colour] = loadImage(fixture::runDir / cellImageFiles[colour]);
    std::vector<Uint16> window(windowWidth * windowHeight); // black until handed over
    const auto press = [&](SDLKey key) {
        return [&, key] {
            push(SDL_KEYDOWN, key);
        };
    };
    const auto landAll = [&] {
        while (game.state != State::newGemlets)
            dropStep(game);
    };
    const struct {
        const char* what;
        std::function<void()> act; // before the iteration
        bool drawn;
    } steps[] = {
        {"the first frame", [] {}, true},
        {"nothing new", [] {}, false},
        {"a move", press(SDLK_LEFT), true},
        {"a key without an action", press(SDLK_a), false},
        {"a drop step", [&] { dropStep(game); }, true},
        {"pause", press(SDLK_p), true},
        {"still paused", [] {}, false},
        {"the score back", press(SDLK_p), true},
        {"a hard drop", press(SDLK_SPACE), true},
        {"the landing, whose turn step spawns the next pair", landAll, false},
        {"the next pair", [] {}, true},
        {"four yellows landed", [&] { fixture::layOut(game, {"3333**"}), landAll(); }, true},
        {"the clear and its score", [] {}, true},
        {"an expose blanking the window",
         [&] { push(SDL_VIDEOEXPOSE), std::ranges::fill(window, 0); }, true},
        {"game over", [&] { game.state = State::gameover; }, true},
        {"still over", [] {}, false},
        {"quit: a white window", press(SDLK_ESCAPE), true},
    };
    Uint16* pixels = static_cast<Uint16*>(screen.surface->pixels);
    const std::size_t corner = window.size() - 1; // nothing is placed on it
    for (const auto& step : steps) {
        step.act();
        pixels[corner] = 0x1234; // only the white fill covers it
        ASSERT_TRUE(runIteration(loop));
        EXPECT_EQ(pixels[corner] != 0x1234, step.drawn) << step.what;
        for (const SDL_Rect& r : screen.updated)
            for (int y = r.y; y < r.y + r.h; ++y)
                for (int x = r.x; x < r.x + r.w; ++x)
                    window[static_cast<std::size_t>(y * windowWidth + x)] =
                        pixels[y * windowWidth + x];
        // The window shows the last frame drawn, which the surface holds, corner aside.
        EXPECT_TRUE(std::equal(window.begin(), window.end() - 1, pixels)) << step.what << ": stale";
    }
    EXPECT_NE(out.str().find("sweeping"), std::string::npos) << "the yellows were not cleared";
    EXPECT_EQ(window, std::vector<Uint16>(window.size(),
                                          SDL_MapRGB(screen.surface->format, 255, 255, 255)));
    EXPECT_FALSE(runIteration(loop)) << "the loop goes on after the quit";
}

} // namespace gemlets
