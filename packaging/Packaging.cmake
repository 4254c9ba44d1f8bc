# cpack: a .deb for Debian 12 and a portable .tar.gz of the bundle.

# parley_qml_packages(VAR): the Debian packages of the QML modules imported
# by the QML under src/. QtQuick itself needs WorkerScript, and a FileDialog
# crashes without the folder list model.
function(parley_qml_packages var)
    file(GLOB_RECURSE qml_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.qml)
    # A new import must reach the Depends without anyone re-running cmake.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qml_files})
    set(modules QtQuick QtQml.WorkerScript)
    foreach(file IN LISTS qml_files)
        file(STRINGS ${file} imports REGEX "^import [A-Za-z]")
        foreach(line IN LISTS imports)
            string(REGEX REPLACE "^import ([A-Za-z0-9.]+).*" "\\1" module "${line}")
            list(APPEND modules ${module})
        endforeach()
    endforeach()
    if("QtQuick.Dialogs" IN_LIST modules)
        list(APPEND modules Qt.labs.folderlistmodel)
    endif()
    list(REMOVE_DUPLICATES modules)
    list(FILTER modules EXCLUDE REGEX "^Parley")
    set(packages "")
    foreach(module IN LISTS modules)
        string(REPLACE "." "/" folder ${module})
        execute_process(COMMAND dpkg -S ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_QML}/${folder}/qmldir
            OUTPUT_VARIABLE owner ERROR_QUIET)
        string(REGEX REPLACE ":.*" "" owner "${owner}")
        if(owner)
            list(APPEND packages ${owner})
        else()
            message(WARNING "No installed Debian package ships the QML module ${module}: the .deb will lack it")
        endif()
    endforeach()
    list(REMOVE_DUPLICATES packages)
    set(${var} ${packages} PARENT_SCOPE)
endfunction()
set(CPACK_PACKAGE_NAME Parley)
set(CPACK_PACKAGE_VENDOR "The Parley developers")
set(CPACK_PACKAGE_CONTACT "The Parley developers <developers@parley.app>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Your Twitch channel's chat in a small window")
set(CPACK_PACKAGE_DESCRIPTION "Parley is a chat companion for Twitch broadcasters: sign in once, and it
joins your own channel's chat, shows it live in a small window that can float
above your game or streaming software (coloured names, broadcaster badge,
optional time, emotes drawn inline) and lets you write into it.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
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
# does not show there: the QML modules the screens import (each the package
# that ships its qmldir here), the SVG and WebP image plugins.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
parley_qml_packages(qml_packages)
string(JOIN ", " CPACK_DEBIAN_PACKAGE_DEPENDS ${qml_packages} libqt6svg6 qt6-image-formats-plugins)
# The browser for signing in, a Secret Service for keeping the sign-in, the
# emoji that chat is full of.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, gnome-keyring | kwalletmanager | keepassxc, fonts-noto-color-emoji")

include(CPack)
