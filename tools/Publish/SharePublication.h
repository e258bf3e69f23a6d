#pragma once

#include "Journal.h"
#include "Release.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace corvel::publish {

// Puts a release into the distribution folder so that a workstation only ever finds whole files:
// every file is copied into a working folder on the share first, then renamed into place, the
// file it replaces being moved aside into the working folder. Until finish() the old files are
// kept, so a failure, or a later run of recover, can put them back. The working folder is also
// the lock: a second run cannot create it while the first holds it.
class SharePublication
{
public:
    // Called after every change on the share; a test stops the run there.
    using StepHook = std::function<void()>;

    // How far a run got, as its working folder shows it.
    enum class State
    {
        None,      // no working folder: no run holds the share
        Untouched, // the files are being copied aside; nothing in place has changed
        Swapping,  // some files may be in place and some not
        Swapped,   // every file is in place; the old ones are still kept
        Unknown    // the working folder is not one this program can read
    };

    // `shareFolder` ends with a separator.
    explicit SharePublication(QString shareFolder, StepHook afterStep = {});

    static const QString kWorkingFolder;
    QString workingFolder() const;

    State state() const;
    // The journal of the run that holds the share; false when there is none that can be read.
    bool readJournal(Journal *journal) const;

    // Creates the working folder and writes the journal. Throws PublishError: Unfinished when a
    // run holds the share already, Share when it cannot be written.
    void begin(Journal journal);
    // Copies the files into the working folder. Throws Error; nothing in place has changed then.
    void stage(const QList<ReleaseFile> &files);
    QString stagedPath(const QString &name) const;
    // Renames every staged file into place. Throws Error, after which undo() puts the share back.
    void swap();

    // What undo() and finish() did, and what they could not do.
    struct Report
    {
        QStringList done;
        QStringList failed;
    };
    // Puts back the files this run replaced and removes those it added, then the working folder.
    // What it cannot put back stays in the working folder, for a later undo.
    Report undo();
    // Removes the replaced files and the working folder.
    Report finish();

private:
    QString target(const QString &name) const;
    QString newPath(const QString &name) const;
    QString oldPath(const QString &name) const;
    QString markPath() const;
    void checkTargets(const QStringList &names) const;
    void swapOne(const QString &name);
    void undoOne(const QString &name, Report *report);
    void removeWorkingFolder(Report *report);
    void step() const;

    QString m_share;
    StepHook m_afterStep;
    Journal m_journal;
};

} // namespace corvel::publish
