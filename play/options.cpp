// SPDX-License-Identifier: MIT
#include "play/options.h"

#include "assets/asset_names.h"

#include <charconv>

namespace gemlets {

namespace {

constexpr std::string_view frameRateOption = "--frame-rate";

// A frame rate from 1 to maxFrameRate, digits only; 0 for anything else.
int frameRateFrom(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1 ||
        value > maxFrameRate)
        return 0;
    return value;
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
        if (*arg != frameRateOption && *arg != "--record" && *arg != "--replay")
            return refuse("unknown argument '" + std::string(*arg) + "'");
        if (std::next(arg) == args.end())
            return refuse(std::string(*arg) + (*arg == frameRateOption
                                                   ? " needs a number of frames a second"
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
        options.frameRate = frameRateFrom(value);
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

std::string usage() {
    return std::string(
               "Usage: gemlets [--frame-rate N] [--no-joystick] [--no-sound] [--record FILE]\n"
               "       gemlets --replay FILE [--check] [--no-sound]\n"
               "       gemlets --help | --version\n"
               "Plays gemlets. The images, the sounds, ") +
           fontFile + " and the starting field " + fieldFileName +
           " are read from\n"
           "the working folder.\n"
           "  --frame-rate N  draw at most N frames a second (1 to 1000); without it the game\n"
           "                  draws as fast as the machine allows\n"
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
