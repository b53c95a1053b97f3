// SPDX-License-Identifier: MIT
// The start-up steps between opening the font and entering the main loop, in the same order
// on every platform: the desktop's executable, the bench that times it, and the browser.
#pragma once

#include "frontend/rendering.h"
#include "model/game.h"
#include "play/drop_task.h"

#include <filesystem>
#include <functional>

namespace gemlets {

// How a platform opens its window and loads an image. Each throws, naming the call or the
// file, when it cannot.
struct Platform {
    // The surface the frame step draws on.
    std::function<SDL_Surface*()> openWindow;
    std::function<SurfacePtr(const std::filesystem::path& path)> loadImage;
};

// The game's starting values, the window painted white, the drop task started, the field file
// turned into gemlets and the five images loaded, in that order. Files are read from `folder`
// (the working directory when empty). Throws what the platform throws, or FieldFileError.
void startUp(Game& game, Screen& screen, DropTask& dropTask, const Platform& platform,
             const std::filesystem::path& folder = {});

// The window painted white and the images loaded, without a game: for watching a replay.
void openScreen(Screen& screen, const Platform& platform, const std::filesystem::path& folder = {});

} // namespace gemlets
