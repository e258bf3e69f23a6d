#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace corvel {

class Connection;

// A data-changing statement with fixed text and parameters bound by name.
class Command
{
public:
    Command(Connection &connection, QString sql);

    const QString &sql() const noexcept { return m_sql; }
    void setParameter(const QString &name, const QVariant &value);
    // Opens the connection first when it is closed. Throws DatabaseError.
    void execute();
    // Rows the last execute changed, or -1 when the driver cannot tell.
    int rowsAffected() const noexcept { return m_rowsAffected; }

private:
    Connection &m_connection;
    QString m_sql;
    QList<QPair<QString, QVariant>> m_parameters;
    int m_rowsAffected = -1;
};

} // namespace corvel
