#include "Publisher.h"

#include "CataloguePrograms.h"
#include "PublishSettings.h"
#include "data/Connection.h"
#include "data/DatabaseError.h"
#include "launcher/ModuleCatalogue.h"
#include "platform/FileOperations.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace corvel::publish {

namespace {

const QString kNothingChanged = QStringLiteral("Nothing was changed.");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString rowText(const VersionRow &row)
{
    return row.isNull ? QStringLiteral("null") : u'"' + row.version + u'"';
}

const VersionRow *findRow(const QList<VersionRow> &rows, const QString &appId)
{
    for (const VersionRow &row : rows) {
        if (row.appId.compare(appId, Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

QList<VersionRow> readRows(Connection &connection, const PublishSettings &settings)
{
    try {
        return VersionRows(connection).all();
    } catch (const DatabaseError &error) {
        throw PublishError(ExitCode::Database,
                           QStringLiteral("Cannot read AppsVersions from %1: %2")
                               .arg(settings.describeDatabase(), error.message()));
    }
}

void checkShare(const PublishSettings &settings)
{
    if (!QFileInfo(settings.shareFolder).isDir())
        throw PublishError(ExitCode::Share,
                           QStringLiteral("The distribution folder %1 cannot be reached")
                               .arg(shown(settings.shareFolder)));
}

QList<VersionRow> rowsOf(const QList<ReleaseFile> &files)
{
    QList<VersionRow> rows;
    for (const ReleaseFile &file : files) {
        if (!file.appId.isEmpty())
            rows.append({file.appId, file.version, false});
    }
    return rows;
}

Journal journalOf(const QList<ReleaseFile> &files)
{
    Journal journal;
    journal.started =
        QStringLiteral("%1 on %2 by process %3")
            .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate), QSysInfo::machineHostName())
            .arg(QCoreApplication::applicationPid());
    for (const ReleaseFile &file : files)
        journal.files.append(file.name);
    for (const VersionRow &row : rowsOf(files))
        journal.rows.append({row.appId, row.version});
    return journal;
}

QString recoverCommand(const PublishSettings &settings)
{
    return QStringLiteral("corvel-publish --settings \"%1\" --recover")
        .arg(shown(settings.settingsPath));
}

} // namespace

Publisher::Publisher(QTextStream &out, QTextStream &err, SharePublication::StepHook afterStep)
    : m_out(out), m_err(err), m_afterStep(std::move(afterStep))
{}

template <typename Task> int Publisher::guarded(Task task)
{
    ExitCode code = ExitCode::Done;
    try {
        code = task();
    } catch (const PublishError &error) {
        m_err << "corvel-publish: " << error.message() << '\n';
        code = error.code();
    } catch (const Error &error) {
        // Every step that changes the share reports its own failure; this one came before.
        m_err << "corvel-publish: " << error.message() << '\n' << kNothingChanged << '\n';
        code = ExitCode::Share;
    }
    m_out.flush();
    m_err.flush();
    return int(code);
}

int Publisher::publish(const QString &settingsPath, const QString &releaseFolder, bool dryRun)
{
    return guarded([&] { return runPublish(settingsPath, releaseFolder, dryRun); });
}

int Publisher::check(const QString &settingsPath)
{
    return guarded([&] { return runCheck(settingsPath); });
}

int Publisher::recover(const QString &settingsPath)
{
    return guarded([&] { return runRecover(settingsPath); });
}

ExitCode Publisher::runPublish(const QString &settingsPath, const QString &releaseFolder,
                               bool dryRun)
{
    const PublishSettings settings = PublishSettings::read(settingsPath);
    const QList<ReleaseFile> files = Release(releaseFolder).survey();
    checkShare(settings);
    if (QFileInfo(releaseFolder).canonicalFilePath() ==
        QFileInfo(settings.shareFolder).canonicalFilePath())
        throw PublishError(ExitCode::Release,
                           QStringLiteral("The release folder is the distribution folder"));
    Connection connection;
    settings.configure(connection);
    const QList<VersionRow> current = readRows(connection, settings);
    SharePublication publication(settings.shareFolder, m_afterStep);
    if (publication.state() != SharePublication::State::None)
        throw unfinished(publication, settings);

    printPlan(settings, releaseFolder, files, current, dryRun);
    if (dryRun) {
        m_out << "Nothing was changed (--dry-run).\n";
        return ExitCode::Done;
    }

    publication.begin(journalOf(files));
    try {
        publication.stage(files);
        verifyStaged(publication, files);
    } catch (const Error &error) {
        const SharePublication::Report left = publication.undo();
        QString message =
            QStringLiteral("Cannot copy the release into %1: %2\n%3")
                .arg(shown(publication.workingFolder()), error.message(), kNothingChanged);
        if (!left.failed.isEmpty())
            message += QStringLiteral(" The working folder is left (%1): run %2")
                           .arg(left.failed.join(QStringLiteral("; ")), recoverCommand(settings));
        throw PublishError(ExitCode::Share, message);
    }
    try {
        publication.swap();
    } catch (const Error &error) {
        return putBack(publication, settings, ExitCode::Share,
                       QStringLiteral("Cannot put the release in place: %1").arg(error.message()));
    }
    try {
        VersionRows(connection).write(rowsOf(files));
    } catch (const DatabaseError &error) {
        return putBack(publication, settings, ExitCode::Database,
                       QStringLiteral("%1 refused the new versions: %2")
                           .arg(settings.describeDatabase(), error.message()));
    }

    const SharePublication::Report tidied = publication.finish();
    const qsizetype rows = rowsOf(files).size();
    m_out << "Published " << files.size() << (files.size() == 1 ? " file" : " files") << " and "
          << rows << (rows == 1 ? " row" : " rows") << " of AppsVersions.\n";
    if (!tidied.failed.isEmpty()) {
        m_err << "corvel-publish: the release is published, but its working folder is left:\n";
        for (const QString &problem : tidied.failed)
            m_err << "  " << problem << '\n';
        m_err << "Run " << recoverCommand(settings) << " to remove it.\n";
    }
    return ExitCode::Done;
}

void Publisher::printPlan(const PublishSettings &settings, const QString &releaseFolder,
                          const QList<ReleaseFile> &files, const QList<VersionRow> &current,
                          bool dryRun)
{
    m_out << (dryRun ? "Would publish " : "Publishing ") << shown(releaseFolder) << " to "
          << shown(settings.shareFolder) << ", rows in " << settings.describeDatabase() << ":\n";
    for (const ReleaseFile &file : files) {
        m_out << "  " << shown(file.name);
        if (!file.version.isEmpty())
            m_out << ' ' << file.version;
        if (!fileops::fileExists(settings.shareFolder + file.name))
            m_out << " (new in the distribution folder)";
        if (file.isProgram() && file.appId.isEmpty()) {
            m_out << ", no row: the launcher never compares its version";
        } else if (!file.appId.isEmpty()) {
            const VersionRow *row = findRow(current, file.appId);
            m_out << ", row " << file.appId << ": ";
            if (row == nullptr)
                m_out << "new row";
            else if (!row->isNull && row->version == file.version)
                m_out << "unchanged";
            else
                m_out << rowText(*row) << " -> \"" << file.version << '"';
        }
        m_out << '\n';
    }
}

// The staged copies are what workstations will get: their versions are what the rows say.
void Publisher::verifyStaged(const SharePublication &publication,
                             const QList<ReleaseFile> &files) const
{
    for (const ReleaseFile &file : files) {
        if (file.version.isEmpty())
            continue;
        QString staged;
        QString problem;
        if (!Release::readVersion(publication.stagedPath(file.name), &staged, &problem) ||
            staged != file.version)
            throw Error(QStringLiteral("%1 changed while it was being copied").arg(file.name));
    }
}

ExitCode Publisher::putBack(SharePublication &publication, const PublishSettings &settings,
                            ExitCode failure, const QString &problem)
{
    m_err << "corvel-publish: " << problem << '\n';
    const SharePublication::Report report = publication.undo();
    printReport(report);
    if (report.failed.isEmpty()) {
        m_err << "The distribution folder is as it was; no AppsVersions row was changed.\n";
        return failure;
    }
    m_err << "The distribution folder is NOT as it was: every file not named above is as it "
             "was; no AppsVersions row was changed.\n"
          << "Once nothing holds those files, run " << recoverCommand(settings) << '\n';
    return ExitCode::Unfinished;
}

void Publisher::printReport(const SharePublication::Report &report)
{
    for (const QString &done : report.done)
        m_err << "  " << done << '\n';
    for (const QString &failed : report.failed)
        m_err << "  NOT DONE: " << failed << '\n';
}

PublishError Publisher::unfinished(const SharePublication &publication,
                                   const PublishSettings &settings) const
{
    Journal journal;
    const QString started = publication.readJournal(&journal)
                                ? QStringLiteral(" (started %1)").arg(journal.started)
                                : QString();
    return PublishError(ExitCode::Unfinished,
                        QStringLiteral("An earlier publish%1 has not finished in %2. If it is no "
                                       "longer running, run %3")
                            .arg(started, shown(settings.shareFolder), recoverCommand(settings)));
}

ExitCode Publisher::runCheck(const QString &settingsPath)
{
    const PublishSettings settings = PublishSettings::read(settingsPath);
    checkShare(settings);
    Connection connection;
    settings.configure(connection);
    const QList<VersionRow> rows = readRows(connection, settings);
    if (SharePublication(settings.shareFolder).state() != SharePublication::State::None)
        m_out << "Note: " << unfinished(SharePublication(settings.shareFolder), settings).message()
              << '\n';

    int mismatches = 0;
    for (const VersionRow &row : rows) {
        const CatalogueProgram *program = programOfRow(row.appId);
        if (program == nullptr) {
            m_out << "  skipped   " << row.appId << ": not a program of the launcher\n";
            continue;
        }
        const QString path = settings.shareFolder + program->file;
        QString version;
        QString problem;
        if (!fileops::fileExists(path))
            problem = QStringLiteral("is missing");
        else if (Release::readVersion(path, &version, &problem) &&
                 (row.isNull || row.version != version))
            problem = QStringLiteral("is version %1").arg(version);
        if (problem.isEmpty()) {
            m_out << "  ok        " << row.appId << ' ' << row.version << '\n';
            continue;
        }
        ++mismatches;
        m_out << "  MISMATCH  " << row.appId << ": the row says " << rowText(row) << ", "
              << program->file << ' ' << problem << '\n';
    }
    for (const CatalogueProgram &program : cataloguePrograms()) {
        if (program.appId.isEmpty() || findRow(rows, program.appId) != nullptr)
            continue;
        const bool gate = program.appId == catalogue::launcher().appId;
        mismatches += gate ? 1 : 0;
        m_out << (gate ? "  MISMATCH  " : "  no row    ") << program.appId
              << (gate ? ": no row, so the launcher starts no module\n"
                       : ": no row, so the launcher will not start it\n");
    }
    if (mismatches == 0) {
        m_out << "Every row matches " << shown(settings.shareFolder) << ".\n";
        return ExitCode::Done;
    }
    m_out << mismatches << (mismatches == 1 ? " row does" : " rows do") << " not match "
          << shown(settings.shareFolder) << ".\n";
    return ExitCode::Mismatch;
}

ExitCode Publisher::runRecover(const QString &settingsPath)
{
    const PublishSettings settings = PublishSettings::read(settingsPath);
    checkShare(settings);
    SharePublication publication(settings.shareFolder, m_afterStep);
    const SharePublication::State state = publication.state();
    if (state == SharePublication::State::None) {
        m_out << "No unfinished publish in " << shown(settings.shareFolder) << ".\n";
        return ExitCode::Done;
    }
    if (state == SharePublication::State::Unknown)
        throw PublishError(ExitCode::Unfinished,
                           QStringLiteral("%1 holds no journal this program can read; nothing was "
                                          "touched. Look at it and remove it by hand.")
                               .arg(shown(publication.workingFolder())));
    Journal journal;
    publication.readJournal(&journal);
    m_out << "An unfinished publish (started " << journal.started << ").\n";

    bool written = false;
    if (state == SharePublication::State::Swapped) {
        written = true;
        if (!journal.rows.isEmpty()) {
            Connection connection;
            settings.configure(connection);
            const QList<VersionRow> rows = readRows(connection, settings);
            for (const auto &[appId, version] : journal.rows) {
                const VersionRow *row = findRow(rows, appId);
                written = written && row != nullptr && !row->isNull && row->version == version;
            }
        }
    }
    const SharePublication::Report report = written ? publication.finish() : publication.undo();
    if (written)
        m_out << "Every file was in place and AppsVersions holds its versions: the earlier files "
                 "are removed.\n";
    else if (state == SharePublication::State::Untouched)
        m_out << "It had changed nothing in place: its working folder is removed.\n";
    else
        m_out << "It had not written AppsVersions: the earlier files are put back.\n";
    for (const QString &done : report.done)
        m_out << "  " << done << '\n';
    if (!report.failed.isEmpty()) {
        for (const QString &failed : report.failed)
            m_err << "  NOT DONE: " << failed << '\n';
        m_err << "corvel-publish: run " << recoverCommand(settings)
              << " again once nothing holds those files.\n";
        return ExitCode::Unfinished;
    }
    return ExitCode::Done;
}

} // namespace corvel::publish
