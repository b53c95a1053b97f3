// SPDX-License-Identifier: MIT
#include "tests/field_fixture.h"

#include <gtest/gtest.h>

namespace gemlets {
namespace {

using fixture::bottomRows;
using fixture::settle;
using Rows = std::vector<std::string_view>;

GemletPtr dropping(int x, int y, int col) {
    return makeGemlet({.x = x, .y = y, .col = col, .state = GemletState::dropping});
}

// Each case: what it shows, the gemlets landed where `ground` shows them and falling where
// `falling` does, the steps, the field after them and what the last step returned.
TEST(Gravity, EachStepMovesEveryFallingGemletOneRowOrLandsIt) {
    const std::tuple<const char*, Rows, Rows, int, Rows, int> cases[] = {
        {"a gemlet falls a row, then lands", {}, {"**2***", "******"}, 2, {"**2***"}, 0},
        {"a stack falls as one", {}, {"**0***", "**1***", "******"}, 1, {"**0***", "**1***"}, 1},
        {"a flat pair splits over uneven ground",
         {"**1***"},
         {"**30**", "******", "******"},
         2,
         {"**3***", "**10**"},
         1},
        {"a landed gemlet stays in the air", {"*0****", "******"}, {}, 1, {"*0****", "******"}, 0},
        {"nothing in play", {}, {}, 1, {}, 0},
    };
    for (const auto& [what, ground, falling, steps, after, lastResult] : cases) {
        Game game{std::cout};
        game.field = bottomRows(ground);
        fieldToGemlets(game);
        for (const GemletPtr& g : game.gemlets)
            setGemletState(*g, GemletState::landed);
        game.field = bottomRows(falling);
        fieldToGemlets(game);
        int result = -1;
        for (int step = 0; step < steps; ++step)
            result = dropGemlets(game);
        gemletsToField(game);
        EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows(after))) << what;
        EXPECT_EQ(result, lastResult) << what;
    }
}

TEST(HardDrop, DropsUntilThePairHasLandedThenOnceMore) {
    Game game{std::cout};
    game.first = dropping(3, 1, 3);
    game.second = dropping(3, 2, 1);
    const GemletPtr floating = dropping(0, 0, 2);
    game.gemlets = {game.first, game.second, floating};
    dropThemDown(game);
    // Nine steps move the pair, the tenth lands it, the eleventh moves only the floating
    // gemlet, and the field still shows that gemlet where the step found it.
    EXPECT_EQ(gemletState(*game.first), GemletState::landed);
    EXPECT_EQ(gemletY(*floating), 11);
    EXPECT_EQ(fieldToText(game.field), fieldToText(bottomRows({"2**3**", "***1**"})));

    game.gemlets.push_back(dropping(5, 0, 0));
    dropThemDown(game);
    EXPECT_EQ(gemletY(*game.gemlets.back()), 1) << "one more step even when the pair had landed";

    // A flat pair over a column on one side: the other half falls to the floor.
    Game split{std::cout};
    settle(split, Rows(9, "2*****"));
    split.first = dropping(0, 0, 3);
    split.second = dropping(1, 0, 1);
    split.gemlets.insert(split.gemlets.end(), {split.first, split.second});
    dropThemDown(split);
    EXPECT_EQ(gemletY(*split.second), 11) << "the hard drop ends when both halves have landed";
}

} // namespace
} // namespace gemlets
