# SPDX-License-Identifier: MIT
# Fails when a file of one layer includes a header of a layer above it, so that the arrows
# point one way: sdl (and web) -> play -> model. Run as
#   cmake -DFOLDER=<layer folder> -DABOVE="<folder>;<folder>" -DSTAMP=<file> -P CheckLayers.cmake
file(GLOB files ${FOLDER}/*.h ${FOLDER}/*.cpp)
list(JOIN ABOVE "|" above)
set(found "")
foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<](${above})/")
    foreach(line IN LISTS lines)
        string(APPEND found "\n  ${file}: ${line}")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "a layer reaches upward (${FOLDER} may not include ${ABOVE}):${found}")
endif()
file(TOUCH ${STAMP})
