#include "fixtures.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using testing::bottomRows;
using testing::printed;

TEST(FieldGrid, OffsetsAreRowMajorFromTheTopLeft) {
    EXPECT_EQ(getOffset(0, 0), 0);
    EXPECT_EQ(getOffset(5, 0), 5);
    EXPECT_EQ(getOffset(0, 1), 6);
    EXPECT_EQ(getOffset(5, 11), 71);
}

TEST(FieldGrid, PrintFieldWritesSignedLowerCaseHexWithATrailingBlank) {
    Field f = emptyField();
    f[0] = visitedMark;
    f[7] = 3;
    std::string expected = "ff -1 -1 -1 -1 -1 \n-1 3 -1 -1 -1 -1 \n";
    for (int row = 2; row < fieldH; ++row)
        expected += "-1 -1 -1 -1 -1 -1 \n";
    EXPECT_EQ(printed(f), expected);
}

TEST(FieldGrid, ClearFieldEmptiesOnlyTheField) {
    Game game;
    game.field = bottomRows({"0123**"});
    game.solveField[4] = visitedMark;
    clearField(game);
    EXPECT_EQ(countElements(game.field, emptyCell), fieldW * fieldH);
    EXPECT_EQ(game.solveField[4], visitedMark);
}

TEST(FieldGrid, CopyIsIndependentOfItsSource) {
    Game game;
    game.field = bottomRows({"0123**", "3210**"});
    copyField(game.field, game.solveField);
    for (int colour = -1; colour < maxCols; ++colour)
        EXPECT_EQ(countElements(game.solveField, colour), countElements(game.field, colour));
    game.solveField[70] = visitedMark;
    EXPECT_EQ(countElements(game.field, visitedMark), 0);
}

TEST(FreshGame, HoldsTheInitialValues) {
    const Game game;
    EXPECT_EQ(game.points, 0);
    EXPECT_EQ(game.level, 1);
    EXPECT_EQ(game.state, State::none);
    EXPECT_FALSE(game.run);
    EXPECT_TRUE(game.gemlets.empty());
    EXPECT_EQ(game.first, nullptr);
    EXPECT_EQ(countElements(game.field, emptyCell), 72);
    EXPECT_EQ(countElements(game.solveField, emptyCell), 72);
}

} // namespace
} // namespace gemlets
