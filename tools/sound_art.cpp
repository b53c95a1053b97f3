// SPDX-License-Identifier: MIT
#include "tools/sound_art.h"

#include "play/sound_file.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace gemlets::assets {

namespace {

// A note: a pitch (gliding to another), when it starts and how long it lasts in seconds, how
// loud (1 is full scale), how fast it fades (the time it takes to fall to 1/e) and how much of
// its second harmonic it has. It rises in 4 ms and ends with an 8 ms fade, so it never clicks.
struct Note {
    double pitch;
    double start;
    double length;
    double level;
    double fade;
    double brightness = 0.3;
    double glideTo = 0; // none
};

// Equal temperament from C5, by semitones.
double fromC5(int semitones) {
    return 523.25 * std::pow(2.0, semitones / 12.0);
}

Samples render(std::initializer_list<Note> notes) {
    double end = 0;
    for (const Note& note : notes)
        end = std::max(end, note.start + note.length);
    std::vector<double> mixed(static_cast<std::size_t>(std::ceil(end * soundRate)));
    constexpr double rise = 0.004;
    constexpr double release = 0.008;
    for (const Note& note : notes) {
        const auto first = static_cast<std::size_t>(note.start * soundRate);
        const auto count = static_cast<std::size_t>(note.length * soundRate);
        const double target = note.glideTo > 0 ? note.glideTo : note.pitch;
        double phase = 0;
        for (std::size_t i = 0; i < count && first + i < mixed.size(); ++i) {
            const double t = static_cast<double>(i) / soundRate;
            const double pitch = note.pitch * std::pow(target / note.pitch, t / note.length);
            phase += 2 * std::numbers::pi * pitch / soundRate;
            const double envelope =
                std::min({1.0, t / rise, (note.length - t) / release}) * std::exp(-t / note.fade);
            const double tone =
                (std::sin(phase) + note.brightness * std::sin(2 * phase)) / (1 + note.brightness);
            mixed[first + i] += note.level * envelope * tone;
        }
    }
    Samples samples;
    samples.reserve(mixed.size());
    for (const double value : mixed)
        samples.push_back(
            static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767)));
    return samples;
}

// The major pentatonic scale, so that any two steps of a chain sound well together.
constexpr int pentatonic[] = {0, 2, 4, 7, 9};

} // namespace

Samples landSound() {
    return render({{.pitch = 190,
                    .start = 0,
                    .length = 0.07,
                    .level = 0.5,
                    .fade = 0.025,
                    .brightness = 0.5,
                    .glideTo = 95}});
}

Samples clearSound(int step) {
    const int degree = std::max(step, 1) - 1;
    const int semitones = 12 * (degree / 5) + pentatonic[degree % 5];
    return render(
        {{.pitch = fromC5(semitones), .start = 0, .length = 0.12, .level = 0.32, .fade = 0.045}});
}

Samples levelSound() {
    return render(
        {{.pitch = fromC5(0), .start = 0, .length = 0.16, .level = 0.24, .fade = 0.07},
         {.pitch = fromC5(4), .start = 0.07, .length = 0.16, .level = 0.24, .fade = 0.07},
         {.pitch = fromC5(7), .start = 0.14, .length = 0.16, .level = 0.24, .fade = 0.07},
         {.pitch = fromC5(12), .start = 0.21, .length = 0.2, .level = 0.24, .fade = 0.09}});
}

Samples gameOverSound() {
    return render(
        {{.pitch = fromC5(-5), .start = 0, .length = 0.22, .level = 0.3, .fade = 0.1},
         {.pitch = fromC5(-8), .start = 0.18, .length = 0.22, .level = 0.3, .fade = 0.1},
         {.pitch = fromC5(-12), .start = 0.36, .length = 0.24, .level = 0.3, .fade = 0.14}});
}

Samples pauseSound() {
    return render(
        {{.pitch = fromC5(7), .start = 0, .length = 0.07, .level = 0.2, .fade = 0.04},
         {.pitch = fromC5(0), .start = 0.06, .length = 0.07, .level = 0.2, .fade = 0.04}});
}

Samples resumeSound() {
    return render(
        {{.pitch = fromC5(0), .start = 0, .length = 0.07, .level = 0.2, .fade = 0.04},
         {.pitch = fromC5(7), .start = 0.06, .length = 0.07, .level = 0.2, .fade = 0.04}});
}

} // namespace gemlets::assets
