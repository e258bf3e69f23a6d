#pragma once

#include "data/Connection.h"
#include "data/Query.h"

#include <QObject>
#include <QString>

namespace corvel {

// The session every window shares: the one database connection, the two queries the launcher
// itself runs, and the seven session fields. Created with the path of the launcher's executable,
// so a test can give it a workstation folder of its own.
class TDataModule1 : public QObject
{
    Q_OBJECT
public:
    explicit TDataModule1(QString executablePath, QObject *parent = nullptr);

    // Opens ADOConnection1, which runs the before-connect step first.
    void DataModuleCreate();
    // Runs before every connection attempt: reads the version stamp and Workers.ini, fills the
    // session fields and sets the connection string.
    void ADOConnection1BeforeConnect();
    // The running launcher's own version string.
    QString GetAppVersionStr() const;

    const QString &executablePath() const noexcept { return m_executablePath; }
    QString settingsPath() const;

    Connection ADOConnection1;
    Query RemoteVersionQ;
    Query UsersRolesQ;

    QString Current_UserID;
    QString Current_Password;
    QString Current_Version;
    QString Local_Path;
    QString Distribution_Path;
    QString ChoosenStyle;
    QString CorvelPortal_URL;

    static const QString kRemoteVersionSql;
    static const QString kUsersRolesSql;

private:
    QString m_executablePath;
};

} // namespace corvel
