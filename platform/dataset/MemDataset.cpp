#include "MemDataset.h"

#include "Error.h"

#include <QDateTime>

namespace tarnwick {

MemDataset::MemDataset(const QList<FieldDef> &fields, QObject *parent) : Dataset(parent) { setFields(fields); }

void MemDataset::open()
{
    if (isOpen())
        return;
    beginRefill();
    endRefill(true);
}

int MemDataset::storedRows() const
{
    return fieldCount() == 0 ? 0 : int(m_cells.size() / fieldCount());
}

QVariant MemDataset::storedValue(int row, int field) const
{
    return m_cells[qsizetype(row) * fieldCount() + field];
}

void MemDataset::dropRecords(bool releaseMemory)
{
    m_cells.clear();
    if (releaseMemory)
        m_cells.squeeze();
}

qint64 MemDataset::storedBytes() const
{
    return qint64(m_cells.capacity()) * qint64(sizeof(QVariant));
}

void MemDataset::close() { closeRecords(); }

QVariant MemDataset::fitted(int field, const QVariant &value) const
{
    const FieldDef &def = fields()[field];
    if (value.isNull() || !value.isValid())
        return {};
    switch (def.type) {
    case FieldType::Text: {
        QString s = value.toString();
        if (def.size > 0 && s.size() > def.size)
            s.truncate(def.size);
        return s;
    }
    case FieldType::Integer:
        return value.toInt();
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Float:
        return value.toDouble();
    case FieldType::DateTime:
        return value.toDateTime();
    case FieldType::Blob:
        return value.toByteArray();
    }
    return value;
}

int MemDataset::appendRecord(const QVariantHash &values)
{
    checkOpen();
    const int n = fieldCount();
    QList<QVariant> record(n);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const int f = fieldIndex(it.key());
        if (f < 0)
            throw Error(QStringLiteral("Field '%1' not found").arg(it.key()));
        record[f] = fitted(f, it.value());
    }
    // Only a complete record enters the list.
    const int row = rows();
    beginInsertRows({}, row, row);
    m_cells.append(record);
    endInsertRows();
    return row;
}

void MemDataset::setValue(int row, const QString &field, const QVariant &value)
{
    checkOpen();
    const int f = fieldIndex(field);
    if (f < 0)
        throw Error(QStringLiteral("Field '%1' not found").arg(field));
    if (row < 0 || row >= rows())
        throw Error(QStringLiteral("Record %1 does not exist").arg(row));
    m_cells[qsizetype(row) * fieldCount() + f] = fitted(f, value);
    const QModelIndex i = index(row, f);
    Q_EMIT dataChanged(i, i);
}

void MemDataset::removeFirst(int count)
{
    checkOpen();
    count = std::min(count, rows());
    if (count <= 0)
        return;
    const int oldCurrent = currentRow();
    beginRemoveRows({}, 0, count - 1);
    m_cells.remove(0, qsizetype(count) * fieldCount());
    endRemoveRows();
    if (oldCurrent >= 0) {
        const int moved = oldCurrent - count;
        setCurrentSilently(-2); // force the notification: the record under the cursor changed
        setCurrentRow(moved < 0 ? 0 : moved);
    }
}

} // namespace tarnwick
