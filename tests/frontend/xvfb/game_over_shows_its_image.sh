#!/usr/bin/env bash
# Column 2 is full to the top (blue and red in turn, so nothing clears), so once the first pair
# has landed the spawn cell (2,0) is taken: the game is over. The field must give way to
# gameover.jpg at (0,0), the score must still be drawn, and Escape must still quit.
# Usage: game_over_shows_its_image.sh RUN_DIR
source "$(dirname "$0")/xvfb_lib.sh"
setUp "$@"
startXvfb

stack=()
for row in {0..11}; do
    stack+=("**$((row % 2))***")
done
writeField "$tmp/run" "${stack[@]}"
startGame
findWindow

columnTwoFullAndThePairFalling() {
    [[ $(gridColumn "$1" 2) == 010101010101 ]] && firstPairFalling "$1" &&
        ! grep -q '[^*]' <<<"$(cut -c1-2,5-6 <<<"$1")"
}
waitForScreen "$windowTimeout" "the full column 2 of the field file and the first pair" \
    columnTwoFullAndThePairFalling

# The image may be any size; compare the part of it that lies on the field.
gameOverImage=$tmp/run/gameover.jpg
size=$(identify -format '%w %h' "$gameOverImage")
width=${size% *} height=${size#* }
region=$((width < 192 ? width : 192))x$((height < 384 ? height : 384))+0+0
convert "$gameOverImage" -crop "$region" +repage "$tmp/expected.png"
# RMSE against the image, 0 (same) to 1; the 16-bit window and JPEG decoding add a little.
showsGameOver() {
    local error
    convert "$shot" -crop "$region" +repage "$tmp/actual.png"
    error=$(compare -metric RMSE "$tmp/actual.png" "$tmp/expected.png" null: 2>&1) || true
    lastError=$(sed -n 's/.*(\(.*\))/\1/p' <<<"$error")
    [[ -n $lastError ]] || fail "could not compare the screen with gameover.jpg: $error"
    failDetail="last RMSE against gameover.jpg: $lastError"
    awk -v e="$lastError" 'BEGIN { exit !(e < 0.08) }'
}
pressKey space
waitForScreen 5 "gameover.jpg over the field (RMSE below 0.08)" showsGameOver
failDetail=""
keepShot game-over
textShown "$shot" || fail "no score drawn at (202, 192) on the game-over screen"

quitWithEscape
checkStdoutIsDiagnostics
note "PASS: game over showed gameover.jpg (RMSE $lastError) with the score beside it"
