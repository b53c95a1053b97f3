# SPDX-License-Identifier: MIT
# What the armel and arm64 toolchain files share: Debian's cross compiler for
# GEMLETS_CROSS_TRIPLET, the sysroot of Debian GEMLETS_CROSS_ARCH packages, and qemu
# (GEMLETS_CROSS_QEMU) as the emulator that runs what the build makes: the tests (ctest,
# gtest_discover_tests) and the asset generator.
set(CMAKE_C_COMPILER ${GEMLETS_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${GEMLETS_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${GEMLETS_CROSS_TRIPLET})

get_filename_component(_gemlets_source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_SYSROOT ${_gemlets_source_dir}/build-sysroot-${GEMLETS_CROSS_ARCH} CACHE PATH
    "Debian ${GEMLETS_CROSS_ARCH} packages unpacked (scripts/make-sysroot.sh ${GEMLETS_CROSS_ARCH})")
if(NOT EXISTS ${CMAKE_SYSROOT}/usr/lib/${GEMLETS_CROSS_TRIPLET})
    message(FATAL_ERROR "no ${GEMLETS_CROSS_ARCH} sysroot in ${CMAKE_SYSROOT}: make it with "
                        "scripts/make-sysroot.sh ${GEMLETS_CROSS_ARCH} ${CMAKE_SYSROOT}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/cross-sysroot.cmake)

# -L: the ARM dynamic loader and libraries come from the sysroot; the binaries find
# everything else (the fonts the asset generator reads) at the host's paths.
set(CMAKE_CROSSCOMPILING_EMULATOR ${GEMLETS_CROSS_QEMU} -L ${CMAKE_SYSROOT})
