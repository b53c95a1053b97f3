// SPDX-License-Identifier: MIT
#include "play/turn_step.h"

#include "play/game_events.h"

namespace gemlets {

void turnStep(Game& game, RandomGenerator& random) {
    if (game.state != State::newGemlets)
        return;
    enterGame(game, eventOf(EventKind::turn), &random);
    // The searches' trace reaches a pipe as each step ends, not in blocks. Outside the lock,
    // so that a slow reader holds up only this thread, never the drop task.
    game.out.flush();
}

} // namespace gemlets
