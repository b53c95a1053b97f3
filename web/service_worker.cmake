# SPDX-License-Identifier: MIT
# Writes the site's service worker, sw.js: web/sw.js under the list of every other file of the
# site with its SHA-256, and a name for the build made from that list, so that any change to
# any file makes a new worker.
#   cmake -DSITE=<site folder> -DSOURCE=<web/sw.js> -P service_worker.cmake
cmake_path(ABSOLUTE_PATH SITE NORMALIZE)
file(GLOB names LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM names sw.js)
if(NOT names)
    message(FATAL_ERROR "service_worker.cmake: ${SITE} holds no site to list")
endif()
set(entries "")
set(listed "")
foreach(name IN LISTS names)
    file(SHA256 ${SITE}/${name} hash)
    string(APPEND entries "    '${name}': '${hash}',\n")
    string(APPEND listed "${name} ${hash}\n")
endforeach()
string(SHA256 build "${listed}")
string(SUBSTRING ${build} 0 16 build)
file(READ ${SOURCE} worker)
# Written beside it and renamed over it: a page never fetches half a worker.
file(WRITE ${SITE}/sw.js.part
     "// SPDX-License-Identifier: MIT\n// This build's files, written by web/service_worker.cmake.\n"
     "const site = {\n  build: '${build}',\n  files: {\n${entries}  },\n};\n\n${worker}")
file(RENAME ${SITE}/sw.js.part ${SITE}/sw.js)
