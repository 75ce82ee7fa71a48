#include "Sheet.h"

#include "Biff.h"
#include "Error.h"
#include "SharedStrings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace tarnwick::xls {

namespace {

enum class Kind : quint8
{
    Blank,
    Number,
    Rk,
    Text,
    Boolean,
    ErrorValue
};

struct Cell
{
    quint16 column;
    quint16 xf;
    Kind kind;
    quint8 flag;  // Boolean: the value; ErrorValue: the error code
    quint32 word; // Rk: the encoded value; Text: the string index
    double number;
};

enum class Shape
{
    General,
    DateTime,
    Date,
    Time
};

quint16 xfFor(Shape shape, CellStyle style)
{
    const int base = style == CellStyle::Bold ? biff::XfBoldGeneral : biff::XfGeneral;
    return quint16(base + int(shape));
}

// Excel counts days from 30 December 1899 with the time of day as the fraction; its day
// numbers before 1 March 1900 are off by its phantom 29 February 1900.
const QDate &excelEpoch()
{
    static const QDate epoch(1899, 12, 30);
    return epoch;
}

const QDate &firstReliableDate()
{
    static const QDate first(1900, 3, 1);
    return first;
}

constexpr double MaxExactInteger = 9007199254740992.0; // 2^53

QString cutText(const QString &text)
{
    if (text.size() <= Sheet::MaxTextLength)
        return text;
    qsizetype n = Sheet::MaxTextLength;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace

struct Sheet::Data
{
    QString name;
    SharedStrings *strings;
    biff::BlockBuffer body;
    int pendingRow = -1;
    int writtenRow = -1; // the last row whose records are in body
    std::vector<Cell> pending;
    int firstRow = -1;
    int rowEnd = 0;
    int firstColumn = MaxColumns;
    int columnEnd = 0;
    std::map<int, quint16> widths;
    int frozenRows = 0;

    void check(int row, int column) const
    {
        if (row < 0 || row >= MaxRows)
            throw Error(QStringLiteral("Sheet \"%1\": row %2 is outside 0..%3")
                            .arg(name)
                            .arg(row)
                            .arg(MaxRows - 1));
        if (column < 0 || column >= MaxColumns)
            throw Error(QStringLiteral("Sheet \"%1\": column %2 is outside 0..%3")
                            .arg(name)
                            .arg(column)
                            .arg(MaxColumns - 1));
        if (row <= writtenRow || row < pendingRow)
            throw Error(QStringLiteral("Sheet \"%1\": row %2 is already written (rows go in order; "
                                       "the last one started is %3)")
                            .arg(name)
                            .arg(row)
                            .arg(pendingRow));
    }

    void put(int row, const Cell &cell)
    {
        if (row != pendingRow) {
            flush();
            pendingRow = row;
        }
        pending.push_back(cell);
    }

    void flush();
};

void Sheet::Data::flush()
{
    if (pending.empty())
        return;
    auto byColumn = [](const Cell &a, const Cell &b) { return a.column < b.column; };
    if (!std::is_sorted(pending.begin(), pending.end(), byColumn))
        std::stable_sort(pending.begin(), pending.end(), byColumn);
    // A cell set twice in the row keeps its last value.
    std::vector<Cell> &cells = pending;
    size_t kept = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i + 1 < cells.size() && cells[i + 1].column == cells[i].column)
            continue;
        cells[kept++] = cells[i];
    }
    cells.resize(kept);

    writtenRow = pendingRow;
    const quint16 row = quint16(pendingRow);
    const int first = cells.front().column;
    const int end = cells.back().column + 1;
    if (firstRow < 0)
        firstRow = pendingRow;
    rowEnd = pendingRow + 1;
    firstColumn = std::min(firstColumn, first);
    columnEnd = std::max(columnEnd, end);

    char rec[20];
    biff::putU16(rec, biff::Row);
    biff::putU16(rec + 2, 16);
    biff::putU16(rec + 4, row);
    biff::putU16(rec + 6, quint16(first));
    biff::putU16(rec + 8, quint16(end));
    biff::putU16(rec + 10, 0x00FF); // default height (12.75 pt), not fixed by us
    biff::putU16(rec + 12, 0);
    biff::putU16(rec + 14, 0);
    biff::putU16(rec + 16, 0x0100); // reserved bit that must be set
    biff::putU16(rec + 18, biff::XfGeneral);
    body.append(rec, 20);

    for (size_t i = 0; i < cells.size();) {
        const Cell &c = cells[i];
        // Neighbouring integers or blanks share one MULRK or MULBLANK record.
        size_t runEnd = i + 1;
        if (c.kind == Kind::Rk || c.kind == Kind::Blank) {
            while (runEnd < cells.size() && cells[runEnd].kind == c.kind &&
                   cells[runEnd].column == cells[runEnd - 1].column + 1)
                ++runEnd;
        }
        if (runEnd - i >= 2) {
            const bool rk = c.kind == Kind::Rk;
            const int each = rk ? 6 : 2;
            const int size = 6 + each * int(runEnd - i);
            char *p = body.reserve(4 + size);
            biff::putU16(p, rk ? biff::MulRk : biff::MulBlank);
            biff::putU16(p + 2, quint16(size));
            biff::putU16(p + 4, row);
            biff::putU16(p + 6, c.column);
            p += 8;
            for (size_t k = i; k < runEnd; ++k, p += each) {
                biff::putU16(p, cells[k].xf);
                if (rk)
                    biff::putU32(p + 2, cells[k].word);
            }
            biff::putU16(p, cells[runEnd - 1].column);
            i = runEnd;
            continue;
        }
        ++i;
        int size = 0;
        quint16 id = 0;
        switch (c.kind) {
        case Kind::Blank:
            id = biff::Blank;
            size = 6;
            break;
        case Kind::Number:
            id = biff::Number;
            size = 14;
            biff::putF64(rec + 10, c.number);
            break;
        case Kind::Rk:
            id = biff::Rk;
            size = 10;
            biff::putU32(rec + 10, c.word);
            break;
        case Kind::Text:
            id = biff::LabelSst;
            size = 10;
            biff::putU32(rec + 10, c.word);
            strings->addReference();
            break;
        case Kind::Boolean:
        case Kind::ErrorValue:
            id = biff::BoolErr;
            size = 8;
            rec[10] = char(c.flag);
            rec[11] = c.kind == Kind::ErrorValue ? 1 : 0;
            break;
        }
        biff::putU16(rec, id);
        biff::putU16(rec + 2, quint16(size));
        biff::putU16(rec + 4, row);
        biff::putU16(rec + 6, c.column);
        biff::putU16(rec + 8, c.xf);
        body.append(rec, 4 + size);
    }
    cells.clear();
}

Sheet::Sheet(const QString &name, SharedStrings &strings) : d(std::make_unique<Data>())
{
    d->name = name;
    d->strings = &strings;
}

Sheet::~Sheet() = default;

QString Sheet::name() const
{
    return d->name;
}

int Sheet::rowCount() const
{
    return d->pending.empty() ? d->rowEnd : d->pendingRow + 1;
}

void Sheet::setNumber(int row, int column, double value, CellStyle style)
{
    d->check(row, column);
    Cell c{quint16(column), xfFor(Shape::General, style), Kind::Number, 0, 0, value};
    if (!std::isfinite(value)) {
        // Excel has no infinities or NaN; the cell shows #NUM! rather than a wrong number.
        c.kind = Kind::ErrorValue;
        c.flag = biff::ErrNum;
    } else if (value == std::trunc(value) && value >= -536870912.0 && value < 536870912.0 &&
               !(value == 0.0 && std::signbit(value))) {
        // Integers of 30 bits fit the shorter RK record.
        c.kind = Kind::Rk;
        c.word = (quint32(qint32(value)) << 2) | 2u;
    }
    d->put(row, c);
}

void Sheet::setText(int row, int column, const QString &text, CellStyle style)
{
    d->check(row, column);
    if (text.isEmpty()) {
        setBlank(row, column, style);
        return;
    }
    const quint32 index = d->strings->add(cutText(text));
    d->put(row, Cell{quint16(column), xfFor(Shape::General, style), Kind::Text, 0, index, 0.0});
}

void Sheet::setDateTime(int row, int column, const QDateTime &value, CellStyle style)
{
    d->check(row, column);
    if (!value.isValid()) {
        setBlank(row, column, style);
        return;
    }
    const QDate date = value.date();
    const QTime time = value.time();
    if (date < firstReliableDate()) {
        setText(row, column, value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), style);
        return;
    }
    const double serial =
        double(excelEpoch().daysTo(date)) + double(time.msecsSinceStartOfDay()) / 86400000.0;
    d->put(row, Cell{quint16(column), xfFor(Shape::DateTime, style), Kind::Number, 0, 0, serial});
}

void Sheet::setDate(int row, int column, QDate date, CellStyle style)
{
    d->check(row, column);
    if (!date.isValid()) {
        setBlank(row, column, style);
        return;
    }
    if (date < firstReliableDate()) {
        setText(row, column, date.toString(QStringLiteral("yyyy-MM-dd")), style);
        return;
    }
    const qint64 days = excelEpoch().daysTo(date);
    Cell c{quint16(column), xfFor(Shape::Date, style), Kind::Number, 0, 0, double(days)};
    if (days < 536870912) {
        c.kind = Kind::Rk;
        c.word = (quint32(days) << 2) | 2u;
    }
    d->put(row, c);
}

void Sheet::setBoolean(int row, int column, bool value, CellStyle style)
{
    d->check(row, column);
    d->put(row, Cell{quint16(column), xfFor(Shape::General, style), Kind::Boolean,
                     quint8(value ? 1 : 0), 0, 0.0});
}

void Sheet::setBlank(int row, int column, CellStyle style)
{
    d->check(row, column);
    d->put(row, Cell{quint16(column), xfFor(Shape::General, style), Kind::Blank, 0, 0, 0.0});
}

void Sheet::setValue(int row, int column, const QVariant &value, CellStyle style)
{
    if (!value.isValid() || value.isNull()) {
        setBlank(row, column, style);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        setBoolean(row, column, value.toBool(), style);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        setNumber(row, column, value.toDouble(), style);
        return;
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong v = value.toLongLong();
        // Beyond 2^53 a double drops digits; the text keeps every one of them.
        if (double(v) > -MaxExactInteger && double(v) < MaxExactInteger)
            setNumber(row, column, double(v), style);
        else
            setText(row, column, QString::number(v), style);
        return;
    }
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong v = value.toULongLong();
        if (double(v) < MaxExactInteger)
            setNumber(row, column, double(v), style);
        else
            setText(row, column, QString::number(v), style);
        return;
    }
    case QMetaType::Double:
    case QMetaType::Float:
        setNumber(row, column, value.toDouble(), style);
        return;
    case QMetaType::QDateTime:
        setDateTime(row, column, value.toDateTime(), style);
        return;
    case QMetaType::QDate:
        setDate(row, column, value.toDate(), style);
        return;
    case QMetaType::QTime: {
        const QTime t = value.toTime();
        if (!t.isValid()) {
            setBlank(row, column, style);
            return;
        }
        d->check(row, column);
        d->put(row, Cell{quint16(column), xfFor(Shape::Time, style), Kind::Number, 0, 0,
                         double(t.msecsSinceStartOfDay()) / 86400000.0});
        return;
    }
    case QMetaType::QString:
        setText(row, column, value.toString(), style);
        return;
    default:
        setText(row, column, value.toString(), style);
        return;
    }
}

void Sheet::setColumnWidth(int column, ColumnWidth width)
{
    if (column < 0 || column >= MaxColumns)
        throw Error(QStringLiteral("Sheet \"%1\": column %2 is outside 0..%3")
                        .arg(d->name)
                        .arg(column)
                        .arg(MaxColumns - 1));
    // Excel stores widths in 1/256 of the default font's digit width, padding included; Arial 10
    // at 96 dpi draws that digit 7 pixels wide and pads a column by 5 pixels.
    const double pixels =
        width.unit == ColumnWidth::Unit::Pixels ? width.value : width.value * 7.0 + 5.0;
    const double units = std::clamp(std::round(pixels * 256.0 / 7.0), 0.0, 255.0 * 256.0);
    d->widths[column] = quint16(units);
}

void Sheet::setFrozenRows(int rows)
{
    d->frozenRows = std::clamp(rows, 0, MaxRows - 1);
}

void Sheet::flushRow()
{
    d->flush();
}

const biff::BlockBuffer &Sheet::cellRecords() const
{
    return d->body;
}

QByteArray Sheet::headRecords() const
{
    QByteArray out;
    QByteArray data;
    biff::appendU16(data, 0x0600); // BIFF8
    biff::appendU16(data, 0x0010); // worksheet
    biff::appendU16(data, 0x0DBB);
    biff::appendU16(data, 0x07CC);
    biff::appendU32(data, 0);
    biff::appendU32(data, 0x00000006);
    biff::appendRecord(out, biff::Bof, data);

    data.clear();
    biff::appendU16(data, 8);
    biff::appendRecord(out, biff::DefColWidth, data);

    for (const auto &[column, units] : d->widths) {
        data.clear();
        biff::appendU16(data, quint16(column));
        biff::appendU16(data, quint16(column));
        biff::appendU16(data, units);
        biff::appendU16(data, biff::XfGeneral);
        biff::appendU16(data, 0);
        biff::appendU16(data, 0);
        biff::appendRecord(out, biff::ColInfo, data);
    }

    data.clear();
    const bool empty = d->firstRow < 0;
    biff::appendU32(data, empty ? 0 : quint32(d->firstRow));
    biff::appendU32(data, empty ? 0 : quint32(d->rowEnd));
    biff::appendU16(data, empty ? 0 : quint16(d->firstColumn));
    biff::appendU16(data, empty ? 0 : quint16(d->columnEnd));
    biff::appendU16(data, 0);
    biff::appendRecord(out, biff::Dimensions, data);
    return out;
}

QByteArray Sheet::tailRecords(bool active) const
{
    QByteArray out;
    QByteArray data;
    // Grid lines, headers, zeros, automatic grid colour and outline symbols shown; the active
    // sheet is also the selected one.
    quint16 flags = 0x0002 | 0x0004 | 0x0010 | 0x0020 | 0x0080;
    if (active)
        flags |= 0x0200 | 0x0400;
    if (d->frozenRows > 0)
        flags |= 0x0008 | 0x0100; // frozen panes, not a movable split
    biff::appendU16(data, flags);
    biff::appendU16(data, 0);  // first visible row
    biff::appendU16(data, 0);  // first visible column
    biff::appendU16(data, 64); // grid colour: automatic
    biff::appendU16(data, 0);
    biff::appendU16(data, 0); // zoom in page break preview: default
    biff::appendU16(data, 0); // zoom in normal view: default
    biff::appendU32(data, 0);
    biff::appendRecord(out, biff::Window2, data);

    if (d->frozenRows > 0) {
        data.clear();
        biff::appendU16(data, 0);                      // no vertical split
        biff::appendU16(data, quint16(d->frozenRows)); // rows above the split
        biff::appendU16(data, quint16(d->frozenRows)); // first row shown below it
        biff::appendU16(data, 0);
        biff::appendU8(data, 2); // the lower pane is active
        biff::appendU8(data, 0);
        biff::appendRecord(out, biff::Pane, data);
    }

    biff::appendRecord(out, biff::Eof, QByteArray());
    return out;
}

} // namespace tarnwick::xls
