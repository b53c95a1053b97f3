#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the browser's site of each commit given, for web_bench.py --first-pair to measure side
# by side: each commit's tree (git archive, so that this checkout is left as it is) built into
# FOLDER/NAME/site with scripts/build-web.sh, on the images of this checkout's native build.
# Prints the bench's command for them.
# Usage: bench/web_sites.sh FOLDER NAME=COMMIT... [--native BUILD_DIR (default build)]
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $# -ge 2 ]] || { sed -n 's/^# Usage: //p' "$0" >&2; exit 2; }
out=$1
shift
native=build sites=()
while [[ $# -gt 0 ]]; do
    case $1 in
    --native)
        native=$2
        shift 2
        ;;
    *=*)
        sites+=("$1")
        shift
        ;;
    *)
        echo "web_sites.sh: '$1' is not NAME=COMMIT" >&2
        exit 2
        ;;
    esac
done
[[ -f $native/CMakeCache.txt ]] || { echo "web_sites.sh: $native: no native build" >&2; exit 1; }
mkdir -p "$out"
command=(/usr/bin/python3 bench/web_bench.py --first-pair)
for site in "${sites[@]}"; do
    name=${site%%=*} commit=${site#*=}
    tree=$out/$name
    rm -rf "$tree"
    mkdir -p "$tree"
    git archive "$commit" | tar -x -C "$tree"
    ln -s "$PWD/$native" "$tree/native"
    echo "web_sites.sh: $name ($commit) in $tree" >&2
    (cd "$tree" && scripts/build-web.sh native > build-web.log 2>&1) ||
        { echo "web_sites.sh: $name: the build failed, see $tree/build-web.log" >&2; exit 1; }
    command+=(--site "$name=$tree/build-web/site")
done
echo "${command[*]}"
