// SPDX-License-Identifier: MIT
// The sound player on SDL's disk audio driver, which writes what a sound card would play to a
// file: each sound started when the game asks, the later ones at their time, the device
// paused while nothing sounds, silence when muted. What it plays, without a device too, and the
// sound files refused by name, the Xvfb scenarios check in the real game.
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
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace gemlets {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path runDir = GEMLETS_RUN_DIR;

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

TEST(SoundPlayer, PlaysEachSoundWhenTheGameAsksAndPausesTheDeviceWhileNothingSounds) {
    const std::filesystem::path capture = fixture::tempFile("played.raw", "");
    Game game{TextOut()};
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
}

} // namespace
} // namespace gemlets
