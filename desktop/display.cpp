// SPDX-License-Identifier: MIT
#include "desktop/display.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace gemlets {

namespace {

SDL_Rect rect(int x, int y, int w, int h) {
    return SDL_Rect{static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                    static_cast<Uint16>(h)};
}

Uint16* row(SDL_Surface* surface, int y) {
    return reinterpret_cast<Uint16*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
}

// Smoothing blends 16-bit pixels a whole pixel at a time: the pixel and a copy of it 16 bits up,
// masked to red and blue below and green above, leave each colour room for the weights (of 32)
// to multiply it. 16-bit windows keep green in the middle (5-6-5 or 5-5-5).
Uint32 spreadMask(const SDL_PixelFormat* f) {
    return f->Gmask << 16 | f->Rmask | f->Bmask;
}

Uint32 spread(Uint16 pixel, Uint32 mask) {
    return (pixel | Uint32{pixel} << 16) & mask;
}

Uint32 mix(Uint32 a, Uint32 b, Uint32 bWeight, Uint32 mask) {
    return ((a * (32 - bWeight) + b * bWeight) >> 5) & mask;
}

Uint16 pack(Uint32 spreadPixel) {
    return static_cast<Uint16>(spreadPixel | spreadPixel >> 16);
}

// Whole multiples of the frame's size are shown by nearest pixel; 0 for any other size.
int wholeFactor(Size frame, const SDL_Rect& area) {
    const int factor = area.w / frame.w;
    return factor >= 1 && area.w == factor * frame.w && area.h == factor * frame.h ? factor : 0;
}

} // namespace

Size desktopSize() {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr || info->current_w <= 0 || info->current_h <= 0)
        return {};
    return {info->current_w, info->current_h};
}

SDL_Rect frameArea(Size frame, Size output) {
    const bool widthBound = output.w * frame.h <= output.h * frame.w;
    const int w = std::max(1, widthBound ? output.w : output.h * frame.w / frame.h);
    const int h = std::max(1, widthBound ? output.w * frame.h / frame.w : output.h);
    return rect((output.w - w) / 2, (output.h - h) / 2, w, h);
}

bool isFullscreenKey(const SDL_keysym& key) {
    return key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) != 0);
}

Display::Display(Screen& screen, int scale, bool fullscreen, Size desktop, bool resizable)
    : screen_(screen), desktop_(desktop), windowed_{windowWidth * scale, windowHeight * scale},
      fullscreen_(fullscreen), resizable_(resizable) {}

Display::~Display() {
    screen_.present = nullptr;
    screen_.surface = nullptr;
}

SDL_Surface* Display::open() {
    SDL_WM_SetCaption("gemlets", "gemlets");
    openMode(fullscreen_ ? desktop_ : windowed_, fullscreen_);
    return screen_.surface;
}

void Display::toggleFullscreen() {
    setMode(fullscreen_ ? windowed_ : desktop_, !fullscreen_);
}

void Display::resize(Size size) {
    size = {std::max(size.w, 1), std::max(size.h, 1)};
    if (fullscreen_ || size == Size{window_->w, window_->h})
        return;
    windowed_ = size;
    setMode(size, false);
}

bool Display::handleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && isFullscreenKey(event.key.keysym)) {
        toggleFullscreen();
        return true;
    }
    if (event.type != SDL_VIDEORESIZE)
        return false;
    // Dragging the window's edge sends a resize at every step.
    SDL_Event last = event;
    while (SDL_PeepEvents(&last, 1, SDL_GETEVENT, SDL_VIDEORESIZEMASK) == 1) {
    }
    resize({last.resize.w, last.resize.h});
    return true;
}

void Display::openMode(Size size, bool fullscreen) {
    // The screen keeps its mode: fullscreen asks for the size it is at (0 x 0, SDL's current
    // mode, where SDL could not tell).
    SDL_Surface* window = SDL_SetVideoMode(size.w, size.h, windowBitsPerPixel,
                                           SDL_SWSURFACE | (fullscreen   ? SDL_FULLSCREEN
                                                            : resizable_ ? SDL_RESIZABLE
                                                                         : 0));
    if (window == nullptr)
        throw StartupError(sdlFailure(videoModeCall(size.w, size.h)));
    SDL_ShowCursor(SDL_DISABLE);
    window_ = window;
    fullscreen_ = fullscreen;
    const Size frame{windowWidth, windowHeight};
    showWholeWindowNext(screen_);
    if (!fullscreen && Size{window->w, window->h} == frame) {
        area_ = rect(0, 0, frame.w, frame.h);
        screen_.surface = window;
        screen_.present = nullptr;
        return;
    }
    if (!frame_) {
        const SDL_PixelFormat* f = window->format;
        frame_.reset(SDL_CreateRGBSurface(SDL_SWSURFACE, frame.w, frame.h, windowBitsPerPixel,
                                          f->Rmask, f->Gmask, f->Bmask, 0));
        if (!frame_)
            throw StartupError(sdlFailure("SDL_CreateRGBSurface"));
    }
    area_ = frameArea(frame, {window->w, window->h});
    // The source pixels either side of where each output pixel's centre falls, and how near
    // the far one is, in 32nds.
    const auto taps = [](int source, int output) {
        std::vector<Tap> all;
        for (int at = 0; at < output; ++at) {
            const int position = static_cast<int>((2 * at + 1) * Sint64{source} * 16 / output) - 16;
            const int near = std::clamp(position >> 5, 0, source - 1);
            const bool inside = position >= 0 && near < source - 1;
            all.push_back(Tap{near, inside ? near + 1 : near,
                              inside ? static_cast<Uint32>(position & 31) : 0});
        }
        return all;
    };
    columns_ = taps(frame.w, area_.w);
    rows_ = taps(frame.h, area_.h);
    screen_.surface = frame_.get();
    screen_.present = [this](const std::vector<SDL_Rect>& parts, bool whole) {
        present(parts, whole);
    };
}

void Display::setMode(Size size, bool fullscreen) {
    const Size before{window_->w, window_->h};
    const bool wasFullscreen = fullscreen_;
    try {
        openMode(size, fullscreen);
    } catch (const StartupError& error) {
        std::cerr << "gemlets: " << error.what() << "; the game stays as it was\n";
        openMode(before, wasFullscreen);
    }
}

void Display::present(const std::vector<SDL_Rect>& parts, bool whole) {
    updated_.clear();
    if (whole) {
        // sdl12-compat keeps what a resized window showed; nothing else draws outside the frame.
        const int right = area_.x + area_.w;
        const int bottom = area_.y + area_.h;
        SDL_Rect bands[] = {
            rect(0, 0, window_->w, area_.y), rect(0, bottom, window_->w, window_->h - bottom),
            rect(0, area_.y, area_.x, area_.h), rect(right, area_.y, window_->w - right, area_.h)};
        for (SDL_Rect& band : bands)
            if (band.w > 0 && band.h > 0)
                SDL_FillRect(window_, &band, SDL_MapRGB(window_->format, 0, 0, 0));
    }
    if (SDL_MUSTLOCK(window_) && SDL_LockSurface(window_) != 0)
        return;
    for (const SDL_Rect& part : parts)
        updated_.push_back(enlarge(part));
    if (SDL_MUSTLOCK(window_))
        SDL_UnlockSurface(window_);
    if (whole) {
        updated_.assign(1, rect(0, 0, window_->w, window_->h));
        SDL_Flip(window_);
    } else {
        SDL_UpdateRects(window_, static_cast<int>(updated_.size()), updated_.data());
    }
}

SDL_Rect Display::enlarge(const SDL_Rect& part) {
    const int factor = wholeFactor({frame_->w, frame_->h}, area_);
    return factor != 0 ? enlargeWhole(part, factor) : enlargeSmooth(part);
}

SDL_Rect Display::enlargeWhole(const SDL_Rect& part, int factor) {
    const int left = area_.x + part.x * factor;
    const int top = area_.y + part.y * factor;
    const std::size_t rowBytes = sizeof(Uint16) * static_cast<std::size_t>(part.w * factor);
    for (int y = 0; y < part.h; ++y) {
        const Uint16* source = row(frame_.get(), part.y + y) + part.x;
        Uint16* first = row(window_, top + y * factor) + left;
        if (factor == 2) {
            // The common case, --scale fit on a 1920 x 1080 screen: a pixel pair per store.
            for (int x = 0; x < part.w; ++x) {
                const Uint32 pair = source[x] * 0x10001u;
                std::memcpy(first + 2 * x, &pair, sizeof pair);
            }
        } else {
            for (int x = 0; x < part.w; ++x)
                std::fill_n(first + factor * x, factor, source[x]);
        }
        for (int copy = 1; copy < factor; ++copy)
            std::memcpy(row(window_, top + y * factor + copy) + left, first, rowBytes);
    }
    return rect(left, top, part.w * factor, part.h * factor);
}

SDL_Rect Display::enlargeSmooth(const SDL_Rect& part) {
    // The output pixels that blend a pixel of the part: those whose centre, among the source
    // pixels, falls in the part or less than one pixel before it.
    const auto reach = [](int from, int to, int source, int output) {
        const int first = std::max(0, ((2 * from - 1) * output - source) / (2 * source));
        const int end = ((2 * to + 1) * output - source + 2 * source - 1) / (2 * source);
        return std::pair{first, std::clamp(end, first, output)};
    };
    const auto [left, right] = reach(part.x, part.x + part.w, frame_->w, area_.w);
    const auto [top, bottom] = reach(part.y, part.y + part.h, frame_->h, area_.h);
    const Uint32 mask = spreadMask(window_->format);
    // Each source row is blended across once, for every output row that falls near it.
    const auto across = [&](int sourceRow, std::vector<Uint32>& line) {
        const Uint16* in = row(frame_.get(), sourceRow);
        line.resize(static_cast<std::size_t>(right - left));
        for (int x = left; x < right; ++x) {
            const Tap& c = columns_[static_cast<std::size_t>(x)];
            line[static_cast<std::size_t>(x - left)] =
                mix(spread(in[c.near], mask), spread(in[c.far], mask), c.farWeight, mask);
        }
    };
    int upperRow = -1;
    int lowerRow = -1;
    for (int y = top; y < bottom; ++y) {
        const Tap& r = rows_[static_cast<std::size_t>(y)];
        if (r.near == lowerRow) {
            std::swap(upper_, lower_);
            std::swap(upperRow, lowerRow);
        }
        if (r.near != upperRow)
            across(upperRow = r.near, upper_);
        if (r.far != lowerRow)
            across(lowerRow = r.far, lower_);
        Uint16* out = row(window_, area_.y + y) + area_.x + left;
        for (std::size_t x = 0; x < upper_.size(); ++x)
            out[x] = pack(mix(upper_[x], lower_[x], r.farWeight, mask));
    }
    return rect(area_.x + left, area_.y + top, right - left, bottom - top);
}

} // namespace gemlets
