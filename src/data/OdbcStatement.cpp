#include "data/OdbcStatement.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

namespace corvel::odbc {

bool setQueryTimeout(const QVariant &statementHandle, int seconds)
{
    if (!statementHandle.isValid() ||
        statementHandle.metaType() != QMetaType::fromType<SQLHANDLE>())
        return false;
    const SQLHANDLE statement = *static_cast<const SQLHANDLE *>(statementHandle.constData());
    if (statement == SQL_NULL_HANDLE)
        return false;
    const SQLRETURN result = SQLSetStmtAttr(
        statement, SQL_ATTR_QUERY_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), SQL_IS_UINTEGER);
    return SQL_SUCCEEDED(result);
}

} // namespace corvel::odbc
