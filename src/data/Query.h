#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace corvel {

class Connection;

// A statement whose text is fixed at construction, with parameters bound by name (":Name" in the
// text, "Name" here). Opening fetches the whole result into a static snapshot; the first row, if
// any, becomes the current row.
class Query
{
public:
    Query(Connection &connection, QString sql);

    const QString &sql() const noexcept { return m_sql; }
    // A null text parameter is QVariant(QMetaType::fromType<QString>()).
    void setParameter(const QString &name, const QVariant &value);

    // Opens the connection first when it is closed. Throws DatabaseError.
    void open();
    void close();
    bool isOpen() const noexcept { return m_open; }

    bool isEmpty() const noexcept { return m_rows.isEmpty(); }
    int rowCount() const noexcept { return int(m_rows.size()); }
    void first();
    void next();
    bool eof() const noexcept;
    int currentRow() const noexcept { return m_current; }
    void setCurrentRow(int row);

    // Makes the first row whose column equals `value` as a whole value current; when none does,
    // the current row stays where it was.
    bool locate(const QString &column, const QVariant &value);

    const QStringList &columns() const noexcept { return m_columns; }
    int columnIndex(const QString &column) const; // -1 when absent
    QVariant valueAt(int row, int column) const;

    // Columns of the current row by name. A null reads as empty text, false, an invalid date or 0.
    QVariant value(const QString &column) const;
    QString text(const QString &column) const;
    bool boolean(const QString &column) const;
    QDateTime dateTime(const QString &column) const;
    qint64 int64(const QString &column) const;
    QByteArray bytes(const QString &column) const;

private:
    Connection &m_connection;
    QString m_sql;
    QList<QPair<QString, QVariant>> m_parameters;
    QStringList m_columns;
    QList<QVariantList> m_rows;
    int m_current = 0;
    bool m_open = false;
};

} // namespace corvel
