#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnwick {

// Shares equal values among the records of one fetch. A report of 100,000 rows repeats a few
// hundred names, doors, zones and photos over and over; one shared copy of each keeps the memory
// per row small and spares the allocations.
class ValueInterner
{
public:
    explicit ValueInterner(int fields);

    QString text(int field, const char *utf8, qsizetype size);
    QString text(int field, const QString &value);
    QByteArray blob(int field, const char *data, qsizetype size);
    QByteArray blob(int field, const QByteArray &value);

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
    };
    using TextMap = std::unordered_map<std::string, QString, Hash, std::equal_to<>>;
    using BlobMap = std::unordered_multimap<size_t, QByteArray>;

    // Beyond this many distinct values a field is not worth it (card numbers of a big site).
    static constexpr size_t maxDistinct = 20000;

    std::vector<TextMap> m_texts;
    std::vector<BlobMap> m_blobs;
};

} // namespace tarnwick
