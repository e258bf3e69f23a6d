#pragma once

#include "platform/FileOperations.h"
#include "platform/UpgradeLock.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace corvel {

// Replaces the report templates of a local folder with those of a distribution folder so that the
// local folder holds one complete set at every moment, whatever stops the run. The new set is
// copied into a hidden staging folder beside the old one; the old set is moved aside into it, the
// staging folder is marked, and the new set is moved in. A failure puts the old set back; a run
// cut short by a crash or a kill is finished (once marked) or undone (before) by the next run.
// Runs on one folder take turns through its UpgradeLock, so a run never mistakes another's staging
// folder for a leftover.
class ReportTemplates
{
public:
    // Called after every change to the folders; a test stops the run there.
    using StepHook = std::function<void()>;

    // Folders end with a separator.
    ReportTemplates(QString localFolder, QString remoteFolder, QString pattern,
                    StepHook afterStep = {},
                    std::chrono::milliseconds lockWait = UpgradeLock::kWait);

    // Hears of the templates copied so far, of how many.
    void setProgress(fileops::Progress progress) { m_progress = std::move(progress); }
    // Throws FileError (UpgradeBusyError while another run keeps the folder); the local folder
    // then holds the old set.
    void replace();
    // Finishes or undoes what an interrupted run left in `localFolder`. Throws FileError when a
    // file cannot be moved; what is left is handled again next time.
    static void recover(const QString &localFolder,
                        std::chrono::milliseconds lockWait = UpgradeLock::kWait);

private:
    static void recover(const UpgradeLock &lock);
    void checkNames(const QStringList &incoming) const;
    QString createStaging() const;
    void stage(const QStringList &incoming, const QString &staging);
    void moveAside(const QString &staging);
    void moveIn(const QString &staging, QStringList *movedIn);
    void undo(const UpgradeLock &lock, const QString &staging, const QStringList &movedIn) const;
    void step() const;

    QString m_local;
    QString m_remote;
    QString m_pattern;
    StepHook m_afterStep;
    std::chrono::milliseconds m_lockWait;
    fileops::Progress m_progress;
};

} // namespace corvel
