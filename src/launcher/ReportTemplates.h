#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace corvel {

// Replaces the report templates of a local folder with those of a distribution folder so that the
// local folder holds one complete set at every moment, whatever stops the run. The new set is
// copied into a hidden staging folder beside the old one; the old set is moved aside into it, the
// staging folder is marked, and the new set is moved in. A failure puts the old set back; a run
// cut short by a crash or a kill is finished (once marked) or undone (before) by the next run.
class ReportTemplates
{
public:
    // Called after every change to the folders; a test stops the run there.
    using StepHook = std::function<void()>;

    // Folders end with a separator.
    ReportTemplates(QString localFolder, QString remoteFolder, QString pattern,
                    StepHook afterStep = {});

    // Throws FileError; the local folder then holds the old set.
    void replace();
    // Finishes or undoes what an interrupted run left in `localFolder`. Throws FileError when a
    // file cannot be moved; what is left is handled again next time.
    static void recover(const QString &localFolder);

private:
    void checkNames(const QStringList &incoming) const;
    QString createStaging() const;
    void stage(const QStringList &incoming, const QString &staging);
    void moveAside(const QString &staging);
    void moveIn(const QString &staging, QStringList *movedIn);
    void undo(const QString &staging, const QStringList &movedIn) const;
    void step() const;

    QString m_local;
    QString m_remote;
    QString m_pattern;
    StepHook m_afterStep;
};

} // namespace corvel
