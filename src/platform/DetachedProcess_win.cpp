#include "platform/DetachedProcess.h"

#include <QProcess>

namespace corvel {

// CreateProcess neither copies the launcher's memory nor leaves a child to collect.
bool DetachedProcess::start(const QString &program, const QStringList &arguments, qint64 *pid)
{
    return QProcess::startDetached(program, arguments, QString(), pid);
}

} // namespace corvel
