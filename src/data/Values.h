#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace corvel::values {

// Column values as the windows read them, whichever engine produced them. A null reads as empty
// text, false, an invalid date, 0 or no bytes.
QString toText(const QVariant &value);
bool toBoolean(const QVariant &value);
// Reads native date-times (ODBC) and the text dates SQLite stores ("yyyy-MM-dd HH:mm:ss.zzz" and
// ISO 8601), as local time.
QDateTime toDateTime(const QVariant &value);
qint64 toInt64(const QVariant &value);
QByteArray toBytes(const QVariant &value);

} // namespace corvel::values
