#pragma once

#include <QAbstractTableModel>
#include <QList>

namespace corvel {

class Query;

// A read-only table model over a query's snapshot, for the grids. Call reload() after the query
// was reopened.
class SnapshotTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        // When set, the value is read as a date and time and shown in this format.
        QString dateFormat = {};
    };

    SnapshotTableModel(const Query &query, QList<Column> columns, QObject *parent = nullptr);

    void reload();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    const Query &m_query;
    QList<Column> m_columns;
    QList<QStringList> m_cells;
};

} // namespace corvel
