// SPDX-License-Identifier: MIT
// The command line: --help, --version, --frame-rate N, --no-joystick, --no-sound, --record
// FILE, and --replay FILE with or without --check. It is read before anything else starts, so a
// refused command line leaves nothing half-done.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gemlets {

inline constexpr int maxFrameRate = 1000;

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

// What --help prints, and what follows the reason on a refusal.
std::string usage();

// "gemlets" and the project's version.
std::string versionLine();

} // namespace gemlets
