# SPDX-License-Identifier: MIT
# The names of the files the game reads from its run folder: the one list that the asset
# painter, the build's copy and install rules, the loaders and the tests all take them from.
# The code gets them through the generated header assets/asset_names.h (target
# gemlets_asset_names).
set(GEMLETS_FONT_FILE font.ttf)
# By colour code, as the game's colour codes run: 0 blue, 1 red, 2 green, 3 yellow.
set(GEMLETS_CELL_IMAGE_FILES gemlet_blue.jpg gemlet_red.jpg gemlet_green.jpg gemlet_yellow.jpg)
set(GEMLETS_GAMEOVER_IMAGE_FILE gameover.jpg)
set(GEMLETS_IMAGE_FILES ${GEMLETS_CELL_IMAGE_FILES} ${GEMLETS_GAMEOVER_IMAGE_FILE})
# The icon's sizes in pixels, gemlets_<size>.png each, painted by the asset painter from these
# lists: the desktop's icon theme installs the first, the browser's web app manifest names the
# second.
set(GEMLETS_DESKTOP_ICON_SIZES 48 128)
set(GEMLETS_WEB_ICON_SIZES 192 512)

set(literals ${GEMLETS_CELL_IMAGE_FILES})
list(TRANSFORM literals PREPEND "\"")
list(TRANSFORM literals APPEND "\"")
list(JOIN literals ", " GEMLETS_CELL_IMAGE_LITERALS)
set(GEMLETS_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/assets/asset_names.h.in
               ${GEMLETS_GENERATED_DIR}/assets/asset_names.h @ONLY)
unset(literals)

add_library(gemlets_asset_names INTERFACE)
target_include_directories(gemlets_asset_names INTERFACE ${GEMLETS_GENERATED_DIR}
                                                          ${PROJECT_SOURCE_DIR})
