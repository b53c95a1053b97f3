// SPDX-License-Identifier: MIT
// A pad for the game to find as joystick 0, where no pad is plugged in: preloaded into the
// game (LD_PRELOAD), it attaches SDL2's virtual joystick before the game starts SDL, so that
// sdl12-compat lists it as it lists a real device, then presses its buttons as told.
//
// GEMLETS_VIRTUAL_PAD: its shape, "controller" (a pad SDL maps as a game controller, in its
// controller order) or "BUTTONS,HATS" (a joystick SDL has no mapping for).
// GEMLETS_VIRTUAL_PAD_FIFO: a FIFO of presses, one a line: a button number ("9"), or "h" and a
// hat value ("h8"), each pressed for 50 ms and let go for 50 ms, and each change held until SDL
// has updated the pad after it: SDL reads a virtual pad's state at each update instead of
// queueing its changes, so a change that lasted from one of the game's looks at the pad to the
// next (a game kept from running for longer than the change, on a busy machine) would go
// unseen, and the next press of the same button with it.
// It opens libSDL2-2.0.so.0 by name, the library sdl12-compat opens, so that both use one
// SDL2; under classic SDL 1.2 the game never sees the pad.
#include <dlfcn.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { initJoystick = 0x200, typeUnknown = 0, typeGameController = 1, controllerButtons = 15 };

// SDL_VirtualJoystickDesc as of SDL 2.24 (version 1); only the fields up to Update are set.
struct Desc {
    uint16_t version, type, naxes, nbuttons, nhats, vendor, product, padding;
    uint32_t buttonMask, axisMask;
    const char* name;
    void* userdata;
    void (*update)(void* userdata);
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

// SDL's updates of the pad, which it tells through the callback of a pad attached with
// SDL_JoystickAttachVirtualEx; none before SDL 2.24.
static atomic_uint updates;
static int updatesCounted;

static void countUpdate(void* userdata) {
    (void)userdata;
    atomic_fetch_add(&updates, 1);
}

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

// Under SDL's joystick lock, which an update holds: the updates counted after it read the change.
// False when SDL refused it.
static int set(int hat, int number, uint8_t value) {
    sdl.lock();
    const int failed = hat ? sdl.setHat(sdl.pad, number, value) : sdl.setButton(sdl.pad, number, value);
    const unsigned before = atomic_load(&updates);
    sdl.unlock();
    if (failed < 0)
        return 0;
    const struct timespec moment = {0, 1000000};
    while (updatesCounted && atomic_load(&updates) == before)
        nanosleep(&moment, NULL);
    return 1;
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
        if (!set(hat, hat ? 0 : value, hat ? (uint8_t)value : 1))
            die(hat ? "SDL_JoystickSetVirtualHat" : "SDL_JoystickSetVirtualButton");
        nanosleep(&held, NULL);
        // A press that ends the game may see SDL_Quit close the pad before it is let go: then
        // nothing is left to let go of, and an exit from this thread would race the game's.
        if (!set(hat, hat ? 0 : value, 0))
            return NULL;
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
    // What SDL_JoystickAttachVirtual gives a joystick, and the update callback.
    struct Desc desc = {.version = 1, .type = typeUnknown, .update = countUpdate};
    int buttons = 0, hats = 0;
    if (strcmp(shape, "controller") == 0) {
        desc.type = typeGameController;
        desc.nbuttons = controllerButtons;
        desc.buttonMask = (1u << controllerButtons) - 1;
        desc.name = "virtual controller";
    } else if (sscanf(shape, "%d,%d", &buttons, &hats) == 2) {
        desc.nbuttons = (uint16_t)buttons;
        desc.nhats = (uint16_t)hats;
    } else {
        die("GEMLETS_VIRTUAL_PAD is neither controller nor BUTTONS,HATS");
    }
    if (!sdl.attachEx && desc.type == typeGameController)
        die("SDL_JoystickAttachVirtualEx (SDL 2.24 or later)");
    updatesCounted = sdl.attachEx != NULL;
    const int index = sdl.attachEx ? sdl.attachEx(&desc) : sdl.attach(typeUnknown, 0, buttons, hats);
    if (index < 0 || !(sdl.pad = sdl.open(index)))
        die("SDL_JoystickAttachVirtual");
    pthread_t thread;
    if (pthread_create(&thread, NULL, pressAsTold, (void*)fifo) != 0)
        die("pthread_create");
    pthread_detach(thread);
}
