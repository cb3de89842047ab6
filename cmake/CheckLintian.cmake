# SPDX-License-Identifier: GPL-3.0-or-later
# Runs lintian on the .deb that the debian_package test left in PACKAGE_DIR:
#   cmake -DPACKAGE_DIR=... -P CheckLintian.cmake
# Any error (E:) or warning (W:) fails; the informational tags are shown.
# Without lintian the test says so and ctest counts it as skipped.

cmake_minimum_required(VERSION 3.25)

find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message("lintian is not installed: skipped")
    return()
endif()

file(GLOB packages ${PACKAGE_DIR}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one .deb in ${PACKAGE_DIR}, found ${count}")
endif()

execute_process(
    COMMAND ${LINTIAN} --info --display-info --pedantic ${packages}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
message(STATUS "lintian ${packages}:\n${output}")
# lintian exits 1 when it found an error, 2 when it could not run.
if(NOT result MATCHES "^[01]$")
    message(FATAL_ERROR "lintian failed (${result}):\n${errors}")
endif()
if(output MATCHES "(^|\n)[EW]: ")
    message(FATAL_ERROR "lintian reports errors or warnings")
endif()
