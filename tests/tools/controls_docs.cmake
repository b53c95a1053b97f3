# SPDX-License-Identifier: MIT
# The README's and the manual page's tables of controls, and the handheld's gptokeyb mapping,
# are what the game's own table says (printed by gemlets_controls).
foreach(check "readme;README.md" "man;packaging/gemlets.6.in" "gptk;packaging/portmaster/gemlets.gptk")
    list(GET check 0 format)
    list(GET check 1 file)
    execute_process(COMMAND ${TOOL} ${format} OUTPUT_VARIABLE expected COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${SOURCE}/${file} text)
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1 OR (format STREQUAL "gptk" AND NOT text STREQUAL expected))
        message(FATAL_ERROR "${file} does not hold the table of controls; it should read:\n${expected}")
    endif()
endforeach()
