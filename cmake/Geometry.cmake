# SPDX-License-Identifier: MIT
# The field's size, chosen when the build is configured: the one value that the code (the
# generated headers model/field_size.h and frontend/geometry.h), the images, the window, the
# page, the handheld launcher, the package's texts and the tests all take. Scripts and tests
# outside the build read it from geometry.env in the build folder.
#
# A build that takes its images from a native build's run folder (the browser's, the handheld
# port's) takes that build's size by default, since the game-over image is painted to it.
set(nativeGeometry "")
if(GEMLETS_ASSETS_DIR)
    set(nativeGeometry ${GEMLETS_ASSETS_DIR}/../geometry.env)
endif()
foreach(size IN ITEMS COLUMNS=6 ROWS=12)
    string(REPLACE "=" ";" size ${size})
    list(GET size 0 name)
    list(GET size 1 default)
    if(EXISTS "${nativeGeometry}")
        file(STRINGS ${nativeGeometry} line REGEX "^GEMLETS_FIELD_${name}=")
        string(REGEX REPLACE "^[^=]*=" "" default "${line}")
    endif()
    set(GEMLETS_FIELD_${name} ${default} CACHE STRING "The field's ${name}, a whole number")
endforeach()
# The first pair stands in column 3 over rows 1 and 2, and every later one appears in
# columns 2 and 3 of the top row.
if(NOT GEMLETS_FIELD_COLUMNS MATCHES "^[0-9]+$" OR GEMLETS_FIELD_COLUMNS LESS 4
   OR NOT GEMLETS_FIELD_ROWS MATCHES "^[0-9]+$" OR GEMLETS_FIELD_ROWS LESS 3)
    message(FATAL_ERROR "GEMLETS_FIELD_COLUMNS (${GEMLETS_FIELD_COLUMNS}) must be a number from "
                        "4 and GEMLETS_FIELD_ROWS (${GEMLETS_FIELD_ROWS}) one from 3: the pairs "
                        "appear in columns 2 and 3 and the first one stands in rows 1 and 2")
endif()
# One cell on screen, in pixels: the gemlet images are painted at it. The window holds the
# field on its left half and the score on its right.
set(GEMLETS_CELL_PIXELS 32)
math(EXPR GEMLETS_WINDOW_WIDTH "2 * ${GEMLETS_FIELD_COLUMNS} * ${GEMLETS_CELL_PIXELS}")
math(EXPR GEMLETS_WINDOW_HEIGHT "${GEMLETS_FIELD_ROWS} * ${GEMLETS_CELL_PIXELS}")

set(GEMLETS_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/model/field_size.h.in
               ${GEMLETS_GENERATED_DIR}/model/field_size.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/frontend/geometry.h.in
               ${GEMLETS_GENERATED_DIR}/frontend/geometry.h @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/geometry.env CONTENT [[
GEMLETS_FIELD_COLUMNS=@GEMLETS_FIELD_COLUMNS@
GEMLETS_FIELD_ROWS=@GEMLETS_FIELD_ROWS@
GEMLETS_CELL_PIXELS=@GEMLETS_CELL_PIXELS@
GEMLETS_WINDOW_WIDTH=@GEMLETS_WINDOW_WIDTH@
GEMLETS_WINDOW_HEIGHT=@GEMLETS_WINDOW_HEIGHT@
]] @ONLY)
unset(nativeGeometry)
