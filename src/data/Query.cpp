#include "data/Query.h"

#include "data/Connection.h"
#include "data/DatabaseError.h"
#include "data/Statement.h"
#include "data/Values.h"
#include "platform/Waiting.h"

#include <QSqlRecord>

namespace corvel {

namespace {

const QString kClosed = QStringLiteral("Cannot perform this operation on a closed dataset");

bool sameValue(const QVariant &cell, const QVariant &value)
{
    if (cell.isNull() || value.isNull())
        return cell.isNull() && value.isNull();
    const int cellType = cell.metaType().id();
    const int valueType = value.metaType().id();
    // Text compares as SQL Server's default collation does, without regard to letter case.
    if (cellType == QMetaType::QString || valueType == QMetaType::QString)
        return values::toText(cell).compare(values::toText(value), Qt::CaseInsensitive) == 0;
    return QVariant::compare(cell, value) == QPartialOrdering::Equivalent;
}

} // namespace

Query::Query(Connection &connection, QString sql) : m_connection(connection), m_sql(std::move(sql))
{}

void Query::setParameter(const QString &name, const QVariant &value)
{
    statement::setParameter(m_parameters, name, value);
}

void Query::open()
{
    // The rows come from the server while they are read, not only while the statement runs.
    const Waiting waiting;
    close();
    QSqlQuery query = statement::run(m_connection, m_sql, m_parameters);
    const QSqlRecord record = query.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    QList<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        rows << row;
    }
    if (query.lastError().isValid())
        throw statement::errorOf(query.lastError());
    m_columns = columns;
    m_rows = rows;
    m_current = 0;
    m_open = true;
}

void Query::close()
{
    m_open = false;
    m_columns.clear();
    m_rows.clear();
    m_current = 0;
}

void Query::first()
{
    if (!m_open)
        throw DatabaseError(kClosed);
    m_current = 0;
}

void Query::next()
{
    if (!m_open)
        throw DatabaseError(kClosed);
    if (m_current < rowCount())
        ++m_current;
}

bool Query::eof() const noexcept
{
    return m_current >= rowCount();
}

void Query::setCurrentRow(int row)
{
    if (row >= 0 && row < rowCount())
        m_current = row;
}

bool Query::locate(const QString &column, const QVariant &value)
{
    if (!m_open)
        throw DatabaseError(kClosed);
    const int index = columnIndex(column);
    if (index < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(column));
    for (int row = 0; row < rowCount(); ++row) {
        if (sameValue(m_rows.at(row).at(index), value)) {
            m_current = row;
            return true;
        }
    }
    return false;
}

int Query::columnIndex(const QString &column) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Query::valueAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns.size())
        return QVariant();
    return m_rows.at(row).at(column);
}

QVariant Query::value(const QString &column) const
{
    if (!m_open)
        throw DatabaseError(kClosed);
    const int index = columnIndex(column);
    if (index < 0)
        throw DatabaseError(QStringLiteral("Field '%1' not found").arg(column));
    // Past the last row the last row stays current, as walking with next() leaves it.
    return valueAt(qMin(m_current, rowCount() - 1), index);
}

QString Query::text(const QString &column) const
{
    return values::toText(value(column));
}

bool Query::boolean(const QString &column) const
{
    return values::toBoolean(value(column));
}

QDateTime Query::dateTime(const QString &column) const
{
    return values::toDateTime(value(column));
}

qint64 Query::int64(const QString &column) const
{
    return values::toInt64(value(column));
}

QByteArray Query::bytes(const QString &column) const
{
    return values::toBytes(value(column));
}

} // namespace corvel
