#include "model/gemlet.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace gemlets {
namespace {

TEST(GemletRecord, SetGemletTellsAnAbsentArgumentFromAGivenEmptyOne) {
    const GemletPtr g = makeGemlet({.x = 1, .y = 2, .col = 3, .state = GemletState::dropping});
    Gemlet& same = setGemlet(*g, {});
    EXPECT_EQ(&same, g.get());
    EXPECT_EQ(gemletX(*g), 1);

    setGemlet(*g, {.x = std::optional<int>{}, .state = GemletState::landed});
    EXPECT_FALSE(gemletX(*g));
    EXPECT_EQ(gemletY(*g), 2);
    EXPECT_EQ(gemletState(*g), GemletState::landed);
}

TEST(GemletRecord, UpdateGemletMakesANewRecordAndLeavesTheOldOne) {
    const GemletPtr old = makeGemlet({.x = 1, .y = 2, .col = 3, .state = GemletState::dropping});
    const GemletPtr updated = updateGemlet(*old, {.y = 9});
    ASSERT_NE(updated, old);
    EXPECT_EQ(gemletY(*old), 2);
    EXPECT_EQ(gemletY(*updated), 9);
    EXPECT_EQ(gemletX(*updated), 1);
    EXPECT_EQ(gemletState(*updated), GemletState::dropping);
}

TEST(GemletAlist, RoundTripsInFieldOrder) {
    const GemletPtr g = makeGemlet({.x = 3, .y = 1, .col = 3, .state = GemletState::dropping});
    const Alist alist = gemletToAlist(*g);
    const Alist expected{{"x", 3}, {"y", 1}, {"col", 3}, {"state", GemletState::dropping}};
    EXPECT_EQ(alist, expected);
    EXPECT_EQ(gemletToAlist(*alistToGemlet(alist)), expected);
}

TEST(GemletAlist, LastOccurrenceWinsAndUnknownKeysAreSkipped) {
    const GemletPtr g = alistToGemlet({{"col", 1}, {"col", 2}, {"colour", 3}});
    const Alist expected{{"x", {}}, {"y", {}}, {"col", 2}, {"state", {}}};
    EXPECT_EQ(gemletToAlist(*g), expected);
    EXPECT_EQ(gemletToAlist(*alistToGemlet({})),
              (Alist{{"x", {}}, {"y", {}}, {"col", {}}, {"state", {}}}));
}

TEST(GemletAlist, AValueOfTheWrongKindIsRejected) {
    EXPECT_THROW(alistToGemlet({{"x", GemletState::landed}}), std::invalid_argument);
    EXPECT_THROW(alistToGemlet({{"state", 1}}), std::invalid_argument);
}

} // namespace
} // namespace gemlets
