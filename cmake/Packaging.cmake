# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Quarnix as a Linux desktop application and builds its Debian package.
# Included at the end of the top-level CMakeLists.txt, once every target exists.
#
#   cmake --install <build>                     # programs, manual pages, desktop files
#   cd <build> && cpack -G DEB                  # quarnix_<version>-<release>_<arch>.deb
#
# The desktop entry, the metainfo and the icons are named after the program's
# desktop ID, QUARNIX_APP_ID (set in the top-level CMakeLists.txt).

set(QUARNIX_LINUX_DIST ${PROJECT_SOURCE_DIR}/dist/linux)

# The programs install themselves into bin (ui/ and cli/), the manual pages into
# share/man (man/); the desktop files and the shell completion are installed here.
if(TARGET quarnix)
    install(FILES ${QUARNIX_LINUX_DIST}/${QUARNIX_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The release in the metainfo is this version's.
    configure_file(${QUARNIX_LINUX_DIST}/${QUARNIX_APP_ID}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/${QUARNIX_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${QUARNIX_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size IN LISTS QUARNIX_ICON_SIZES)
        install(FILES ${QUARNIX_LINUX_DIST}/icons/hicolor/${size}x${size}/${QUARNIX_APP_ID}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES ${QUARNIX_LINUX_DIST}/icons/${QUARNIX_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

    # The type of the files Quarnix encrypted and marked, which the desktop
    # entry opens; its icon is the program's padlock. The .deb's trigger of
    # shared-mime-info runs update-mime-database on installing it.
    install(FILES ${QUARNIX_LINUX_DIST}/${QUARNIX_APP_ID}.mime.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
            RENAME ${QUARNIX_APP_ID}.xml)
    foreach(size IN LISTS QUARNIX_ICON_SIZES)
        install(FILES ${QUARNIX_LINUX_DIST}/icons/hicolor/${size}x${size}/${QUARNIX_APP_ID}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes
                RENAME ${QUARNIX_ENCRYPTED_ICON}.png)
    endforeach()
    install(FILES ${QUARNIX_LINUX_DIST}/icons/${QUARNIX_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes
            RENAME ${QUARNIX_ENCRYPTED_ICON}.svg)

    # "用 Quarnix 加密" and "用 Quarnix 解密" in the right-click menus of file
    # managers, each running `quarnix --encrypt FILE` or `quarnix --decrypt FILE`,
    # encryption first: where one file holds one action, the file names sort
    # in that order. Kylin's Peony takes no such files (see README.md).
    set(file_managers ${QUARNIX_LINUX_DIST}/file-managers)
    set(order 1)
    foreach(task IN ITEMS encrypt decrypt)
        # PCManFM-Qt (LXQt), Caja (MATE) with caja-actions, and the other
        # readers of file-manager/actions
        install(FILES ${file_managers}/fma-${task}.desktop
                DESTINATION ${CMAKE_INSTALL_DATADIR}/file-manager/actions
                RENAME ${QUARNIX_APP_ID}.${order}-${task}.desktop)
        # Nemo (Cinnamon)
        install(FILES ${file_managers}/nemo-${task}.nemo_action
                DESTINATION ${CMAKE_INSTALL_DATADIR}/nemo/actions
                RENAME ${QUARNIX_APP_ID}.${order}-${task}.nemo_action)
        math(EXPR order "${order} + 1")
    endforeach()
    # deepin/UOS dde-file-manager
    install(FILES ${file_managers}/deepin-context-menu.conf
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/context-menus
            RENAME ${QUARNIX_APP_ID}.conf)
    # Dolphin (KDE)
    install(FILES ${file_managers}/kio-servicemenu.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/kio/servicemenus
            RENAME ${QUARNIX_APP_ID}.desktop)
    # GNOME Files, through its Python extensions when python3-nautilus is installed
    install(FILES ${file_managers}/quarnix_nautilus.py
            DESTINATION ${CMAKE_INSTALL_DATADIR}/nautilus-python/extensions)
endif()
if(TARGET quarnix-cli)
    # bash-completion loads it on first use of quarnix-cli (its completionsdir).
    install(FILES ${QUARNIX_LINUX_DIST}/completions/quarnix-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quarnix)
set(CPACK_PACKAGE_VENDOR Quarnix)
set(CPACK_PACKAGE_CONTACT "Quarnix <quarnix@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt and decrypt one file at a time, in place")
set(CPACK_PACKAGE_DESCRIPTION "Quarnix encrypts and decrypts one file at a time, in place, under one or two
passwords and one of three levels. It has a Chinese window program, quarnix,
and a command-line tool, quarnix-cli. Its format is an obfuscation against
casual reading, not strong encryption.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

# The first Debian revision of the upstream version. cmake/DebianStaging.cmake
# strips the programs and adds the Debian files of dist/linux/debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quarnix.example.org/)
set(CPACK_QUARNIX_DEBIAN_DIR ${QUARNIX_LINUX_DIST}/debian)
set(CPACK_QUARNIX_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStaging.cmake)
# The same bytes from two builds of one commit (PackagingSourceDate.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingSourceDate.cmake)
set(CPACK_QUARNIX_SOURCE_DIR ${PROJECT_SOURCE_DIR})
# Dependencies: the libraries the binaries link (dpkg-shlibdeps), Qt's own
# Chinese texts, which the window loads at start, and the shared MIME database
# that the look at a file's content reads. Recommended: the Wayland
# platform plugin, a font with Chinese characters, and a way to start the
# browser for the About window's web link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-wqy-microhei | fonts-noto-cjk, xdg-utils")
# The right-click actions in GNOME Files need its Python extensions.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-nautilus")

include(CPack)

if(QUARNIX_BUILD_TESTS)
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingTests.cmake)
endif()
