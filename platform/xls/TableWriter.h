#pragma once

#include "Sheet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tarnwick::xls {

class Workbook;

// How TableWriter turns a column's values into cells. Auto follows each value's type as
// Sheet::setValue does. The others convert what they can and leave the rest to Auto, so no value
// is lost: Number reads numeric texts as numbers; Text writes every value as its text; DateTime
// shows dates with a time; Date shows date-times at midnight as dates (others keep their time);
// Boolean writes the integers 0 and 1 as FALSE and TRUE.
enum class ColumnType
{
    Auto,
    Number,
    Text,
    DateTime,
    Date,
    Boolean
};

// Writes a table of any length into a workbook: a bold header row of captions, then one row per
// addRow(). A sheet holds at most Sheet::MaxRows rows, so when one is full the table continues
// on a new sheet that starts with the header row again. The sheets are named sheetName,
// "sheetName (2)", "sheetName (3)", ... (the first name not yet taken in the workbook; the base
// name is shortened when a suffix would pass the 31-character limit).
class TableWriter
{
public:
    static constexpr int DataRowsPerSheet = Sheet::MaxRows - 1;

    // Adds the first sheet with its header row at once, so an empty table still has its
    // captions. types may be shorter than captions; the missing ones are Auto. Throws Error for
    // more than Sheet::MaxColumns captions or a sheet name that Workbook::addSheet refuses.
    TableWriter(Workbook &book, const QString &sheetName, const QStringList &captions,
                const QList<ColumnType> &types = {});

    // Column widths by column; applied to the current sheet and every sheet opened later.
    void setColumnWidths(const QList<ColumnWidth> &widths);

    // One data row; values[i] goes under captions[i]. Fewer values than captions leave the
    // remaining cells blank; more throw Error, as they would have no column.
    void addRow(const QVariantList &values);

    qint64 rowCount() const { return m_rows; } // data rows written, header rows not counted
    int sheetCount() const { return m_sheets; }
    Sheet &currentSheet() { return *m_sheet; }

private:
    void openSheet();
    void writeValue(int row, int column, const QVariant &value);

    Workbook &m_book;
    QString m_baseName;
    QStringList m_captions;
    QList<ColumnType> m_types;
    QList<ColumnWidth> m_widths;
    Sheet *m_sheet = nullptr;
    int m_sheetRow = 0; // next row on the current sheet
    int m_sheets = 0;
    qint64 m_rows = 0;
};

} // namespace tarnwick::xls
