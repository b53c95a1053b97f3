// SPDX-License-Identifier: MIT
#include "model/game.h"

#include <algorithm>

namespace gemlets {

void clearField(Game& game) {
    std::fill(game.field.begin(), game.field.end(), emptyCell);
}

} // namespace gemlets
