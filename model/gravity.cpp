// SPDX-License-Identifier: MIT
#include "model/gravity.h"

#include <algorithm>

namespace gemlets {

namespace {

bool hasLanded(const GemletPtr& g) {
    return gemletState(*g) == GemletState::landed;
}

} // namespace

void gemletsToField(Game& game) {
    std::fill(game.field.begin(), game.field.end(), emptyCell);
    for (const GemletPtr& g : game.gemlets)
        game.field.at(getOffset(gemletX(*g).value(), gemletY(*g).value())) = gemletCol(*g).value();
}

void fieldToGemlets(Game& game) {
    for (int x = 0; x < fieldW; ++x) {
        for (int y = 0; y < fieldH; ++y) {
            const int cell = game.field[getOffset(x, y)];
            if (cell == emptyCell)
                continue;
            game.gemlets.insert(
                game.gemlets.begin(),
                makeGemlet({.x = x, .y = y, .col = cell, .state = GemletState::dropping}));
        }
    }
}

int dropGemlets(Game& game) {
    // Bottom rows first, so that a stack falls as one: the upper gemlet sees the cell the
    // lower one has just left as free because the field is rebuilt before each gemlet.
    std::stable_sort(game.gemlets.begin(), game.gemlets.end(),
                     [](const GemletPtr& a, const GemletPtr& b) {
                         return gemletY(*a).value() > gemletY(*b).value();
                     });
    for (const GemletPtr& g : game.gemlets) {
        gemletsToField(game);
        if (gemletState(*g) != GemletState::dropping)
            continue;
        const int x = gemletX(*g).value();
        const int y = gemletY(*g).value();
        if (y + 1 < fieldH && game.field[getOffset(x, y + 1)] == emptyCell)
            setGemletY(*g, y + 1);
        else
            setGemletState(*g, GemletState::landed);
    }
    return std::all_of(game.gemlets.begin(), game.gemlets.end(), hasLanded) ? 0 : 1;
}

void dropThemDown(Game& game) {
    bool done = false;
    while (!done) {
        if (hasLanded(game.first) && hasLanded(game.second))
            done = true;
        dropGemlets(game);
    }
}

} // namespace gemlets
