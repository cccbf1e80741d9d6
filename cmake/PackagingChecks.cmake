# Read by cpack before it makes a package (CPACK_PROJECT_CONFIG_FILE).

# The manual names the installed data folder, which is configured with the build; a Debian
# package installs under /usr, so the build must have been configured for /usr as well.
if(CPACK_GENERATOR STREQUAL "DEB" AND NOT CPACK_NUMIRA_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "The build is configured for ${CPACK_NUMIRA_INSTALL_PREFIX}; "
        "configure it with -DCMAKE_INSTALL_PREFIX=/usr before making a Debian package.")
endif()
