#pragma once

#include "PublishError.h"
#include "SharePublication.h"
#include "VersionRows.h"

#include <QList>
#include <QString>
#include <QTextStream>

namespace corvel::publish {

struct PublishSettings;

// The tool's three tasks. Each reports on `out`, its failures on `err`, and returns the exit code.
class Publisher
{
public:
    Publisher(QTextStream &out, QTextStream &err, SharePublication::StepHook afterStep = {});

    int publish(const QString &settingsPath, const QString &releaseFolder, bool dryRun);
    int check(const QString &settingsPath);
    int recover(const QString &settingsPath);

private:
    ExitCode runPublish(const QString &settingsPath, const QString &releaseFolder, bool dryRun);
    ExitCode runCheck(const QString &settingsPath);
    ExitCode runRecover(const QString &settingsPath);
    template <typename Task> int guarded(Task task);

    void printPlan(const PublishSettings &settings, const QString &releaseFolder,
                   const QList<ReleaseFile> &files, const QList<VersionRow> &current, bool dryRun);
    void verifyStaged(const SharePublication &publication, const QList<ReleaseFile> &files) const;
    ExitCode putBack(SharePublication &publication, const PublishSettings &settings,
                     ExitCode failure, const QString &problem);
    void printReport(const SharePublication::Report &report);
    PublishError unfinished(const SharePublication &publication,
                            const PublishSettings &settings) const;

    QTextStream &m_out;
    QTextStream &m_err;
    SharePublication::StepHook m_afterStep;
};

} // namespace corvel::publish
