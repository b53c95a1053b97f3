// SPDX-License-Identifier: MIT
#include "frame/rendering.h"

#include "model/gravity.h"

#include <algorithm>
#include <utility>

namespace gemlets {

namespace {

// The area an image blitted at (x, y) covers, clipped to the window as the blit clips it.
SDL_Rect coveredArea(const SDL_Surface* image, const SDL_Surface* surface, int x, int y) {
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + image->w, surface->w);
    const int bottom = std::min(y + image->h, surface->h);
    if (right <= left || bottom <= top)
        return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top),
                    static_cast<Uint16>(right - left), static_cast<Uint16>(bottom - top)};
}

Placed blitAt(SDL_Surface* image, SDL_Surface* surface, int x, int y) {
    if (image == nullptr)
        return Placed{};
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y),
                         static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_BlitSurface(image, nullptr, surface, &destination);
    return Placed{image, coveredArea(image, surface, x, y)};
}

bool isEmpty(const SDL_Rect& r) {
    return r.w == 0 || r.h == 0;
}

SDL_Rect unite(const SDL_Rect& a, const SDL_Rect& b) {
    if (isEmpty(a))
        return b;
    if (isEmpty(b))
        return a;
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.w, b.x + b.w);
    const int bottom = std::max(a.y + a.h, b.y + b.h);
    return SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top),
                    static_cast<Uint16>(right - left), static_cast<Uint16>(bottom - top)};
}

bool sameArea(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// Where two frames' pixels may differ because of one place: nowhere when the same image went
// to the same area.
SDL_Rect changedArea(const Placed& a, const Placed& b) {
    if (a.image == b.image && sameArea(a.area, b.area))
        return SDL_Rect{0, 0, 0, 0};
    return unite(a.area, b.area);
}

// Hands SDL the frame just drawn: the whole window when it is due, otherwise two areas at
// most, the changes left of the text (cells and game-over image) and the text's.
void showFrame(Screen& screen) {
    const FrameLayout& now = screen.drawing;
    const FrameLayout& before = screen.shown;
    if (screen.wholeWindowDue) {
        screen.updated[0] = screen.backgroundRect;
        screen.updatedCount = 1;
        SDL_Flip(screen.surface);
    } else {
        SDL_Rect field = changedArea(now.gameover, before.gameover);
        for (std::size_t i = 0; i < now.cells.size(); ++i)
            field = unite(field, changedArea(now.cells[i], before.cells[i]));
        const SDL_Rect text = now.text == before.text
                                  ? changedArea(now.textPlaced, before.textPlaced)
                                  : unite(now.textPlaced.area, before.textPlaced.area);
        screen.updatedCount = 0;
        for (const SDL_Rect& area : {field, text}) {
            if (!isEmpty(area))
                screen.updated[screen.updatedCount++] = area;
        }
        // Also with no area: every frame still reaches SDL, and sdl12-compat then presents
        // its copy of the window once a display refresh, which also mends an expose that
        // went unreported.
        SDL_UpdateRects(screen.surface, static_cast<int>(screen.updatedCount),
                        screen.updated.data());
    }
    screen.wholeWindowDue = false;
    std::swap(screen.shown, screen.drawing);
}

} // namespace

void drawField(Screen& screen, const Field& f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!isColour(f[i]))
            continue;
        const int column = static_cast<int>(i % fieldW);
        const int row = static_cast<int>(i / fieldW);
        const Placed placed = blitAt(screen.cellImages[static_cast<std::size_t>(f[i])].get(),
                                     screen.surface, gemletW * column, gemletH * row);
        // Cells past the field's are below the window: nothing of them shows.
        if (i < screen.drawing.cells.size())
            screen.drawing.cells[i] = placed;
    }
}

void drawSdlString(Screen& screen, const std::string& str, int x, int y) {
    screen.drawing.text = str;
    if (!screen.font)
        return;
    const SDL_Color black{0, 0, 0, 0};
    const SurfacePtr text(TTF_RenderText_Blended(screen.font.get(), str.c_str(), black));
    screen.drawing.textPlaced = blitAt(text.get(), screen.surface, x, y);
    screen.drawing.textPlaced.image = nullptr; // freed below: its address means nothing
}

void frameStep(Screen& screen, Game& game) {
    SDL_FillRect(screen.surface, &screen.backgroundRect,
                 SDL_MapRGB(screen.surface->format, 255, 255, 255));
    screen.drawing = FrameLayout{};
    {
        // The field update and everything drawn from it: a frame never shows a field that a
        // drop step is rewriting.
        std::scoped_lock lock(game.lock);
        gemletsToField(game);
        if (game.run) {
            const State state = game.state;
            if (state == State::gameover)
                screen.drawing.gameover = blitAt(screen.gameover.get(), screen.surface, 0, 0);
            else
                drawField(screen, game.field);
            const int textY = screen.surface->h / 2;
            drawSdlString(screen, state == State::pause ? "Paused" : std::to_string(game.points),
                          textX, textY);
        }
    }
    showFrame(screen);
}

void showWholeWindowNext(Screen& screen) {
    screen.wholeWindowDue = true;
}

} // namespace gemlets
