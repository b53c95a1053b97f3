#include "frontend/rendering.h"

#include "model/gravity.h"

namespace gemlets {

namespace {

void blitAt(SDL_Surface* image, SDL_Surface* surface, int x, int y) {
    if (image == nullptr)
        return;
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y),
                         static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_BlitSurface(image, nullptr, surface, &destination);
}

} // namespace

void drawField(Screen& screen, const Field& f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!isColour(f[i]))
            continue;
        const int column = static_cast<int>(i % fieldW);
        const int row = static_cast<int>(i / fieldW);
        blitAt(screen.cellImages[f[i]].get(), screen.surface, gemletW * column, gemletH * row);
    }
}

void drawSdlString(Screen& screen, const std::string& str, int x, int y) {
    if (!screen.font)
        return;
    const SDL_Color black{0, 0, 0, 0};
    const SurfacePtr text(TTF_RenderText_Blended(screen.font.get(), str.c_str(), black));
    blitAt(text.get(), screen.surface, x, y);
}

void frameStep(Screen& screen, Game& game) {
    SDL_FillRect(screen.surface, &screen.backgroundRect,
                 SDL_MapRGB(screen.surface->format, 255, 255, 255));
    {
        // The field update and everything drawn from it: a frame never shows a field that a
        // drop step is rewriting.
        std::scoped_lock lock(game.lock);
        gemletsToField(game);
        if (game.run) {
            const State state = game.state;
            if (state == State::gameover)
                blitAt(screen.gameover.get(), screen.surface, 0, 0);
            else
                drawField(screen, game.field);
            const int textY = screen.surface->h / 2;
            drawSdlString(screen, state == State::pause ? "Paused" : std::to_string(game.points),
                          textX, textY);
        }
    }
    SDL_Flip(screen.surface);
}

} // namespace gemlets
