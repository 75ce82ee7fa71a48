#include "SharedStrings.h"

#include "Biff.h"
#include "Error.h"

#include <QHashFunctions>
#include <cstring>

namespace tarnwick::xls {

namespace {

void encodeInto(QByteArray &out, const QString &text)
{
    const qsizetype n = text.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    bool narrow = true;
    for (qsizetype i = 0; i < n; ++i) {
        if (units[i] > 0xFF) {
            narrow = false;
            break;
        }
    }
    out.resize(3 + n * (narrow ? 1 : 2));
    char *p = out.data();
    biff::putU16(p, quint16(n));
    p[2] = narrow ? 0 : 1;
    p += 3;
    if (narrow) {
        for (qsizetype i = 0; i < n; ++i)
            p[i] = char(units[i]);
    } else {
        for (qsizetype i = 0; i < n; ++i)
            biff::putU16(p + 2 * i, quint16(units[i]));
    }
}

quint32 hashOf(QByteArrayView bytes)
{
    const size_t h = qHashBits(bytes.data(), size_t(bytes.size()), 0x7a3b1c5du);
    return quint32(h ^ (quint64(h) >> 32));
}

} // namespace

SharedStrings::SharedStrings() : m_slots(1024) {}

QByteArrayView SharedStrings::encoded(quint32 i) const
{
    const char *p = m_data.at(m_offsets[i]);
    const qsizetype count = quint8(p[0]) | (quint8(p[1]) << 8);
    return QByteArrayView(p, 3 + count * (p[2] ? 2 : 1));
}

quint32 SharedStrings::add(const QString &text)
{
    encodeInto(m_scratch, text);
    const QByteArrayView key(m_scratch);
    const quint32 h = hashOf(key);
    const size_t mask = m_slots.size() - 1;
    size_t at = h & mask;
    while (m_slots[at].indexPlusOne != 0) {
        const Slot &s = m_slots[at];
        if (s.hash == h && encoded(s.indexPlusOne - 1) == key)
            return s.indexPlusOne - 1;
        at = (at + 1) & mask;
    }
    // Positions hold the block index in 12 bits; 4 GB of text could not be written anyway.
    if (m_data.size() + key.size() >= (qint64(1) << 31))
        throw Error(QStringLiteral("Too much text for one workbook"));
    const quint32 index = quint32(m_offsets.size());
    m_offsets.push_back(m_data.nextPosition(key.size()));
    m_data.append(key.data(), key.size());
    m_slots[at] = Slot{h, index + 1};
    if (m_offsets.size() * 2 > m_slots.size())
        grow();
    return index;
}

void SharedStrings::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const size_t mask = m_slots.size() - 1;
    for (const Slot &s : old) {
        if (s.indexPlusOne == 0)
            continue;
        size_t at = s.hash & mask;
        while (m_slots[at].indexPlusOne != 0)
            at = (at + 1) & mask;
        m_slots[at] = s;
    }
}

} // namespace tarnwick::xls
