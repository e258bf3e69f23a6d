# `cpack -G DEB` in a Linux build: the launcher, its reinstaller and corvel-publish under
# /opt/corvel-launcher (the first two look for Workers.ini and the modules beside themselves), a
# desktop entry, the program icon, and
# the administrator's guide with the SQL Server scripts. The package's scripts make a Workers.ini
# they create writable by the corvel group, so every user of the workstation can save settings.
set(prefix /opt/corvel-launcher)
set(doc /usr/share/doc/corvel-launcher)
install(TARGETS CorvelLauncher Reinstaller corvel-publish RUNTIME DESTINATION ${prefix})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/corvel-launcher.desktop
    DESTINATION /usr/share/applications)
install(FILES ${PROJECT_BINARY_DIR}/resources/rendered/artwork/program@2x.png
    DESTINATION /usr/share/icons/hicolor/256x256/apps RENAME corvel-launcher.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/copyright ${PROJECT_SOURCE_DIR}/docs/deployment.md
    ${PROJECT_SOURCE_DIR}/schema/sqlserver.sql ${PROJECT_SOURCE_DIR}/schema/sqlserver-grants.sql
    DESTINATION ${doc})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/lintian-overrides
    DESTINATION /usr/share/lintian/overrides RENAME corvel-launcher)

# Debian wants the changelog compressed, without a time stamp in the gzip header.
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND sh -c "gzip -9n -c \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/packaging/linux/changelog
        ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/linux/changelog
    VERBATIM)
add_custom_target(corvel_deb_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvel-launcher)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvel)
set(CPACK_PACKAGE_CONTACT "Corvel support <support@corvel-hr.com>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "log in and start the Corvel suite's modules
The Corvel Launcher is the program users of the Corvel human-resources suite
start on their workstation. It logs them in against the suite's SQL Server
database, shows one tile per module (map, employees, attendance, payroll,
operations, transportation, invoicing and the web portal), checks that each
module carries the version published in the database before starting it,
copies upgrades from a shared distribution folder, and gives administrators
windows for users, passwords, roles, company names and logos.
.
The programs live in /opt/corvel-launcher beside their settings file,
Workers.ini, which members of the corvel group may change.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.corvel-hr.com/)
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libqt6sql6-odbc, libqt6sql6-sqlite, tdsodbc")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/linux/postinst ${PROJECT_SOURCE_DIR}/packaging/linux/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
