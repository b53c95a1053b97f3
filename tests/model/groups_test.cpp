#include "fixtures.h"
#include "model/groups.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using testing::bottomRows;
using testing::printed;
using testing::settle;

std::string header(int count) {
    return "\nbacktrackGemlets\ngemlets count = " + std::to_string(count);
}

std::string grid(const std::vector<std::string_view>& rows) {
    return printed(bottomRows(rows));
}

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

const std::string sweep = "\nsweeping";
const std::string swept = "\nsweeping returning 0";

class GroupTest : public ::testing::Test {
protected:
    std::ostringstream trace;
    Game game{trace};
};

TEST_F(GroupTest, FewerThanFourGemletsAreNotSearched) {
    settle(game, {"000***"});
    backtrackGemlets(game);
    EXPECT_EQ(trace.str(), header(3));
}

TEST_F(GroupTest, OnlyOrthogonalGroupsOfFourOrMoreClear) {
    // Reds in an L clear; blues touching only at corners and three yellows stay.
    settle(game, {"1*0*3*", "10203*", "11023*"});
    backtrackGemlets(game);
    EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows({"**0*3*", "**203*", "*0023*"})));
    EXPECT_EQ(game.points, 8);
    EXPECT_EQ(game.state, State::unpause);
}

TEST_F(GroupTest, GroupsDoNotWrapAroundTheEdges) {
    Field f = bottomRows({"*****0", "000***"});
    backtrack(f, 0, 11, 0);
    EXPECT_EQ(fieldToText(f), fieldToText(bottomRows({"*****0", "###***"})));
}

TEST_F(GroupTest, ALevelIsGainedEveryFiftyPointsUpToTen) {
    game.level = 0;
    std::fill(game.solveField.begin(), game.solveField.begin() + 25, visitedMark);
    sweeping(game);
    EXPECT_EQ(game.points, 50);
    EXPECT_EQ(game.level, 1);

    game.level = 10;
    game.points = 48;
    std::fill(game.solveField.begin(), game.solveField.end(), emptyCell);
    game.solveField[0] = visitedMark;
    sweeping(game);
    EXPECT_EQ(game.points, 50);
    EXPECT_EQ(game.level, 10);
}

TEST_F(GroupTest, TwoSeparateGroupsClearInOneSearch) {
    settle(game, {"00**00", "00**00"});
    backtrackGemlets(game);
    // The second group is found by the records the search began with; those of the first
    // group now probe empty cells.
    EXPECT_EQ(trace.str(), header(8) + grid({"00**##", "00**##"}) + sweep + swept +
                               grid({"00****", "00****"}) + grid({"##****", "##****"}) + sweep +
                               swept + repeated(grid({}), 5));
    EXPECT_EQ(game.points, 16);
    EXPECT_TRUE(game.gemlets.empty());
}

TEST_F(GroupTest, AStackFallingOntoANewGroupNeedsTheSecondSearch) {
    settle(game, {"*111**", "00001*"});
    backtrackGemlets(game);
    // While the reds fall, the field still shows the last one a row up, so the nested search
    // sees three; the second call of the turn step clears them.
    EXPECT_EQ(trace.str(), header(8) + grid({"*111**", "0000#*"}) + grid({"*111**", "####1*"}) +
                               sweep + header(4) + repeated(grid({"*1****", "**###*"}), 3) +
                               grid({"*1****", "**111*"}) + swept + repeated(grid({"*1111*"}), 6));
    EXPECT_EQ(game.points, 8);

    backtrackGemlets(game);
    EXPECT_EQ(game.points, 16);
    EXPECT_EQ(countElements(game.field, emptyCell), 72);
}

TEST_F(GroupTest, AGroupFormedMidFallIsClearedByANestedSweep) {
    settle(game, {"1*****", "0*****", "01****", "01****", "01****", "23****", "23****"});
    backtrackGemlets(game);
    // The falling red passes the red column on its way down and clears with it there.
    EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows({"23****", "23****"})));
    EXPECT_EQ(game.points, 16);
    const std::string text = trace.str();
    EXPECT_NE(text.find(sweep + header(8)), std::string::npos) << text;
    const auto count = [&](const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count(swept), 2) << text;
    EXPECT_EQ(count(sweep), 4) << "two sweeps and their two closing lines\n" << text;
}

} // namespace
} // namespace gemlets
