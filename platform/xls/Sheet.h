#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <memory>

namespace tarnwick::xls {

class SharedStrings;
namespace biff {
class BlockBuffer;
}

// A column width: in characters (the width of the digit "0" of the default font, Arial 10, as
// Excel counts them) or in screen pixels (converted at 7 pixels per character, Arial 10 at 96 dpi).
struct ColumnWidth
{
    enum class Unit
    {
        Characters,
        Pixels
    };
    Unit unit = Unit::Characters;
    double value = 8.43;

    static ColumnWidth characters(double count) { return {Unit::Characters, count}; }
    static ColumnWidth pixels(int count) { return {Unit::Pixels, double(count)}; }
};

enum class CellStyle
{
    Normal,
    Bold
};

// One worksheet of a Workbook, created by Workbook::addSheet and owned by the workbook.
//
// Rows are streamed: cells may be set in any order within a row, but once a cell of a later row
// has been set, the earlier rows are final and setting one of their cells throws Error. Setting a
// cell twice within the current row keeps the later value. Workbook::save() ends the current
// row too: cells added after a save go to later rows.
//
// Every setter throws Error for a row outside 0..MaxRows-1 or a column outside 0..MaxColumns-1.
// Date-times are written with the clock reading they hold (their date() and time(), whatever
// their time zone) as real date cells with the format "dd.mm.yyyy hh:mm:ss" (dates alone
// "dd.mm.yyyy"). Excel's day numbers are wrong before 1 March 1900, so earlier date-times are
// written as ISO text rather than as a date that would show a different day.
class Sheet
{
public:
    static constexpr int MaxRows = 65536;
    static constexpr int MaxColumns = 256;
    // The most characters an Excel cell holds; longer texts are cut to this length.
    static constexpr int MaxTextLength = 32767;

    ~Sheet();
    Sheet(const Sheet &) = delete;
    Sheet &operator=(const Sheet &) = delete;

    QString name() const;
    // One more than the highest row that holds a cell; 0 for an empty sheet.
    int rowCount() const;

    void setNumber(int row, int column, double value, CellStyle style = CellStyle::Normal);
    void setText(int row, int column, const QString &text, CellStyle style = CellStyle::Normal);
    // An invalid date-time or a null date gives a blank cell.
    void setDateTime(int row, int column, const QDateTime &value,
                     CellStyle style = CellStyle::Normal);
    void setDate(int row, int column, QDate date, CellStyle style = CellStyle::Normal);
    void setBoolean(int row, int column, bool value, CellStyle style = CellStyle::Normal);
    // An empty cell that still carries its style.
    void setBlank(int row, int column, CellStyle style = CellStyle::Normal);

    // By the value's type: integers and floating-point numbers as numbers, QDateTime and QDate
    // as date cells, bool as a boolean cell, a null or invalid value as a blank cell, QTime as a
    // time-of-day number with the format "hh:mm:ss", anything else as its text (toString()).
    void setValue(int row, int column, const QVariant &value, CellStyle style = CellStyle::Normal);

    // May be called at any time before the workbook is saved.
    void setColumnWidth(int column, ColumnWidth width);
    // Keeps the first rows in view while the rest scrolls (0: nothing frozen).
    void setFrozenRows(int rows);

private:
    friend class Workbook;
    Sheet(const QString &name, SharedStrings &strings);

    // For Workbook::save: ends the current row, then gives the sheet's records in three parts.
    void flushRow();
    QByteArray headRecords() const;
    const biff::BlockBuffer &cellRecords() const;
    QByteArray tailRecords(bool active) const;

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace tarnwick::xls
