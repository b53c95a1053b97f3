// SPDX-License-Identifier: MIT
// SDL_EventState, which emscripten's SDL declares but does not implement: an ignored type
// is taken off the queue as it is polled, without counting as an event (SDL.makeCEvent
// returning false), after SDL has kept its key and button state from it.
mergeInto(LibraryManager.library, {
  SDL_EventState__deps: ['$SDL'],
  SDL_EventState: function(type, state) {
    if (!SDL.ignoredTypes) {
      SDL.ignoredTypes = {};
      var make = SDL.makeCEvent;
      SDL.makeCEvent = function(event, ptr) {
        if (typeof event != 'number' && SDL.ignoredTypes[SDL.DOMEventToSDLEvent[event.type]]) {
          SDL.handleEvent(event);
          return false;
        }
        return make(event, ptr);
      };
    }
    var was = SDL.ignoredTypes[type] ? 0 : 1; // SDL_IGNORE, SDL_ENABLE
    if (state === 0) SDL.ignoredTypes[type] = true;
    if (state === 1) delete SDL.ignoredTypes[type];
    return was;
  },
});
