# Runs at install time: the desktop file's Exec names the program under the
# prefix being installed to (the .deb's /usr, or the prefix given to
# cmake --install).
set(PARLEY_EXEC "${CMAKE_INSTALL_PREFIX}/bin/parley")
if(NOT PARLEY_EXEC MATCHES "^[A-Za-z0-9/._+-]+$")
    # A quoted argument: the desktop entry's string escape doubles every
    # backslash, then the quoting rule escapes \ " ` $ with one.
    string(REPLACE "\\" "\\\\\\\\" PARLEY_EXEC "${PARLEY_EXEC}")
    string(REGEX REPLACE "([\"`$])" "\\\\\\\\\\1" PARLEY_EXEC "${PARLEY_EXEC}")
    set(PARLEY_EXEC "\"${PARLEY_EXEC}\"")
endif()
configure_file(${PARLEY_DESKTOP_TEMPLATE} ${PARLEY_DESKTOP_STAGED} @ONLY)
file(INSTALL ${PARLEY_DESKTOP_STAGED} DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")

# Installed straight onto this machine (not staged for a package): tell the
# desktop about the new entry, so a custom redirect scheme reaches Parley.
find_program(PARLEY_UPDATE_DESKTOP_DATABASE update-desktop-database)
if(NOT DEFINED ENV{DESTDIR} AND PARLEY_UPDATE_DESKTOP_DATABASE)
    execute_process(COMMAND ${PARLEY_UPDATE_DESKTOP_DATABASE} -q "${CMAKE_INSTALL_PREFIX}/share/applications")
endif()
