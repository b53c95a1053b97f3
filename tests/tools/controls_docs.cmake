# SPDX-License-Identifier: MIT
# The README's and the manual page's tables of controls and the handheld's gptokeyb mapping
# are what the game's own table says (printed by gemlets_controls), and the handheld's
# launcher, whose gptokeyb turns the pad into keys, opens no joystick: a press acts once.
# Arguments: the tool, then the README, the manual page, gemlets.gptk and Gemlets.sh.
set(tool ${CMAKE_ARGV3})
foreach(check "readme;4" "man;5" "gptk;6")
    list(GET check 0 format)
    list(GET check 1 argument)
    set(file ${CMAKE_ARGV${argument}})
    execute_process(COMMAND ${tool} ${format} OUTPUT_VARIABLE expected COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${file} text)
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1 OR (format STREQUAL "gptk" AND NOT text STREQUAL expected))
        message(FATAL_ERROR "${file} does not hold the table of controls; it should read:\n${expected}")
    endif()
endforeach()
file(READ ${CMAKE_ARGV7} launcher)
if(NOT launcher MATCHES "-c ./gemlets.gptk" OR NOT launcher MATCHES "\n\"\\./\\$game\"[^\n]* --no-joystick ")
    message(FATAL_ERROR "${CMAKE_ARGV7}: gptokeyb maps the pad, so the game must open no joystick")
endif()
