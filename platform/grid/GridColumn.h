#pragma once

#include <QString>
#include <Qt>

namespace tarnwick {

enum class SortDirection
{
    None,
    Ascending,
    Descending
};

// One declared column of a grid view: a component name, the dataset field it shows and how it
// is shown at first. The same structure reports a column's current state (DataGrid::columns()).
struct GridColumn
{
    QString name;      // component name, e.g. "vwRepEmpID"; the key of its layout entries
    QString fieldName; // dataset field, matched without regard to case
    QString caption;   // empty: the header shows the field name
    bool visible = true;
    int width = 0;                // pixels; 0: the grid's default width
    Qt::Alignment alignment = {}; // horizontal; empty: numbers right, everything else left
    SortDirection sort = SortDirection::None;
    int sortIndex = -1;                // position among the sorted columns; -1 when not sorted
    int groupIndex = -1;               // grouping level; -1 when not grouped
    bool visibleBeforeGrouping = true; // restored when the column is ungrouped

    static GridColumn make(const QString &name, const QString &field, const QString &caption,
                           bool visible = true, int width = 0)
    {
        GridColumn c;
        c.name = name;
        c.fieldName = field;
        c.caption = caption;
        c.visible = visible;
        c.width = width;
        return c;
    }
};

} // namespace tarnwick
