#include "CompactColumns.h"

#include <bit>
#include <cstring>

namespace tarnwick {

namespace {

// A cheap fingerprint of a byte string: its size and its first and last bytes. Equal
// fingerprints are confirmed byte by byte before a value is shared.
size_t fingerprint(const char *data, qsizetype size)
{
    const qsizetype edge = std::min<qsizetype>(size, 64);
    size_t h = std::hash<std::string_view>{}(std::string_view(data, size_t(edge)));
    h ^= std::hash<std::string_view>{}(std::string_view(data + size - edge, size_t(edge))) + 0x9e3779b97f4a7c15ull +
         (h << 6) + (h >> 2);
    return h ^ size_t(size) * 0x100000001b3ull;
}

} // namespace

void CompactColumns::reset(const QList<FieldDef> &fields)
{
    m_columns.resize(size_t(fields.size()));
    for (qsizetype f = 0; f < fields.size(); ++f) {
        Column &c = m_columns[size_t(f)];
        c.type = fields[f].type;
        c.refs.clear();
        c.numbers.clear();
        c.nulls.clear();
        c.texts.clear();
        c.blobs.clear();
        c.textIndex.clear();
        c.blobIndex.clear();
    }
    m_rows = 0;
}

void CompactColumns::release()
{
    m_columns.clear();
    m_columns.shrink_to_fit();
    m_rows = 0;
}

int CompactColumns::appendRow()
{
    for (Column &c : m_columns) {
        if (usesRefs(c.type)) {
            c.refs.push_back(0);
        } else {
            c.numbers.push_back(0);
            c.nulls.push_back(1);
        }
    }
    return m_rows++;
}

void CompactColumns::setNull(int row, int field)
{
    Column &c = m_columns[size_t(field)];
    if (usesRefs(c.type))
        c.refs[size_t(row)] = 0;
    else
        c.nulls[size_t(row)] = 1;
}

quint32 CompactColumns::textRef(Column &c, const char *utf8, qsizetype size)
{
    const std::string_view key(utf8, size_t(size));
    if (auto it = c.textIndex.find(key); it != c.textIndex.end())
        return it->second;
    c.texts.append(QString::fromUtf8(utf8, size));
    const quint32 ref = quint32(c.texts.size());
    c.textIndex.emplace(std::string(key), ref);
    return ref;
}

quint32 CompactColumns::blobRef(Column &c, const char *data, qsizetype size)
{
    const size_t key = fingerprint(data, size);
    auto [first, last] = c.blobIndex.equal_range(key);
    for (auto it = first; it != last; ++it) {
        const QByteArray &known = c.blobs[qsizetype(it->second) - 1];
        if (known.size() == size && std::memcmp(known.constData(), data, size_t(size)) == 0)
            return it->second;
    }
    c.blobs.append(QByteArray(data, size));
    const quint32 ref = quint32(c.blobs.size());
    c.blobIndex.emplace(key, ref);
    return ref;
}

void CompactColumns::setText(int row, int field, const char *utf8, qsizetype size)
{
    Column &c = m_columns[size_t(field)];
    c.refs[size_t(row)] = textRef(c, utf8, size);
}

void CompactColumns::setBlob(int row, int field, const char *data, qsizetype size)
{
    Column &c = m_columns[size_t(field)];
    c.refs[size_t(row)] = blobRef(c, data, size);
}

void CompactColumns::setInteger(int row, int field, qint64 value)
{
    Column &c = m_columns[size_t(field)];
    c.numbers[size_t(row)] = value;
    c.nulls[size_t(row)] = 0;
}

void CompactColumns::setFloat(int row, int field, double value)
{
    setInteger(row, field, std::bit_cast<qint64>(value));
}

void CompactColumns::setDateTime(int row, int field, const QDateTime &value)
{
    if (!value.isValid()) {
        setNull(row, field);
        return;
    }
    // Wall-clock fields, without a zone (see FieldType::DateTime).
    setInteger(row, field, QDateTime(value.date(), value.time(), Qt::UTC).toMSecsSinceEpoch());
}

void CompactColumns::set(int row, int field, const QVariant &value)
{
    if (value.isNull() || !value.isValid()) {
        setNull(row, field);
        return;
    }
    switch (m_columns[size_t(field)].type) {
    case FieldType::Text: {
        const QByteArray utf8 = value.toString().toUtf8();
        setText(row, field, utf8.constData(), utf8.size());
        break;
    }
    case FieldType::Integer:
        setInteger(row, field, value.toInt());
        break;
    case FieldType::Boolean:
        setInteger(row, field, value.toBool() ? 1 : 0);
        break;
    case FieldType::Float:
        setFloat(row, field, value.toDouble());
        break;
    case FieldType::DateTime:
        setDateTime(row, field, value.toDateTime());
        break;
    case FieldType::Blob: {
        const QByteArray bytes = value.toByteArray();
        setBlob(row, field, bytes.constData(), bytes.size());
        break;
    }
    }
}

QVariant CompactColumns::value(int row, int field) const
{
    if (row < 0 || row >= m_rows || field < 0 || field >= int(m_columns.size()))
        return {};
    const Column &c = m_columns[size_t(field)];
    if (usesRefs(c.type)) {
        const quint32 ref = c.refs[size_t(row)];
        if (ref == 0)
            return {};
        return c.type == FieldType::Text ? QVariant(c.texts[qsizetype(ref) - 1]) : QVariant(c.blobs[qsizetype(ref) - 1]);
    }
    if (c.nulls[size_t(row)])
        return {};
    const qint64 n = c.numbers[size_t(row)];
    switch (c.type) {
    case FieldType::Integer:
        return int(n);
    case FieldType::Boolean:
        return n != 0;
    case FieldType::Float:
        return std::bit_cast<double>(n);
    case FieldType::DateTime:
        return QDateTime::fromMSecsSinceEpoch(n, Qt::UTC);
    default:
        return {};
    }
}

void CompactColumns::finishWriting()
{
    for (Column &c : m_columns) {
        decltype(c.textIndex)().swap(c.textIndex);
        decltype(c.blobIndex)().swap(c.blobIndex);
    }
}

qint64 CompactColumns::bytes() const
{
    qint64 total = 0;
    for (const Column &c : m_columns) {
        total += qint64(c.refs.capacity() * sizeof(quint32) + c.numbers.capacity() * sizeof(qint64) + c.nulls.capacity());
        for (const QString &t : c.texts)
            total += 24 + qint64(t.capacity()) * 2;
        for (const QByteArray &b : c.blobs)
            total += 24 + b.capacity();
    }
    return total;
}

} // namespace tarnwick
