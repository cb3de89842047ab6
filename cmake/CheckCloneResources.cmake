# SPDX-License-Identifier: GPL-3.0-or-later
# Test that two checkouts of one commit, made at different times, build the
# same programs, run by ctest as
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P CheckCloneResources.cmake
# Within one build folder cmake/CheckDebianPackage.cmake compares whole
# packages; between checkouts only the files' times differ, and the one part
# of a build that reads them is Qt's resource compiler: the test clones the
# last commit twice into one folder, gives the second clone's files other
# times, and compares every resource source that the two builds generate. Outside a git checkout
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
set(names "")
# One after the other in the same folder, as one would check out twice.
set(tree ${WORK_DIR}/checkout)
foreach(clone IN ITEMS first second)
    file(REMOVE_RECURSE ${tree})
    run(${git_program} clone --quiet --no-hardlinks ${SOURCE_DIR} ${tree})
    if(clone STREQUAL "second")
        # A checkout made a day before the first.
        file(GLOB_RECURSE files ${tree}/assets/* ${tree}/dist/* ${tree}/ui/*)
        string(TIMESTAMP now "%s" UTC)
        math(EXPR earlier "${now} - 86400")
        foreach(path IN LISTS files)
            run(touch -d @${earlier} ${path})
        endforeach()
    endif()
    run(${CMAKE_COMMAND} -S ${tree} -B ${tree}/build -G Ninja -DCMAKE_BUILD_TYPE=Release
        -DQUARNIX_BUILD_TESTS=OFF -DQUARNIX_BUILD_BENCH=OFF)
    # Only the resource sources: ninja builds them by name.
    execute_process(COMMAND ninja -C ${tree}/build -t targets all OUTPUT_VARIABLE targets)
    string(REGEX MATCHALL "[^\n]*qrc_[^\n/]*\\.cpp: CUSTOM_COMMAND" outputs "${targets}")
    list(FILTER outputs EXCLUDE REGEX "^/")
    list(TRANSFORM outputs REPLACE ": CUSTOM_COMMAND$" "")
    if(NOT outputs)
        message(FATAL_ERROR "the build makes no resource sources")
    endif()
    run(ninja -C ${tree}/build ${outputs})
    foreach(output IN LISTS outputs)
        get_filename_component(name ${output} NAME)
        file(COPY_FILE ${tree}/build/${output} ${WORK_DIR}/${clone}-${name})
        list(APPEND names ${name})
    endforeach()
endforeach()

list(REMOVE_DUPLICATES names)
foreach(name IN LISTS names)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/first-${name}
                            ${WORK_DIR}/second-${name}
                    RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
        message(FATAL_ERROR "${name} differs between two checkouts of one commit")
    endif()
    message(STATUS "the same in both checkouts: ${name}")
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
