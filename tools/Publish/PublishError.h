#pragma once

#include "platform/Error.h"

namespace corvel::publish {

// What the program's exit code tells a script that runs it.
enum class ExitCode
{
    Done = 0,
    Mismatch = 1,
    Usage = 2,
    Settings = 3,
    Release = 4,
    Share = 5,
    Database = 6,
    Unfinished = 7
};

// A failure that ends the run, with the exit code that names its kind.
class PublishError : public Error
{
public:
    PublishError(ExitCode code, const QString &message) : Error(message), m_code(code) {}

    ExitCode code() const noexcept { return m_code; }
    QString typeName() const override { return QStringLiteral("PublishError"); }

private:
    ExitCode m_code;
};

} // namespace corvel::publish
