#!/usr/bin/env bash
# The real game on an empty field: its window is 384 x 384, the first pair falls yellow over
# red in column 3, and Space lands it at the bottom of that column long before gravity could.
# Usage: hard_drop_lands_the_pair.sh RUN_DIR
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$@"
startXvfb

writeBottomRows "$tmp/run"
startGame
findWindow

geometry=""
deadline=$(($(nowMs) + windowTimeout * 1000))
until [[ $geometry == 384x384 ]]; do
    (($(nowMs) < deadline)) || fail "the window is ${geometry:-of unknown size}, not 384x384"
    geometry=$(xdotool getwindowgeometry "$win" | sed -n 's/^ *Geometry: //p')
    [[ $geometry == 384x384 ]] || sleep 0.05
done

onlyThePairFalling() {
    firstPairFalling "$1" && ! grep -q '[^*]' <<<"$(cut -c1-3,5-6 <<<"$1")"
}
waitForScreen "$windowTimeout" "the first pair falling in column 3 of an empty field" \
    onlyThePairFalling
[[ $(identify -format %wx%h "$shot") == 384x384 ]] || fail "the screenshot is not 384x384"
textShown "$shot" || fail "no score drawn at (202, 192)"

# Gravity moves a row a second: from row 5 or above it needs over 4 s to reach row 10.
pairRow=$(gridColumn "$grid" 3 | grep -bo 3 | cut -d: -f1)
((pairRow <= 5)) || fail "the pair was already at row $pairRow before Space could be pressed"
pressKey space
landedAtTheBottom() {
    [[ $(gridRow "$1" 10) == '***3**' && $(gridRow "$1" 11) == '***1**' ]] &&
        (($(head -n 10 <<<"$1" | tr -d '*\n' | wc -c) <= 2)) # at most the next pair above
}
waitForScreen 3 "the pair landed at (3,10) yellow and (3,11) red after Space" landedAtTheBottom

quitWithEscape
checkStdoutIsDiagnostics
note "PASS: 384x384 window; Space landed the pair from row $pairRow at the bottom"
