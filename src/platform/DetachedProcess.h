#pragma once

#include <QString>
#include <QStringList>

namespace corvel {

// Starts a program that outlives the launcher, in a session of its own. On POSIX systems this is
// posix_spawn rather than QProcess::startDetached: it does not copy the launcher's memory twice
// with fork, which made the start of a module most of a Launch click.
class DetachedProcess
{
public:
    // False when the program could not be executed. `pid`, when given, receives its process id.
    static bool start(const QString &program, const QStringList &arguments, qint64 *pid = nullptr);
};

} // namespace corvel
