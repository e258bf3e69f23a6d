#include "Workstation.h"

#include "platform/VersionResource.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>

namespace corvel::test {

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// Statements of a schema or seed file: each ends with ";" at the end of a line.
QStringList statementsOf(const QString &path)
{
    QStringList statements;
    QString current;
    const QStringList lines = QString::fromUtf8(readAll(path)).split(u'\n');
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        current += line + u'\n';
        if (line.trimmed().endsWith(u';')) {
            statements << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

FileVersion versionOf(const QString &text)
{
    FileVersion version;
    if (!FileVersion::parse(text, &version))
        qFatal("bad version %s", qPrintable(text));
    return version;
}

} // namespace

Workstation::Workstation(const QString &launcherVersion)
    : m_connectionName(QStringLiteral("workstation-") + QUuid::createUuid().toString())
{
    if (!m_dir.isValid())
        qFatal("cannot create a temporary workstation folder");
    installExecutable(QStringLiteral("CorvelLauncher.exe"), launcherVersion);
}

Workstation::~Workstation()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString Workstation::folder() const
{
    return QDir::toNativeSeparators(m_dir.path() + u'/');
}

QString Workstation::path(const QString &name) const
{
    return folder() + name;
}

void Workstation::writeSettings(const QByteArray &content)
{
    QFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
        qFatal("cannot write %s", qPrintable(settingsPath()));
}

QByteArray Workstation::readSettings() const
{
    return QFile::exists(settingsPath()) ? readAll(settingsPath()) : QByteArray();
}

void Workstation::useSeededDatabase()
{
    QFile::remove(databasePath());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                    m_connectionName + QStringLiteral("-seed"));
        db.setDatabaseName(databasePath());
        if (!db.open())
            qFatal("cannot create %s", qPrintable(databasePath()));
        const QString schema = QStringLiteral(CORVEL_SOURCE_DIR "/schema/");
        const QStringList statements = statementsOf(schema + QStringLiteral("sqlite.sql")) +
                                       statementsOf(schema + QStringLiteral("demo-seed.sql"));
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                qFatal("seed failed: %s\n%s", qPrintable(query.lastError().text()),
                       qPrintable(statement));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName + QStringLiteral("-seed"));
    writeSettings("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n"
                  "[ChoosenStyle]\r\nStyle=Lavender Classico\r\n");
}

QSqlDatabase Workstation::direct()
{
    if (QSqlDatabase::contains(m_connectionName))
        return QSqlDatabase::database(m_connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(databasePath());
    if (!db.open())
        qFatal("cannot open %s", qPrintable(databasePath()));
    return db;
}

void Workstation::exec(const QString &sql)
{
    QSqlQuery query(direct());
    if (!query.exec(sql))
        QFAIL(qPrintable(query.lastError().text() + QStringLiteral(": ") + sql));
}

void Workstation::installExecutable(const QString &fileName, const QString &version)
{
    installExecutableIn(folder(), fileName, version);
}

void Workstation::installExecutableIn(const QString &targetFolder, const QString &fileName,
                                      const QString &version)
{
    QDir().mkpath(targetFolder);
    const QString target = QDir(targetFolder).filePath(fileName);
    QFile::remove(target);
    if (!QFile::copy(moduleStubPath(), target))
        qFatal("cannot copy the module stub to %s", qPrintable(target));
    QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    versionresource::stamp(target, versionOf(version));
}

QString Workstation::distributionFolder() const
{
    const QString distribution = m_dir.path() + QStringLiteral("/distribution/");
    QDir().mkpath(distribution);
    return QDir::toNativeSeparators(distribution);
}

QString Workstation::moduleStubPath()
{
    return QStringLiteral(CORVEL_BIN_DIR "/ModuleStub.exe");
}

} // namespace corvel::test
