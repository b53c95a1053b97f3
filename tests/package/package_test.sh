#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The package stage, as root: builds the Debian package from a clean copy of HEAD, checks it
# with lintian (which also renders the manual page) and the desktop's validators, installs it,
# plays it from / with a fresh HOME under a private Xvfb, reinstalls it, and purges it.
set -euo pipefail
repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
tmp=$(mktemp -d /tmp/gemlets-package.XXXXXX)
pids=()
# shellcheck source=drivers/xvfb.sh
source "$repo/drivers/xvfb.sh"
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "package: FAILED: $*" >&2 && exit 1; }
waitFor() { for _ in {1..100}; do "$@" && return || sleep 0.1; done && false; } # 10 s at most
apt() { DEBIAN_FRONTEND=noninteractive apt-get -y -qq "$@" >/dev/null || fail "apt-get $*"; }

git -C "$repo" archive --prefix=gemlets/ HEAD | tar -x -C "$tmp"
version=$(dpkg-parsechangelog -l "$tmp/gemlets/debian/changelog" -S Version)
deb=$tmp/gemlets_${version}_$(dpkg --print-architecture).deb
(cd "$tmp/gemlets" && dpkg-buildpackage -us -uc -b -J2 >"$tmp/build.log" 2>&1) ||
    { tail -n 40 "$tmp/build.log" && fail "dpkg-buildpackage, log above"; }
lintian --fail-on error,warning "$deb" || fail "lintian reports an error or a warning"
# shellcheck source=drivers/geometry.sh
source "$repo/drivers/geometry.sh" "$tmp/gemlets/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)"
# Read whole before matching: grep -q ends at its match, and under pipefail the writer's SIGPIPE
# would fail the line.
[[ $(dpkg-deb -f "$deb" Description) == *" $cols columns by $rows rows."* ]] || fail "no field size"
apt install "$deb"
[[ $(/usr/games/gemlets --version) == "gemlets $version" ]] || fail "--version is not $version"
{ desktop-file-validate /usr/share/applications/*gemlets*.desktop &&
    appstreamcli validate --no-net /usr/share/metainfo/*gemlets*.xml >/dev/null; } || fail "validators"
(cd "$repo/tests/replays" && /usr/games/gemlets --replay desktop-chain.replay --check) \
    >"$tmp/replayed" || fail "a replay named from the player's folder does not check"
gzip -dc "$repo/tests/replays/desktop-chain.out.gz" | cmp -s - "$tmp/replayed" || fail "its output differs"
for text in /usr/share/man/man6/gemlets.6.gz /usr/share/metainfo/*gemlets*.xml; do
    [[ $(zcat -f "$text" | tr -s ' \n' '  ') == *"$cols columns by $rows rows"* ]] || fail "$text: no field size"
done

startXvfb "$tmp" -nolisten tcp -noreset || fail "no X server"
pids+=("$xvfbPid")
export HOME=$tmp/home && unset XDG_DATA_HOME
(cd / && exec /usr/games/gemlets --frame-rate 60) >"$tmp/game.log" 2>&1 & game=$!
pids+=("$game")
win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$game" | head -n 1) || fail "no window"
[[ $(xdotool getwindowgeometry "$win") == *"Geometry: $windowSize"* ]] || fail "not $windowSize"
firstFrame() { # something darker than white in the field
    import -window "$win" "$tmp/shot.png" && [[ $(convert "$tmp/shot.png" -crop "$fieldArea" \
        -colorspace gray -format '%[fx:minima<0.5]' info:) == 1 ]]
}
waitFor firstFrame || fail "no gemlet drawn in the field"
xdotool windowfocus "$win" key Escape
# shellcheck disable=SC2016 # eval expands it at each try
waitFor eval '! kill -0 "$game" 2>/dev/null' || fail "the game still runs 10 s after Escape"
wait "$game" || fail "Escape ended the game with status $?: $(cat "$tmp/game.log")"

field=$HOME/.local/share/gemlets/test.txt
echo "edited" >>"$field" && cp "$field" "$tmp/edited"
apt install --reinstall "$deb"
status=0 && (cd / && /usr/games/gemlets --frame-rate 0 2>/dev/null) || status=$?
((status == 2)) || fail "--frame-rate 0: status $status, not 2"
cmp -s "$field" "$tmp/edited" || fail "the reinstall or the launcher changed the player's test.txt"

dpkg -L gemlets >"$tmp/files"
apt purge gemlets
# The package's own paths all name it; the others are shared folders.
left=$(grep gemlets "$tmp/files" | xargs -d '\n' ls -d 2>/dev/null) || true
[[ -z $left ]] || fail "left after the purge: $left"
echo "package: built, lintian clean, installed, played, reinstalled keeping test.txt, purged"
