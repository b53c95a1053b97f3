# SPDX-License-Identifier: MIT
# gemlets_layer(<target> ABOVE <folder>...): the target's folder may not include the headers
# of the folders named, the layers above it. Checked at every build in which one of its files
# changed, before the target compiles.
function(gemlets_layer target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ABOVE")
    set(folder ${CMAKE_CURRENT_SOURCE_DIR})
    file(GLOB files CONFIGURE_DEPENDS ${folder}/*.h ${folder}/*.cpp)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.layer)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DFOLDER=${folder} "-DABOVE=${arg_ABOVE}" -DSTAMP=${stamp}
                -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
        DEPENDS ${files} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
        COMMENT "Checking that ${target} includes no layer above it"
        VERBATIM)
    add_custom_target(${target}_layer DEPENDS ${stamp})
    add_dependencies(${target} ${target}_layer)
endfunction()

# Found before the system headers by the layers without SDL, so that an SDL include there
# fails to compile.
set(GEMLETS_NO_SDL_DIR ${CMAKE_CURRENT_LIST_DIR}/no_sdl)
