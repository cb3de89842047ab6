# SPDX-License-Identifier: GPL-3.0-or-later
# Checks with readelf that the programs were built hardened:
#   cmake -DPROGRAMS="a|b" -P CheckHardening.cmake
# Each program binds every symbol at start (BIND_NOW) into a read-only
# relocation table (GNU_RELRO), calls the stack protector, and calls at least
# one fortified libc function (a __*_chk symbol), the mark of _FORTIFY_SOURCE.

cmake_minimum_required(VERSION 3.25)

find_program(READELF readelf REQUIRED)
string(REPLACE "|" ";" programs "${PROGRAMS}")

function(readelf out)
    execute_process(
        COMMAND ${READELF} -W ${ARGN}
        RESULT_VARIABLE result
        OUTPUT_VARIABLE output
        ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "readelf ${ARGN} failed: ${errors}")
    endif()
    set(${out} "${output}" PARENT_SCOPE)
endfunction()

foreach(program IN LISTS programs)
    readelf(dynamic --dynamic ${program})
    readelf(segments --segments ${program})
    readelf(symbols --dyn-syms ${program})
    string(REGEX MATCHALL "\\(FLAGS[_1]*\\)[^\n]*" flags "${dynamic}")
    message(STATUS "${program}: ${flags}")
    if(NOT dynamic MATCHES "\\(FLAGS\\)[^\n]*BIND_NOW" AND NOT dynamic MATCHES "\\(FLAGS_1\\)[^\n]* NOW")
        message(FATAL_ERROR "${program} is not linked with -z now (no BIND_NOW)")
    endif()
    if(NOT segments MATCHES "GNU_RELRO")
        message(FATAL_ERROR "${program} is not linked with -z relro (no GNU_RELRO)")
    endif()
    if(NOT symbols MATCHES "__stack_chk_fail")
        message(FATAL_ERROR "${program} has no stack protector (no __stack_chk_fail)")
    endif()
    # Symbols show as "name@version".
    string(REGEX MATCHALL "__[a-z0-9_]+_chk@" checked "${symbols}")
    string(REPLACE "@" "" checked "${checked}")
    message(STATUS "${program}: fortified calls: ${checked}")
    if(NOT checked)
        message(FATAL_ERROR "${program} has no fortified libc call (__*_chk): no _FORTIFY_SOURCE")
    endif()
endforeach()
