// SPDX-License-Identifier: MIT
// Stands in for SDL_image.h on the model's include path, so that a stray include fails.
#error "the game model must not use SDL"
