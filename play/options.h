// SPDX-License-Identifier: MIT
// The command line: --help, --version, --frame-rate N, --scale N or fit, --fullscreen,
// --no-joystick, --no-sound, --record FILE, and --replay FILE with or without --check. It is
// read before anything else starts, so a refused command line leaves nothing half-done.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gemlets {

inline constexpr int maxFrameRate = 1000;
inline constexpr int maxScale = 8;
// --scale fit: the largest scale that fits the screen.
inline constexpr int fitScale = 0;

enum class Launch {
    play,
    help,    // the usage on standard output, status 0
    version, // the version line on standard output, status 0
    refuse,  // the reason and the usage on standard error, status 2
    watch,   // --replay FILE: the replay in the window
    check,   // --replay FILE --check: the replay without a window, as fast as it goes
};

struct Options {
    Launch launch = Launch::play;
    // Main-loop iterations a second; 0 runs them as fast as the machine allows.
    int frameRate = 0;
    // How many times the design's window the desktop's is, 1 to maxScale, or fitScale.
    int scale = 1;
    bool fullscreen = false;
    // With --scale or --fullscreen the player may resize the window; without, it is the
    // design's, of a fixed size.
    bool resizable = false;
    // False: no joystick is opened, where the pad already arrives as keys.
    bool joystick = true;
    // False: no sound file is read and no sound device opened.
    bool sound = true;
    // --record's file, or --replay's.
    std::string record;
    std::string replay;
    // Why the command line was refused.
    std::string error;
};

// args are the arguments after the program's name. --help and --version act at once, so
// whatever follows them is not looked at.
Options parseOptions(const std::vector<std::string_view>& args);

// The scale a window opens at on a screen of screenW x screenH (0 x 0 when SDL cannot tell),
// for a window of windowW x windowH at scale 1, and a line for standard error when it is not
// the one asked for.
struct ScaleChoice {
    int scale;
    std::string note;
};
// fitScale gives the largest whole scale whose window is at most 90% of the screen's height
// and no wider than the screen; another asked scale is kept if its window fits on the screen,
// else the largest that does. Never below 1 nor above maxScale.
ScaleChoice chooseScale(int asked, int screenW, int screenH, int windowW, int windowH);

// What --help prints, and what follows the reason on a refusal.
std::string usage();

// "gemlets" and the project's version.
std::string versionLine();

} // namespace gemlets
