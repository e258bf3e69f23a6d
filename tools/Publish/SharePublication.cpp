#include "SharePublication.h"

#include "PublishError.h"
#include "platform/FileError.h"
#include "platform/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace corvel::publish {

namespace {

const QString kJournal = QStringLiteral("journal");
// Written once every file is staged: from then on files in place may have changed.
const QString kMark = QStringLiteral("swapping");
const QString kNew = QStringLiteral("new/");
const QString kOld = QStringLiteral("old/");
const QString kReports = QStringLiteral("Reports");

bool present(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

void makeFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder %1").arg(shown(folder)));
}

void writeNewFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(content) != content.size() || !file.flush())
        throw FileError(QStringLiteral("Cannot write %1: %2").arg(shown(path), file.errorString()));
    file.close();
    fileops::syncFolder(folderOf(path));
}

// Removes what the working folder holds without following a link or junction out of it.
void removeTree(const QString &folder, QStringList *failed)
{
    const QFileInfo self(folder);
    if (self.isSymLink() || self.isJunction()) {
        if (!QFile::remove(folder) && !QDir().rmdir(folder))
            failed->append(QStringLiteral("could not remove %1").arg(shown(folder)));
        return;
    }
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.absoluteFilePath();
        bool removed = false;
        if (entry.isSymLink() || entry.isJunction()) {
            removed = QFile::remove(path) || QDir().rmdir(path);
        } else if (entry.isDir()) {
            removeTree(path, failed);
            continue;
        } else {
            removed = QFile::remove(path);
        }
        if (!removed)
            failed->append(QStringLiteral("could not remove %1").arg(shown(path)));
    }
    if (!QDir().rmdir(folder) && present(folder) && failed->isEmpty())
        failed->append(QStringLiteral("could not remove %1").arg(shown(folder)));
}

} // namespace

const QString SharePublication::kWorkingFolder = QStringLiteral(".corvel-publish");

SharePublication::SharePublication(QString shareFolder, StepHook afterStep)
    : m_share(std::move(shareFolder)), m_afterStep(std::move(afterStep))
{}

QString SharePublication::workingFolder() const
{
    return m_share + kWorkingFolder + u'/';
}

QString SharePublication::target(const QString &name) const
{
    return m_share + name;
}

QString SharePublication::newPath(const QString &name) const
{
    return workingFolder() + kNew + name;
}

QString SharePublication::oldPath(const QString &name) const
{
    return workingFolder() + kOld + name;
}

QString SharePublication::stagedPath(const QString &name) const
{
    return newPath(name);
}

QString SharePublication::markPath() const
{
    return workingFolder() + kMark;
}

bool SharePublication::readJournal(Journal *journal) const
{
    QFile file(workingFolder() + kJournal);
    return file.open(QIODevice::ReadOnly) && Journal::fromText(file.readAll(), journal);
}

SharePublication::State SharePublication::state() const
{
    const QString folder = m_share + kWorkingFolder;
    const QFileInfo info(folder);
    if (!present(folder))
        return State::None;
    if (info.isSymLink() || info.isJunction() || !info.isDir())
        return State::Unknown;
    const bool marked = present(markPath());
    Journal journal;
    if (!readJournal(&journal))
        return marked ? State::Unknown : State::Untouched;
    if (!marked)
        return State::Untouched;
    for (const QString &name : journal.files) {
        if (present(newPath(name)))
            return State::Swapping;
    }
    return State::Swapped;
}

void SharePublication::begin(Journal journal)
{
    const QString folder = m_share + kWorkingFolder;
    if (!QDir().mkdir(folder)) {
        if (present(folder))
            throw PublishError(ExitCode::Unfinished,
                               QStringLiteral("Another publish holds the distribution folder"));
        throw PublishError(
            ExitCode::Share,
            QStringLiteral("Cannot write to the distribution folder %1").arg(shown(m_share)));
    }
    m_journal = std::move(journal);
    const bool reports = std::any_of(m_journal.files.begin(), m_journal.files.end(),
                                     [](const QString &name) { return name.contains(u'/'); });
    m_journal.createdReportsFolder = reports && !QFileInfo(m_share + kReports).isDir();
    try {
        writeNewFile(workingFolder() + kJournal, m_journal.toText());
        if (m_journal.createdReportsFolder)
            makeFolder(m_share + kReports);
        step();
    } catch (const Error &error) {
        Report ignored;
        removeWorkingFolder(&ignored);
        throw PublishError(ExitCode::Share, error.message());
    }
}

// A folder in the way of a file would stop the swap half-way.
void SharePublication::checkTargets(const QStringList &names) const
{
    for (const QString &name : names) {
        const QFileInfo info(target(name));
        if (info.isDir() && !info.isSymLink())
            throw FileError(QStringLiteral("%1 is a folder").arg(shown(target(name))));
    }
}

void SharePublication::stage(const QList<ReleaseFile> &files)
{
    checkTargets(m_journal.files);
    for (const ReleaseFile &file : files) {
        const QString staged = newPath(file.name);
        makeFolder(folderOf(staged));
        fileops::copyFile(file.source, staged,
                          file.isProgram() ? fileops::Content::Program : fileops::Content::Data);
        step();
    }
}

void SharePublication::swap()
{
    writeNewFile(markPath(), QByteArray());
    step();
    for (const QString &name : std::as_const(m_journal.files))
        swapOne(name);
    fileops::syncFolder(m_share);
    if (QFileInfo(m_share + kReports).isDir())
        fileops::syncFolder(m_share + kReports);
}

void SharePublication::swapOne(const QString &name)
{
    if (present(target(name))) {
        makeFolder(folderOf(oldPath(name)));
        fileops::moveFile(target(name), oldPath(name));
        step();
    }
    fileops::moveFile(newPath(name), target(name));
    step();
}

SharePublication::Report SharePublication::undo()
{
    Report report;
    const State before = state();
    if (before == State::Unknown) {
        report.failed.append(QStringLiteral("%1 was not left by this program; it was not touched")
                                 .arg(shown(m_share + kWorkingFolder)));
        return report;
    }
    if (before == State::None)
        return report;
    readJournal(&m_journal);
    if (before != State::Untouched) {
        for (auto name = m_journal.files.crbegin(); name != m_journal.files.crend(); ++name)
            undoOne(*name, &report);
    }
    if (report.failed.isEmpty()) {
        if (m_journal.createdReportsFolder)
            QDir().rmdir(m_share + kReports);
        removeWorkingFolder(&report);
    }
    return report;
}

// The files show how far the swap of one name got: the new file still staged (untouched, or
// stopped between the two renames) and the old one moved aside. A new file in place goes back to
// the working folder first, so that an undo stopped at any point can be run again.
void SharePublication::undoOne(const QString &name, Report *report)
{
    const bool staged = present(newPath(name));
    const bool aside = present(oldPath(name));
    try {
        if (!staged && present(target(name))) {
            const QFileInfo placed(target(name));
            // Only the file this run put there goes; anything else is not the tool's to move.
            if (placed.isDir() && !placed.isSymLink())
                throw FileError(QStringLiteral("%1 is a folder").arg(shown(target(name))));
            makeFolder(folderOf(newPath(name)));
            fileops::moveFile(target(name), newPath(name));
            step();
            if (!aside)
                report->done.append(
                    QStringLiteral("removed %1, which this publish had added").arg(shown(name)));
        }
        if (aside) {
            fileops::moveFile(oldPath(name), target(name));
            report->done.append(QStringLiteral("put the earlier %1 back").arg(shown(name)));
            step();
        }
    } catch (const Error &error) {
        report->failed.append(aside
                                  ? QStringLiteral("%1 could not be put back (the earlier file is "
                                                   "kept as %2): %3")
                                        .arg(shown(name), shown(oldPath(name)), error.message())
                                  : QStringLiteral("%1, which this publish had added, could not "
                                                   "be removed: %2")
                                        .arg(shown(name), error.message()));
    }
}

SharePublication::Report SharePublication::finish()
{
    Report report;
    readJournal(&m_journal);
    for (const QString &name : std::as_const(m_journal.files)) {
        if (!present(oldPath(name)))
            continue;
        try {
            fileops::deleteFile(oldPath(name));
            step();
        } catch (const Error &error) {
            report.failed.append(QStringLiteral("could not remove the earlier %1 (%2): %3")
                                     .arg(shown(name), shown(oldPath(name)), error.message()));
        }
    }
    if (report.failed.isEmpty())
        removeWorkingFolder(&report);
    return report;
}

void SharePublication::removeWorkingFolder(Report *report)
{
    removeTree(m_share + kWorkingFolder, &report->failed);
}

void SharePublication::step() const
{
    if (m_afterStep)
        m_afterStep();
}

} // namespace corvel::publish
