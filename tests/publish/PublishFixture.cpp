#include "PublishFixture.h"

#include "Publisher.h"
#include "TestFiles.h"
#include "launcher/ModuleCatalogue.h"
#include "platform/VersionResource.h"

#include <QDirIterator>
#include <QSqlQuery>
#include <QTextStream>

namespace corvel::test {

const QStringList PublishFixture::kReleaseFiles{
    QStringLiteral("CorvelPayroll.exe"),   QStringLiteral("CorvelInvoicing.exe"),
    QStringLiteral("CorvelRevenue.exe"),   QStringLiteral("PrintDesigner.dll"),
    QStringLiteral("Reports/Payslip.fr3"), QStringLiteral("Reports/Timesheet.FR3")};

PublishFixture::PublishFixture(Engine engine)
{
    m_ws.useSeededDatabase();
    m_share = QDir::fromNativeSeparators(m_ws.distributionFolder());
    m_release = QDir::fromNativeSeparators(m_ws.folder()) + QStringLiteral("release/");
    m_databaseSection =
        engine == Engine::SQLite
            ? QByteArray("[Database]\r\nEngine=SQLite\r\nCatalog=corvel.db\r\n")
            : "[Database]\r\nDriver=SQLite3\r\nCatalog=" + m_ws.databasePath().toUtf8() + "\r\n";
    writeSettings(m_databaseSection, QDir::toNativeSeparators(m_share));

    program(m_share, QStringLiteral("CorvelLauncher.exe"), QStringLiteral("1.0.0.0"));
    for (const ModuleRecord &module : catalogue::modules()) {
        const QString version = module.appId == QStringLiteral("CorvelAttendance")
                                    ? QStringLiteral("1.1.0.0")
                                    : QStringLiteral("1.0.0.0");
        program(m_share, module.executable, version);
        program(m_share, module.upgradeFile, version);
    }
    writeFile(m_share + QStringLiteral("PrintDesigner.dll"), "designer 1");
    writeFile(m_share + QStringLiteral("Reports/Payslip.fr3"), "payslip 1");
    writeFile(m_share + QStringLiteral("Reports/Old.fr3"), "old");

    program(m_release, QStringLiteral("CorvelPayroll.exe"), QStringLiteral("1.2.0.0"));
    program(m_release, QStringLiteral("CorvelInvoicing.exe"), QStringLiteral("1.1.0.0"));
    program(m_release, QStringLiteral("CorvelRevenue.exe"), QStringLiteral("1.1.0.0"));
    writeFile(m_release + QStringLiteral("PrintDesigner.dll"), "designer 2");
    writeFile(m_release + QStringLiteral("Reports/Payslip.fr3"), "payslip 2");
    writeFile(m_release + QStringLiteral("Reports/Timesheet.FR3"), "timesheet");
}

void PublishFixture::writeSettings(const QByteArray &databaseSection, const QString &sharedFolder)
{
    QByteArray settings = databaseSection.isNull() ? m_databaseSection : databaseSection;
    if (!sharedFolder.isNull())
        settings += "[Distribution_Pathes]\r\nSharedFolder_Path=" + sharedFolder.toUtf8() + "\r\n";
    m_ws.writeSettings(settings);
}

// A small PE image: the version reader reads one on every platform, and a test makes hundreds.
void PublishFixture::program(const QString &folder, const QString &name, const QString &version)
{
    const QString target = folder + name;
    QDir().mkpath(folder);
    QFile::remove(target);
    FileVersion stamped;
    if (!QFile::copy(QStringLiteral(CORVEL_TEST_DATA_DIR "/pe/pe32plus-1.0.0.0.exe"), target) ||
        !QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner) ||
        !FileVersion::parse(version, &stamped))
        qFatal("cannot make %s", qPrintable(target));
    versionresource::stamp(target, stamped);
}

QString PublishFixture::row(const QString &appId)
{
    QSqlQuery query(m_ws.direct());
    query.prepare(QStringLiteral("Select App_Version From AppsVersions Where App_ID = ?"));
    query.addBindValue(appId);
    if (!query.exec() || !query.next())
        return QStringLiteral("(none)");
    return query.value(0).isNull() ? QStringLiteral("null") : query.value(0).toString();
}

QMap<QString, QString> PublishFixture::rows()
{
    QMap<QString, QString> all;
    QSqlQuery query(m_ws.direct());
    query.exec(QStringLiteral("Select App_ID, App_Version From AppsVersions"));
    while (query.next())
        all.insert(query.value(0).toString(),
                   query.value(1).isNull() ? QStringLiteral("null") : query.value(1).toString());
    return all;
}

QMap<QString, QByteArray> PublishFixture::snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(folder).relativeFilePath(path);
        files.insert(name, it.fileInfo().isDir() ? QByteArray("<folder>") : contentOf(path));
    }
    return files;
}

namespace {

template <typename Task> int run(QString *out, QString *err, Task task)
{
    out->clear();
    err->clear();
    QTextStream outStream(out);
    QTextStream errStream(err);
    return task(outStream, errStream);
}

} // namespace

int PublishFixture::publish(bool dryRun, std::function<void()> afterStep)
{
    return run(&out, &err, [&](QTextStream &o, QTextStream &e) {
        return publish::Publisher(o, e, afterStep).publish(settingsPath(), m_release, dryRun);
    });
}

int PublishFixture::check()
{
    return run(&out, &err, [&](QTextStream &o, QTextStream &e) {
        return publish::Publisher(o, e).check(settingsPath());
    });
}

int PublishFixture::recover(std::function<void()> afterStep)
{
    return run(&out, &err, [&](QTextStream &o, QTextStream &e) {
        return publish::Publisher(o, e, afterStep).recover(settingsPath());
    });
}

} // namespace corvel::test
