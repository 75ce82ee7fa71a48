#include "TableWriter.h"

#include "Error.h"
#include "Workbook.h"

namespace tarnwick::xls {

TableWriter::TableWriter(Workbook &book, const QString &sheetName, const QStringList &captions,
                         const QList<ColumnType> &types)
    : m_book(book), m_baseName(sheetName), m_captions(captions), m_types(types)
{
    if (captions.size() > Sheet::MaxColumns)
        throw Error(QStringLiteral("A sheet holds at most %1 columns; the table has %2")
                        .arg(Sheet::MaxColumns)
                        .arg(captions.size()));
    while (m_types.size() < m_captions.size())
        m_types.append(ColumnType::Auto);
    openSheet();
}

void TableWriter::setColumnWidths(const QList<ColumnWidth> &widths)
{
    m_widths = widths.mid(0, Sheet::MaxColumns);
    for (int c = 0; c < m_widths.size(); ++c)
        m_sheet->setColumnWidth(c, m_widths.at(c));
}

void TableWriter::openSheet()
{
    QString name = m_baseName;
    for (int n = 2; m_book.hasSheet(name); ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        QString base = m_baseName.left(31 - suffix.size());
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
        name = base + suffix;
    }
    m_sheet = &m_book.addSheet(name);
    ++m_sheets;
    for (int c = 0; c < m_captions.size(); ++c)
        m_sheet->setText(0, c, m_captions.at(c), CellStyle::Bold);
    for (int c = 0; c < m_widths.size(); ++c)
        m_sheet->setColumnWidth(c, m_widths.at(c));
    m_sheet->setFrozenRows(1);
    m_sheetRow = 1;
}

void TableWriter::addRow(const QVariantList &values)
{
    if (values.size() > m_captions.size())
        throw Error(QStringLiteral("A row has %1 values but the table has %2 columns")
                        .arg(values.size())
                        .arg(m_captions.size()));
    if (m_sheetRow == Sheet::MaxRows)
        openSheet();
    for (int c = 0; c < m_captions.size(); ++c) {
        if (c < values.size())
            writeValue(m_sheetRow, c, values.at(c));
        else
            m_sheet->setBlank(m_sheetRow, c);
    }
    ++m_sheetRow;
    ++m_rows;
}

void TableWriter::writeValue(int row, int column, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        m_sheet->setBlank(row, column);
        return;
    }
    const int type = value.typeId();
    switch (m_types.at(column)) {
    case ColumnType::Auto:
        break;
    case ColumnType::Number: {
        if (type == QMetaType::QDateTime || type == QMetaType::QDate || type == QMetaType::QTime ||
            type == QMetaType::Bool)
            break;
        bool ok = false;
        const double v = value.toDouble(&ok);
        if (ok && type == QMetaType::QString) {
            m_sheet->setNumber(row, column, v);
            return;
        }
        break; // numbers themselves, and texts that are no number, as Auto
    }
    case ColumnType::Text:
        m_sheet->setText(row, column, value.toString());
        return;
    case ColumnType::DateTime:
        if (type == QMetaType::QDate) {
            m_sheet->setDateTime(row, column, QDateTime(value.toDate(), QTime(0, 0)));
            return;
        }
        break;
    case ColumnType::Date:
        if (type == QMetaType::QDateTime) {
            const QDateTime dt = value.toDateTime();
            // The date format would hide a time of day; such a value keeps its full format.
            if (dt.isValid() && dt.time() == QTime(0, 0)) {
                m_sheet->setDate(row, column, dt.date());
                return;
            }
        }
        break;
    case ColumnType::Boolean:
        if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
            type == QMetaType::ULongLong) {
            const qlonglong v = value.toLongLong();
            if (v == 0 || v == 1) {
                m_sheet->setBoolean(row, column, v == 1);
                return;
            }
        }
        break;
    }
    m_sheet->setValue(row, column, value);
}

} // namespace tarnwick::xls
