// SPDX-License-Identifier: MIT
// What sounds when, decided from each event and the game after it; a replay sounding as its
// game did; the sound files read at start-up, refused naming what is wrong.
#include "assets/asset_names.h"
#include "play/sound_file.h"
#include "tests/play/recorded_game.h"

#include <functional>
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
    // What each step is, its event, how many of the pair's gemlets have landed, the state, the
    // level and what the turn cleared, and the cues heard.
    using Step =
        std::tuple<const char*, EventKind, int, State, int, std::vector<int>, std::vector<Cue>>;
    using enum EventKind;
    using enum State;
    const Cue land{landSoundFile}, pauses{pauseSoundFile}, resumes{resumeSoundFile},
        rises{levelSoundFile, clearGap};
    const auto c = [](std::size_t file, int gaps) { // a chime, `gaps` after the first
        return Cue{clearSoundFiles[file], gaps * clearGap};
    };
    const Step steps[] = {
        {"the starting field", load, 0, unpause, 0, {}, {}},
        {"a hard drop lands the pair whole", input, 2, unpause, 0, {}, {land}},
        {"the drop step that tells of it", drop, 2, newGemlets, 0, {}, {}},
        {"2 groups, then 1 fallen", turn, 0, unpause, 0, {2, 1}, {c(0, 0), c(0, 1), c(1, 2)}},
        {"half a split pair lands", drop, 1, unpause, 0, {}, {land}},
        {"a frame step", frame, 1, unpause, 0, {}, {}},
        {"then the other half", drop, 2, newGemlets, 0, {}, {land}},
        {"a group, a new level", turn, 0, unpause, 1, {1}, {c(0, 0), rises}},
        {"P", input, 0, pause, 1, {}, {pauses}},
        {"a move ends the pause", input, 0, unpause, 1, {}, {resumes}},
        {"the page hidden", hidden, 0, pause, 1, {}, {pauses}},
        {"P again", input, 0, unpause, 1, {}, {resumes}},
        {"a turn with nothing to clear", turn, 0, unpause, 1, {}, {}},
        {"ten steps: the last chime past the files", turn, 0, unpause, 1, std::vector(10, 1), {}},
        {"no room for the next pair", turn, 2, gameover, 1, {}, {{land}, {gameoverSoundFile}}},
        {"a key at game over", input, 2, gameover, 1, {}, {}},
    };
    Game game{TextOut()};
    startGame(game);
    SoundCues cues(game);
    for (const auto& [what, kind, landed, state, level, chainGroups, heard] : steps) {
        if (kind == EventKind::turn && landed == 0) // a new pair
            startGame(game);
        int down = 0;
        for (const GemletPtr& g : {game.first, game.second})
            g->state = down++ < landed ? GemletState::landed : GemletState::dropping;
        game.state = state;
        game.level = level;
        game.chainGroups = chainGroups;
        cues.entered(eventOf(kind), game);
        std::vector<Cue> expected = heard;
        if (chainGroups.size() == 10) {
            for (int i = 0; i < 10; ++i)
                expected.push_back({clearSoundFile(i + 1), i * clearGap});
            EXPECT_EQ(expected[9].file, clearSoundFiles.back());
        }
        EXPECT_EQ(cues.take(), expected) << what;
    }
    EXPECT_EQ(cues.take(), std::vector<Cue>{}) << "each cue is taken once";
}

// A game recorded and watched again: the same sounds in the same order, the level's after its
// clears (the red row's 8 points take the game from 48 to level 1).
TEST(SoundCues, AReplaySoundsAsItsGameDid) {
    const fixture::Recording game = fixture::record({}, 48);
    EXPECT_EQ(game.cues, (std::vector<Cue>{{pauseSoundFile},
                                           {resumeSoundFile},
                                           {landSoundFile},
                                           {clearSoundFiles[0]},
                                           {levelSoundFile, clearGap}}));
    const Replay replay = parseReplay(game.text, "game.replay");
    Game watched{TextOut()};
    SoundCues heard(watched);
    ReplayPlayer player(replay, watched);
    watched.points = 48;
    EXPECT_EQ(player.playUntil(1'000'000), ReplayPlayer::Verdict::done) << player.problem();
    EXPECT_EQ(heard.take(), game.cues);
}

// Each refusal names the file and what is wrong; the painted files are read.
TEST(SoundFile, AWavFileOfPcmSamplesIsReadAndAnythingElseRefusedNamingTheFault) {
    const auto pcm = [](char channels, char bits) {
        return std::string("fmt \x10\0\0\0\1\0", 10) + channels +
               std::string("\0\x22\x56\0\0\0\0\0\0\2\0", 11) + bits + '\0';
    };
    const auto wav = [](const std::string& chunks) {
        return std::string("RIFF....WAVE") + chunks;
    };
    const std::string data = std::string("data\4\0\0\0abcd", 12);
    const auto refusal = [](const std::function<SoundFile()>& read) {
        try {
            const SoundFile sound = read();
            return sound.bytes.substr(sound.dataOffset, sound.dataSize);
        } catch (const SoundFileError& error) {
            return std::string(error.what());
        }
    };
    const std::pair<std::string, std::string> cases[] = {
        {wav(pcm(1, 16) + data), "abcd"},
        {wav(std::string("LIST\2\0\0\0xy", 10) + pcm(2, 8) + data), "abcd"},
        {"RIFF....AVI LIST", "not a WAV file (it does not start with RIFF and WAVE)"},
        {wav(pcm(1, 24) + data), "format 1, 1 channels of 24 bits at 22050 Hz: only PCM (format "
                                 "1), 1 or 2 channels of 8 or 16 bits plays"},
        {wav(data + pcm(1, 16)), "its samples come before their format (no \"fmt \" chunk first)"},
        {wav(pcm(1, 16)), "it holds no samples (no \"data\" chunk)"},
        {wav(pcm(1, 16) + data.substr(0, 10)), "its \"data\" chunk runs past the end of the file"},
    };
    for (const auto& [bytes, read] : cases)
        EXPECT_EQ(refusal([&] { return soundFromBytes(bytes, "land.wav"); }),
                  read == "abcd" ? read : "land.wav: " + read);
    const std::filesystem::path run = GEMLETS_RUN_DIR;
    for (const char* file : soundFiles) {
        const SoundFile sound = readSoundFile(run / file);
        EXPECT_TRUE(sound.rate == soundRate && sound.channels == soundChannels &&
                    sound.bits == soundBits && sound.length() >= 50ms && sound.length() <= 1s)
            << file << " is not a short mono 16-bit sound at " << soundRate << " Hz";
    }
    EXPECT_EQ(refusal([&] { return readSoundFile(run / "missing.wav"); }),
              (run / "missing.wav").string() + ": cannot open: No such file or directory");
    EXPECT_EQ(refusal([&] { return readSoundFile(run); }),
              run.string() + ": cannot read: Is a directory");
}

} // namespace
} // namespace gemlets
