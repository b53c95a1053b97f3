// SPDX-License-Identifier: MIT
// The start-up steps between opening the font and entering the main loop, shared by the
// executable and the tests that time it.
#pragma once

#include "model/game.h"
#include "play/drop_task.h"
#include "sdl/rendering.h"

#include <filesystem>

namespace gemlets {

// The game's starting values, the window painted white, the drop task started, the field file
// turned into gemlets and the five images loaded, in that order. Files are read from `folder`
// (the working directory when empty). Throws StartupError or FieldFileError.
void startUp(Game& game, Screen& screen, DropTask& dropTask,
             const std::filesystem::path& folder = {});

} // namespace gemlets
