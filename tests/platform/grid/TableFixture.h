#pragma once

#include "GridRoles.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVariantList>

// A small editable table model for the grid's tests: named fields, rows of native values,
// resets, appends at the end and removals at the front as the program's datasets do them.
class TableFixture : public QAbstractTableModel
{
public:
    explicit TableFixture(QStringList fields, QList<QVariantList> rows = {})
        : m_fields(std::move(fields)), m_rows(std::move(rows))
    {}

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_fields.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return m_rows[index.row()].value(index.column());
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override
    {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        m_rows[index.row()][index.column()] = value;
        ++m_edits;
        Q_EMIT dataChanged(index, index);
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && (role == tarnwick::FieldNameRole || role == Qt::DisplayRole))
            return m_fields.value(section);
        return {};
    }

    void reset(QList<QVariantList> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void append(const QVariantList &row)
    {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
        m_rows << row;
        endInsertRows();
    }
    void removeFirst(int count)
    {
        beginRemoveRows({}, 0, count - 1);
        m_rows.remove(0, count);
        endRemoveRows();
    }
    int edits() const { return m_edits; }

private:
    QStringList m_fields;
    QList<QVariantList> m_rows;
    int m_edits = 0;
};
