#!/usr/bin/env bash
# Three yellows wait at (2,10), (4,10) and (4,9); the first pair's yellow, hard-dropped onto
# (3,10), makes a group of four. The screen must show those four cells white again, the score
# must change, and standard output must carry the sweeping trace and nothing else.
# Usage: cleared_group_empties_its_cells.sh RUN_DIR
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$@"
startXvfb

writeBottomRows "$tmp/run" '****3*' '**3*3*' '**0*2*'
startGame
findWindow

waitingWithThePairAbove() {
    gridMatches "$1" "$(printf '%s\n' ...... ...... ...... ...... ...... ...... ...... \
        ...... ...... '****3*' '**3*3*' '**0*2*')" && firstPairFalling "$1"
}
waitForScreen "$windowTimeout" "the field file's three yellows and the first pair above them" \
    waitingWithThePairAbove
cp "$shot" "$tmp/before.png"
keepShot game-in-progress

pressKey space
# The next pair may already be falling in the top rows; the bottom three rows are settled.
groupCleared() {
    gridMatches "$1" "$(printf '%s\n' ...... ...... ...... ...... ...... ...... ...... \
        ...... ...... '******' '******' '**012*')"
}
waitForScreen 4 "the yellow group of four cleared, leaving blue, red, green in row 11" \
    groupCleared
keepShot group-cleared

textShown "$shot" || fail "no score drawn at (202, 192) after the clearing"
regionChanged "$tmp/before.png" "$shot" 182x48+202+192 ||
    fail "the score text did not change after 4 cells were cleared"

quitWithEscape
grep -qx sweeping "$tmp/stdout" || fail "standard output has no \"sweeping\" line"
grep -q '^sweeping returning 0' "$tmp/stdout" ||
    fail "standard output has no \"sweeping returning 0\" line"
checkStdoutIsDiagnostics
note "PASS: the group's four cells turned white and the trace shows the sweeping"
