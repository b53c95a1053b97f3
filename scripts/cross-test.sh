#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the game, its tools and every test for ARCH with Debian's cross compiler, and
# runs the whole suite under qemu-user:
#   armel   ARMv5TE, soft float (GP2X Wiz, Caanoo): g++-arm-linux-gnueabi, qemu-arm -cpu arm926
#   arm64   today's ARM handhelds: g++-aarch64-linux-gnu, qemu-aarch64
# The sysroot (build-sysroot-ARCH, Debian's own ARCH packages) is made on first use by
# scripts/make-sysroot.sh; the build goes to build-ARCH. Prints each step's time and, last,
# "ARCH: N tests passed"; exits non-zero on any failure.
# Usage: scripts/cross-test.sh armel|arm64
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-}
case $arch in
armel | arm64) ;;
*)
    echo "usage: $0 armel|arm64" >&2
    exit 2
    ;;
esac
dir=build-$arch
jobs=$(nproc)

times=()
step_start=$SECONDS
step() {
    times+=("$1 $((SECONDS - step_start)) s")
    step_start=$SECONDS
}

scripts/deps.sh
scripts/make-sysroot.sh "$arch"
step sysroot

# The presets of that name (CMakePresets.json); the soak is shortened to a few hundred games.
cmake --preset "$arch"
cmake --build --preset "$arch" -j "$jobs"
step build

status=0
ctest --preset "$arch" -j "$jobs" 2>&1 | tee "$dir/ctest.log" || status=$?
step tests

summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$dir/ctest.log" |
    tail -n 1 || true)
joined=$(printf '%s, ' "${times[@]}")
echo "$arch: ${joined%, }"
if ((status != 0)) || [[ ! $summary =~ ^100%\ tests\ passed,\ 0\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    echo "$arch: FAILED (ctest status $status): ${summary:-no summary in $dir/ctest.log}" >&2
    exit 1
fi
echo "$arch: ${BASH_REMATCH[1]} tests passed"
