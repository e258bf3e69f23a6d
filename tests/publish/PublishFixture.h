#pragma once

#include "Workstation.h"

#include <QMap>
#include <QString>
#include <functional>

namespace corvel::test {

inline const QString kWorkingFolder = QStringLiteral(".corvel-publish");

// Thrown from a step to stop a publish as a kill would: nothing in the tool catches it.
struct Killed
{
};

// A seeded database, a distribution folder holding what the database publishes, and a release
// folder with a newer payroll and invoicing module, the print designer and report templates.
class PublishFixture
{
public:
    enum class Engine
    {
        SQLite,
        Odbc
    };

    explicit PublishFixture(Engine engine = Engine::SQLite);

    QString share() const { return m_share; }
    QString release() const { return m_release; }
    QString settingsPath() const { return m_ws.settingsPath(); }
    Workstation &workstation() { return m_ws; }

    void writeSettings(const QByteArray &databaseSection, const QString &sharedFolder);
    void program(const QString &folder, const QString &name, const QString &version);

    // App_Version of a row: "null" for a null value, "(none)" when there is no row.
    QString row(const QString &appId);
    // Every file and folder under `folder`, by relative path, with its content.
    static QMap<QString, QByteArray> snapshot(const QString &folder);
    QMap<QString, QString> rows();

    // Runs the tool's task in this process; `out` and `err` keep what it printed.
    int publish(bool dryRun = false, std::function<void()> afterStep = {});
    int check();
    int recover(std::function<void()> afterStep = {});

    QString out;
    QString err;

    static const QStringList kReleaseFiles;

private:
    Workstation m_ws;
    QString m_share;
    QString m_release;
    QByteArray m_databaseSection;
};

} // namespace corvel::test
