#include "platform/SystemError.h"

namespace corvel {

SystemError::SystemError(int code) : SystemError(code, describe(code)) {}

SystemError::SystemError(int code, const QString &description)
    : Error(format(code, description)), m_code(code)
{}

QString SystemError::describe(int code)
{
    switch (code) {
    case FileNotFound:
        return QStringLiteral("The system cannot find the file specified.");
    case PathNotFound:
        return QStringLiteral("The system cannot find the path specified.");
    case AccessDenied:
        return QStringLiteral("Access is denied.");
    case InvalidData:
        return QStringLiteral("The data is invalid.");
    case FileExists:
        return QStringLiteral("The file exists.");
    case FilenameTooLong:
        return QStringLiteral("The filename or extension is too long.");
    case ResourceTypeNotFound:
        return QStringLiteral("The specified resource type cannot be found in the image file.");
    default:
        return QStringLiteral("Unknown error %1.").arg(code);
    }
}

QString SystemError::format(int code, const QString &description)
{
    if (code == 0)
        return QStringLiteral("A call to an OS function failed");
    return QStringLiteral("System Error.  Code: %1.\n%2").arg(code).arg(description);
}

} // namespace corvel
