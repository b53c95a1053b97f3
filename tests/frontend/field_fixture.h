// Test helper: a game laid out from the field text form.
#pragma once

#include "model/field_file.h"
#include "model/game.h"
#include "model/gravity.h"

#include <string_view>

namespace gemlets::fixture {

// Every occupied cell of the text becomes a dropping gemlet; the field shows them.
inline void layOut(Game& game, std::string_view text) {
    textToField(text, game.field, "fixture");
    game.gemlets.clear();
    fieldToGemlets(game);
    gemletsToField(game);
}

} // namespace gemlets::fixture
