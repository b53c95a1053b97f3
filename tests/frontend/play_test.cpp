// The SDL-free play library: buttons, the pause toggle, game over in the turn step, the field
// file under the first pair, and the stop signals.
#include "frontend/commands.h"
#include "frontend/game_start.h"
#include "frontend/stop_signals.h"
#include "frontend/turn_step.h"
#include "tests/frontend/field_fixture.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sstream>

namespace gemlets {
namespace {

using fixture::fieldPicture;

class PlayTest : public ::testing::Test {
protected:
    PlayTest() { startGame(game); }

    std::ostringstream out;
    Game game{out};
    DropTask dropTask{game}; // never started: the tests drive every step themselves
};

TEST_F(PlayTest, AButtonWritesItsLineThenActsAndAnUnboundOneOnlyItsLine) {
    pressButton(game, dropTask, 13);
    pressButton(game, dropTask, 0);
    EXPECT_EQ(out.str(), "\nbutton  13 pressed\n\nbutton  0 pressed\n");
    EXPECT_EQ(fieldPicture(game), "******\n**13**\n******\n******\n******\n******\n"
                                  "******\n******\n******\n******\n******\n******\n")
        << "button 13 should have turned the pair a quarter, button 0 nothing";
}

TEST_F(PlayTest, PauseTogglesOnlyBetweenPauseAndUnpause) {
    const std::pair<State, State> transitions[] = {{State::unpause, State::pause},
                                                   {State::pause, State::unpause},
                                                   {State::newGemlets, State::newGemlets},
                                                   {State::gameover, State::gameover}};
    for (const auto& [from, to] : transitions) {
        game.state = from;
        pressKey(game, dropTask, 112);
        EXPECT_EQ(game.state, to) << "from state " << static_cast<int>(from);
    }
}

TEST_F(PlayTest, ATakenSpawnCellEndsTheGameWithoutASearch) {
    fixture::layOut(game, "***2**\n******\n******\n******\n******\n******\n"
                          "******\n******\n******\n******\n******\n******\n");
    game.state = State::newGemlets;
    RandomGenerator random(1);
    turnStep(game, random);
    EXPECT_EQ(game.state, State::gameover);
    EXPECT_EQ(game.gemlets.size(), 1u) << fieldPicture(game);
    EXPECT_EQ(out.str(), "") << "no group search after game over";
}

TEST_F(PlayTest, AFieldFileCellUnderTheFirstPairIsRejectedAndTheGameIsUntouched) {
    const auto path =
        fixture::tempFile("gemlets_test.txt", "******\n******\n***0**\n******\n******\n******\n"
                                              "******\n******\n******\n******\n******\n******\n");
    const std::string before = fieldPicture(game);
    const std::string error = fixture::errorOf([&] { loadField(game, path); });
    EXPECT_NE(error.find(path.string() + ": line 3, column 4: cell (3, 2)"), std::string::npos)
        << error << "\n"
        << fieldPicture(game);
    EXPECT_EQ(fieldPicture(game), before);
    EXPECT_EQ(game.gemlets.size(), 2u);
}

TEST(StopSignals, SigtermIsNotedInsteadOfEndingTheProcess) {
    installStopSignalHandlers();
    EXPECT_FALSE(stopSignalReceived());
    std::raise(SIGTERM);
    EXPECT_TRUE(stopSignalReceived());
}

} // namespace
} // namespace gemlets
