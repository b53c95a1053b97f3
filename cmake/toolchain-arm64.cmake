# SPDX-License-Identifier: MIT
# Cross-builds for Debian arm64, today's ARM handhelds: Debian's g++-aarch64-linux-gnu against
# the sysroot that scripts/make-sysroot.sh arm64 makes; ctest and the asset generator run
# under qemu-aarch64.
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-arm64.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(GEMLETS_CROSS_ARCH arm64)
set(GEMLETS_CROSS_TRIPLET aarch64-linux-gnu)
set(GEMLETS_CROSS_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
