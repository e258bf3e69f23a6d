#include "VersionRows.h"

#include "data/Command.h"
#include "data/Connection.h"
#include "data/DatabaseError.h"
#include "data/Query.h"

namespace corvel::publish {

const QString VersionRows::kSelectAllSql =
    QStringLiteral("Select [App_ID], [App_Version]\r\nFrom [AppsVersions]\r\nOrder By [App_ID]");
const QString VersionRows::kSelectOneSql =
    QStringLiteral("Select [App_Version]\r\nFrom [AppsVersions]\r\nWhere [App_ID] = :App_ID");
const QString VersionRows::kUpdateSql = QStringLiteral(
    "Update [AppsVersions]\r\nSet [App_Version] = :App_Version\r\nWhere [App_ID] = :App_ID");
const QString VersionRows::kInsertSql = QStringLiteral(
    "Insert Into [AppsVersions] ([App_ID], [App_Version])\r\nValues (:App_ID, :App_Version)");

VersionRows::VersionRows(Connection &connection) : m_connection(connection) {}

QList<VersionRow> VersionRows::all()
{
    Query query(m_connection, kSelectAllSql);
    query.open();
    QList<VersionRow> rows;
    for (query.first(); !query.eof(); query.next()) {
        const QVariant version = query.value(QStringLiteral("App_Version"));
        rows.append({query.text(QStringLiteral("App_ID")), version.toString(), version.isNull()});
    }
    return rows;
}

void VersionRows::write(const QList<VersionRow> &rows)
{
    m_connection.ensureOpen();
    try {
        m_connection.beginTransaction();
        for (const VersionRow &row : rows)
            writeOne(row);
        m_connection.commit();
    } catch (const DatabaseError &) {
        if (m_connection.inTransaction()) {
            try {
                m_connection.rollback();
            } catch (const DatabaseError &) {
                // The server ends a transaction whose connection it loses.
            }
        }
        throw;
    }
}

void VersionRows::writeOne(const VersionRow &row)
{
    Query existing(m_connection, kSelectOneSql);
    existing.setParameter(QStringLiteral("App_ID"), row.appId);
    existing.open();
    Command command(m_connection, existing.isEmpty() ? kInsertSql : kUpdateSql);
    command.setParameter(QStringLiteral("App_ID"), row.appId);
    command.setParameter(QStringLiteral("App_Version"), row.version);
    command.execute();
}

} // namespace corvel::publish
