#pragma once

#include "platform/Error.h"

namespace corvel {

// A failure reported by the database client or server; the message is the provider's own text.
class DatabaseError : public Error
{
public:
    using Error::Error;
    QString typeName() const override { return QStringLiteral("DatabaseError"); }
};

} // namespace corvel
