# Test of the Debian package, run by ctest as
#   cmake -DCPACK_COMMAND=... -DBUILD_DIR=... -DEXPECTED_FILES="a|b|..." -P CheckDebianPackage.cmake
# Builds the .deb with cpack into a fresh folder, then checks with dpkg-deb that it
# holds every expected file, that the programs are executable, and that its
# dependencies were found by dpkg-shlibdeps. The folder is removed at the end.

foreach(var IN ITEMS CPACK_COMMAND BUILD_DIR EXPECTED_FILES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
string(REPLACE "|" ";" expected_files "${EXPECTED_FILES}")

string(RANDOM LENGTH 8 suffix)
set(work_dir ${BUILD_DIR}/Testing/Temporary/debian-package-${suffix})
file(REMOVE_RECURSE ${work_dir})
file(MAKE_DIRECTORY ${work_dir})

function(fail message)
    file(REMOVE_RECURSE ${work_dir})
    message(FATAL_ERROR "${message}")
endfunction()

execute_process(
    COMMAND ${CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${work_dir}
    WORKING_DIRECTORY ${BUILD_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    fail("cpack failed (${result}):\n${output}")
endif()

file(GLOB packages ${work_dir}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    fail("expected one .deb in ${work_dir}, found ${count}:\n${output}")
endif()

execute_process(
    COMMAND dpkg-deb --contents ${packages}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE contents
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    fail("dpkg-deb --contents failed: ${errors}")
endif()
message(STATUS "Contents of ${packages}:\n${contents}")

# Each line of the list is "mode owner/group size date time path".
string(REPLACE "\n" ";" lines "${contents}")
foreach(path IN LISTS expected_files)
    set(found "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^([-a-z]+) +root/root +[0-9]+ [-0-9]+ [:0-9]+ (.*)$"
           AND CMAKE_MATCH_2 STREQUAL path)
            set(found ${CMAKE_MATCH_1})
        endif()
    endforeach()
    if(found STREQUAL "")
        fail("${path} is missing from the package, or not owned by root")
    endif()
    if(path MATCHES "^\\./usr/bin/" AND NOT found STREQUAL "-rwxr-xr-x")
        fail("${path} has mode ${found}, not -rwxr-xr-x")
    endif()
    if(NOT path MATCHES "^\\./usr/bin/" AND NOT found STREQUAL "-rw-r--r--")
        fail("${path} has mode ${found}, not -rw-r--r--")
    endif()
endforeach()

execute_process(
    COMMAND dpkg-deb --field ${packages} Package Depends
    RESULT_VARIABLE result
    OUTPUT_VARIABLE fields
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    fail("dpkg-deb --field failed: ${errors}")
endif()
message(STATUS "Control fields:\n${fields}")
foreach(needed IN ITEMS "Package: quarnix" "libqt6widgets6" "libqt6gui6" "libqt6core6" "libc6")
    string(FIND "${fields}" "${needed}" at)
    if(at EQUAL -1)
        fail("the control fields lack ${needed}")
    endif()
endforeach()

file(REMOVE_RECURSE ${work_dir})
