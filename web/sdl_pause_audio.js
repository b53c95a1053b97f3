// SPDX-License-Identifier: MIT
// SDL_PauseAudio for the mixer: emscripten's SDL_mixer plays through Web Audio and leaves the
// page's AudioContext running while nothing sounds, which keeps the browser's audio working.
// Paused, the context is suspended; resumed, it runs again, and what was started plays. A
// browser that refuses is no error: the sound waits. The game opens its sound only through
// SDL_mixer, never SDL_OpenAudio, whose callback this would leave unpaused.
mergeInto(LibraryManager.library, {
  SDL_PauseAudio__deps: ['$SDL'],
  SDL_PauseAudio: function(pauseOn) {
    var context = SDL.audioContext;
    if (!context) return;
    var changed = pauseOn ? context.suspend() : context.resume();
    if (changed && changed.catch) changed.catch(function() {});
  },
});
