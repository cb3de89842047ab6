# SPDX-License-Identifier: GPL-3.0-or-later
# The long options of quarnix-cli, as its --help gives them, against those that
# its manual pages and its bash completion name:
#   cmake -DCLI=... -DFILES="page.scd|...|completion" -P CheckManPageOptions.cmake
# Every file must name exactly the options of --help.

cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" files "${FILES}")

function(long_options text out)
    string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${text}")
    list(REMOVE_DUPLICATES options)
    list(SORT options)
    set(${out} "${options}" PARENT_SCOPE)
endfunction()

execute_process(
    COMMAND ${CLI} --help
    RESULT_VARIABLE result
    OUTPUT_VARIABLE help
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CLI} --help failed (${result}): ${errors}")
endif()
long_options("${help}" help_options)
message(STATUS "--help: ${help_options}")

foreach(file IN LISTS files)
    file(READ ${file} text)
    long_options("${text}" file_options)
    if(NOT file_options STREQUAL help_options)
        message(FATAL_ERROR "${file} names ${file_options}; --help has ${help_options}")
    endif()
endforeach()
