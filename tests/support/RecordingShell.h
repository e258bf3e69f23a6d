#pragma once

#include "platform/ShellService.h"

#include <QList>
#include <QString>

namespace corvel::test {

// Records every "open" the code under test asks the shell for.
class RecordingShell : public ShellService
{
public:
    struct Call
    {
        QString file;
        QString parameters;
        bool ownedByMainWindow = false;
    };

    void open(const QString &file, const QString &parameters, bool ownedByMainWindow) override
    {
        m_calls.append({file, parameters, ownedByMainWindow});
    }

    const QList<Call> &calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QList<Call> m_calls;
};

} // namespace corvel::test
