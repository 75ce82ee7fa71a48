#include "Workbook.h"

#include "Biff.h"
#include "Error.h"
#include "SharedStrings.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <gsf/gsf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace tarnwick::xls {

namespace {

QString systemMessage(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The Workbook stream, record by record. Without a destination it only counts, which gives the
// size of the workbook globals before they are written for real.
class BiffOutput
{
public:
    BiffOutput(GsfOutput *out, const QString &path) : m_out(out), m_path(path)
    {
        if (m_out)
            m_buffer.reserve(BufferSize);
    }

    quint64 position() const { return m_position; }

    void write(const char *data, qsizetype n)
    {
        m_position += quint64(n);
        if (!m_out)
            return;
        if (m_buffer.size() + n <= BufferSize) {
            m_buffer.append(data, n);
            return;
        }
        flush();
        if (n < BufferSize) {
            m_buffer.append(data, n);
            return;
        }
        send(data, n);
    }
    void write(const QByteArray &b) { write(b.constData(), b.size()); }

    void record(quint16 id, const QByteArray &data)
    {
        char head[4];
        biff::putU16(head, id);
        biff::putU16(head + 2, quint16(data.size()));
        write(head, 4);
        write(data);
    }

    void flush()
    {
        if (!m_out || m_buffer.isEmpty())
            return;
        send(m_buffer.constData(), m_buffer.size());
        m_buffer.clear();
    }

private:
    static constexpr qsizetype BufferSize = 1 << 16;

    void send(const char *data, qsizetype n)
    {
        while (n > 0) {
            const qsizetype chunk = std::min<qsizetype>(n, 1 << 20);
            errno = 0;
            if (!gsf_output_write(m_out, size_t(chunk), reinterpret_cast<const guint8 *>(data))) {
                const int err = errno;
                const GError *g = gsf_output_error(m_out);
                const QString why = g ? QString::fromUtf8(g->message)
                                      : (err ? systemMessage(err) : QStringLiteral("write error"));
                throw Error(QStringLiteral("Cannot write %1: %2").arg(m_path, why));
            }
            data += chunk;
            n -= chunk;
        }
    }

    GsfOutput *m_out;
    QString m_path;
    QByteArray m_buffer;
    quint64 m_position = 0;
};

QByteArray fontRecord(bool bold)
{
    QByteArray data;
    biff::appendU16(data, 200); // 10 pt in twips
    biff::appendU16(data, bold ? 0x0001 : 0x0000);
    biff::appendU16(data, 0x7FFF); // automatic colour
    biff::appendU16(data, bold ? 700 : 400);
    biff::appendU16(data, 0); // no super- or subscript
    biff::appendU8(data, 0);  // no underline
    biff::appendU8(data, 0);  // family: any
    biff::appendU8(data, 0);  // character set: ANSI (the texts themselves are Unicode)
    biff::appendU8(data, 0);
    data.append(biff::shortString(QStringLiteral("Arial")));
    return data;
}

QByteArray xfRecord(quint16 font, quint16 format, bool style, quint8 usedAttributes)
{
    QByteArray data;
    biff::appendU16(data, font);
    biff::appendU16(data, format);
    // Locked; a style XF has no parent (0xFFF), a cell XF inherits from style XF 0.
    biff::appendU16(data, style ? 0xFFF5 : 0x0001);
    biff::appendU8(data, 0x20); // general alignment, bottom
    biff::appendU8(data, 0);    // no rotation
    biff::appendU8(data, 0);    // no indent
    biff::appendU8(data, usedAttributes);
    biff::appendU32(data, 0);      // no borders
    biff::appendU32(data, 0);      // no fill
    biff::appendU16(data, 0x20C0); // pattern colours: automatic
    return data;
}

// Font indexes as readers count them: index 4 does not exist, so the fifth FONT record is 5.
constexpr quint16 FontNormal = 0;
constexpr quint16 FontBold = 5;

// Attribute groups a cell XF sets itself instead of taking them from its style.
constexpr quint8 UsesFormat = 0x04;
constexpr quint8 UsesFont = 0x08;

void writeSharedStrings(BiffOutput &out, const SharedStrings &strings)
{
    const quint32 unique = strings.uniqueCount();
    if (unique == 0)
        return;
    const quint32 perBucket = std::max<quint32>(unique / 128 + 1, 8);
    QByteArray ext;
    biff::appendU16(ext, quint16(perBucket));

    QByteArray rec;
    rec.reserve(biff::MaxRecordData);
    quint16 recId = biff::Sst;
    quint64 recStart = out.position();
    biff::appendU32(rec, strings.referenceCount());
    biff::appendU32(rec, unique);

    auto endRecord = [&] {
        out.record(recId, rec);
        rec.clear();
        recId = biff::Continue;
        recStart = out.position();
    };

    for (quint32 i = 0; i < unique; ++i) {
        const QByteArrayView s = strings.encoded(i);
        const quint16 count = quint16(quint8(s[0]) | (quint8(s[1]) << 8));
        const bool wide = s[2] != 0;
        const int unit = wide ? 2 : 1;
        const char *chars = s.data() + 3;
        auto isHighSurrogate = [&](quint32 at) {
            return wide && QChar::isHighSurrogate(
                               char16_t(quint8(chars[2 * at]) | (quint8(chars[2 * at + 1]) << 8)));
        };
        // The string header and its first character stay together (a surrogate pair counts as
        // one character: readers decode every record's piece on its own).
        const int firstChar = count == 0 ? 0 : (count > 1 && isHighSurrogate(0) ? 2 : 1) * unit;
        if (rec.size() + 3 + firstChar > biff::MaxRecordData)
            endRecord();
        if (i % perBucket == 0) {
            const quint64 offset = 4 + quint64(rec.size());
            biff::appendU32(ext, quint32(recStart + offset));
            biff::appendU16(ext, quint16(offset));
            biff::appendU16(ext, 0);
        }
        rec.append(s.data(), 3);
        quint32 done = 0;
        while (true) {
            const quint32 room = quint32((biff::MaxRecordData - rec.size()) / unit);
            quint32 take = std::min<quint32>(room, count - done);
            if (take > 0 && done + take < count && isHighSurrogate(done + take - 1))
                --take;
            rec.append(chars + done * unit, qsizetype(take) * unit);
            done += take;
            if (done == count)
                break;
            endRecord();
            biff::appendU8(rec, wide ? 1 : 0); // a continued string repeats its option byte
        }
    }
    out.record(recId, rec);
    out.record(biff::ExtSst, ext);
}

} // namespace

struct Workbook::Data
{
    SharedStrings strings;
    std::vector<std::unique_ptr<Sheet>> sheets;

    void writeGlobals(BiffOutput &out, const std::vector<quint32> &sheetOffsets) const;
};

void Workbook::Data::writeGlobals(BiffOutput &out, const std::vector<quint32> &sheetOffsets) const
{
    QByteArray data;
    auto put = [&](quint16 id) {
        out.record(id, data);
        data.clear();
    };

    biff::appendU16(data, 0x0600); // BIFF8
    biff::appendU16(data, 0x0005); // workbook globals
    biff::appendU16(data, 0x0DBB);
    biff::appendU16(data, 0x07CC);
    biff::appendU32(data, 0);
    biff::appendU32(data, 0x00000006);
    put(biff::Bof);

    biff::appendU16(data, 1200); // UTF-16
    put(biff::CodePage);

    biff::appendU16(data, 0);
    biff::appendU16(data, 0);
    biff::appendU16(data, 25000); // window size in twips
    biff::appendU16(data, 15000);
    biff::appendU16(data, 0x0038); // scroll bars and sheet tabs shown
    biff::appendU16(data, 0);      // active sheet
    biff::appendU16(data, 0);      // first tab shown
    biff::appendU16(data, 1);      // selected sheets
    biff::appendU16(data, 600);    // tab bar width ratio
    put(biff::Window1);

    biff::appendU16(data, 0);
    put(biff::Backup);
    biff::appendU16(data, 0); // dates count from 1900
    put(biff::DateMode);
    biff::appendU16(data, 1); // full precision
    put(biff::Precision);
    biff::appendU16(data, 0);
    put(biff::BookBool);

    for (int i = 0; i < 4; ++i)
        out.record(biff::Font, fontRecord(false));
    out.record(biff::Font, fontRecord(true));

    const struct
    {
        quint16 index;
        const char *code;
    } formats[] = {{biff::FmtDateTime, "dd.mm.yyyy hh:mm:ss"},
                   {biff::FmtDate, "dd.mm.yyyy"},
                   {biff::FmtTime, "hh:mm:ss"}};
    for (const auto &f : formats) {
        biff::appendU16(data, f.index);
        data.append(biff::longString(QString::fromLatin1(f.code)));
        put(biff::FormatRec);
    }

    out.record(biff::Xf, xfRecord(FontNormal, 0, true, 0x00));
    for (int i = 1; i < 15; ++i) {
        const quint16 font = i <= 2 ? 1 : (i <= 4 ? 2 : 0);
        out.record(biff::Xf, xfRecord(font, 0, true, 0xF4));
    }
    const quint16 numberFormats[] = {0, biff::FmtDateTime, biff::FmtDate, biff::FmtTime};
    for (int bold = 0; bold < 2; ++bold) {
        for (quint16 fmt : numberFormats) {
            const quint8 used = quint8((fmt ? UsesFormat : 0) | (bold ? UsesFont : 0));
            out.record(biff::Xf, xfRecord(bold ? FontBold : FontNormal, fmt, false, used));
        }
    }

    biff::appendU16(data, 0x8000); // built-in style on XF 0
    biff::appendU8(data, 0);       // "Normal"
    biff::appendU8(data, 0xFF);
    put(biff::Style);

    for (size_t i = 0; i < sheets.size(); ++i) {
        biff::appendU32(data, sheetOffsets[i]);
        biff::appendU8(data, 0); // visible
        biff::appendU8(data, 0); // worksheet
        data.append(biff::shortString(sheets[i]->name()));
        put(biff::BoundSheet);
    }

    writeSharedStrings(out, strings);
    put(biff::Eof);
}

Workbook::Workbook() : d(std::make_unique<Data>()) {}

Workbook::~Workbook() = default;

Sheet &Workbook::addSheet(const QString &name)
{
    if (name.isEmpty())
        throw Error(QStringLiteral("A sheet name cannot be empty"));
    if (name.size() > 31)
        throw Error(QStringLiteral("The sheet name \"%1\" is longer than 31 characters").arg(name));
    for (QChar c : QStringLiteral(":\\/?*[]")) {
        if (name.contains(c))
            throw Error(QStringLiteral("The sheet name \"%1\" contains \"%2\"").arg(name, c));
    }
    if (hasSheet(name))
        throw Error(QStringLiteral("The workbook already has a sheet \"%1\"").arg(name));
    d->sheets.push_back(std::unique_ptr<Sheet>(new Sheet(name, d->strings)));
    return *d->sheets.back();
}

bool Workbook::hasSheet(const QString &name) const
{
    return std::any_of(d->sheets.begin(), d->sheets.end(), [&](const auto &s) {
        return s->name().compare(name, Qt::CaseInsensitive) == 0;
    });
}

int Workbook::sheetCount() const
{
    return int(d->sheets.size());
}

Sheet &Workbook::sheet(int index)
{
    return *d->sheets.at(size_t(index));
}

const Sheet &Workbook::sheet(int index) const
{
    return *d->sheets.at(size_t(index));
}

namespace {

// Closes and releases a libgsf output however save() ends; only the success path looks at the
// result of closing.
struct GsfHandle
{
    GsfOutput *out = nullptr;
    bool closed = false;

    ~GsfHandle()
    {
        if (out) {
            if (!closed && !gsf_output_is_closed(out))
                gsf_output_close(out);
            g_object_unref(out);
        }
    }
    // Closing the compound file also closes its sink; a sink closed that way reports the error
    // that it met, if any.
    void close(const QString &path)
    {
        closed = true;
        const bool ok =
            gsf_output_is_closed(out) ? gsf_output_error(out) == nullptr : gsf_output_close(out);
        if (!ok) {
            const GError *g = gsf_output_error(out);
            throw Error(
                QStringLiteral("Cannot write %1: %2")
                    .arg(path, g ? QString::fromUtf8(g->message) : QStringLiteral("write error")));
        }
    }
};

} // namespace

void Workbook::save(const QString &path)
{
    static std::once_flag gsfReady;
    std::call_once(gsfReady, [] { gsf_init(); });

    if (d->sheets.empty())
        addSheet(QStringLiteral("Sheet1"));

    const size_t n = d->sheets.size();
    std::vector<QByteArray> heads(n), tails(n);
    std::vector<quint64> sizes(n);
    for (size_t i = 0; i < n; ++i) {
        Sheet &s = *d->sheets[i];
        s.flushRow();
        heads[i] = s.headRecords();
        tails[i] = s.tailRecords(i == 0);
        sizes[i] =
            quint64(heads[i].size()) + quint64(s.cellRecords().size()) + quint64(tails[i].size());
    }

    std::vector<quint32> offsets(n, 0);
    BiffOutput counter(nullptr, path);
    d->writeGlobals(counter, offsets);
    quint64 at = counter.position();
    for (size_t i = 0; i < n; ++i) {
        offsets[i] = quint32(at);
        at += sizes[i];
        // Sheet positions are 32-bit and the compound file's stream stays below 2 GB.
        if (at >= 0x7FFFFFFFull)
            throw Error(
                QStringLiteral("Cannot write %1: the workbook is too large for an .xls file")
                    .arg(path));
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    const int fd = ::dup(file.handle());
    FILE *fp = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!fp) {
        const int err = errno;
        if (fd >= 0)
            ::close(fd);
        throw Error(QStringLiteral("Cannot create %1: %2").arg(path, systemMessage(err)));
    }
    const QByteArray nativePath = QFile::encodeName(path);
    GsfHandle sink{gsf_output_stdio_new_FILE(nativePath.constData(), fp, FALSE)};
    GsfHandle ole{GSF_OUTPUT(gsf_outfile_msole_new(sink.out))};
    GsfHandle stream{gsf_outfile_new_child(GSF_OUTFILE(ole.out), "Workbook", FALSE)};
    if (!stream.out)
        throw Error(QStringLiteral("Cannot create %1: no room for the workbook stream").arg(path));

    BiffOutput out(stream.out, path);
    d->writeGlobals(out, offsets);
    for (size_t i = 0; i < n; ++i) {
        Q_ASSERT(out.position() == offsets[i]);
        out.write(heads[i]);
        for (const QByteArray &block : d->sheets[i]->cellRecords().blocks())
            out.write(block);
        out.write(tails[i]);
    }
    // A Workbook stream under 4096 bytes would go to the compound file's mini stream, which
    // Excel is known to refuse for it; the padding after the last EOF is never read.
    if (out.position() < 4096) {
        const QByteArray padding(qsizetype(4096 - out.position()), '\0');
        out.write(padding);
    }
    out.flush();
    stream.close(path);
    ole.close(path);
    sink.close(path);
    if (!file.commit())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace tarnwick::xls
