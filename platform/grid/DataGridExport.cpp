// Export of a DataGrid to an Excel 97-2003 workbook, as the operator sees the grid.
#include "DataGrid.h"

#include "GridHeader.h"
#include "GridIndex.h"
#include "GridTreeModel.h"
#include "TableWriter.h"
#include "Workbook.h"

#include <QAbstractItemModel>

namespace tarnwick {

void DataGrid::exportToXls(const QString &path, const QString &sheetName)
{
    ensureFresh();
    std::vector<int> sources;
    QStringList captions;
    QList<xls::ColumnWidth> widths;
    for (int v = 0; v < m_header->count(); ++v) {
        const int li = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(li))
            continue;
        sources.push_back(m_columns[size_t(li)].sourceColumn);
        captions << shownCaption(li);
        widths << xls::ColumnWidth::pixels(m_columns[size_t(li)].state.width);
    }

    xls::Workbook book;
    xls::TableWriter writer(book, sheetName, captions);
    writer.setColumnWidths(widths);
    QAbstractItemModel *model = m_model.data();
    QVariantList row;
    auto writeDataRow = [&](int sourceRow) {
        row.clear();
        for (int s : sources) {
            QVariant v;
            if (model && s >= 0)
                v = model->data(model->index(sourceRow, s), Qt::EditRole);
            // Binary fields (pictures) have no cell form.
            if (v.metaType().id() == QMetaType::QByteArray)
                v = QVariant();
            row << v;
        }
        writer.addRow(row);
    };
    const GridIndex &index = *m_index;
    const std::vector<int> &rows = index.rows();
    std::function<void(int)> writeGroup = [&](int g) {
        writer.addRow({m_tree->groupText(g)});
        const GridIndex::Group &grp = index.groups()[size_t(g)];
        if (!grp.expanded)
            return; // the rows of a collapsed group are not shown, so not written
        if (!grp.children.empty()) {
            for (int child : grp.children)
                writeGroup(child);
        } else {
            for (int p = grp.first; p < grp.first + grp.count; ++p)
                writeDataRow(rows[size_t(p)]);
        }
    };
    if (index.groupLevels() == 0) {
        for (int r : rows)
            writeDataRow(r);
    } else {
        for (int g : index.topGroups())
            writeGroup(g);
    }
    book.save(path);
}

} // namespace tarnwick
