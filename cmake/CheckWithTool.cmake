# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a validator on one file: cmake -DTOOL=... [-DARGS="a|b"] -DFILE=... -P CheckWithTool.cmake
# It fails when the tool fails or reports an error or a warning; hints are
# shown. Without the tool the test says so and ctest counts it as skipped.

cmake_minimum_required(VERSION 3.25)

find_program(tool_path ${TOOL})
if(NOT tool_path)
    message("${TOOL} is not installed: skipped")
    return()
endif()
string(REPLACE "|" ";" args "${ARGS}")

execute_process(
    COMMAND ${tool_path} ${args} ${FILE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
message(STATUS "${TOOL} ${args} ${FILE} (${result}):\n${output}")
if(NOT result EQUAL 0 OR output MATCHES "(error|warning): ")
    message(FATAL_ERROR "${TOOL} does not accept ${FILE}")
endif()
