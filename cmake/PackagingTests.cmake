# SPDX-License-Identifier: GPL-3.0-or-later
# The tests of the package and of what it installs, included by Packaging.cmake.
# A test that needs a tool the machine lacks (lintian, desktop-file-validate,
# appstreamcli) says so and counts as skipped.

set(skipped_without_tool "is not installed: skipped")

if(TARGET quarnix)
    set(expected_files
        ./usr/bin/quarnix
        ./usr/share/applications/${QUARNIX_APP_ID}.desktop
        ./usr/share/metainfo/${QUARNIX_APP_ID}.metainfo.xml
        ./usr/share/icons/hicolor/scalable/apps/${QUARNIX_APP_ID}.svg
        ./usr/share/mime/packages/${QUARNIX_APP_ID}.xml
        ./usr/share/icons/hicolor/scalable/mimetypes/${QUARNIX_ENCRYPTED_ICON}.svg
        ./usr/share/applications/context-menus/${QUARNIX_APP_ID}.conf
        ./usr/share/kio/servicemenus/${QUARNIX_APP_ID}.desktop
        ./usr/share/nautilus-python/extensions/quarnix_nautilus.py
        ./usr/share/man/man1/quarnix.1.gz
        ./usr/share/man/zh_CN/man1/quarnix.1.gz
        ./usr/share/doc/quarnix/copyright
        ./usr/share/doc/quarnix/changelog.Debian.gz)
    foreach(size IN LISTS QUARNIX_ICON_SIZES)
        list(APPEND expected_files
             ./usr/share/icons/hicolor/${size}x${size}/apps/${QUARNIX_APP_ID}.png
             ./usr/share/icons/hicolor/${size}x${size}/mimetypes/${QUARNIX_ENCRYPTED_ICON}.png)
    endforeach()
    foreach(task IN ITEMS 1-encrypt 2-decrypt)
        list(APPEND expected_files
             ./usr/share/file-manager/actions/${QUARNIX_APP_ID}.${task}.desktop
             ./usr/share/nemo/actions/${QUARNIX_APP_ID}.${task}.nemo_action)
    endforeach()
    if(TARGET quarnix-cli)
        list(APPEND expected_files
             ./usr/bin/quarnix-cli
             ./usr/share/man/man1/quarnix-cli.1.gz
             ./usr/share/man/zh_CN/man1/quarnix-cli.1.gz
             ./usr/share/bash-completion/completions/quarnix-cli)
    endif()
    string(JOIN "|" expected_files ${expected_files})
    set(package_dir ${PROJECT_BINARY_DIR}/Testing/debian-package)
    add_test(NAME debian_package
             COMMAND ${CMAKE_COMMAND}
                     -DCPACK_COMMAND=${CMAKE_CPACK_COMMAND}
                     -DBUILD_DIR=${PROJECT_BINARY_DIR}
                     -DPACKAGE_DIR=${package_dir}
                     -DVERSION=${PROJECT_VERSION}
                     -DAPP_ID=${QUARNIX_APP_ID}
                     -DENCRYPTED_TYPE=${QUARNIX_ENCRYPTED_TYPE}
                     -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                     -DEXPECTED_FILES=${expected_files}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckDebianPackage.cmake)
    set_tests_properties(debian_package PROPERTIES
        TIMEOUT 300 RUN_SERIAL TRUE FIXTURES_SETUP debian_package)

    add_test(NAME clones_build_same_resources
             COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                     -DWORK_DIR=${PROJECT_BINARY_DIR}/Testing/clones
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckCloneResources.cmake)
    set_tests_properties(clones_build_same_resources PROPERTIES
        TIMEOUT 300 RUN_SERIAL TRUE SKIP_REGULAR_EXPRESSION "skipped")

    add_test(NAME desktop_entry_valid
             COMMAND ${CMAKE_COMMAND} -DTOOL=desktop-file-validate
                     -DFILE=${QUARNIX_LINUX_DIST}/${QUARNIX_APP_ID}.desktop
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckWithTool.cmake)
    add_test(NAME metainfo_valid
             COMMAND ${CMAKE_COMMAND} -DTOOL=appstreamcli "-DARGS=validate|--no-net"
                     -DFILE=${PROJECT_BINARY_DIR}/${QUARNIX_APP_ID}.metainfo.xml
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckWithTool.cmake)
    set_tests_properties(desktop_entry_valid metainfo_valid PROPERTIES
        SKIP_REGULAR_EXPRESSION "${skipped_without_tool}")
endif()

# The package's binaries are hardened only in a hardened build.
set(package_hardened OFF)
if(QUARNIX_HARDEN AND CMAKE_BUILD_TYPE IN_LIST QUARNIX_HARDENED_CONFIGS)
    set(package_hardened ON)
endif()
if(package_hardened AND TARGET quarnix)
    add_test(NAME debian_package_lintian
             COMMAND ${CMAKE_COMMAND} -DPACKAGE_DIR=${package_dir}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckLintian.cmake)
    set_tests_properties(debian_package_lintian PROPERTIES
        TIMEOUT 300 RUN_SERIAL TRUE FIXTURES_REQUIRED debian_package
        SKIP_REGULAR_EXPRESSION "${skipped_without_tool}")
endif()
if(package_hardened AND TARGET quarnix AND TARGET quarnix-cli)
    add_test(NAME hardened_programs
             COMMAND ${CMAKE_COMMAND}
                     "-DPROGRAMS=$<TARGET_FILE:quarnix>|$<TARGET_FILE:quarnix-cli>"
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckHardening.cmake)
endif()

if(TARGET quarnix-cli)
    set(option_files
        ${PROJECT_SOURCE_DIR}/man/quarnix-cli.1.scd
        ${PROJECT_SOURCE_DIR}/man/zh_CN/quarnix-cli.1.scd
        ${QUARNIX_LINUX_DIST}/completions/quarnix-cli)
    string(JOIN "|" option_files ${option_files})
    add_test(NAME cli_options_documented
             COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:quarnix-cli>
                     -DFILES=${option_files}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckManPageOptions.cmake)
endif()
