// SPDX-License-Identifier: MIT
#include "model/gemlet.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace gemlets {
namespace {

TEST(GemletRecord, AnAbsentArgumentChangesNothingAndAGivenEmptyOneEmptiesTheField) {
    const GemletPtr g = makeGemlet({.x = 1, .y = 2, .col = 3, .state = GemletState::dropping});
    EXPECT_EQ(&setGemlet(*g, {.x = std::optional<int>{}, .state = GemletState::landed}), g.get());
    EXPECT_EQ(gemletToAlist(*g),
              (Alist{{"x", {}}, {"y", 2}, {"col", 3}, {"state", GemletState::landed}}));

    EXPECT_EQ(gemletToAlist(*updateGemlet(*g, {.y = 9})),
              (Alist{{"x", {}}, {"y", 9}, {"col", 3}, {"state", GemletState::landed}}));
    EXPECT_EQ(gemletY(*g), 2) << "updateGemlet changed its source";
}

TEST(GemletAlist, RoundTripsAndKeepsTheLastOfARepeatedKey) {
    const Alist full{{"x", 3}, {"y", 1}, {"col", 3}, {"state", GemletState::dropping}};
    EXPECT_EQ(gemletToAlist(*alistToGemlet(full)), full);
    EXPECT_EQ(gemletToAlist(*alistToGemlet({{"col", 1}, {"col", 2}, {"colour", 3}})),
              (Alist{{"x", {}}, {"y", {}}, {"col", 2}, {"state", {}}}));
    EXPECT_THROW(alistToGemlet({{"x", GemletState::landed}}), std::invalid_argument);
    EXPECT_THROW(alistToGemlet({{"state", 1}}), std::invalid_argument);
}

} // namespace
} // namespace gemlets
