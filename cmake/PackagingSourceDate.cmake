# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it builds the package (CPACK_PROJECT_CONFIG_FILE): the
# package's file times are those of the sources, so that two builds of one
# commit give the same bytes. cpack's DEB generator takes them from
# SOURCE_DATE_EPOCH; when the caller has not set it, it is the time of the
# last commit, or, outside a git checkout, the time of the Debian changelog's
# latest entry.

if(NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    return()
endif()

set(epoch "")
find_program(git_program git)
if(git_program)
    execute_process(
        COMMAND "${git_program}" -C "${CPACK_QUARNIX_SOURCE_DIR}" log -1 --format=%ct
        OUTPUT_VARIABLE epoch
        OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        set(epoch "")
    endif()
endif()
if(epoch STREQUAL "")
    execute_process(
        COMMAND dpkg-parsechangelog -l "${CPACK_QUARNIX_DEBIAN_DIR}/changelog" -S Timestamp
        OUTPUT_VARIABLE epoch
        OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
        message(FATAL_ERROR "no time for the package's files: set SOURCE_DATE_EPOCH")
    endif()
endif()
set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
