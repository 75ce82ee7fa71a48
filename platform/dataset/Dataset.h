#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QVariant>

namespace tarnwick {

// DateTime values are the database's wall-clock times, without a zone: QDateTime with the UTC
// time spec, whose fields are the stored ones.
enum class FieldType { Text, Integer, Boolean, Float, DateTime, Blob };

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;            // texts: the most characters the field holds (0: no limit)
    bool readOnly = false;   // computed by the query
    bool calculated = false; // computed by the program after fetching
};

// A table of typed records held in memory, with a current record, shown by the grids as a
// table model (one column per field; Qt::EditRole and Qt::DisplayRole give the native value,
// a null QVariant for a null field; the horizontal header's FieldNameRole gives field names).
class Dataset : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int FieldNameRole = Qt::UserRole + 100; // same number as the grid's role

    explicit Dataset(QObject *parent = nullptr);

    const QList<FieldDef> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const; // case-insensitive; -1 when there is none
    int fieldCount() const { return int(m_fields.size()); }

    bool isOpen() const { return m_open; }
    // Throws Error("Cannot perform this operation on a closed dataset") when closed.
    int recordCount() const;
    void checkOpen() const;

    // The current record; -1 when the dataset is closed or empty.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    QVariant value(int row, int field) const;
    QVariant value(int row, const QString &field) const;
    QVariant currentValue(const QString &field) const; // null when there is no current record

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Approximate heap bytes held by the records (for the benchmarks' memory figures).
    qint64 approximateBytes() const { return storedBytes(); }

Q_SIGNALS:
    // The current record changed, also when opening or re-executing made the first one current.
    void afterScroll();
    void opened();
    void closed();

protected:
    void setFields(const QList<FieldDef> &fields);
    // Refilling in place: the records are emptied inside a model reset; endRefill() opens the
    // dataset with the first record current, or closes it when the refill failed.
    void beginRefill();
    void endRefill(bool ok);
    void closeRecords();
    int rows() const { return storedRows(); }
    void setCurrentSilently(int row) { m_current = row; }

    // Where the records are kept is the subclass's business.
    virtual int storedRows() const = 0;
    virtual QVariant storedValue(int row, int field) const = 0;
    // Drops every record; releaseMemory gives the storage back instead of keeping it for reuse.
    virtual void dropRecords(bool releaseMemory) = 0;
    virtual qint64 storedBytes() const = 0;

private:
    QList<FieldDef> m_fields;
    bool m_open = false;
    int m_current = -1;
};

QString closedDatasetMessage();

} // namespace tarnwick
