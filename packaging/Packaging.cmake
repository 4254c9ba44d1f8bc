# cpack: a .deb for Debian 12 and a portable .tar.gz of the bundle.
set(CPACK_PACKAGE_NAME Parley)
set(CPACK_PACKAGE_VENDOR "The Parley developers")
set(CPACK_PACKAGE_CONTACT "The Parley developers <developers@parley.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Your Twitch channel's chat in a small window")
set(CPACK_PACKAGE_DESCRIPTION "Parley is a chat companion for Twitch broadcasters: sign in once, and it
joins your own channel's chat, shows it live in a small window that can float
above your game or streaming software (coloured names, broadcaster badge,
optional time, emotes drawn inline) and lets you write into it.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://parley.app/")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_PARLEY_PROCESSOR ${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/CPackPerGenerator.cmake)

# One package from the components each generator takes (CPackPerGenerator).
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)

# Debian already has a package named parley (and a /usr/bin/parley) of its own.
set(CPACK_DEBIAN_PACKAGE_NAME parley-chat)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONFLICTS parley)
# The shared libraries come from dpkg-shlibdeps; what Qt loads at run time
# does not show there: the QML modules the screens import, the SVG and WebP
# image plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(PARLEY_QML_PACKAGES
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-templates
    qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qtqml-workerscript)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${PARLEY_QML_PACKAGES} libqt6svg6 qt6-image-formats-plugins)
# The browser for signing in, a Secret Service for keeping the sign-in, the
# emoji that chat is full of.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, gnome-keyring | kwalletmanager | keepassxc, fonts-noto-color-emoji")

include(CPack)
