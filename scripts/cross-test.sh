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
# Under qemu a soak game costs about ten times as much; a few hundred still shuffle the drop
# task against the player, and keep the stage to minutes.
soak_games=${GEMLETS_SOAK_GAMES:-300}

times=()
step_start=$SECONDS
step() {
    times+=("$1 $((SECONDS - step_start)) s")
    step_start=$SECONDS
}

scripts/deps.sh
scripts/make-sysroot.sh "$arch"
step sysroot

# -O2 like the plain build, without its debug information: that saves about a fifth of the
# compile time, and a failure here is looked into on the native build first.
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build "$dir" -j "$jobs"
step build

status=0
GEMLETS_SOAK_GAMES=$soak_games ctest --test-dir "$dir" --output-on-failure -j "$jobs" \
    --no-tests=error 2>&1 | tee "$dir/ctest.log" || status=$?
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
