#pragma once

#include <QList>
#include <QString>

namespace corvel {
class Connection;
}

namespace corvel::publish {

struct VersionRow
{
    QString appId;
    QString version;
    bool isNull = false; // App_Version is null: the launcher shows nothing after the server's label
};

// The AppsVersions table, read and written as the publishing tool needs it.
class VersionRows
{
public:
    explicit VersionRows(Connection &connection);

    // Every row, in App_ID order. Throws DatabaseError.
    QList<VersionRow> all();
    // Sets the version of each row in one transaction, inserting a row that does not exist.
    // Throws DatabaseError after rolling back: then no row has changed.
    void write(const QList<VersionRow> &rows);

    static const QString kSelectAllSql;
    static const QString kSelectOneSql;
    static const QString kUpdateSql;
    static const QString kInsertSql;

private:
    void writeOne(const VersionRow &row);

    Connection &m_connection;
};

} // namespace corvel::publish
