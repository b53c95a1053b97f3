// SPDX-License-Identifier: MIT
// The sound player on SDL's disk audio driver, which writes what a sound card would play to a
// file: each sound started when the game asks, the later ones at their time, the device
// paused while nothing sounds, silence when muted or without a device, and a missing sound
// file refused by name.
#include "assets/asset_names.h"
#include "frontend/resources.h"
#include "frontend/sound_player.h"
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_schedule.h"
#include "play/load_field.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <thread>

namespace gemlets {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

// The 16-bit samples of a file from `offset` on, the silent ones left out.
std::vector<Sint16> sounding(const std::filesystem::path& path, std::size_t offset = 0) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<Sint16> samples;
    for (std::size_t at = offset; at + 1 < bytes.size(); at += 2) {
        const auto sample = static_cast<Sint16>(static_cast<unsigned char>(bytes[at]) |
                                                static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (sample != 0)
            samples.push_back(sample);
    }
    return samples;
}

// SDL's audio alone, on the disk driver writing to `file`; 20 ms a buffer on classic SDL
// (SDL 2 under sdl12-compat keeps real time).
struct DiskAudio {
    explicit DiskAudio(const std::filesystem::path& file) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "20", 1);
        if (SDL_Init(SDL_INIT_AUDIO) != 0)
            throw StartupError(sdlFailure("SDL_Init"));
    }
    ~DiskAudio() { SDL_Quit(); }
};

bool classicSdl() {
    return SDL_Linked_Version()->patch < 50;
}

TEST(SoundPlayer, PlaysEachSoundWhenTheGameAsksAndPausesTheDeviceWhileNothingSounds) {
    const std::filesystem::path capture = fixture::tempFile("played.raw", "");
    std::ostringstream out;
    Game game{out};
    {
        const DiskAudio audio(capture);
        SoundPlayer player(runDir);
        ASSERT_TRUE(player.open()) << SDL_GetError();
        startGame(game);
        player.listen(game);
        DropTask dropTask(game); // never started: every step is made here
        const SoundPlayer::Clock::time_point start{};
        player.play(start);
        EXPECT_TRUE(SDL_GetAudioStatus() == SDL_AUDIO_PAUSED && !player.sounding())
            << "open, nothing sounding";

        // Two groups at once, reds under yellows, when the pair lands down column 3.
        loadField(game, fixture::tempFile("test.txt", fieldToText(fixture::bottomRows(
                                                          {"**3***", "**3*3*", "*11*1*"}))));
        applyCommand(game, dropTask, Command::hardDrop);
        player.play(start);
        EXPECT_TRUE(SDL_GetAudioStatus() == SDL_AUDIO_PLAYING && Mix_Playing(-1) == 1)
            << "the landing";
        const auto quiet = std::chrono::steady_clock::now() + 5s;
        while (Mix_Playing(-1) != 0 && std::chrono::steady_clock::now() < quiet)
            std::this_thread::sleep_for(5ms);
        player.play(start + 10ms);
        EXPECT_TRUE(SDL_GetAudioStatus() == SDL_AUDIO_PAUSED && !player.sounding())
            << "the landing heard";

        while (game.state != State::newGemlets)
            dropStep(game);
        RandomGenerator random(1);
        turnStep(game, random);
        ASSERT_EQ(game.chainGroups.size() == 1 ? game.chainGroups[0] : 2, 2) << "two groups";
        player.play(start + 1s);
        EXPECT_EQ(Mix_Playing(-1), 1) << "the first group at once";
        player.play(start + 1s + clearGap - 1ms);
        EXPECT_EQ(Mix_Playing(-1), 1) << "the second not before its time";
        EXPECT_TRUE(player.sounding());
        player.play(start + 1s + clearGap);
        EXPECT_EQ(Mix_Playing(-1), 2) << "then the second";

        player.mute(true);
        EXPECT_EQ(Mix_Playing(-1), 0) << "muted, what sounds stops";
        applyCommand(game, dropTask, Command::togglePause);
        player.play(start + 2s);
        EXPECT_TRUE(Mix_Playing(-1) == 0 && SDL_GetAudioStatus() == SDL_AUDIO_PAUSED)
            << "and what comes is dropped";
        player.mute(false);
        applyCommand(game, dropTask, Command::togglePause);
        player.play(start + 3s);
        EXPECT_EQ(Mix_Playing(-1), 1) << "unmuted, the end of the pause sounds";
    }
    // What the device was given: the landing first, as its file holds it.
    const std::vector<Sint16> played = sounding(capture);
    const std::vector<Sint16> land = sounding(runDir / landSoundFile, 44);
    if (classicSdl())
        EXPECT_TRUE(played.size() >= land.size() &&
                    std::equal(land.begin(), land.end(), played.begin()));
    else // SDL 2 writes at its own rate and channels
        EXPECT_GE(played.size(), land.size());
}

TEST(SoundPlayer, WithoutADeviceTheGamePlaysInSilenceAndAMissingFileStopsStartUpNamingIt) {
    std::ostringstream out;
    Game game{out};
    {
        const DiskAudio audio("/nonexistent/played.raw");
        SoundPlayer player(runDir);
        EXPECT_FALSE(player.open());
        startGame(game);
        player.listen(game);
        DropTask dropTask(game);
        applyCommand(game, dropTask, Command::hardDrop);
        player.play();
        EXPECT_FALSE(player.sounding());
    }
    const std::filesystem::path folder = fixture::tempFile("not-a-folder", "");
    try {
        SoundPlayer player(folder);
        ADD_FAILURE() << "no sound files, and start-up went on";
    } catch (const StartupError& error) {
        EXPECT_EQ(error.what(),
                  (folder / landSoundFile).string() + ": cannot open: Not a directory");
    }
}

} // namespace
} // namespace gemlets
