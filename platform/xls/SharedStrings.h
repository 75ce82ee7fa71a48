#pragma once

// Internal to the .xls writer: the workbook's shared string table (SST).

#include "Biff.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace tarnwick::xls {

// Every distinct cell text once, in the order first seen, already encoded as BIFF8 strings
// (16-bit character count, option byte, characters). Lookup goes through an open-addressing
// table of hashes and indexes over the encoded bytes, so the table costs a few bytes a string
// beyond the bytes that the file holds anyway.
class SharedStrings
{
public:
    SharedStrings();

    // The index of text in the table, adding it when it is new. text must not be longer than
    // 65535 UTF-16 code units.
    quint32 add(const QString &text);
    // Counts one cell that refers to the table (the SST record declares the total).
    void addReference() { ++m_references; }

    quint32 uniqueCount() const { return quint32(m_offsets.size()); }
    quint32 referenceCount() const { return m_references; }

    // The encoded string i: character count, option byte, then the characters.
    QByteArrayView encoded(quint32 i) const;

private:
    struct Slot
    {
        quint32 hash = 0;
        quint32 indexPlusOne = 0; // 0: empty slot
    };
    void grow();

    biff::BlockBuffer m_data;
    std::vector<quint32> m_offsets; // BlockBuffer positions
    std::vector<Slot> m_slots;
    quint32 m_references = 0;
    QByteArray m_scratch;
};

} // namespace tarnwick::xls
