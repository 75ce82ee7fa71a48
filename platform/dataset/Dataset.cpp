#include "Dataset.h"

#include "Error.h"

#include <QByteArray>
#include <QDateTime>

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
    return m_cells[size_t(row) * size_t(m_fields.size()) + size_t(field)];
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
    m_cells.clear();
    m_open = false;
    m_current = -1;
    endResetModel();
}

void Dataset::resetRecords(QList<QVariant> &&cells)
{
    beginResetModel();
    m_cells = std::move(cells);
    m_open = true;
    m_current = rows() > 0 ? 0 : -1;
    endResetModel();
    Q_EMIT opened();
    Q_EMIT afterScroll();
}

void Dataset::beginRefill()
{
    beginResetModel();
    m_cells.clear();
    m_current = -1;
}

void Dataset::endRefill(bool ok)
{
    m_open = ok;
    if (!ok) {
        m_cells.clear();
        m_cells.shrink_to_fit();
    }
    m_current = ok && rows() > 0 ? 0 : -1;
    endResetModel();
    Q_EMIT ok ? opened() : closed();
    Q_EMIT afterScroll();
}

void Dataset::closeRecords()
{
    if (!m_open && m_cells.empty())
        return;
    beginResetModel();
    m_cells.clear();
    m_cells.shrink_to_fit();
    m_open = false;
    m_current = -1;
    endResetModel();
    Q_EMIT closed();
    Q_EMIT afterScroll();
}

qint64 Dataset::approximateBytes() const
{
    qint64 bytes = qint64(m_cells.capacity()) * qint64(sizeof(QVariant));
    for (const QVariant &v : m_cells) {
        switch (v.typeId()) {
        case QMetaType::QString: {
            const QString s = v.toString();
            // A shared text is counted once per distinct buffer only roughly; count it fully.
            bytes += qint64(s.capacity()) * 2 + 24;
            break;
        }
        case QMetaType::QByteArray:
            bytes += v.toByteArray().capacity() + 24;
            break;
        case QMetaType::QDateTime:
            bytes += 16;
            break;
        default:
            break;
        }
    }
    return bytes;
}

} // namespace tarnwick
