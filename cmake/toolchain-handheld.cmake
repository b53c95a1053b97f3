# SPDX-License-Identifier: MIT
# The handheld port (scripts/port-handheld.sh): Debian 11's GCC 10 for aarch64 and its glibc
# 2.31, unpacked with Debian 11's arm64 libraries into one folder, so that nothing built here
# needs a newer C library than the handhelds' firmware has. The compiler lives in that folder
# too. Nothing built runs here: the images come from a native build (GEMLETS_ASSETS_DIR).
#   cmake -S . -B build-port/game -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-handheld.cmake
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

get_filename_component(_gemlets_source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_SYSROOT ${_gemlets_source_dir}/build-port/sysroot CACHE PATH
    "Debian 11's aarch64 cross compiler and arm64 libraries (scripts/port-handheld.sh)")
if(NOT EXISTS ${CMAKE_SYSROOT}/usr/bin/aarch64-linux-gnu-g++-10)
    message(FATAL_ERROR "no GCC 10 for aarch64 in ${CMAKE_SYSROOT}: scripts/port-handheld.sh "
                        "makes it")
endif()
set(CMAKE_C_COMPILER ${CMAKE_SYSROOT}/usr/bin/aarch64-linux-gnu-gcc-10)
set(CMAKE_CXX_COMPILER ${CMAKE_SYSROOT}/usr/bin/aarch64-linux-gnu-g++-10)

include(${CMAKE_CURRENT_LIST_DIR}/cross-sysroot.cmake)
