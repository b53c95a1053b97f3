// SPDX-License-Identifier: MIT
#include "model/movement.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <utility>

namespace gemlets {
namespace {

using Cell = std::pair<int, int>;

// A falling pair, f blue and s red, beside a row of landed gemlets.
class PairTest : public ::testing::Test {
protected:
    void start(Cell f, Cell s, int row = 0, std::string_view cells = "******") {
        fixture::Rows rows(static_cast<std::size_t>(row), "******");
        rows.push_back(cells);
        fixture::layOut(game, rows);
        for (const GemletPtr& g : game.gemlets)
            setGemletState(*g, GemletState::landed);
        game.first =
            makeGemlet({.x = f.first, .y = f.second, .col = 0, .state = GemletState::dropping});
        game.second =
            makeGemlet({.x = s.first, .y = s.second, .col = 1, .state = GemletState::dropping});
        game.gemlets.insert(game.gemlets.begin(), {game.second, game.first});
        gemletsToField(game);
        game.state = State::unpause;
    }

    // Each move as the main loop makes it (L left, R right, U rotate, each with the field
    // update), and where the pair stands after each, "; " between them.
    std::string play(std::string_view moves) {
        std::string trace;
        for (char move : moves) {
            if (move == 'L')
                moveToLeft(game, *game.first, *game.second);
            if (move == 'R')
                moveToRight(game, *game.first, *game.second);
            if (move == 'U')
                rotateStones(game, *game.first, *game.second);
            gemletsToField(game);
            trace += (trace.empty() ? "" : "; ") + pair();
        }
        return trace;
    }

    // "f (x, y) s (x, y)", so that a failure shows both positions at once.
    std::string pair() const {
        std::ostringstream text;
        text << "f (" << *gemletX(*game.first) << ", " << *gemletY(*game.first) << ") s ("
             << *gemletX(*game.second) << ", " << *gemletY(*game.second) << ")";
        return text.str();
    }

    Game game{std::cout};
};

// Where the pair starts, the row of landed gemlets and its cells, the moves, and the pair after
// each move.
using MoveCase = std::tuple<Cell, Cell, int, std::string_view, std::string_view, std::string_view>;

TEST_F(PairTest, MovesAndTurnsStayInTheFieldAndOutOfTakenCells) {
    SKIP_UNLESS_STANDARD_FIELD();
    const MoveCase cases[] = {
        // Walls.
        {{1, 0}, {2, 0}, 0, "******", "LL", "f (0, 0) s (1, 0); f (0, 0) s (1, 0)"},
        {{3, 0}, {4, 0}, 0, "******", "RR", "f (4, 0) s (5, 0); f (4, 0) s (5, 0)"},
        // An upright pair needs both side cells free; a flat one only the cell beside its
        // leader.
        {{3, 5}, {3, 6}, 6, "**1***", "LR", "f (3, 5) s (3, 6); f (4, 5) s (4, 6)"},
        {{3, 5}, {2, 5}, 5, "*1**1*", "LR", "f (3, 5) s (2, 5); f (3, 5) s (2, 5)"},
        {{2, 5}, {3, 5}, 5, "1***1*", "L", "f (1, 5) s (2, 5)"},
        // Quarter turns clockwise, shifted at the top row and away from the left wall.
        {{2, 0}, {3, 0}, 0, "******", "UU", "f (3, 1) s (3, 0); f (2, 1) s (3, 1)"},
        {{2, 5}, {3, 5}, 0, "******", "UU", "f (3, 4) s (3, 5); f (3, 4) s (2, 4)"},
        {{3, 4}, {2, 4}, 0, "******", "UU", "f (3, 4) s (3, 3); f (2, 4) s (3, 4)"},
        {{4, 0}, {3, 0}, 0, "******", "U", "f (4, 1) s (4, 0)"},
        {{0, 5}, {0, 6}, 0, "******", "U", "f (1, 6) s (0, 6)"},
        {{0, 6}, {0, 5}, 0, "******", "U", "f (0, 6) s (1, 6)"},
        // Never into a taken cell, and never off the field for a pair split by landing.
        {{3, 5}, {3, 6}, 5, "**1***", "U", "f (3, 5) s (3, 6)"},
        {{1, 0}, {4, 3}, 0, "******", "U", "f (1, 0) s (4, 3)"},
    };
    for (const auto& [f, s, row, cells, moves, expected] : cases) {
        start(f, s, row, cells);
        EXPECT_EQ(play(moves), expected) << moves << " on\n" << fieldToText(game.field);
    }
}

} // namespace
} // namespace gemlets
