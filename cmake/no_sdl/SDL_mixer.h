// SPDX-License-Identifier: MIT
// Stands in for SDL_mixer.h on the include path of the layers without SDL, so that a stray include
// fails.
#error "the game model and the play layer must not use SDL"
