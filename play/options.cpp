// SPDX-License-Identifier: MIT
#include "play/options.h"

#include "assets/asset_names.h"

#include <algorithm>
#include <charconv>

namespace gemlets {

namespace {

constexpr std::string_view frameRateOption = "--frame-rate";
constexpr std::string_view scaleOption = "--scale";

// A whole number from 1 to most, digits only; 0 for anything else.
int numberFrom(std::string_view text, int most) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1 || value > most)
        return 0;
    return value;
}

std::string scaleValues() {
    return "a whole number from 1 to " + std::to_string(maxScale) + " or 'fit'";
}

Options launching(Launch launch, std::string error = {}) {
    Options options;
    options.launch = launch;
    options.error = std::move(error);
    return options;
}

Options refuse(std::string error) {
    return launching(Launch::refuse, std::move(error));
}

} // namespace

Options parseOptions(const std::vector<std::string_view>& args) {
    Options options;
    bool check = false;
    for (auto arg = args.begin(); arg != args.end(); ++arg) {
        if (*arg == "--help")
            return launching(Launch::help);
        if (*arg == "--version")
            return launching(Launch::version);
        if (*arg == "--no-joystick") {
            options.joystick = false;
            continue;
        }
        if (*arg == "--no-sound") {
            options.sound = false;
            continue;
        }
        if (*arg == "--check") {
            check = true;
            continue;
        }
        if (*arg == "--fullscreen") {
            options.fullscreen = options.resizable = true;
            continue;
        }
        if (*arg != frameRateOption && *arg != scaleOption && *arg != "--record" &&
            *arg != "--replay")
            return refuse("unknown argument '" + std::string(*arg) + "'");
        if (std::next(arg) == args.end())
            return refuse(std::string(*arg) + (*arg == frameRateOption
                                                   ? " needs a number of frames a second"
                                               : *arg == scaleOption ? " needs " + scaleValues()
                                                                     : " needs a file"));
        const std::string_view option = *arg;
        const std::string_view value = *++arg;
        if (option == "--record") {
            options.record = value;
            continue;
        }
        if (option == "--replay") {
            options.replay = value;
            continue;
        }
        if (option == scaleOption) {
            options.resizable = true;
            if (value == "fit")
                options.scale = fitScale;
            else if ((options.scale = numberFrom(value, maxScale)) == 0)
                return refuse("--scale takes " + scaleValues() + ", not '" + std::string(value) +
                              "'");
            continue;
        }
        options.frameRate = numberFrom(value, maxFrameRate);
        if (options.frameRate == 0)
            return refuse("--frame-rate takes a whole number from 1 to " +
                          std::to_string(maxFrameRate) + ", not '" + std::string(value) + "'");
    }
    if (!options.replay.empty() && !options.record.empty())
        return refuse("--record and --replay do not go together");
    if (check && options.replay.empty())
        return refuse("--check needs --replay FILE");
    if (!options.replay.empty())
        options.launch = check ? Launch::check : Launch::watch;
    return options;
}

ScaleChoice chooseScale(int asked, int screenW, int screenH, int windowW, int windowH) {
    if (screenW <= 0 || screenH <= 0)
        return {std::max(asked, 1), ""};
    // Windows are no wider than the screen; a fitting one leaves a tenth of its height to the
    // desktop's panels and the window's frame.
    const int byWidth = screenW / windowW;
    const int fitting = std::clamp(
        std::min(asked == fitScale ? screenH * 9 / 10 / windowH : screenH / windowH, byWidth), 1,
        maxScale);
    if (asked == fitScale || asked <= fitting)
        return {asked == fitScale ? fitting : asked, ""};
    const auto size = [](int w, int h) {
        return std::to_string(w) + " x " + std::to_string(h);
    };
    return {fitting, "a " + size(windowW * asked, windowH * asked) + " window (--scale " +
                         std::to_string(asked) + ") does not fit the " + size(screenW, screenH) +
                         " screen: --scale " + std::to_string(fitting)};
}

std::string usage() {
    return std::string(
               "Usage: gemlets [--frame-rate N] [--scale N|fit] [--fullscreen] [--no-joystick]\n"
               "               [--no-sound] [--record FILE]\n"
               "       gemlets --replay FILE [--scale N|fit] [--fullscreen] [--no-sound] "
               "[--check]\n"
               "       gemlets --help | --version\n"
               "Plays gemlets. The images, the sounds, ") +
           fontFile + " and the starting field " + fieldFileName +
           " are read from\n"
           "the working folder.\n"
           "  --frame-rate N  draw at most N frames a second (1 to 1000); without it the game\n"
           "                  draws as fast as the machine allows\n"
           "  --scale N       show the game N times its size (1 to 8), each pixel as N x N\n"
           "  --scale fit     the largest N whose window takes at most 90% of the screen's\n"
           "                  height\n"
           "  --fullscreen    start on the whole screen; F11 or Alt+Enter switches between\n"
           "                  the screen and the window while playing\n"
           "  --no-joystick   read no joystick, only keys (where something else turns the\n"
           "                  pad into keys)\n"
           "  --no-sound      play no sound: read no sound file, open no sound device\n"
           "  --record FILE   write a replay of the game to FILE as it is played\n"
           "  --replay FILE   show the game that FILE recorded, at its pace (P pauses it,\n"
           "                  Escape stops it)\n"
           "  --check         with --replay: play it without a window, as fast as possible,\n"
           "                  writing the game's standard output; exit 0 when it plays as\n"
           "                  recorded, 1 when not, 2 for a file that cannot be played\n"
           "  --help          show this help and exit\n"
           "  --version       show the version and exit\n";
}

std::string versionLine() {
    return "gemlets " GEMLETS_VERSION;
}

} // namespace gemlets
