# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the command given after "--" and passes only when it exits with status 1 and its
# standard error has a line beginning "refused: ". The line alone is not enough: a reader that
# prints it and then crashes, or exits 0, fails.
#   cmake -P expect_refused.cmake -- yumo-tool check ymv FILE
set(command "")
set(collect FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
    if(collect)
        list(APPEND command "${CMAKE_ARGV${i}}")
    elseif(CMAKE_ARGV${i} STREQUAL "--")
        set(collect TRUE)
    endif()
endforeach()
if(NOT command)
    message(FATAL_ERROR "usage: cmake -P expect_refused.cmake -- COMMAND [ARGS...]")
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status STREQUAL "1" OR NOT err MATCHES "(^|\n)refused: ")
    message(FATAL_ERROR "expected exit status 1 and a line beginning 'refused: ', got status "
                        "'${status}'; standard error:\n${err}")
endif()
message(STATUS "refused as expected: ${err}")
