#include "data/SnapshotTableModel.h"

#include "data/Query.h"
#include "data/Values.h"

namespace corvel {

SnapshotTableModel::SnapshotTableModel(const Query &query, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns))
{
    reload();
}

void SnapshotTableModel::reload()
{
    // The texts are copied, so a view repainting while the query is closed and reopened (behind a
    // message box, say) never reads rows that are gone.
    beginResetModel();
    m_cells.clear();
    QList<int> sources;
    for (const Column &column : m_columns)
        sources << m_query.columnIndex(column.field);
    for (int row = 0; row < m_query.rowCount(); ++row) {
        QStringList cells;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QVariant value = m_query.valueAt(row, sources.at(i));
            const QString &format = m_columns.at(i).dateFormat;
            cells << (format.isEmpty() ? values::toText(value)
                                       : values::toDateTime(value).toString(format));
        }
        m_cells << cells;
    }
    endResetModel();
}

int SnapshotTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cells.size());
}

int SnapshotTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant SnapshotTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return m_cells.at(index.row()).at(index.column());
    case Qt::TextAlignmentRole:
        return int(m_columns.at(index.column()).alignment.toInt());
    default:
        return QVariant();
    }
}

QVariant SnapshotTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_columns.at(section).title;
    case Qt::TextAlignmentRole:
        return int(m_columns.at(section).alignment.toInt());
    default:
        return QVariant();
    }
}

} // namespace corvel
