# Read by cpack for each generator.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_COMPONENTS_ALL program desktop installed debian)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
    # Unpacks to one folder, Parley/, that runs from wherever it is put.
    set(CPACK_COMPONENTS_ALL program portable)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    set(CPACK_PACKAGING_INSTALL_PREFIX /Parley)
    set(CPACK_PACKAGE_FILE_NAME "Parley-${CPACK_PACKAGE_VERSION}-linux-${CPACK_PARLEY_PROCESSOR}")
endif()
