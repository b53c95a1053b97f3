// SPDX-License-Identifier: MIT
// Paints the game-over picture that covers the field: the words "GAME OVER" over a dimmed,
// overflowing field of gemlets.
#pragma once

#include "frontend/geometry.h"
#include "tools/canvas.h"

#include <filesystem>

namespace gemlets::assets {

// It covers the field exactly.
inline constexpr int gameOverWidth = fieldPixelW;
inline constexpr int gameOverHeight = fieldPixelH;

// Renders the words with the TrueType font at fontPath (no display needed). Throws
// std::runtime_error naming the font and SDL_ttf's error if the font cannot be used.
Canvas paintGameOver(const std::filesystem::path& fontPath);

} // namespace gemlets::assets
