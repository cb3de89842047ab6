# SPDX-License-Identifier: GPL-3.0-or-later
# Part of CheckDebianPackage.cmake, with its `root`, `run` and `fail`: the
# package's MIME type in a shared MIME database of its own, with the desktop
# entry beside it, as a desktop sees them once the package is installed.
# - update-mime-database takes the package's file;
# - xdg-mime query filetype, through GIO (XDG_CURRENT_DESKTOP=GNOME), tells
#   the type from a marked name where GIO can (see README.md: a lower-case
#   extension it knows wins in GIO), and leaves an unmarked name alone;
# - xdg-mime query default names the package's desktop entry for the type.

set(data ${PACKAGE_DIR}/xdg-data)
file(REMOVE_RECURSE ${data})
file(MAKE_DIRECTORY ${data}/mime/packages ${data}/applications ${PACKAGE_DIR}/home)
file(GLOB packages ${root}/usr/share/mime/packages/*.xml)
file(COPY ${packages} DESTINATION ${data}/mime/packages)
file(COPY ${root}/usr/share/applications/${APP_ID}.desktop DESTINATION ${data}/applications)

find_program(update_mime update-mime-database)
if(NOT update_mime)
    fail("update-mime-database is missing (package shared-mime-info)")
endif()
# Its own database as well as the system's: a clash with a type there shows.
run(output ${update_mime} -V ${data}/mime)
if(output MATCHES "[Ww]arning")
    fail("update-mime-database warns about the package's MIME type:\n${output}")
endif()

find_program(xdg_mime xdg-mime)
if(NOT xdg_mime)
    message(STATUS "xdg-mime is not installed: the MIME type's look-ups are skipped")
    return()
endif()
set(desktop_env ${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${data}:/usr/share
    XDG_DATA_HOME=${PACKAGE_DIR}/home XDG_CONFIG_HOME=${PACKAGE_DIR}/home
    XDG_CONFIG_DIRS=${PACKAGE_DIR}/home HOME=${PACKAGE_DIR}/home)

set(samples ${PACKAGE_DIR}/samples)
file(MAKE_DIRECTORY ${samples})
foreach(name_and_type IN ITEMS "备忘(绝密).=${ENCRYPTED_TYPE}"
        "预算(机密).XLSX=${ENCRYPTED_TYPE}" "样本(秘密).abc=${ENCRYPTED_TYPE}"
        "计划.pdf=application/pdf")
    string(REGEX MATCH "^([^=]+)=(.*)$" ignored "${name_and_type}")
    set(name ${CMAKE_MATCH_1})
    set(expected ${CMAKE_MATCH_2})
    # Encrypted bytes, which tell nothing by themselves.
    string(RANDOM LENGTH 64 ALPHABET "#$%&*+-/:<=>@^_~|" bytes)
    file(WRITE ${samples}/${name} "${bytes}")
    run(type ${desktop_env} XDG_CURRENT_DESKTOP=GNOME ${xdg_mime} query filetype
        ${samples}/${name})
    string(STRIP "${type}" type)
    if(NOT type STREQUAL expected)
        fail("xdg-mime takes ${name} for ${type}, not ${expected}")
    endif()
endforeach()

run(handler ${desktop_env} XDG_CURRENT_DESKTOP=X-Generic ${xdg_mime} query default
    ${ENCRYPTED_TYPE})
string(STRIP "${handler}" handler)
if(NOT handler STREQUAL "${APP_ID}.desktop")
    fail("xdg-mime opens ${ENCRYPTED_TYPE} with \"${handler}\", not ${APP_ID}.desktop")
endif()
