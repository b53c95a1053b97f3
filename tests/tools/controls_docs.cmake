# SPDX-License-Identifier: MIT
# The README's and the manual page's tables of controls and the handheld's gptokeyb mapping
# are what the game's bindings say (printed by gemlets_controls), and the handheld's
# launcher, whose gptokeyb turns the pad into keys, opens no joystick: a press acts once.
# Arguments: the tool, then the README, the manual page, gemlets.gptk and Gemlets.sh, last;
# a cross build's emulator for the tool as -DEMULATOR="..." before -P.
math(EXPR at "${CMAKE_ARGC} - 5")
set(tool ${CMAKE_ARGV${at}})
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
foreach(format IN ITEMS readme man gptk)
    math(EXPR at "${at} + 1")
    set(file ${CMAKE_ARGV${at}})
    execute_process(COMMAND ${emulator} ${tool} ${format} OUTPUT_VARIABLE expected
                    COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${file} text)
    string(FIND "${text}" "${expected}" found)
    if(expected STREQUAL "" OR found EQUAL -1 OR (format STREQUAL "gptk" AND NOT text STREQUAL expected))
        message(FATAL_ERROR "${file} does not hold the table of controls; it should read:\n${expected}")
    endif()
endforeach()
math(EXPR at "${at} + 1")
file(READ ${CMAKE_ARGV${at}} launcher)
if(NOT launcher MATCHES "-c ./gemlets.gptk" OR NOT launcher MATCHES "\n\"\\./\\$game\"[^\n]* --no-joystick ")
    message(FATAL_ERROR "${CMAKE_ARGV${at}}: gptokeyb maps the pad, so the game must open no joystick")
endif()
