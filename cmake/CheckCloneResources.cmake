# SPDX-License-Identifier: GPL-3.0-or-later
# Test that two checkouts of one commit, made at different times, build the
# same programs, run by ctest as
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P CheckCloneResources.cmake
# Within one build folder cmake/CheckDebianPackage.cmake compares whole
# packages; between checkouts only the files' times differ, and the one part
# of a build that reads them is Qt's resource compiler: the test clones the
# last commit twice, gives the second clone's files other times, and compares
# every resource source that the two builds generate. Outside a git checkout
# it says so and counts as skipped.

cmake_minimum_required(VERSION 3.25)

find_program(git_program git)
if(NOT git_program OR NOT EXISTS ${SOURCE_DIR}/.git)
    message("no git checkout to clone: skipped")
    return()
endif()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}):\n${output}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(generated "")
foreach(clone IN ITEMS first second)
    set(tree ${WORK_DIR}/${clone})
    run(${git_program} clone --quiet --no-hardlinks ${SOURCE_DIR} ${tree})
    if(clone STREQUAL "second")
        # A checkout made a day later.
        file(GLOB_RECURSE files ${tree}/assets/* ${tree}/dist/* ${tree}/ui/*)
        string(TIMESTAMP now "%s" UTC)
        math(EXPR later "${now} + 86400")
        foreach(path IN LISTS files)
            run(touch -d @${later} ${path})
        endforeach()
    endif()
    run(${CMAKE_COMMAND} -S ${tree} -B ${tree}/build -G Ninja -DCMAKE_BUILD_TYPE=Release
        -DQUARNIX_BUILD_TESTS=OFF -DQUARNIX_BUILD_BENCH=OFF)
    run(${CMAKE_COMMAND} --build ${tree}/build --target quarnix_assets quarnix_about_window_autogen)
    file(GLOB_RECURSE sources RELATIVE ${tree}/build ${tree}/build/qrc_*.cpp)
    list(SORT sources)
    list(APPEND generated "${sources}")
endforeach()

list(LENGTH generated count)
if(count EQUAL 0)
    message(FATAL_ERROR "the builds generated no resource sources")
endif()
file(GLOB_RECURSE sources RELATIVE ${WORK_DIR}/first/build ${WORK_DIR}/first/build/qrc_*.cpp)
foreach(source IN LISTS sources)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/first/build/${source}
                            ${WORK_DIR}/second/build/${source}
                    RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
        message(FATAL_ERROR "${source} differs between two checkouts of one commit")
    endif()
    message(STATUS "same in both checkouts: ${source}")
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
