#pragma once

#include "Dataset.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// Records held column by column in their own types: numbers and date-times as 64-bit values,
// texts and byte strings as indexes into the column's table of distinct values. A report of
// 100,000 rows repeats a few hundred names, doors, zones and photos; stored once each, a row
// costs about a hundred bytes instead of a QVariant per field, which is what makes a big report
// quick to fetch and to keep.
class CompactColumns
{
public:
    // Empties the store for records of these fields; the columns' memory is kept for reuse.
    void reset(const QList<FieldDef> &fields);
    // Empties the store and gives its memory back.
    void release();

    int rows() const { return m_rows; }
    // Appends a record whose fields are all null and returns its row.
    int appendRow();

    // Setters for a field of a record; texts and byte strings are shared with equal ones.
    void setNull(int row, int field);
    void setText(int row, int field, const char *utf8, qsizetype size);
    void setInteger(int row, int field, qint64 value);
    void setFloat(int row, int field, double value);
    void setDateTime(int row, int field, const QDateTime &value);
    void setBlob(int row, int field, const char *data, qsizetype size);
    // Any value, converted to the field's type (a null or invalid value stores null).
    void set(int row, int field, const QVariant &value);

    QVariant value(int row, int field) const;

    // The tables that find equal values are only needed while records are written.
    void finishWriting();

    qint64 bytes() const;

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };

    struct Column
    {
        FieldType type = FieldType::Text;
        // Texts and blobs: 0 for null, otherwise 1 + the index of the value in texts or blobs.
        std::vector<quint32> refs;
        // Numbers: the value (a double's bits for Float, msecs for DateTime) and a null flag.
        std::vector<qint64> numbers;
        std::vector<quint8> nulls;
        QList<QString> texts;
        QList<QByteArray> blobs;
        std::unordered_map<std::string, quint32, Hash, std::equal_to<>> textIndex;
        std::unordered_multimap<size_t, quint32> blobIndex;
    };

    static bool usesRefs(FieldType type) { return type == FieldType::Text || type == FieldType::Blob; }
    quint32 textRef(Column &c, const char *utf8, qsizetype size);
    quint32 blobRef(Column &c, const char *data, qsizetype size);

    std::vector<Column> m_columns;
    int m_rows = 0;
};

} // namespace tarnwick
