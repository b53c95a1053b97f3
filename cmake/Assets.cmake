# SPDX-License-Identifier: MIT
# The names of the files the game reads from its run folder: the one list that the asset
# painter, the build's copy and install rules, the loaders and the tests all take them from.
# The code gets them through the generated header assets/asset_names.h (target
# gemlets_asset_names).
set(GEMLETS_FONT_FILE font.ttf)
# The field the game starts from; the build writes the shipped one, an empty field.
set(GEMLETS_FIELD_FILE test.txt)
# The font's licence, beside it wherever the font itself is shipped.
set(GEMLETS_FONT_LICENSE_FILE font-LICENSE.txt)
# By colour code, as the game's colour codes run: 0 blue, 1 red, 2 green, 3 yellow.
set(GEMLETS_CELL_IMAGE_FILES gemlet_blue.jpg gemlet_red.jpg gemlet_green.jpg gemlet_yellow.jpg)
set(GEMLETS_GAMEOVER_IMAGE_FILE gameover.jpg)
set(GEMLETS_IMAGE_FILES ${GEMLETS_CELL_IMAGE_FILES} ${GEMLETS_GAMEOVER_IMAGE_FILE})
# The sounds, 16-bit PCM WAV files that the asset painter synthesises: a pair landing; a group
# cleared, one for each step of a chain, rising in pitch (the last serves every later step); a
# new level; game over; a pause and its end.
set(GEMLETS_LAND_SOUND_FILE land.wav)
set(GEMLETS_CLEAR_SOUND_FILES)
foreach(step RANGE 1 8)
    list(APPEND GEMLETS_CLEAR_SOUND_FILES clear_${step}.wav)
endforeach()
set(GEMLETS_LEVEL_SOUND_FILE level.wav)
set(GEMLETS_GAMEOVER_SOUND_FILE gameover.wav)
set(GEMLETS_PAUSE_SOUND_FILE pause.wav)
set(GEMLETS_RESUME_SOUND_FILE resume.wav)
set(GEMLETS_SOUND_FILES ${GEMLETS_LAND_SOUND_FILE} ${GEMLETS_CLEAR_SOUND_FILES}
    ${GEMLETS_LEVEL_SOUND_FILE} ${GEMLETS_GAMEOVER_SOUND_FILE} ${GEMLETS_PAUSE_SOUND_FILE}
    ${GEMLETS_RESUME_SOUND_FILE})
# The icon's sizes in pixels, gemlets_<size>.png each, painted by the asset painter from these
# lists: the desktop's icon theme installs the first, the browser's web app manifest names the
# second.
set(GEMLETS_DESKTOP_ICON_SIZES 48 128)
set(GEMLETS_WEB_ICON_SIZES 192 512)

# The lists the code reads, as C++ string literals separated by commas: GEMLETS_<LIST>_LITERALS.
foreach(list IN ITEMS CELL_IMAGE CLEAR_SOUND SOUND)
    set(literals ${GEMLETS_${list}_FILES})
    list(TRANSFORM literals PREPEND "\"")
    list(TRANSFORM literals APPEND "\"")
    list(JOIN literals ", " GEMLETS_${list}_LITERALS)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/assets/asset_names.h.in
               ${GEMLETS_GENERATED_DIR}/assets/asset_names.h @ONLY)
unset(literals)

add_library(gemlets_asset_names INTERFACE)
target_include_directories(gemlets_asset_names INTERFACE ${GEMLETS_GENERATED_DIR}
                                                          ${PROJECT_SOURCE_DIR})

# Where the files come from. The font is Debian's fonts-dejavu-core: the game's text, the
# game-over words (bold) and the licence that travels with it; without them there is nothing
# to ship.
set(GEMLETS_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
set(GEMLETS_TITLE_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)
set(GEMLETS_FONT_LICENSE /usr/share/doc/fonts-dejavu-core/copyright)
foreach(required IN ITEMS ${GEMLETS_FONT} ${GEMLETS_TITLE_FONT} ${GEMLETS_FONT_LICENSE})
    if(NOT EXISTS ${required})
        message(FATAL_ERROR "gemlets needs ${required}, which is missing. "
                            "Install it with: apt-get install fonts-dejavu-core")
    endif()
endforeach()
# The shipped field: the empty field of the size the build was configured with.
set(GEMLETS_SHIPPED_FIELD ${GEMLETS_GENERATED_DIR}/${GEMLETS_FIELD_FILE})
string(REPEAT "*" ${GEMLETS_FIELD_COLUMNS} row)
string(REPEAT "${row}\n" ${GEMLETS_FIELD_ROWS} emptyField)
file(CONFIGURE OUTPUT ${GEMLETS_SHIPPED_FIELD} CONTENT "${emptyField}")
unset(row)
unset(emptyField)
