#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The lint stage of the test command, over the files git tracks: every C++ file formatted as
# .clang-format says (clang-format 14), every shell script clean under shellcheck, the SPDX
# licence line in every source file, the same licence wherever the game's licence is named,
# and the READMEs' table of stages and table cells. Prints every finding on standard error and
# exits 1 if there is any.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
finding() {
    echo "lint: $*" >&2
    status=1
}

mapfile -t cxx < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${cxx[@]}" ||
    finding "clang-format: the files above differ from .clang-format; clang-format -i FILE fixes one"

mapfile -t shell < <(git ls-files '*.sh' .ci/run)
shellcheck "${shell[@]}" || finding "shellcheck: the scripts above"
# The launcher is POSIX sh; its name ends in .in because CMake fills in the paths.
shellcheck --shell=sh packaging/gemlets.sh.in || finding "shellcheck: packaging/gemlets.sh.in"

# licence: every source file carries the SPDX line near its top.
spdx='SPDX-License-Identifier: MIT'
while IFS= read -r file; do
    [[ $(head -n 3 "$file") == *"$spdx"* ]] || finding "licence: $file has no '$spdx' in its first 3 lines"
done < <(git ls-files '*.cpp' '*.h' '*.sh' '*.py' '*.js' '*.cmake' '*CMakeLists.txt' .ci/run \
    '*.html' packaging/gemlets.sh.in packaging/gemlets.6.in packaging/gemlets.desktop.in)

# licence: each place that names the game's licence names the same one, MIT (Expat).
{ grep -q '^Permission is hereby granted, free of charge' LICENSE &&
    grep -qx 'Copyright 2026 The gemlets authors' LICENSE; } ||
    finding "licence: LICENSE is not the MIT (Expat) text with the gemlets authors' line"
[[ $(awk '/^Files: \*$/ { f = 1 } f && /^License:/ { print $2; exit }' debian/copyright) == Expat ]] ||
    finding "licence: debian/copyright's 'Files: *' is not under Expat"
grep -q '<project_license>MIT</project_license>' packaging/gemlets.metainfo.xml.in ||
    finding "licence: the metainfo's project_license is not MIT"
grep -q '^gemlets is free software under the MIT licence' README.md ||
    finding "licence: README.md does not say the game is under the MIT licence"

# READMEs: tests/README.md's table of stages names the test command's, in its order, and no
# table cell runs past 300 characters.
stages=$(scripts/test.sh --help | sed -n 's/^  \([a-z0-9]*\) .*/\1/p' | tr '\n' ' ')
listed=$(awk -F'|' '/^## / { table = $0 == "## What the test command runs" }
    table && /^\| [a-z0-9]+ \|/ { gsub(/ /, "", $2); printf "%s ", $2 }' tests/README.md)
stages=${stages% } listed=${listed% }
[[ $listed == "$stages" ]] ||
    finding "tests/README.md: the stage table lists '$listed', scripts/test.sh runs '$stages'"
mapfile -t docs < <(git ls-files '*.md')
awk -F'|' '/^\|/ { for (i = 2; i < NF; i++) if (length($i) > 300) {
        printf "lint: %s:%d: a table cell of %d characters, 300 at most\n", FILENAME, FNR, length($i)
        long = 1 } } END { exit long }' "${docs[@]}" >&2 || status=1

exit "$status"
