// SPDX-License-Identifier: MIT
// What sounds when, decided from each event and the game after it; a replay sounding as its
// game did; the sound files read at start-up, refused naming what is wrong.
#include "assets/asset_names.h"
#include "model/game_start.h"
#include "play/commands.h"
#include "play/drop_schedule.h"
#include "play/replay.h"
#include "play/sound_cues.h"
#include "play/sound_file.h"
#include "play/turn_step.h"
#include "tests/field_fixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {

// How a failing test shows a cue.
void PrintTo(const Cue& cue, std::ostream* out) {
    *out << cue.file << " at " << cue.delay.count() << " ms";
}

namespace {

using namespace std::chrono_literals;

// Events one after another, each with the game as it left it: the pair's gemlets landed, the
// state, the level and what the turn cleared, step by step.
TEST(SoundCues, EachLandingClearLevelGameOverAndPauseSoundsOnceInTheOrderItCame) {
    struct Step {
        const char* what;
        EventKind kind;
        int landed;
        State state;
        int level;
        std::vector<int> chainGroups;
        std::vector<Cue> cues;
    };
    const Cue land{landSoundFile};
    const Step steps[] = {
        {"the starting field", EventKind::load, 0, State::unpause, 0, {}, {}},
        {"a hard drop lands the pair whole", EventKind::input, 2, State::unpause, 0, {}, {land}},
        {"the drop step that tells of it", EventKind::drop, 2, State::newGemlets, 0, {}, {}},
        {"a turn clearing two groups, then one that the fall made",
         EventKind::turn,
         0,
         State::unpause,
         0,
         {2, 1},
         {{clearSoundFiles[0]},
          {clearSoundFiles[0], clearGap},
          {clearSoundFiles[1], 2 * clearGap}}},
        {"half a split pair lands", EventKind::drop, 1, State::unpause, 0, {}, {land}},
        {"a frame step", EventKind::frame, 1, State::unpause, 0, {}, {}},
        {"then the other half", EventKind::drop, 2, State::newGemlets, 0, {}, {land}},
        {"a turn clearing a group and rising a level",
         EventKind::turn,
         0,
         State::unpause,
         1,
         {1},
         {{clearSoundFiles[0]}, {levelSoundFile, clearGap}}},
        {"P", EventKind::input, 0, State::pause, 1, {}, {{pauseSoundFile}}},
        {"a move ends the pause", EventKind::input, 0, State::unpause, 1, {}, {{resumeSoundFile}}},
        {"the page hidden", EventKind::hidden, 0, State::pause, 1, {}, {{pauseSoundFile}}},
        {"P again", EventKind::input, 0, State::unpause, 1, {}, {{resumeSoundFile}}},
        {"a turn with nothing to clear", EventKind::turn, 0, State::unpause, 1, {}, {}},
        {"a chain of ten steps: the last chime for the steps past the files",
         EventKind::turn,
         0,
         State::unpause,
         1,
         std::vector(10, 1),
         {}},
        {"the next pair has no room",
         EventKind::turn,
         2,
         State::gameover,
         1,
         {},
         {{land}, {gameoverSoundFile}}},
        {"a key at game over", EventKind::input, 2, State::gameover, 1, {}, {}},
    };
    std::ostringstream out;
    Game game{out};
    startGame(game);
    SoundCues cues(game);
    for (const Step& step : steps) {
        if (step.kind == EventKind::turn && step.landed == 0) // a new pair
            startGame(game);
        int landed = 0;
        for (const GemletPtr& g : {game.first, game.second})
            g->state = landed++ < step.landed ? GemletState::landed : GemletState::dropping;
        game.state = step.state;
        game.level = step.level;
        game.chainGroups = step.chainGroups;
        cues.entered(eventOf(step.kind), game);
        std::vector<Cue> expected = step.cues;
        if (step.chainGroups.size() == 10) {
            for (int i = 0; i < 10; ++i)
                expected.push_back({clearSoundFile(i + 1), i * clearGap});
            EXPECT_EQ(expected[9].file, clearSoundFiles.back());
        }
        EXPECT_EQ(cues.take(), expected) << step.what;
    }
    EXPECT_EQ(cues.take(), std::vector<Cue>{}) << "each cue is taken once";
}

// A game played through the door, recorded and watched again: the same sounds in the same
// order, the level's after its clears.
TEST(SoundCues, AReplaySoundsAsItsGameDid) {
    std::ostringstream out;
    std::ostringstream text;
    std::vector<Cue> played;
    {
        Game game{out};
        SoundCues cues(game);
        Recorder recorder(text, 7);
        const Watching watching(game, recorder);
        startGame(game);
        game.points = 48;        // the red row's 8 points take it to level 1
        DropTask dropTask(game); // never started: every step is made here
        enterGame(game, loadEvent(fixture::bottomRows({"*11*1*"}), "test.txt"));
        pressKey(game, dropTask, Key::p);
        pressKey(game, dropTask, Key::p);
        while (game.state != State::newGemlets)
            dropStep(game);
        RandomGenerator random(7);
        turnStep(game, random);
        pressKey(game, dropTask, Key::space); // the next pair, clearing nothing
        while (game.state != State::newGemlets)
            dropStep(game);
        turnStep(game, random);
        pressKey(game, dropTask, Key::escape);
        recorder.finish();
        played = cues.take();
    }
    EXPECT_EQ(played, (std::vector<Cue>{{pauseSoundFile},
                                        {resumeSoundFile},
                                        {landSoundFile},
                                        {clearSoundFiles[0]},
                                        {levelSoundFile, clearGap},
                                        {landSoundFile}}));
    const Replay replay = parseReplay(text.str(), "game.replay");
    Game watched{out};
    SoundCues heard(watched);
    ReplayPlayer player(replay, watched);
    watched.points = 48;
    EXPECT_EQ(player.playUntil(1'000'000), ReplayPlayer::Verdict::done) << player.problem();
    EXPECT_EQ(heard.take(), played);
}

// Each refusal names the file and what is wrong; the painted files are read.
TEST(SoundFile, AWavFileOfPcmSamplesIsReadAndAnythingElseRefusedNamingTheFault) {
    const std::string format = std::string("fmt ") + '\x10' + std::string(3, '\0');
    const auto pcm = [](char channels, char bits) {
        return std::string{1, 0, channels, 0, '\x22', '\x56', 0, 0, 0, 0, 0, 0, 2, 0, bits, 0};
    };
    const std::string mono16 = format + pcm(1, 16);
    const auto wav = [](const std::string& chunks) {
        return "RIFF" + std::string(4, '\0') + "WAVE" + chunks;
    };
    const std::string samples = std::string("data") + '\4' + std::string(3, '\0') + "abcd";
    const std::pair<std::string, std::string> cases[] = {
        {wav(mono16 + samples), ""},
        {wav("LIST" + std::string{2, 0, 0, 0} + "xy" + mono16 + samples), ""},
        {"", "not a WAV file (it does not start with RIFF and WAVE)"},
        {"RIFF....AVI LIST", "not a WAV file (it does not start with RIFF and WAVE)"},
        {wav(format + pcm(1, 24) + samples),
         "format 1, 1 channels of 24 bits at 22050 Hz: only PCM (format 1), 1 or 2 channels of "
         "8 or 16 bits plays"},
        {wav(format + pcm(3, 16) + samples),
         "format 1, 3 channels of 16 bits at 22050 Hz: only "
         "PCM (format 1), 1 or 2 channels of 8 or 16 bits plays"},
        {wav(samples + mono16), "its samples come before their format (no \"fmt \" chunk first)"},
        {wav(mono16), "it holds no samples (no \"data\" chunk)"},
        {wav(mono16 + samples.substr(0, 10)), "its \"data\" chunk runs past the end of the file"},
        {wav(std::string("fmt ") + '\2' + std::string(5, '\0') + samples),
         "its \"fmt \" chunk is too short"},
    };
    for (const auto& [bytes, refusal] : cases) {
        try {
            const SoundFile sound = soundFromBytes(bytes, "land.wav");
            EXPECT_EQ(refusal, "") << bytes;
            EXPECT_EQ(sound.bytes.substr(sound.dataOffset, sound.dataSize), "abcd");
        } catch (const SoundFileError& error) {
            EXPECT_EQ(error.what(), "land.wav: " + refusal);
        }
    }
    const std::filesystem::path run = GEMLETS_RUN_DIR;
    for (const char* file : soundFiles) {
        const SoundFile sound = readSoundFile(run / file);
        EXPECT_TRUE(sound.rate == soundRate && sound.channels == soundChannels &&
                    sound.bits == soundBits && sound.length() >= 50ms && sound.length() <= 1s)
            << file << " is not a short mono 16-bit sound at " << soundRate << " Hz";
    }
    const auto missing = run / "missing.wav";
    EXPECT_THROW(
        try { readSoundFile(missing); } catch (const SoundFileError& error) {
            EXPECT_EQ(error.what(), missing.string() + ": cannot open: No such file or directory");
            throw;
        },
        SoundFileError);
    EXPECT_THROW(
        try { readSoundFile(run); } catch (const SoundFileError& error) {
            EXPECT_EQ(error.what(), run.string() + ": cannot read: Is a directory");
            throw;
        },
        SoundFileError);
}

} // namespace
} // namespace gemlets
