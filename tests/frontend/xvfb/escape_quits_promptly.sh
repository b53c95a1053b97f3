#!/usr/bin/env bash
# Escape ends the game with status 0 well under a second, although the drop task spends almost
# all its time asleep in a one-second interval. Three games, pressed at different points of
# that interval.
# Usage: escape_quits_promptly.sh RUN_DIR
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$@"
startXvfb

writeBottomRows "$tmp/run"

pairAtRow() { [[ $(gridColumn "$1" 3) == "$2" ]]; }
for round in 1 2 3; do
    startGame
    findWindow
    # The first drop comes a second after start-up: later rounds press Escape after it.
    case $round in
    1) waitForScreen "$windowTimeout" "the first pair" firstPairFalling ;;
    2) waitForScreen "$windowTimeout" "the pair one row down" pairAtRow '**31********' ;;
    3) waitForScreen "$windowTimeout" "the pair two rows down" pairAtRow '***31*******' ;;
    esac
    quitWithEscape
    checkStdoutIsDiagnostics
done
note "PASS: Escape ended three games with status 0, each within $escapeLimitMs ms"
