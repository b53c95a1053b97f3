// SPDX-License-Identifier: MIT
// How the desktop shows the frame. The frame step always draws the same frame, windowWidth x
// windowHeight at 16 bits; in a window of that size it draws on the window itself. Otherwise it
// draws on a frame of the display's own, which the display enlarges into the window: a window
// N times the frame shows each pixel as an N x N block; a window the player resized, and the
// whole screen, show the frame at the largest size of its shape that fits, centred, the rest
// black, by nearest pixel at a whole multiple and smoothed otherwise. Only what a frame step
// hands over is enlarged and handed to SDL.
#pragma once

#include "frontend/rendering.h"
#include "frontend/resources.h"

#include <SDL.h>
#include <vector>

namespace gemlets {

struct Size {
    int w = 0;
    int h = 0;
    bool operator==(const Size&) const = default;
};

// The screen's size as SDL reports it before the first window opens; 0 x 0 when it cannot
// tell (SDL's dummy driver).
Size desktopSize();

// Where a frame of `frame` goes in an output of `output`: the largest size of its shape that
// fits, centred.
SDL_Rect frameArea(Size frame, Size output);

// The keys that switch between the window and the whole screen: F11, and Alt+Enter.
bool isFullscreenKey(const SDL_keysym& key);

class Display {
public:
    // A window `scale` times the frame, or with `fullscreen` the whole of `desktop`; the
    // player may resize the window when `resizable`.
    Display(Screen& screen, int scale, bool fullscreen, Size desktop, bool resizable = false);
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Opens the window, titled "gemlets", the cursor hidden, and points screen.surface and
    // screen.present at what the frame step draws on and how it is shown. Returns
    // screen.surface. Throws StartupError naming SDL_SetVideoMode.
    SDL_Surface* open();

    // The whole screen at the mode it is in, or back to the window as it was.
    void toggleFullscreen();
    // The player resized the window to `size`.
    void resize(Size size);

    // F11 or Alt+Enter switches, a resize resizes: true for those, which the game never sees.
    // Of resizes waiting in SDL's queue, only the last is acted on.
    bool handleEvent(const SDL_Event& event);

    bool fullscreen() const { return fullscreen_; }
    SDL_Surface* window() const { return window_; }
    // Where the frame is shown in the window.
    const SDL_Rect& area() const { return area_; }
    // The parts of the window last handed to SDL.
    const std::vector<SDL_Rect>& updated() const { return updated_; }

private:
    // Which source pixels make one pixel of the output, along one axis.
    struct Tap {
        int near;
        int far;
        Uint32 farWeight; // of 32
    };

    // Opens the mode, throwing StartupError; setMode is that, or the mode before it kept with
    // a line on standard error.
    void openMode(Size size, bool fullscreen);
    void setMode(Size size, bool fullscreen);
    void present(const std::vector<SDL_Rect>& parts, bool whole);
    // Enlarges that part of the frame into the window; returns the part of the window it drew.
    SDL_Rect enlarge(const SDL_Rect& part);
    SDL_Rect enlargeWhole(const SDL_Rect& part, int factor);
    SDL_Rect enlargeSmooth(const SDL_Rect& part);

    Screen& screen_;
    Size desktop_;
    Size windowed_; // the window's size when not on the whole screen
    bool fullscreen_;
    bool resizable_;
    SDL_Surface* window_ = nullptr; // SDL owns it
    SurfacePtr frame_;              // where the frame step draws, unless on the window
    SDL_Rect area_{};
    std::vector<Tap> columns_; // per column and row of area_, when smoothed
    std::vector<Tap> rows_;
    std::vector<Uint32> upper_; // two source rows blended across, as smoothing goes down
    std::vector<Uint32> lower_;
    std::vector<SDL_Rect> updated_;
};

} // namespace gemlets
