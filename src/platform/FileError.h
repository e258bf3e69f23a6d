#pragma once

#include "platform/Error.h"

namespace corvel {

// A failed file operation; the message is the platform's text for it.
class FileError : public Error
{
public:
    using Error::Error;
    QString typeName() const override { return QStringLiteral("FileError"); }
};

} // namespace corvel
