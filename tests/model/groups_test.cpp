// SPDX-License-Identifier: MIT
#include "model/groups.h"
#include "model/turn.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using fixture::bottomRows;
using fixture::settle;
using Rows = std::vector<std::string_view>;

std::string header(int count) {
    return "\nbacktrackGemlets\ngemlets count = " + std::to_string(count);
}

std::string grids(const Rows& rows, int times = 1) {
    std::ostringstream all;
    for (int i = 0; i < times; ++i)
        printField(bottomRows(rows), all);
    return all.str();
}

const std::string sweep = "\nsweeping";
const std::string swept = "\nsweeping returning 0";

class GroupTest : public ::testing::Test {
protected:
    std::ostringstream trace;
    Game game{trace};
};

// One search over a settled field: what stays, and the points.
TEST(Groups, FourOrMoreOrthogonallyConnectedCellsOfOneColourClear) {
    const std::tuple<const char*, Rows, Rows, int> cases[] = {
        {"reds in an L clear; blues touching at corners and three yellows stay",
         {"1*0*3*", "10203*", "11023*"},
         {"**0*3*", "**203*", "*0023*"},
         8},
        {"a U needs the upward step, an arch the downward one",
         {"0003*3", "010333"},
         {"*1****"},
         20},
        {"no group wraps around the edges", {"*****0", "000**1"}, {"*****0", "000**1"}, 0},
    };
    for (const auto& [what, before, after, points] : cases) {
        Game game{std::cout};
        settle(game, before);
        backtrackGemlets(game);
        EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows(after))) << what;
        EXPECT_EQ(game.points, points) << what;
        EXPECT_EQ(game.state, points > 0 ? State::unpause : State::none) << what;
    }
}

// Sweeps of 25 marked cells, 2 points each, from the level a game starts at, 0: a level each
// time, up to ten.
TEST_F(GroupTest, ALevelIsGainedEveryFiftyPointsUpToTen) {
    for (int round = 1; round <= 12; ++round) {
        std::fill(game.solveField.begin(), game.solveField.begin() + 25, visitedMark);
        sweeping(game);
        EXPECT_EQ(game.points, 50 * round);
        EXPECT_EQ(game.level, std::min(round, 10));
    }
}

TEST_F(GroupTest, FewerThanFourGemletsAreNotSearchedAndTwoGroupsClearInOneSearch) {
    Game few{trace};
    settle(few, {"000***"});
    backtrackGemlets(few);
    EXPECT_EQ(trace.str(), header(3));
    trace.str("");

    settle(game, {"00**00", "00**00"});
    backtrackGemlets(game);
    // The second group is found by the records the search began with; those of the first
    // group now probe empty cells.
    EXPECT_EQ(trace.str(), header(8) + grids({"00**##", "00**##"}) + sweep + swept +
                               grids({"00****", "00****"}) + grids({"##****", "##****"}) + sweep +
                               swept + grids({}, 5));
    EXPECT_EQ(game.points, 16);
    EXPECT_TRUE(game.gemlets.empty());
    EXPECT_EQ(game.chainGroups, std::vector{2}) << "nothing fell between them: one step";
}

TEST_F(GroupTest, AStackFallingOntoANewGroupNeedsTheSecondSearch) {
    settle(game, {"*111**", "00001*"});
    backtrackGemlets(game);
    // While the reds fall, the field still shows the last one a row up, so the nested search
    // sees three; the second call of the turn step clears them.
    EXPECT_EQ(trace.str(), header(8) + grids({"*111**", "0000#*"}) + grids({"*111**", "####1*"}) +
                               sweep + header(4) + grids({"*1****", "**###*"}, 3) +
                               grids({"*1****", "**111*"}) + swept + grids({"*1111*"}, 6));
    EXPECT_EQ(game.points, 8);

    backtrackGemlets(game);
    EXPECT_EQ(game.points, 16);
    EXPECT_EQ(countElements(game.field, emptyCell), fieldW * fieldH);
    EXPECT_EQ(game.chainGroups, (std::vector{1, 1})) << "the reds fell onto theirs: a chain";
    RandomGenerator random(1);
    game.state = State::newGemlets;
    newTurn(game, random);
    EXPECT_TRUE(game.chainGroups.empty()) << "the next turn cleared nothing: nothing to chime";
}

} // namespace
} // namespace gemlets
