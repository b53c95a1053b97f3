#include "fixtures.h"

#include <gtest/gtest.h>

namespace gemlets {
namespace {

using testing::bottomRows;

GemletPtr dropping(int x, int y, int col) {
    return makeGemlet({.x = x, .y = y, .col = col, .state = GemletState::dropping});
}

TEST(Gravity, AGemletFallsOneRowPerStepAndLandsInTheStepAfter) {
    Game game;
    game.gemlets = {dropping(0, 10, 2)};
    EXPECT_EQ(dropGemlets(game), 1);
    EXPECT_EQ(gemletY(*game.gemlets[0]), 11);
    EXPECT_EQ(dropGemlets(game), 0);
    EXPECT_EQ(gemletY(*game.gemlets[0]), 11);
    EXPECT_EQ(gemletState(*game.gemlets[0]), GemletState::landed);
}

TEST(Gravity, AStackFallsAsOne) {
    Game game;
    const GemletPtr upper = dropping(2, 4, 0);
    const GemletPtr lower = dropping(2, 5, 1);
    game.gemlets = {upper, lower};
    EXPECT_EQ(dropGemlets(game), 1);
    EXPECT_EQ(gemletY(*upper), 5);
    EXPECT_EQ(gemletY(*lower), 6);
    EXPECT_EQ(gemletState(*upper), GemletState::dropping);
    // The field is rebuilt before each gemlet: it still shows the last one one row higher.
    EXPECT_EQ(fieldToText(game.field),
              fieldToText(bottomRows({"**0***", "******", "**1***", "******", "******", "******",
                                      "******", "******"})));
}

TEST(Gravity, AFlatPairSplitsOverUnevenGround) {
    Game game;
    game.field = bottomRows({"**1***"});
    fieldToGemlets(game);
    const GemletPtr f = dropping(2, 9, 3);
    const GemletPtr s = dropping(3, 9, 0);
    game.gemlets.insert(game.gemlets.begin(), {s, f});
    dropGemlets(game);
    dropGemlets(game);
    EXPECT_EQ(gemletState(*f), GemletState::landed);
    EXPECT_EQ(gemletY(*s), 11);
    EXPECT_EQ(gemletState(*s), GemletState::dropping);
}

TEST(Gravity, ALandedGemletStaysInTheAir) {
    Game game;
    const GemletPtr g = makeGemlet({.x = 1, .y = 3, .col = 0, .state = GemletState::landed});
    game.gemlets = {g};
    EXPECT_EQ(dropGemlets(game), 0);
    EXPECT_EQ(gemletY(*g), 3);
}

TEST(Gravity, NothingInPlayLeavesTheFieldAlone) {
    Game game;
    game.field = bottomRows({"0*****"});
    EXPECT_EQ(dropGemlets(game), 0);
    EXPECT_EQ(game.field[66], 0);
    gemletsToField(game);
    EXPECT_EQ(countElements(game.field, emptyCell), 72);
}

TEST(FieldConversion, FieldToGemletsPrependsInReverseColumnScanOrder) {
    Game game;
    game.field[getOffset(0, 11)] = 2;
    game.field[getOffset(5, 0)] = 1;
    fieldToGemlets(game);
    ASSERT_EQ(game.gemlets.size(), 2u);
    EXPECT_EQ(gemletToAlist(*game.gemlets[0]), gemletToAlist(*dropping(5, 0, 1)));
    EXPECT_EQ(gemletToAlist(*game.gemlets[1]), gemletToAlist(*dropping(0, 11, 2)));
    fieldToGemlets(game);
    EXPECT_EQ(game.gemlets.size(), 4u);
}

TEST(FieldConversion, TheLaterGemletWinsASharedCell) {
    Game game;
    game.gemlets = {dropping(1, 1, 0), dropping(1, 1, 3)};
    gemletsToField(game);
    EXPECT_EQ(game.field[getOffset(1, 1)], 3);
}

TEST(HardDrop, DropsUntilThePairHasLandedThenOnceMore) {
    Game game;
    game.first = dropping(3, 1, 3);
    game.second = dropping(3, 2, 1);
    const GemletPtr floating = dropping(0, 0, 2);
    game.gemlets = {game.first, game.second, floating};
    dropThemDown(game);
    EXPECT_EQ(gemletY(*game.first), 10);
    EXPECT_EQ(gemletY(*game.second), 11);
    EXPECT_EQ(gemletState(*game.first), GemletState::landed);
    // Nine steps move the pair, the tenth lands it, the eleventh moves only the floating
    // gemlet, and the field still shows that gemlet where the step found it.
    EXPECT_EQ(gemletY(*floating), 11);
    EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows({"2**3**", "***1**"})));

    game.gemlets.push_back(dropping(5, 0, 0));
    dropThemDown(game);
    EXPECT_EQ(gemletY(*game.gemlets.back()), 1) << "one more step even when the pair had landed";
}

} // namespace
} // namespace gemlets
