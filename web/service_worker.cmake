# SPDX-License-Identifier: MIT
# Writes the site's service worker, sw.js: web/sw.js under the list of the site's files, each
# with its SHA-256, and a name for the build made from that list, so that any change to any
# file makes a new worker. A file an earlier build left in the folder (one the build no longer
# makes) is removed, so that neither the worker nor a copy of the folder carries it.
#   cmake -DSITE=<site folder> -DFILES=<name>,<name>,... -DSOURCE=<web/sw.js> -P service_worker.cmake
cmake_minimum_required(VERSION 3.25)
cmake_path(ABSOLUTE_PATH SITE NORMALIZE)
string(REPLACE "," ";" names "${FILES}")
if(NOT names)
    message(FATAL_ERROR "service_worker.cmake: no files given for ${SITE}")
endif()
set(entries "")
set(listed "")
foreach(name IN LISTS names)
    if(NOT EXISTS ${SITE}/${name})
        message(FATAL_ERROR "service_worker.cmake: ${SITE}/${name} is missing")
    endif()
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND entries "    '${name}': '${hash}',\n")
    string(APPEND listed "${name} ${hash}\n")
endforeach()
string(SHA256 build "${listed}")
string(SUBSTRING ${build} 0 16 build)
file(GLOB present LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
foreach(name IN LISTS present)
    if(NOT name IN_LIST names AND NOT name STREQUAL "sw.js")
        file(REMOVE ${SITE}/${name})
    endif()
endforeach()
file(READ ${SOURCE} worker)
# Written beside it and renamed over it: a page never fetches half a worker.
file(WRITE ${SITE}/sw.js.part
     "// SPDX-License-Identifier: MIT\n// This build's files, written by web/service_worker.cmake.\n"
     "const site = {\n  build: '${build}',\n  files: {\n${entries}  },\n};\n\n${worker}")
file(RENAME ${SITE}/sw.js.part ${SITE}/sw.js)
