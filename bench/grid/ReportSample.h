#pragma once

#include "GridColumn.h"
#include "MemDataset.h"

#include <QColor>
#include <memory>
#include <optional>

class QString;

namespace tarnwick {

class DataGrid;

// A report-like table for the grid's benchmark and demo: the 19 fields of the report view,
// filled with made-up but plausible registrations (one per 30 seconds, newest first, about 400
// surnames, 60 doors, some controller events and unknown cards).
std::unique_ptr<MemDataset> makeReportSample(int rows);

// The report view's columns as designed: 8 shown, 11 hidden.
QList<GridColumn> reportColumns();

// A colour rule of the report's kind: reads four hidden columns by name for every painted row.
std::optional<QColor> reportRowColour(const DataGrid &grid, int sourceRow);

} // namespace tarnwick
