#include "Dataset.h"

#include "Error.h"

namespace tarnwick {

QString closedDatasetMessage() { return QStringLiteral("Cannot perform this operation on a closed dataset"); }

Dataset::Dataset(QObject *parent) : QAbstractTableModel(parent) {}

int Dataset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void Dataset::checkOpen() const
{
    if (!m_open)
        throw Error(closedDatasetMessage());
}

int Dataset::recordCount() const
{
    checkOpen();
    return rows();
}

void Dataset::setCurrentRow(int row)
{
    if (!m_open || row < 0 || row >= rows())
        row = (m_open && rows() > 0) ? std::clamp(row, 0, rows() - 1) : -1;
    if (row == m_current)
        return;
    m_current = row;
    Q_EMIT afterScroll();
}

QVariant Dataset::value(int row, int field) const
{
    if (row < 0 || row >= rows() || field < 0 || field >= m_fields.size())
        return {};
    return storedValue(row, field);
}

QVariant Dataset::value(int row, const QString &field) const { return value(row, fieldIndex(field)); }

QVariant Dataset::currentValue(const QString &field) const { return value(m_current, field); }

int Dataset::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows(); }

int Dataset::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_fields.size()); }

QVariant Dataset::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return value(index.row(), index.column());
}

QVariant Dataset::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_fields.size())
        return {};
    if (role == FieldNameRole || role == Qt::DisplayRole)
        return m_fields[section].name;
    return {};
}

void Dataset::setFields(const QList<FieldDef> &fields)
{
    beginResetModel();
    m_fields = fields;
    dropRecords(true);
    m_open = false;
    m_current = -1;
    endResetModel();
}

void Dataset::beginRefill()
{
    beginResetModel();
    dropRecords(false);
    m_current = -1;
}

void Dataset::endRefill(bool ok)
{
    m_open = ok;
    if (!ok)
        dropRecords(true);
    m_current = ok && rows() > 0 ? 0 : -1;
    endResetModel();
    if (ok)
        Q_EMIT opened();
    else
        Q_EMIT closed();
    Q_EMIT afterScroll();
}

void Dataset::closeRecords()
{
    if (!m_open && rows() == 0)
        return;
    beginResetModel();
    dropRecords(true);
    m_open = false;
    m_current = -1;
    endResetModel();
    Q_EMIT closed();
    Q_EMIT afterScroll();
}

} // namespace tarnwick
