// SPDX-License-Identifier: MIT
// SIGINT and SIGTERM end the game like the quit input. SDL 1.2 would turn them into
// SDL_QUIT, which the game ignores, so we install our own handlers before SDL_Init.
#pragma once

namespace gemlets {

// Installs handlers for SIGINT and SIGTERM that only note the signal.
void installStopSignalHandlers();

// Whether SIGINT or SIGTERM arrived since the handlers were installed.
bool stopSignalReceived();

} // namespace gemlets
