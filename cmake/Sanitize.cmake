# SPDX-License-Identifier: MIT
# Sanitizer builds: -DGEMLETS_SANITIZE=address,undefined (or thread) instruments every target
# configured after this file is included, the model, its tests, the tools and the front end.
# Every report is fatal: a sanitizer finding must fail the test that triggered it, never
# scroll past in a green run. -DGEMLETS_FUZZ=ON (clang++ only) adds the fuzz/ targets and
# libFuzzer's coverage hooks.

set(GEMLETS_SANITIZE "" CACHE STRING
    "Comma-separated sanitizers for every target: address,undefined or thread; empty for none")

if(GEMLETS_SANITIZE)
    string(REPLACE "," ";" _gemlets_sanitizers "${GEMLETS_SANITIZE}")
    foreach(_sanitizer IN LISTS _gemlets_sanitizers)
        if(NOT _sanitizer MATCHES "^(address|undefined|leak|thread)$")
            message(FATAL_ERROR "GEMLETS_SANITIZE: unknown sanitizer '${_sanitizer}'")
        endif()
    endforeach()
    if("thread" IN_LIST _gemlets_sanitizers AND "address" IN_LIST _gemlets_sanitizers)
        message(FATAL_ERROR "GEMLETS_SANITIZE: thread and address cannot share a build")
    endif()

    add_compile_options(
        -fsanitize=${GEMLETS_SANITIZE}
        -fno-sanitize-recover=all
        -fno-omit-frame-pointer
        -g
        # These are checking builds: the model's assert()s stay on whatever the build type.
        -UNDEBUG)
    add_link_options(-fsanitize=${GEMLETS_SANITIZE})
    message(STATUS "Sanitizers for every target: ${GEMLETS_SANITIZE}")
endif()

option(GEMLETS_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang++)" OFF)
if(GEMLETS_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "GEMLETS_FUZZ needs clang++ (-DCMAKE_CXX_COMPILER=clang++), "
                            "not ${CMAKE_CXX_COMPILER_ID}")
    endif()
    # Coverage hooks in every target, so that libFuzzer sees which branches of the model an
    # input reaches; only the fuzz targets link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
