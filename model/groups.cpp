// SPDX-License-Identifier: MIT
#include "model/groups.h"

#include "model/gravity.h"

namespace gemlets {

void backtrack(Field& f, int x, int y, int col) {
    if (x < 0 || y < 0 || x >= fieldW || y >= fieldH)
        return;
    int& cell = f[getOffset(x, y)];
    // A marked cell holds visitedMark, which is no colour, so the fill stops there.
    if (cell != col)
        return;
    cell = visitedMark;
    backtrack(f, x + 1, y, col);
    backtrack(f, x, y + 1, col);
    backtrack(f, x - 1, y, col);
    backtrack(f, x, y - 1, col);
}

void sweeping(Game& game) {
    game.state = State::pause;
    if (game.chainGroups.empty() || game.chainFell)
        game.chainGroups.push_back(0);
    game.chainFell = false;
    ++game.chainGroups.back();
    game.out << "\nsweeping";
    for (std::size_t i = 0; i < game.solveField.size(); ++i) {
        if (game.solveField[i] != visitedMark)
            continue;
        game.points += pointsPerCell;
        if (game.level < maxLevel && game.points % pointsPerLevel == 0)
            ++game.level;
        game.field[i] = emptyCell;
    }
    game.gemlets.clear();
    fieldToGemlets(game);
    // Search after every step of the fall, so that a group formed on the way down is
    // cleared at once by a nested sweep.
    while (dropGemlets(game) == 1) {
        game.chainFell = true;
        backtrackGemlets(game);
    }
    game.state = State::unpause;
}

void backtrackGemlets(Game& game) {
    game.out << "\nbacktrackGemlets\ngemlets count = " << game.gemlets.size();
    if (game.gemlets.size() < static_cast<std::size_t>(groupThreshold))
        return;
    // A nested sweep replaces game.gemlets; the search goes on over the records it began
    // with, each probed at its old cell against the current field.
    const Gemlets searched = game.gemlets;
    for (const GemletPtr& g : searched) {
        const std::optional<int> col = gemletCol(*g);
        if (!col || !isColour(*col))
            continue;
        copyField(game.field, game.solveField);
        backtrack(game.solveField, gemletX(*g).value(), gemletY(*g).value(), *col);
        printField(game.solveField, game.out);
        if (countElements(game.solveField, visitedMark) >= groupThreshold) {
            sweeping(game);
            game.out << "\nsweeping returning 0";
        }
    }
}

} // namespace gemlets
