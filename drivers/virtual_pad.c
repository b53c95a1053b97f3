// SPDX-License-Identifier: MIT
// A pad for the game to find as joystick 0, where no pad is plugged in: preloaded into the
// game (LD_PRELOAD), it attaches SDL2's virtual joystick before the game starts SDL, so that
// sdl12-compat lists it as it lists a real device, then presses its buttons as told.
//
// GEMLETS_VIRTUAL_PAD: its shape, "controller" (a pad SDL maps as a game controller, in its
// controller order) or "BUTTONS,HATS" (a joystick SDL has no mapping for).
// GEMLETS_VIRTUAL_PAD_FIFO: a FIFO of presses, one a line: a button number ("9"), or "h" and a
// hat value ("h8"), each pressed for 50 ms and let go for 50 ms: SDL reads a virtual pad's state
// at each update instead of queueing its changes, so a release shorter than the game's frame
// would go unseen, and the next press of the same button with it.
// It opens libSDL2-2.0.so.0 by name, the library sdl12-compat opens, so that both use one
// SDL2; under classic SDL 1.2 the game never sees the pad.
#include <dlfcn.h>
#include <pthread.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { initJoystick = 0x200, typeUnknown = 0, typeGameController = 1, controllerButtons = 15 };

// SDL_VirtualJoystickDesc as of SDL 2.24 (version 1); only the fields up to the name are set.
struct Desc {
    uint16_t version, type, naxes, nbuttons, nhats, vendor, product, padding;
    uint32_t buttonMask, axisMask;
    const char* name;
    void* rest[10];
};

static struct {
    int (*initSubSystem)(uint32_t);
    int (*attach)(int, int, int, int);
    int (*attachEx)(const struct Desc*);
    void* (*open)(int);
    int (*setButton)(void*, int, uint8_t);
    int (*setHat)(void*, int, uint8_t);
    void (*lock)(void);
    void (*unlock)(void);
    const char* (*error)(void);
    void* pad;
} sdl;

static void die(const char* what) {
    fprintf(stderr, "virtual_pad: %s: %s\n", what, sdl.error ? sdl.error() : dlerror());
    exit(1);
}

static void* need(void* lib, const char* symbol) {
    void* found = dlsym(lib, symbol);
    if (!found) {
        fprintf(stderr, "virtual_pad: %s\n", dlerror());
        exit(1);
    }
    return found;
}

static void set(int hat, int number, uint8_t value) {
    sdl.lock();
    const int failed = hat ? sdl.setHat(sdl.pad, number, value) : sdl.setButton(sdl.pad, number, value);
    sdl.unlock();
    if (failed < 0)
        die(hat ? "SDL_JoystickSetVirtualHat" : "SDL_JoystickSetVirtualButton");
}

static void* pressAsTold(void* path) {
    FILE* fifo = fopen(path, "r");
    if (!fifo)
        die(path);
    char line[32];
    const struct timespec held = {0, 50000000};
    while (fgets(line, sizeof line, fifo)) {
        const int hat = line[0] == 'h';
        const int value = atoi(line + hat);
        set(hat, hat ? 0 : value, hat ? (uint8_t)value : 1);
        nanosleep(&held, NULL);
        set(hat, hat ? 0 : value, 0);
        nanosleep(&held, NULL);
    }
    return NULL;
}

__attribute__((constructor)) static void attachPad(void) {
    const char* shape = getenv("GEMLETS_VIRTUAL_PAD");
    const char* fifo = getenv("GEMLETS_VIRTUAL_PAD_FIFO");
    if (!shape || !fifo)
        return;
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!lib)
        die("libSDL2-2.0.so.0");
    *(void**)&sdl.error = need(lib, "SDL_GetError");
    *(void**)&sdl.initSubSystem = need(lib, "SDL_InitSubSystem");
    *(void**)&sdl.attach = need(lib, "SDL_JoystickAttachVirtual");
    *(void**)&sdl.attachEx = dlsym(lib, "SDL_JoystickAttachVirtualEx"); // SDL 2.24 on
    *(void**)&sdl.open = need(lib, "SDL_JoystickOpen");
    *(void**)&sdl.setButton = need(lib, "SDL_JoystickSetVirtualButton");
    *(void**)&sdl.setHat = need(lib, "SDL_JoystickSetVirtualHat");
    *(void**)&sdl.lock = need(lib, "SDL_LockJoysticks");
    *(void**)&sdl.unlock = need(lib, "SDL_UnlockJoysticks");
    if (sdl.initSubSystem(initJoystick) < 0)
        die("SDL_InitSubSystem");
    int index;
    if (strcmp(shape, "controller") == 0) {
        if (!sdl.attachEx)
            die("SDL_JoystickAttachVirtualEx (SDL 2.24 or later)");
        const struct Desc desc = {.version = 1, .type = typeGameController, .nbuttons = controllerButtons,
            .buttonMask = (1u << controllerButtons) - 1, .name = "virtual controller"};
        index = sdl.attachEx(&desc);
    } else {
        int buttons = 0, hats = 0;
        if (sscanf(shape, "%d,%d", &buttons, &hats) != 2)
            die("GEMLETS_VIRTUAL_PAD is neither controller nor BUTTONS,HATS");
        index = sdl.attach(typeUnknown, 0, buttons, hats);
    }
    if (index < 0 || !(sdl.pad = sdl.open(index)))
        die("SDL_JoystickAttachVirtual");
    pthread_t thread;
    if (pthread_create(&thread, NULL, pressAsTold, (void*)fifo) != 0)
        die("pthread_create");
    pthread_detach(thread);
}
