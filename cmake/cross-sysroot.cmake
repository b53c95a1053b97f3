# SPDX-License-Identifier: MIT
# The half every toolchain file shares, included once it has set CMAKE_SYSROOT and
# CMAKE_LIBRARY_ARCHITECTURE: libraries, headers and packages from the sysroot only; programs
# (pkg-config) from the host, pkg-config reading only the sysroot's .pc files and prefixing
# their paths.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR}
    "${CMAKE_SYSROOT}/usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${CMAKE_SYSROOT})
unset(ENV{PKG_CONFIG_PATH})
