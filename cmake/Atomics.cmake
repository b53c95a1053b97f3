# SPDX-License-Identifier: MIT
# gemlets_atomic: what a program needs to link 64-bit std::atomic. Nothing on x86-64 and
# ARMv8, which have the instructions; libatomic on ARMv5TE (armel), where GCC turns them into
# calls. The bench keeps clock readings in such atomics.
include(CheckCXXSourceCompiles)

set(_gemlets_atomic_probe [[
#include <atomic>
#include <cstdint>
std::atomic<std::int64_t> value{0};
int main() { return static_cast<int>(value.fetch_add(1) + value.exchange(2)); }
]])

add_library(gemlets_atomic INTERFACE)
check_cxx_source_compiles("${_gemlets_atomic_probe}" GEMLETS_ATOMIC64_LINKS_ALONE)
if(NOT GEMLETS_ATOMIC64_LINKS_ALONE)
    set(CMAKE_REQUIRED_LIBRARIES atomic)
    check_cxx_source_compiles("${_gemlets_atomic_probe}" GEMLETS_ATOMIC64_LINKS_WITH_LIBATOMIC)
    unset(CMAKE_REQUIRED_LIBRARIES)
    if(NOT GEMLETS_ATOMIC64_LINKS_WITH_LIBATOMIC)
        message(FATAL_ERROR "64-bit std::atomic links neither alone nor with libatomic")
    endif()
    target_link_libraries(gemlets_atomic INTERFACE atomic)
endif()
