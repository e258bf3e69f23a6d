#include "launcher/ReportTemplates.h"

#include "platform/FileError.h"
#include "platform/FileOperations.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace corvel {

namespace {

const QString kStagingPrefix = QStringLiteral(".upgrade-");
// Inside the staging folder: the old set while it is moved aside, and under its second name once
// the new set may go in. That rename is the point after which a run is finished, not undone.
const QString kOldSet = QStringLiteral("old");
const QString kReplacedSet = QStringLiteral("replaced");

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString subfolder(const QString &folder, const QString &name)
{
    return folder + name + QDir::separator();
}

void renameFolder(const QString &from, const QString &to)
{
    if (!QDir().rename(from, to))
        throw FileError(QStringLiteral("Cannot rename %1 to %2").arg(from, to));
}

// Moves every file of `from` into `to` under its own name.
void moveAll(const QString &from, const QString &to)
{
    const QStringList files = fileops::listFiles(from, QStringLiteral("*"));
    for (const QString &file : files)
        fileops::moveFile(file, to + nameOf(file));
    fileops::syncFolder(to);
}

// Once nothing in it is the only copy of a template.
void removeStaging(const QString &staging)
{
    fileops::removeTree(staging);
}

bool isFolder(const QString &path)
{
    return fileops::entryOf(path) == fileops::Entry::Folder;
}

} // namespace

ReportTemplates::ReportTemplates(QString localFolder, QString remoteFolder, QString pattern,
                                 StepHook afterStep, std::chrono::milliseconds lockWait)
    : m_local(std::move(localFolder)), m_remote(std::move(remoteFolder)),
      m_pattern(std::move(pattern)), m_afterStep(std::move(afterStep)), m_lockWait(lockWait)
{}

void ReportTemplates::replace()
{
    // A missing local folder must fail before anything is fetched, and a missing remote one before
    // anything changes here.
    fileops::listFiles(m_local, m_pattern);
    const QStringList incoming = fileops::listFiles(m_remote, m_pattern);
    const UpgradeLock lock(m_local, m_lockWait);
    recover(lock);
    checkNames(incoming);

    const QString staging = createStaging();
    QStringList movedIn;
    try {
        step();
        stage(incoming, staging);
        moveAside(staging);
        moveIn(staging, &movedIn);
    } catch (...) {
        undo(lock, staging, movedIn);
        throw;
    }
    removeStaging(staging);
    step();
}

void ReportTemplates::recover(const QString &localFolder, std::chrono::milliseconds lockWait)
{
    recover(UpgradeLock(localFolder, lockWait));
}

// Nothing of the launcher's own is a link: one named like a staging folder is removed itself, and
// one in the place of a mark is no mark, so nothing is ever fetched through it.
void ReportTemplates::recover(const UpgradeLock &lock)
{
    const QString &localFolder = lock.folder();
    fileops::removeInterruptedCopies(lock);
    const QStringList stagings =
        QDir(localFolder)
            .entryList({kStagingPrefix + u'*'},
                       QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : stagings) {
        const QString staging = subfolder(localFolder, name);
        const fileops::Entry entry = fileops::entryOf(staging);
        if (entry == fileops::Entry::Link) {
            removeStaging(staging);
            continue;
        }
        if (entry != fileops::Entry::Folder)
            continue;
        if (isFolder(staging + kReplacedSet))
            moveAll(staging, localFolder);
        else if (isFolder(staging + kOldSet))
            moveAll(subfolder(staging, kOldSet), localFolder);
        removeStaging(staging);
    }
}

// A folder where a new template must go would make the swap fail half-way.
void ReportTemplates::checkNames(const QStringList &incoming) const
{
    for (const QString &file : incoming) {
        const QString local = QDir::toNativeSeparators(m_local + nameOf(file));
        if (QFileInfo(local).isDir())
            throw FileError(
                QStringLiteral("%1 is a folder, so no report template was replaced").arg(local));
    }
}

QString ReportTemplates::createStaging() const
{
    QTemporaryDir staging(m_local + kStagingPrefix + QStringLiteral("XXXXXX"));
    if (!staging.isValid())
        throw FileError(staging.errorString());
    // Removed only once nothing in it is the only copy of a template.
    staging.setAutoRemove(false);
    return QDir::toNativeSeparators(staging.path()) + QDir::separator();
}

void ReportTemplates::stage(const QStringList &incoming, const QString &staging)
{
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        fileops::copyFile(incoming[i], staging + nameOf(incoming[i]));
        if (m_progress)
            m_progress(i + 1, incoming.size());
        step();
    }
    fileops::syncFolder(staging);
}

void ReportTemplates::moveAside(const QString &staging)
{
    const QString old = subfolder(staging, kOldSet);
    if (!QDir().mkdir(old))
        throw FileError(QStringLiteral("Cannot create %1").arg(old));
    step();
    const QStringList outgoing = fileops::listFiles(m_local, m_pattern);
    for (const QString &file : outgoing) {
        fileops::moveFile(file, old + nameOf(file));
        step();
    }
    fileops::syncFolder(old);
    fileops::syncFolder(m_local);
    renameFolder(old, staging + kReplacedSet);
    fileops::syncFolder(staging);
    step();
}

void ReportTemplates::moveIn(const QString &staging, QStringList *movedIn)
{
    const QStringList files = fileops::listFiles(staging, m_pattern);
    for (const QString &file : files) {
        fileops::moveFile(file, m_local + nameOf(file));
        movedIn->append(nameOf(file));
        step();
    }
    fileops::syncFolder(m_local);
}

// Puts the old set back. New templates already moved in go back to the staging folder before the
// mark is taken away, so a kill in between still finds a complete set to finish or undo with.
void ReportTemplates::undo(const UpgradeLock &lock, const QString &staging,
                           const QStringList &movedIn) const
{
    try {
        for (const QString &name : movedIn)
            fileops::moveFile(m_local + name, staging + name);
        if (isFolder(staging + kReplacedSet))
            renameFolder(staging + kReplacedSet, staging + kOldSet);
        recover(lock);
    } catch (const std::exception &) {
        // Left for the next run to finish or undo.
    }
}

void ReportTemplates::step() const
{
    if (m_afterStep)
        m_afterStep();
}

} // namespace corvel
