// SPDX-License-Identifier: MIT
// Start-up's reading of the field file into a started game.
#pragma once

#include "model/field_file.h"
#include "model/game.h"

#include <filesystem>

namespace gemlets {

// Reads the field file into game.field and makes a falling gemlet of every occupied cell,
// under the lock. Throws FieldFileError, with the game untouched, for a file that cannot be
// read, is malformed, or puts a gemlet in a cell a gemlet in play already holds.
void loadField(Game& game, const std::filesystem::path& path);

} // namespace gemlets
