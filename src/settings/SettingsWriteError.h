#pragma once

#include "platform/Error.h"

namespace corvel {

class SettingsWriteError : public Error
{
public:
    explicit SettingsWriteError(const QString &path)
        : Error(QStringLiteral("Unable to write to %1").arg(path))
    {}
    QString typeName() const override { return QStringLiteral("SettingsWriteError"); }
};

} // namespace corvel
