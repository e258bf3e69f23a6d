#include "Release.h"

#include "CataloguePrograms.h"
#include "PublishError.h"
#include "launcher/ModuleCatalogue.h"
#include "platform/FileError.h"
#include "platform/FileOperations.h"
#include "platform/SystemError.h"
#include "platform/VersionResource.h"

#include <QDir>
#include <QFileInfo>

namespace corvel::publish {

namespace {

QStringList expectedNames()
{
    QStringList names;
    for (const CatalogueProgram &program : cataloguePrograms())
        names.append(program.file);
    names << catalogue::kPrintDesigner
          << catalogue::kReportsFolder + u'/' + catalogue::kReportPattern;
    return names;
}

} // namespace

Release::Release(QString folder) : m_folder(std::move(folder)) {}

bool Release::isDistributionName(const QString &name)
{
    const QString reports = catalogue::kReportsFolder + u'/';
    if (name.startsWith(reports)) {
        const QString file = name.mid(reports.size());
        return !file.contains(u'/') && !file.contains(u'\\') && !file.contains(u':') &&
               file.endsWith(QStringLiteral(".fr3"), Qt::CaseInsensitive);
    }
    return name == catalogue::kPrintDesigner ||
           std::any_of(cataloguePrograms().begin(), cataloguePrograms().end(),
                       [&](const CatalogueProgram &program) { return program.file == name; });
}

bool Release::readVersion(const QString &path, QString *version, QString *problem)
{
    try {
        *version = versionresource::read(path).toString();
        return true;
    } catch (const SystemError &error) {
        *problem = error.code() == SystemError::ResourceTypeNotFound
                       ? QStringLiteral("has no version resource")
                       : error.message().simplified();
    }
    return false;
}

QList<ReleaseFile> Release::survey() const
{
    const QString shown = QDir::toNativeSeparators(m_folder);
    if (!QFileInfo(m_folder).isDir())
        throw PublishError(ExitCode::Release,
                           QStringLiteral("The release folder %1 does not exist").arg(shown));
    const QDir folder(m_folder);
    QList<ReleaseFile> files;
    QStringList refused;
    for (const CatalogueProgram &program : cataloguePrograms()) {
        const QString path = folder.filePath(program.file);
        if (!fileops::fileExists(path))
            continue;
        ReleaseFile file{program.file, path, program.appId, QString()};
        QString problem;
        if (!readVersion(path, &file.version, &problem))
            refused.append(program.file + u' ' + problem);
        files.append(file);
    }
    if (!refused.isEmpty())
        throw PublishError(ExitCode::Release,
                           QStringLiteral("Nothing was published: the launcher could not check "
                                          "these programs against AppsVersions:\n  ") +
                               refused.join(QStringLiteral("\n  ")));

    const QString designer = folder.filePath(catalogue::kPrintDesigner);
    if (fileops::fileExists(designer))
        files.append({catalogue::kPrintDesigner, designer, QString(), QString()});
    const QString reports = folder.filePath(catalogue::kReportsFolder);
    if (QFileInfo(reports).isDir()) {
        QStringList templates;
        try {
            templates = fileops::listFiles(reports, catalogue::kReportPattern);
        } catch (const FileError &error) {
            throw PublishError(ExitCode::Release,
                               QStringLiteral("Cannot list %1: %2")
                                   .arg(QDir::toNativeSeparators(reports), error.message()));
        }
        for (const QString &path : std::as_const(templates))
            files.append({catalogue::kReportsFolder + u'/' + QFileInfo(path).fileName(), path,
                          QString(), QString()});
    }
    if (files.isEmpty())
        throw PublishError(ExitCode::Release,
                           QStringLiteral("The release folder %1 holds none of the files the "
                                          "launcher fetches:\n  %2")
                               .arg(shown, expectedNames().join(QStringLiteral("\n  "))));
    return files;
}

} // namespace corvel::publish
