# SPDX-License-Identifier: MIT
# Cross-builds for Debian armel: ARMv5TE, soft float, the ARM926EJ-S class of handhelds (GP2X
# Wiz, Caanoo). Debian's g++-arm-linux-gnueabi against the sysroot that
# scripts/make-sysroot.sh armel makes; ctest and the asset generator run under qemu-arm as an
# ARM926EJ-S.
#   cmake -S . -B build-armel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-armel.cmake
set(CMAKE_SYSTEM_PROCESSOR arm)
set(GEMLETS_CROSS_ARCH armel)
set(GEMLETS_CROSS_TRIPLET arm-linux-gnueabi)
set(GEMLETS_CROSS_QEMU qemu-arm -cpu arm926)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
