// SPDX-License-Identifier: MIT
// The fields the benchmarks play on, in the field text form, and laying a game out from one.
#pragma once

#include "model/field_file.h"
#include "model/game.h"
#include "model/gravity.h"

#include <cstddef>
#include <string_view>

namespace gemlets::bench {

// Every cell taken, no four of a colour touching.
inline constexpr std::string_view fullField = "011223\n"
                                              "300112\n"
                                              "233001\n"
                                              "122330\n"
                                              "011223\n"
                                              "300112\n"
                                              "233001\n"
                                              "122330\n"
                                              "011223\n"
                                              "300112\n"
                                              "233001\n"
                                              "122330\n";

inline constexpr std::string_view emptyFieldText = "******\n******\n******\n******\n"
                                                   "******\n******\n******\n******\n"
                                                   "******\n******\n******\n******\n";

// The lower half full, and a pair above it in column 3; then the same pair one row lower.
inline constexpr std::string_view pairAboveHalfField = "******\n"
                                                       "******\n"
                                                       "***0**\n"
                                                       "***1**\n"
                                                       "******\n"
                                                       "******\n"
                                                       "011223\n"
                                                       "300112\n"
                                                       "233001\n"
                                                       "122330\n"
                                                       "011223\n"
                                                       "300112\n";

inline constexpr std::string_view pairOneRowLower = "******\n"
                                                    "******\n"
                                                    "******\n"
                                                    "***0**\n"
                                                    "***1**\n"
                                                    "******\n"
                                                    "011223\n"
                                                    "300112\n"
                                                    "233001\n"
                                                    "122330\n"
                                                    "011223\n"
                                                    "300112\n";

// The costliest turn step we found: every cell but the two spawn cells taken, and the only
// group of four or more (five zeros) runs through (3, 1), where the last pair has just landed
// beside (2, 1), as in a game. Found by a hill climb over such fields, scored by the length of
// the group-search trace; its clearing sets off a chain that clears 64 of the 70 cells, each
// clearing followed by a fall that is searched after every row.
inline constexpr std::string_view worstChainField = "10**20\n"
                                                    "132003\n"
                                                    "012103\n"
                                                    "301201\n"
                                                    "203302\n"
                                                    "202322\n"
                                                    "211201\n"
                                                    "030321\n"
                                                    "112001\n"
                                                    "122333\n"
                                                    "201012\n"
                                                    "011302\n";

// The text form of a whole field: fieldH lines of fieldW cells. The fields above are drawn for
// the field's size; a change of size must draw them anew.
constexpr bool isWholeField(std::string_view text) {
    constexpr auto lineLength = static_cast<std::size_t>(fieldW) + 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((text[i] == '\n') != ((i + 1) % lineLength == 0))
            return false;
    return text.size() == lineLength * static_cast<std::size_t>(fieldH);
}
static_assert(isWholeField(fullField) && isWholeField(emptyFieldText) &&
                  isWholeField(pairAboveHalfField) && isWholeField(pairOneRowLower) &&
                  isWholeField(worstChainField),
              "the bench's fields are drawn for the field's size");

// The game as the drop task leaves it when everything has landed on this field.
inline void layOutLanded(Game& game, std::string_view text) {
    textToField(text, game.field, "bench field");
    game.gemlets.clear();
    fieldToGemlets(game);
    gemletsToField(game);
    for (const GemletPtr& g : game.gemlets)
        setGemletState(*g, GemletState::landed);
}

} // namespace gemlets::bench
