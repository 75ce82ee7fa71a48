#include "ValueInterner.h"

#include <cstring>

namespace tarnwick {

namespace {

// A cheap fingerprint of a blob: its size and its first and last bytes. Equal fingerprints are
// confirmed byte by byte before a copy is shared.
size_t fingerprint(const char *data, qsizetype size)
{
    const qsizetype edge = std::min<qsizetype>(size, 64);
    std::string_view head(data, size_t(edge));
    std::string_view tail(data + size - edge, size_t(edge));
    size_t h = std::hash<std::string_view>{}(head);
    h ^= std::hash<std::string_view>{}(tail) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2);
    return h ^ size_t(size) * 0x100000001b3ull;
}

} // namespace

ValueInterner::ValueInterner(int fields) : m_texts(size_t(fields)), m_blobs(size_t(fields)) {}

QString ValueInterner::text(int field, const char *utf8, qsizetype size)
{
    TextMap &map = m_texts[size_t(field)];
    const std::string_view key(utf8, size_t(size));
    if (auto it = map.find(key); it != map.end())
        return it->second;
    QString value = QString::fromUtf8(utf8, size);
    if (map.size() < maxDistinct)
        map.emplace(std::string(key), value);
    return value;
}

QString ValueInterner::text(int field, const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    TextMap &map = m_texts[size_t(field)];
    const std::string_view key(utf8.constData(), size_t(utf8.size()));
    if (auto it = map.find(key); it != map.end())
        return it->second;
    if (map.size() < maxDistinct)
        map.emplace(std::string(key), value);
    return value;
}

QByteArray ValueInterner::blob(int field, const char *data, qsizetype size)
{
    BlobMap &map = m_blobs[size_t(field)];
    const size_t key = fingerprint(data, size);
    auto [first, last] = map.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second.size() == size && std::memcmp(it->second.constData(), data, size_t(size)) == 0)
            return it->second;
    }
    QByteArray value(data, size);
    if (map.size() < maxDistinct)
        map.emplace(key, value);
    return value;
}

QByteArray ValueInterner::blob(int field, const QByteArray &value)
{
    BlobMap &map = m_blobs[size_t(field)];
    const size_t key = fingerprint(value.constData(), value.size());
    auto [first, last] = map.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second == value)
            return it->second;
    }
    if (map.size() < maxDistinct)
        map.emplace(key, value);
    return value;
}

} // namespace tarnwick
