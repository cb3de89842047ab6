# SPDX-License-Identifier: GPL-3.0-or-later
# Test of the Debian package, run by ctest as
#   cmake -DCPACK_COMMAND=... -DBUILD_DIR=... -DPACKAGE_DIR=... -DVERSION=... -DAPP_ID=...
#         -DEXPECTED_FILES="a|b|..." -P CheckDebianPackage.cmake
# Builds the .deb with cpack into PACKAGE_DIR, then checks with dpkg-deb that it
# holds every expected file with its owner and mode, that its dependencies were
# found by dpkg-shlibdeps and name what the programs load, that its copyright
# and changelog are Debian's, and that the desktop files agree with each other
# and with the package. The .deb stays in PACKAGE_DIR for the lintian test.

cmake_minimum_required(VERSION 3.25)

foreach(var IN ITEMS CPACK_COMMAND BUILD_DIR PACKAGE_DIR VERSION APP_ID EXPECTED_FILES)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
string(REPLACE "|" ";" expected_files "${EXPECTED_FILES}")

file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR})

function(fail message)
    message(FATAL_ERROR "${message}")
endfunction()

# Runs a command and leaves its standard output in `out`; fails on an error.
function(run out)
    execute_process(
        COMMAND ${ARGN}
        RESULT_VARIABLE result
        OUTPUT_VARIABLE output
        ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        fail("${ARGN} failed (${result}):\n${output}${errors}")
    endif()
    set(${out} "${output}" PARENT_SCOPE)
endfunction()

run(output ${CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${PACKAGE_DIR})
file(GLOB packages ${PACKAGE_DIR}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    fail("expected one .deb in ${PACKAGE_DIR}, found ${count}:\n${output}")
endif()

run(contents dpkg-deb --contents ${packages})
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

# Control fields: shlibdeps found the libraries; Qt's Chinese texts and the
# recommended Wayland plugin and fonts are named.
run(fields dpkg-deb --field ${packages} Package Version Depends Recommends)
message(STATUS "Control fields:\n${fields}")
foreach(needed IN ITEMS "Package: quarnix" "Version: ${VERSION}-1" "libqt6widgets6" "libqt6gui6"
        "libqt6core6" "libc6" "qt6-translations-l10n" "shared-mime-info" "Recommends: qt6-wayland"
        "fonts-wqy-microhei | fonts-noto-cjk")
    string(FIND "${fields}" "${needed}" at)
    if(at EQUAL -1)
        fail("the control fields lack ${needed}")
    endif()
endforeach()

set(root ${PACKAGE_DIR}/root)
run(ignored dpkg-deb --extract ${packages} ${root})
set(doc ${root}/usr/share/doc/quarnix)

file(STRINGS ${doc}/copyright copyright)
list(GET copyright 0 format)
if(NOT format STREQUAL "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
    fail("the copyright file is not in the machine-readable format: ${format}")
endif()
if(NOT "License: GPL-3+" IN_LIST copyright)
    fail("the copyright file does not give the licence GPL-3+")
endif()

run(changelog gzip -dc ${doc}/changelog.Debian.gz)
if(NOT changelog MATCHES "^quarnix \\(${VERSION}-1\\) ")
    fail("the Debian changelog does not start with quarnix (${VERSION}-1):\n${changelog}")
endif()

foreach(page IN LISTS expected_files)
    if(page MATCHES "/man/.*/([^/]+)\\.1\\.gz$")
        run(roff gzip -dc ${root}/${page})
        if(NOT roff MATCHES "\n\\.TH \"${CMAKE_MATCH_1}\" \"1\"")
            fail("${page} is not the manual page ${CMAKE_MATCH_1}(1)")
        endif()
    endif()
endforeach()

# The desktop entry starts a program of the package with the file, shows an
# icon of the package, and is the one the metainfo launches.
set(desktop_file ${root}/usr/share/applications/${APP_ID}.desktop)
if(EXISTS ${desktop_file})
    file(STRINGS ${desktop_file} entry)
    foreach(line IN LISTS entry)
        if(line MATCHES "^Exec=([^ ]+) (.*)$")
            if(NOT EXISTS ${root}/usr/bin/${CMAKE_MATCH_1} OR NOT CMAKE_MATCH_2 STREQUAL "%f")
                fail("the desktop entry runs ${line}, not a program of the package with %f")
            endif()
            set(exec_found ON)
        elseif(line MATCHES "^Icon=(.*)$")
            file(GLOB icons ${root}/usr/share/icons/hicolor/*/apps/${CMAKE_MATCH_1}.*)
            if(NOT icons)
                fail("the package has no icon ${CMAKE_MATCH_1} for the desktop entry")
            endif()
            set(icon_found ON)
        endif()
    endforeach()
    if(NOT exec_found OR NOT icon_found)
        fail("the desktop entry lacks Exec= or Icon=")
    endif()

    file(READ ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml metainfo)
    foreach(needed IN ITEMS "<id>${APP_ID}</id>"
            "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>"
            "<release version=\"${VERSION}\"")
        string(FIND "${metainfo}" "${needed}" at)
        if(at EQUAL -1)
            fail("the metainfo lacks ${needed}")
        endif()
    endforeach()
endif()
