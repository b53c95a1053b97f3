# SPDX-License-Identifier: MIT
# The handheld port (scripts/port-handheld.sh): Debian 11's GCC 10 for aarch64 or armhf and its
# glibc 2.31, unpacked with Debian 11's libraries for it into one folder, so that nothing built here
# needs a newer C library than the handhelds' firmware has. The compiler lives in that folder
# too. Nothing built runs here: the images come from a native build (GEMLETS_ASSETS_DIR).
# GEMLETS_HANDHELD_ARCH, as PortMaster names it: aarch64 (when unset) or armhf.
#   cmake -S . -B build-port/game-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-handheld.cmake
if(NOT GEMLETS_HANDHELD_ARCH)
    set(GEMLETS_HANDHELD_ARCH aarch64)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GEMLETS_HANDHELD_ARCH)
if(GEMLETS_HANDHELD_ARCH STREQUAL armhf)
    set(CMAKE_SYSTEM_PROCESSOR arm)
    set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
else()
    set(CMAKE_SYSTEM_PROCESSOR aarch64)
    set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
endif()

get_filename_component(_gemlets_source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_SYSROOT ${_gemlets_source_dir}/build-port/sysroot-${GEMLETS_HANDHELD_ARCH} CACHE PATH
    "Debian 11's cross compiler and libraries for the handheld (scripts/port-handheld.sh)")
set(_gemlets_gcc ${CMAKE_SYSROOT}/usr/bin/${CMAKE_LIBRARY_ARCHITECTURE})
if(NOT EXISTS ${_gemlets_gcc}-g++-10)
    message(FATAL_ERROR "no GCC 10 for ${GEMLETS_HANDHELD_ARCH} in ${CMAKE_SYSROOT}: "
                        "scripts/port-handheld.sh makes it")
endif()
set(CMAKE_C_COMPILER ${_gemlets_gcc}-gcc-10)
set(CMAKE_CXX_COMPILER ${_gemlets_gcc}-g++-10)

include(${CMAKE_CURRENT_LIST_DIR}/cross-sysroot.cmake)
