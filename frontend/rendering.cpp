// SPDX-License-Identifier: MIT
#include "frontend/rendering.h"

#include "play/game_events.h"

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

SDL_Rect blitAt(SDL_Surface* image, SDL_Surface* surface, int x, int y) {
    if (image == nullptr)
        return SDL_Rect{0, 0, 0, 0};
    SDL_Rect destination{static_cast<Sint16>(x), static_cast<Sint16>(y),
                         static_cast<Uint16>(image->w), static_cast<Uint16>(image->h)};
    SDL_BlitSurface(image, nullptr, surface, &destination);
    return coveredArea(image, surface, x, y);
}

SDL_Rect drawText(const Screen& screen, const std::string& str, int x, int y) {
    if (!screen.font)
        return SDL_Rect{0, 0, 0, 0};
    const SDL_Color black{0, 0, 0, 0};
    const SurfacePtr text(TTF_RenderText_Blended(screen.font.get(), str.c_str(), black));
    return blitAt(text.get(), screen.surface, x, y);
}

bool sameArea(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// Adds to `areas` the area of each of `placed` that `other` does not hold. The placements come
// in one fixed order (the game-over image or the cells by index, then the text), so what two
// frames both place is drawn in the same order in both: their pixels can differ only where one
// placed what the other did not.
void addUnmatched(std::vector<SDL_Rect>& areas, const std::vector<Placement>& placed,
                  const std::vector<SDL_Rect>& placedAreas, const std::vector<Placement>& other) {
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const SDL_Rect& area = placedAreas[i];
        if (area.w == 0 || area.h == 0 ||
            std::find(other.begin(), other.end(), placed[i]) != other.end())
            continue;
        if (std::none_of(areas.begin(), areas.end(),
                         [&](const SDL_Rect& r) { return sameArea(r, area); }))
            areas.push_back(area);
    }
}

// Hands SDL the frame just drawn: the whole window when it is due, otherwise the areas where
// it differs from the last one drawn.
void showFrame(Screen& screen) {
    const bool whole = screen.wholeWindowDue;
    if (whole) {
        screen.updated.push_back(screen.backgroundRect);
    } else {
        addUnmatched(screen.updated, screen.placing, screen.placingAreas, screen.shown);
        addUnmatched(screen.updated, screen.shown, screen.shownAreas, screen.placing);
    }
    if (screen.present) {
        screen.present(screen.updated, whole);
    } else if (whole) {
        SDL_Flip(screen.surface);
    } else if (!screen.updated.empty()) {
        SDL_UpdateRects(screen.surface, static_cast<int>(screen.updated.size()),
                        screen.updated.data());
    }
    screen.wholeWindowDue = false;
    std::swap(screen.shown, screen.placing);
    std::swap(screen.shownAreas, screen.placingAreas);
}

void placeImage(Screen& screen, SDL_Surface* image, int x, int y) {
    if (image != nullptr)
        screen.placing.push_back(Placement{image, "", x, y});
}

} // namespace

void drawField(Screen& screen, const Field& f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (!isColour(f[i]))
            continue;
        const int column = static_cast<int>(i % fieldW);
        const int row = static_cast<int>(i / fieldW);
        placeImage(screen, screen.cellImages[static_cast<std::size_t>(f[i])].get(),
                   gemletW * column, gemletH * row);
    }
}

void drawSdlString(Screen& screen, const std::string& str, int x, int y) {
    screen.placing.push_back(Placement{nullptr, str, x, y});
}

void drawPlaced(Screen& screen) {
    SDL_FillRect(screen.surface, &screen.backgroundRect,
                 SDL_MapRGB(screen.surface->format, 255, 255, 255));
    screen.placingAreas.clear();
    for (const Placement& p : screen.placing)
        screen.placingAreas.push_back(p.image != nullptr ? blitAt(p.image, screen.surface, p.x, p.y)
                                                         : drawText(screen, p.text, p.x, p.y));
}

void frameStep(Screen& screen, Game& game, bool updateField) {
    screen.placing.clear();
    screen.updated.clear();
    {
        // The field update and everything drawn from it: a frame never shows a field that a
        // drop step is rewriting.
        std::scoped_lock lock(game.lock);
        if (updateField)
            enterGameLocked(game, eventOf(EventKind::frame));
        if (game.run) {
            const State state = game.state;
            if (state == State::gameover)
                placeImage(screen, screen.gameover.get(), 0, 0);
            else
                drawField(screen, game.field);
            const int textY = screen.surface->h / 2;
            drawSdlString(screen, state == State::pause ? "Paused" : std::to_string(game.points),
                          textX, textY);
        }
        if (!screen.wholeWindowDue && screen.placing == screen.shown)
            return;
        drawPlaced(screen);
    }
    showFrame(screen);
}

void showWholeWindowNext(Screen& screen) {
    screen.wholeWindowDue = true;
}

} // namespace gemlets
