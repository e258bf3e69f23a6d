#pragma once

#include "platform/FileError.h"

namespace corvel {

// Another upgrade held the folder for longer than this one would wait; nothing was changed.
class UpgradeBusyError : public FileError
{
public:
    using FileError::FileError;
    QString typeName() const override { return QStringLiteral("UpgradeBusyError"); }
};

} // namespace corvel
