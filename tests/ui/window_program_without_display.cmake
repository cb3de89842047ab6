# SPDX-License-Identifier: GPL-3.0-or-later
# The window program where no display can be reached, run by ctest as
#   cmake -DPROGRAM=<quarnix> -DVERSION=<version> -P window_program_without_display.cmake
# --help and --version print and succeed; anything else says in Chinese that
# there is no display and fails with status 1, instead of Qt's abort.

cmake_minimum_required(VERSION 3.25)

foreach(variable IN ITEMS DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM)
    unset(ENV{${variable}})
endforeach()

# arguments | status | text that standard output (o) or error (e) holds
set(cases
    "--help|0|o|用法：quarnix [文件]"
    "-h|0|o|--decrypt 文件"
    "--version|0|o|quarnix ${VERSION}"
    "a.doc --help|0|o|用法：quarnix"
    "|1|e|quarnix：没有图形显示"
    "--encrypt a.doc|1|e|quarnix：没有图形显示")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 arguments)
    list(GET fields 1 status)
    list(GET fields 2 stream)
    list(GET fields 3 expected)
    separate_arguments(arguments UNIX_COMMAND "${arguments}")
    execute_process(COMMAND ${PROGRAM} ${arguments}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors
                    TIMEOUT 20)
    set(seen "${output}")
    set(other "${errors}")
    if(stream STREQUAL "e")
        set(seen "${errors}")
        set(other "${output}")
    endif()
    string(FIND "${seen}" "${expected}" at)
    if(NOT result STREQUAL status OR at EQUAL -1 OR NOT other STREQUAL "")
        message(FATAL_ERROR "quarnix ${arguments}: status ${result}, output:\n${output}\n"
                            "errors:\n${errors}\nexpected status ${status} and ${expected}")
    endif()
endforeach()
