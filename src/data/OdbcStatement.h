#pragma once

#include <QVariant>

namespace corvel::odbc {

// Sets SQL_ATTR_QUERY_TIMEOUT on the statement handle QODBC gives for a prepared query. Qt has
// no setting of its own for it, and without it ODBC waits for a statement for ever. Returns
// false when the handle is no ODBC statement or the driver refuses the attribute.
bool setQueryTimeout(const QVariant &statementHandle, int seconds);

} // namespace corvel::odbc
