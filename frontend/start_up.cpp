// SPDX-License-Identifier: MIT
#include "frontend/start_up.h"

#include "model/game_start.h"
#include "play/load_field.h"

#include <cstddef>

namespace gemlets {

namespace {

void loadImages(Screen& screen, const Platform& platform, const std::filesystem::path& folder) {
    for (std::size_t colour = 0; colour < cellImageFiles.size(); ++colour)
        screen.cellImages[colour] = platform.loadImage(folder / cellImageFiles[colour]);
    screen.gameover = platform.loadImage(folder / gameoverImageFile);
}

} // namespace

void startUp(Game& game, Screen& screen, DropTask& dropTask, const Platform& platform,
             const std::filesystem::path& folder) {
    startGame(game);
    screen.surface = platform.openWindow();
    SDL_FillRect(screen.surface, &screen.backgroundRect,
                 SDL_MapRGB(screen.surface->format, 255, 255, 255));
    clearField(game);
    dropTask.start();
    loadField(game, folder / fieldFileName);
    loadImages(screen, platform, folder);
}

void openScreen(Screen& screen, const Platform& platform, const std::filesystem::path& folder) {
    screen.surface = platform.openWindow();
    SDL_FillRect(screen.surface, &screen.backgroundRect,
                 SDL_MapRGB(screen.surface->format, 255, 255, 255));
    loadImages(screen, platform, folder);
}

} // namespace gemlets
