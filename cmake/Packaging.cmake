# `cpack -G DEB` in a Linux build: the launcher and its reinstaller under /opt/corvel-launcher (they
# look for Workers.ini and the modules beside themselves), a desktop entry and the program icon.
# The package's scripts keep Workers.ini writable by the corvel group, so every user of the
# workstation can save settings.
set(prefix /opt/corvel-launcher)
install(TARGETS CorvelLauncher Reinstaller RUNTIME DESTINATION ${prefix})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/corvel-launcher.desktop
    DESTINATION /usr/share/applications)
install(FILES ${PROJECT_BINARY_DIR}/resources/rendered/artwork/program@2x.png
    DESTINATION /usr/share/icons/hicolor/256x256/apps RENAME corvel-launcher.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvel-launcher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvel)
set(CPACK_PACKAGE_CONTACT "Corvel support <https://support.corvel-hr.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Starts the Corvel suite's modules for a logged-in user")
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-odbc, libqt6sql6-sqlite, tdsodbc")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/linux/postinst ${PROJECT_SOURCE_DIR}/packaging/linux/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
