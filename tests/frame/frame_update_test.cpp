// SPDX-License-Identifier: MIT
// A frame hands SDL only the parts of the window that changed since the last one. The screen,
// which receives only those parts, must still show every frame exactly.
#include "model/gravity.h"
#include "tests/frame/sdl_fixture.h"

namespace gemlets {

using FrameUpdateTest = fixture::DummyWindowTest;

TEST_F(FrameUpdateTest, TheScreenShowsEveryFrameFromTheHandedOverPartsAndAllAfterAnExpose) {
    screen.font = openFont(fixture::runDir / fontFile);
    for (std::size_t colour = 0; colour < screen.cellImages.size(); ++colour)
        screen.cellImages[colour] = loadImage(fixture::runDir / cellImageFiles[colour]);
    std::vector<Uint16> shown(windowWidth * windowHeight); // the screen: black until shown
    // Steps: the first frame (the first pair), the pair one row lower, the score, pause, game over,
    // an expose.
    for (int step = 0; step < 6; ++step) {
        if (step == 1)
            dropGemlets(game);
        game.points = step < 2 ? 10 : 18; // as wide: only the string tells
        game.state = step < 3 ? State::unpause : step == 3 ? State::pause : State::gameover;
        if (step == 5)
            std::fill(shown.begin(), shown.end(), 0), showWholeWindowNext(screen);
        frameStep(screen, game);
        for (int y = 0, x = 0; y < windowHeight; x = (x + 1) % windowWidth, y += x == 0) {
            const Uint16 pixel = fixture::pixelAt(screen.surface, x, y);
            const auto at = static_cast<std::size_t>(y * windowWidth + x);
            for (std::size_t i = 0; i < screen.updatedCount; ++i) {
                const SDL_Rect& r = screen.updated[i];
                if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h)
                    shown[at] = pixel;
            }
            ASSERT_EQ(shown[at], pixel) << step << " (" << x << ", " << y << ")";
        }
    }
}

} // namespace gemlets
