# SPDX-License-Identifier: GPL-3.0-or-later
# Test of the Debian package, run by ctest as
#   cmake -DCPACK_COMMAND=... -DBUILD_DIR=... -DPACKAGE_DIR=... -DVERSION=... -DAPP_ID=...
#         -DEXPECTED_FILES="a|b|..." -P CheckDebianPackage.cmake
# Builds the .deb with cpack into PACKAGE_DIR, then checks with dpkg-deb that it
# holds every expected file with its owner and mode, that its dependencies were
# found by dpkg-shlibdeps and name what the programs load, that its copyright
# and changelog are Debian's, that the desktop files agree with each other and
# with the package, that the desktop entry lists only the type of encrypted
# files, which the shared MIME database takes in (CheckEncryptedType.cmake),
# that each icon has its size, and that the file managers' right-click actions
# run a task on the file, encryption first.
# A second build of the same tree must give the same bytes. The .deb stays in
# PACKAGE_DIR for the lintian test.

cmake_minimum_required(VERSION 3.25)

foreach(var IN ITEMS CPACK_COMMAND BUILD_DIR PACKAGE_DIR VERSION APP_ID ENCRYPTED_TYPE
        EXPECTED_FILES)
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

# Builds the package into `folder` and leaves its path in `out`.
function(build_package folder out)
    run(output ${CPACK_COMMAND} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${folder})
    file(GLOB built ${folder}/*.deb)
    list(LENGTH built count)
    if(NOT count EQUAL 1)
        fail("expected one .deb in ${folder}, found ${count}:\n${output}")
    endif()
    set(${out} ${built} PARENT_SCOPE)
endfunction()

build_package(${PACKAGE_DIR} packages)

# Reproducible: a second build of the same tree, its files touched meanwhile
# so that their times differ, gives the same bytes.
file(GLOB_RECURSE staged ${BUILD_DIR}/man/*.gz)
file(TOUCH_NOCREATE ${staged})
build_package(${PACKAGE_DIR}/again again)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${packages} ${again}
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    run(first dpkg-deb --contents ${packages})
    run(second dpkg-deb --contents ${again})
    fail("two builds of the package differ:\n${first}\n---\n${second}")
endif()
file(REMOVE_RECURSE ${PACKAGE_DIR}/again)

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

    # Only the encrypted files: a listed type is one Quarnix may open by default.
    list(FILTER entry INCLUDE REGEX "^MimeType=")
    string(REPLACE "+" "\\+" type_pattern "${ENCRYPTED_TYPE}")
    if(NOT entry MATCHES "^MimeType=${type_pattern}[\\;]*$")
        fail("the desktop entry lists other types than ${ENCRYPTED_TYPE}: ${entry}")
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

# Each picture of the icon theme has the size its folder names (the PNG
# header's width and height).
file(GLOB icons ${root}/usr/share/icons/hicolor/*x*/apps/${APP_ID}.png)
foreach(icon IN LISTS icons)
    string(REGEX MATCH "/([0-9]+)x([0-9]+)/apps/" ignored "${icon}")
    file(READ ${icon} header LIMIT 8 OFFSET 16 HEX)
    string(SUBSTRING "${header}" 0 8 width_hex)
    string(SUBSTRING "${header}" 8 8 height_hex)
    math(EXPR width "0x${width_hex}")
    math(EXPR height "0x${height_hex}")
    if(NOT width EQUAL CMAKE_MATCH_1 OR NOT height EQUAL CMAKE_MATCH_2)
        fail("${icon} is ${width}x${height}")
    endif()
endforeach()

# The right-click actions: each runs a program of the package with a task and
# the file the user clicked, in the form its file manager fills in.
set(action_files "")
foreach(pattern IN ITEMS applications/context-menus/*.conf file-manager/actions/*.desktop
        kio/servicemenus/*.desktop nemo/actions/*.nemo_action)
    file(GLOB found ${root}/usr/share/${pattern})
    if(NOT found)
        fail("the package has no ${pattern}")
    endif()
    # The menus follow the files' order, then the order within a file.
    list(SORT found)
    set(in_order "")
    foreach(action IN LISTS found)
        file(STRINGS ${action} execs REGEX "^Exec=")
        foreach(line IN LISTS execs)
            string(REGEX MATCH "--(encrypt|decrypt)" task "${line}")
            list(APPEND in_order ${task})
        endforeach()
    endforeach()
    if(NOT in_order STREQUAL "--encrypt;--decrypt")
        fail("${pattern} offers ${in_order}, not encryption above decryption")
    endif()
    list(APPEND action_files ${found})
endforeach()
set(tasks_seen "")
foreach(action IN LISTS action_files)
    file(STRINGS ${action} lines REGEX "^Exec=")
    if(NOT lines)
        fail("${action} has no Exec line")
    endif()
    foreach(line IN LISTS lines)
        # %f: a local file's path; Nemo's %F: the paths of the selection
        if(NOT line MATCHES "^Exec=([^ ]+) --(encrypt|decrypt) (%f|%F)$")
            fail("${action} runs ${line}, not a task on the file")
        endif()
        set(program ${CMAKE_MATCH_1})
        set(task ${CMAKE_MATCH_2})
        set(placeholder ${CMAKE_MATCH_3})
        if(NOT EXISTS ${root}/usr/bin/${program})
            fail("${action} runs ${program}, which the package lacks")
        endif()
        if(placeholder STREQUAL "%F" AND NOT action MATCHES "\\.nemo_action$")
            fail("${action} names the whole selection")
        endif()
        list(APPEND tasks_seen ${task})
    endforeach()
    file(STRINGS ${action} names ENCODING UTF-8 REGEX "^Name=用 Quarnix (加密|解密)$")
    if(NOT names AND NOT action MATCHES "/kio/")
        fail("${action} is not named 用 Quarnix 加密 or 用 Quarnix 解密")
    endif()
    if(action MATCHES "/context-menus/")
        file(STRINGS ${action} types REGEX "^X-DFM-MenuTypes=")
        if(NOT types STREQUAL "X-DFM-MenuTypes=SingleFile;X-DFM-MenuTypes=SingleFile")
            fail("${action} is not for one file: ${types}")
        endif()
    endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/CheckEncryptedType.cmake)

list(REMOVE_DUPLICATES tasks_seen)
list(SORT tasks_seen)
if(NOT tasks_seen STREQUAL "decrypt;encrypt")
    fail("the actions offer ${tasks_seen}, not encrypt and decrypt")
endif()
