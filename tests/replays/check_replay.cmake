# SPDX-License-Identifier: MIT
# cmake -DEMULATOR="qemu-..." -DREPLAY=NAME.replay -DOUT=file -P check_replay.cmake GAME
# Fails unless the game checks the replay (status 0) and writes NAME.out.gz's text exactly.
# The game comes last, a word of its own, where scripts/mutate.py sees that it was rebuilt.
math(EXPR last "${CMAKE_ARGC} - 1")
set(GAME ${CMAKE_ARGV${last}})
separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
execute_process(COMMAND ${emulator} ${GAME} --replay ${REPLAY} --check
                OUTPUT_FILE ${OUT} ERROR_VARIABLE said RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gemlets --replay ${REPLAY} --check: status ${status}: ${said}")
endif()
string(REGEX REPLACE "\\.replay$" ".out.gz" expected ${REPLAY})
execute_process(COMMAND gzip -dc ${expected} OUTPUT_FILE ${OUT}.recorded RESULT_VARIABLE unzipped)
if(NOT unzipped EQUAL 0)
    message(FATAL_ERROR "${expected} cannot be read")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${OUT}.recorded
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the standard output of the check (${OUT}) differs from the recorded "
                        "one (${expected}); ${said}")
endif()
message(STATUS "${said}")
