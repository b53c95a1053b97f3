#!/usr/bin/env bash
# SIGTERM and SIGINT end the game promptly (SDL would otherwise turn them into a quit event
# that the game ignores). Closing the window, which SDL also reports as a quit event, does
# not: the game goes on taking keys and Escape still quits it with status 0.
# Usage: signals_end_but_closing_does_not.sh RUN_DIR SEND_DELETE_WINDOW
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$1"
sendDeleteWindow=${2:?usage: $0 RUN_DIR SEND_DELETE_WINDOW}
startXvfb

writeBottomRows "$tmp/run"

for signal in TERM INT; do
    startGame
    findWindow
    waitForScreen "$windowTimeout" "the first pair" firstPairFalling
    start=$(nowMs)
    kill -s "$signal" "$gamePid"
    waitForExit 2
    note "SIG$signal to exit: $(($(nowMs) - start)) ms, status $gameStatus"
    ((gameStatus == 0)) || fail "SIG$signal ended the game with status $gameStatus, not 0 as a quit"
    checkStdoutIsDiagnostics
done

startGame
findWindow
waitForScreen "$windowTimeout" "the first pair" firstPairFalling
${GEMLETS_EMULATOR:-} "$sendDeleteWindow" "$win" || fail "could not ask the window to close"
# Events arrive in order: once Space has acted, the close request has been seen and ignored.
pressKey space
landedAtTheBottom() {
    [[ $(gridRow "$1" 10) == '***3**' && $(gridRow "$1" 11) == '***1**' ]]
}
waitForScreen 3 "the pair hard-dropped after the close request" landedAtTheBottom
xdotool search --onlyvisible --pid "$gamePid" >/dev/null || fail "the window went away"
quitWithEscape
checkStdoutIsDiagnostics
note "PASS: SIGTERM and SIGINT ended the game; a close request did not"
