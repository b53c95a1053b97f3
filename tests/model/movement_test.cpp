#include "fixtures.h"
#include "model/movement.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <utility>

namespace gemlets {
namespace {

using testing::bottomRows;

// A falling pair on top of the given rows, written into the field as the main loop does.
class PairTest : public ::testing::Test {
protected:
    void start(std::pair<int, int> f, std::pair<int, int> s,
               const std::vector<std::string_view>& rows = {}) {
        game.field = bottomRows(rows);
        game.gemlets.clear();
        fieldToGemlets(game);
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

    // "f (x, y) s (x, y)", so that a failure shows both positions at once.
    std::string pair() const {
        std::ostringstream text;
        text << "f (" << *gemletX(*game.first) << ", " << *gemletY(*game.first) << ") s ("
             << *gemletX(*game.second) << ", " << *gemletY(*game.second) << ")";
        return text.str();
    }

    void left() {
        moveToLeft(game, *game.first, *game.second);
        gemletsToField(game);
    }
    void right() {
        moveToRight(game, *game.first, *game.second);
        gemletsToField(game);
    }
    void rotate() {
        rotateStones(game, *game.first, *game.second);
        gemletsToField(game);
    }

    Game game;
};

TEST_F(PairTest, SidewaysMovesStopAtTheWalls) {
    start({2, 0}, {3, 0});
    left();
    left();
    EXPECT_EQ(pair(), "f (0, 0) s (1, 0)");
    left();
    EXPECT_EQ(pair(), "f (0, 0) s (1, 0)");

    start({2, 0}, {3, 0});
    right();
    right();
    right();
    EXPECT_EQ(pair(), "f (4, 0) s (5, 0)");

    start({5, 3}, {5, 4});
    right();
    EXPECT_EQ(pair(), "f (5, 3) s (5, 4)");
}

TEST_F(PairTest, AnUprightPairNeedsBothSideCellsFree) {
    start({3, 5}, {3, 6}, {"**1***", "******", "******", "******", "******", "******"});
    left();
    EXPECT_EQ(pair(), "f (3, 5) s (3, 6)");
    right();
    EXPECT_EQ(pair(), "f (4, 5) s (4, 6)");
}

TEST_F(PairTest, AFlatPairTestsOnlyTheCellBesideItsLeader) {
    start({3, 5}, {2, 5}, {"*1**1*", "******", "******", "******", "******", "******", "******"});
    left();
    EXPECT_EQ(pair(), "f (3, 5) s (2, 5)");
    right();
    EXPECT_EQ(pair(), "f (3, 5) s (2, 5)");
    start({2, 5}, {3, 5}, {"1***1*", "******", "******", "******", "******", "******", "******"});
    left();
    right();
    EXPECT_EQ(pair(), "f (2, 5) s (3, 5)");
}

TEST_F(PairTest, ASidewaysMoveAlwaysEndsUnpausedButOnlyMovesADroppingPair) {
    start({2, 0}, {3, 0});
    game.state = State::pause;
    left();
    EXPECT_EQ(pair(), "f (1, 0) s (2, 0)");
    EXPECT_EQ(game.state, State::unpause);

    setGemletState(*game.second, GemletState::landed);
    game.state = State::gameover;
    right();
    EXPECT_EQ(pair(), "f (1, 0) s (2, 0)");
    EXPECT_EQ(game.state, State::unpause);
}

TEST_F(PairTest, RotationTurnsClockwiseAndShiftsAtTheTopRow) {
    start({2, 0}, {3, 0});
    game.state = State::pause;
    rotate();
    EXPECT_EQ(pair(), "f (3, 1) s (3, 0)");
    rotate();
    EXPECT_EQ(pair(), "f (2, 1) s (3, 1)");
    EXPECT_EQ(game.state, State::pause);

    start({2, 5}, {3, 5});
    std::string seen;
    for (int turn = 0; turn < 4; ++turn) {
        rotate();
        seen += pair() + "; ";
    }
    EXPECT_EQ(seen, "f (3, 4) s (3, 5); f (3, 4) s (2, 4); f (3, 4) s (3, 3); f (2, 4) s (3, 4); ");

    start({4, 0}, {3, 0});
    rotate();
    EXPECT_EQ(pair(), "f (4, 1) s (4, 0)");
}

TEST_F(PairTest, RotationShiftsAwayFromTheLeftWall) {
    start({0, 5}, {0, 6});
    rotate();
    EXPECT_EQ(pair(), "f (1, 6) s (0, 6)");
    start({0, 6}, {0, 5});
    rotate();
    EXPECT_EQ(pair(), "f (0, 6) s (1, 6)");
}

// Turning into a taken cell would put two gemlets in one cell, and turning a landed pair
// would leave a gemlet in the air; neither happens.
TEST_F(PairTest, RotationNeverOverlapsOrLiftsOrLeavesTheField) {
    start({3, 5}, {3, 6}, {"**1***", "******", "******", "******", "******", "******", "******"});
    rotate();
    EXPECT_EQ(pair(), "f (3, 5) s (3, 6)");

    start({3, 10}, {4, 10}, {"***1**"});
    setGemletState(*game.first, GemletState::landed);
    rotate();
    EXPECT_EQ(pair(), "f (3, 10) s (4, 10)");

    // A pair split by landing, no longer adjacent: case 1b would write row -1.
    start({1, 0}, {4, 3});
    rotate();
    EXPECT_EQ(pair(), "f (1, 0) s (4, 3)");
}

} // namespace
} // namespace gemlets
