# shellcheck shell=bash disable=SC2034
# SPDX-License-Identifier: MIT
# Sourced by the scripts that start the game or look at its window: the field's and the
# window's size as the build folder given was configured (its geometry.env), and where things
# are on screen, as ImageMagick crops them.
# Usage: source drivers/geometry.sh BUILD_DIR
# shellcheck source=/dev/null
source "$1/geometry.env" || return
cols=$GEMLETS_FIELD_COLUMNS rows=$GEMLETS_FIELD_ROWS
windowSize=${GEMLETS_WINDOW_WIDTH}x$GEMLETS_WINDOW_HEIGHT
fieldArea=$((cols * GEMLETS_CELL_PIXELS))x$GEMLETS_WINDOW_HEIGHT+0+0
# The score or "Paused": right of the field from the frame's textX on, at half the height.
textX=$((cols * GEMLETS_CELL_PIXELS + 10))
textArea=$((GEMLETS_WINDOW_WIDTH - textX))x48+$textX+$((GEMLETS_WINDOW_HEIGHT / 2))
# fieldRows ROW...: a field file of these bottom rows, written for the standard 6 columns:
# empty rows above them, and empty cells on the right of each up to the field's width.
fieldRows() {
    local r
    for ((r = $#; r < rows; ++r)); do printf '%*s\n' "$cols" '' | tr ' ' '*'; done
    for r; do printf '%s%*s\n' "$r" $((cols - ${#r})) '' | tr ' ' '*'; done
}
