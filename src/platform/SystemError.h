#pragma once

#include "platform/Error.h"

namespace corvel {

// An operating-system failure identified by a Windows error code, worded as the launcher has
// always shown it: "System Error.  Code: %d." and the code's description on the next line.
class SystemError : public Error
{
public:
    explicit SystemError(int code);
    SystemError(int code, const QString &description);

    int code() const noexcept { return m_code; }
    QString typeName() const override { return QStringLiteral("SystemError"); }

    static QString describe(int code);
    static QString format(int code, const QString &description);

    static constexpr int FileNotFound = 2;
    static constexpr int PathNotFound = 3;
    static constexpr int AccessDenied = 5;
    static constexpr int InvalidData = 13;
    static constexpr int FileExists = 80;
    static constexpr int FilenameTooLong = 206;
    static constexpr int ResourceTypeNotFound = 1813;

private:
    int m_code;
};

} // namespace corvel
