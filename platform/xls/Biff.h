#pragma once

// Internal to the .xls writer: BIFF8 record numbers, sizes and little-endian encoding helpers.

#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <vector>

namespace tarnwick::xls::biff {

// Record identifiers (BIFF8).
enum RecordId : quint16
{
    Eof = 0x000A,
    CalcMode = 0x000D,
    Precision = 0x000E,
    DateMode = 0x0022,
    Font = 0x0031,
    Continue = 0x003C,
    Window1 = 0x003D,
    Backup = 0x0040,
    Pane = 0x0041,
    CodePage = 0x0042,
    DefColWidth = 0x0055,
    ColInfo = 0x007D,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    BookBool = 0x00DA,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Blank = 0x0201,
    Number = 0x0203,
    BoolErr = 0x0205,
    Row = 0x0208,
    Window2 = 0x023E,
    Rk = 0x027E,
    Style = 0x0293,
    FormatRec = 0x041E,
    Bof = 0x0809,
};

// The most data bytes one record may carry; longer data goes on in CONTINUE records.
inline constexpr int MaxRecordData = 8224;

// Cell XF indexes: 0..14 are the style XFs every workbook carries, 15 the default cell format.
enum CellXf : quint16
{
    XfGeneral = 15,
    XfDateTime,
    XfDate,
    XfTime,
    XfBoldGeneral,
    XfBoldDateTime,
    XfBoldDate,
    XfBoldTime,
    XfEnd
};

// Number format indexes of our own formats (user formats start at 164).
enum FormatIndex : quint16
{
    FmtDateTime = 164,
    FmtDate = 165,
    FmtTime = 166
};

// Error codes of a BOOLERR cell.
inline constexpr quint8 ErrNum = 0x24; // #NUM!

inline void putU16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

inline void putU32(char *p, quint32 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
    p[2] = char((v >> 16) & 0xFF);
    p[3] = char(v >> 24);
}

inline void putF64(char *p, double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(p, quint32(bits & 0xFFFFFFFFu));
    putU32(p + 4, quint32(bits >> 32));
}

inline void appendU8(QByteArray &b, quint8 v)
{
    b.append(char(v));
}

inline void appendU16(QByteArray &b, quint16 v)
{
    char p[2];
    putU16(p, v);
    b.append(p, 2);
}

inline void appendU32(QByteArray &b, quint32 v)
{
    char p[4];
    putU32(p, v);
    b.append(p, 4);
}

inline void appendF64(QByteArray &b, double v)
{
    char p[8];
    putF64(p, v);
    b.append(p, 8);
}

// Appends one complete record (header and data) to b; data must not pass MaxRecordData.
inline void appendRecord(QByteArray &b, quint16 id, const QByteArray &data)
{
    appendU16(b, id);
    appendU16(b, quint16(data.size()));
    b.append(data);
}

// Bytes appended in blocks of a fixed capacity that are never moved: a buffer the size of a
// sheet grows without the copies (and freed copies) of one contiguous array. A piece appended in
// one call never straddles two blocks.
class BlockBuffer
{
public:
    static constexpr qsizetype BlockSize = qsizetype(1) << 20;

    // Room for n contiguous bytes (n <= BlockSize); returns where they go.
    char *reserve(qsizetype n)
    {
        if (m_blocks.empty() || m_blocks.back().size() + n > BlockSize) {
            m_blocks.emplace_back();
            m_blocks.back().reserve(BlockSize);
        }
        QByteArray &b = m_blocks.back();
        const qsizetype at = b.size();
        b.resize(at + n);
        m_size += n;
        return b.data() + at;
    }
    void append(const char *data, qsizetype n) { std::memcpy(reserve(n), data, size_t(n)); }

    qint64 size() const { return m_size; }
    const std::vector<QByteArray> &blocks() const { return m_blocks; }
    // Where the next piece of n bytes will start, as block index << 20 | offset in the block.
    quint32 nextPosition(qsizetype n) const
    {
        if (m_blocks.empty() || m_blocks.back().size() + n > BlockSize)
            return quint32(m_blocks.size()) << 20;
        return (quint32(m_blocks.size() - 1) << 20) | quint32(m_blocks.back().size());
    }
    const char *at(quint32 position) const
    {
        return m_blocks[position >> 20].constData() + (position & (BlockSize - 1));
    }

private:
    std::vector<QByteArray> m_blocks;
    qint64 m_size = 0;
};

// The characters of text as a BIFF8 string body: an option byte (0 for 8-bit Latin-1, 1 for
// UTF-16LE) followed by the characters, in the narrow form whenever every character allows it.
QByteArray stringBody(const QString &text);

// A BIFF8 string with an 8-bit character count (sheet names, font names).
QByteArray shortString(const QString &text);
// A BIFF8 string with a 16-bit character count (format codes).
QByteArray longString(const QString &text);

} // namespace tarnwick::xls::biff
