#pragma once

#include <QSettings>
#include <QSqlDatabase>
#include <QString>

namespace corvel::test {

// Whether Qt's ODBC driver and the named ODBC driver are both installed: unixODBC's registry on
// Linux, the system's on Windows (where Wine has no SQLite ODBC driver).
inline bool odbcDriverRegistered(const QString &driver)
{
#ifdef Q_OS_WIN
    const QSettings registry(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers"),
        QSettings::NativeFormat);
    const bool registered = registry.contains(driver);
#else
    const QSettings registry(QStringLiteral("/etc/odbcinst.ini"), QSettings::IniFormat);
    const bool registered = registry.childGroups().contains(driver);
#endif
    return QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")) && registered;
}

} // namespace corvel::test
