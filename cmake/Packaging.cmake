# Installs Quarnix as a Linux desktop application and builds its Debian package.
# Included at the end of the top-level CMakeLists.txt, once every target exists.
#
#   cmake --install <build>                     # binaries, desktop entry, icons
#   cd <build> && cpack -G DEB                  # quarnix_<version>_<arch>.deb

set(QUARNIX_LINUX_DIST ${PROJECT_SOURCE_DIR}/dist/linux)

# The programs install themselves into bin (ui/ and cli/); the window program's
# desktop entry and icons are installed here.
if(TARGET quarnix)
    install(FILES ${QUARNIX_LINUX_DIST}/quarnix.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(size IN ITEMS 16 32 48)
        install(FILES ${QUARNIX_LINUX_DIST}/icons/hicolor/${size}x${size}/quarnix.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES ${QUARNIX_LINUX_DIST}/icons/quarnix.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnix)
set(CPACK_PACKAGE_VENDOR Quarnix)
set(CPACK_PACKAGE_CONTACT "Quarnix <quarnix@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Quarnix encrypts and decrypts one file at a time, in place, under one or two
passwords and one of three levels. It has a Chinese window program, quarnix,
and a command-line tool, quarnix-cli. Its format is an obfuscation against
casual reading, not strong encryption.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quarnix.example.org/)
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps). Qt's
# platform plugins ship with libqt6gui6; the window needs a font with Chinese
# characters and the web link a way to start a browser.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei, xdg-utils")

include(CPack)

# The package test builds the .deb into a folder of its own and reads its contents.
if(QUARNIX_BUILD_TESTS AND TARGET quarnix)
    set(expected_files
        ./usr/bin/quarnix
        ./usr/share/applications/quarnix.desktop
        ./usr/share/icons/hicolor/16x16/apps/quarnix.png
        ./usr/share/icons/hicolor/32x32/apps/quarnix.png
        ./usr/share/icons/hicolor/48x48/apps/quarnix.png
        ./usr/share/icons/hicolor/scalable/apps/quarnix.svg)
    if(TARGET quarnix-cli)
        list(APPEND expected_files ./usr/bin/quarnix-cli)
    endif()
    string(JOIN "|" expected_files ${expected_files})
    add_test(NAME debian_package
             COMMAND ${CMAKE_COMMAND}
                     -DCPACK_COMMAND=${CMAKE_CPACK_COMMAND}
                     -DBUILD_DIR=${PROJECT_BINARY_DIR}
                     -DEXPECTED_FILES=${expected_files}
                     -P ${CMAKE_CURRENT_LIST_DIR}/CheckDebianPackage.cmake)
    set_tests_properties(debian_package PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()
