#pragma once

#include "Dataset.h"

namespace tarnwick {

// An in-memory table with no database behind it. Texts longer than their field are cut.
class MemDataset : public Dataset
{
    Q_OBJECT
public:
    explicit MemDataset(const QList<FieldDef> &fields, QObject *parent = nullptr);

    void open();  // empty, ready for records
    void close(); // drops every record

    // Appends a record given by field name (missing fields stay null) and returns its row.
    int appendRecord(const QVariantHash &values);
    // Sets one field of an existing record.
    void setValue(int row, const QString &field, const QVariant &value);
    // Removes the oldest records.
    void removeFirst(int count);

protected:
    int storedRows() const override;
    QVariant storedValue(int row, int field) const override;
    void dropRecords(bool releaseMemory) override;
    qint64 storedBytes() const override;

private:
    QVariant fitted(int field, const QVariant &value) const;

    // Row-major, fieldCount() cells per row; the list is short (it is trimmed as it grows).
    QList<QVariant> m_cells;
};

} // namespace tarnwick
