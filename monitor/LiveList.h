#pragma once

#include "Dataset.h"
#include "GridColumn.h"

#include <QList>

namespace tarnwick {

class DataGrid;
class Styles;

// The live registration list: the fields of its in-memory table adsRegs, in their order.
QList<FieldDef> liveListFields();

// Its view vwRegs in the grid gridRegs: the columns as designed and the view's options
// (read-only, whole rows, no sorting, header filters, hiding by dragging, no grouping), and the
// row colour of each registration's class.
QList<GridColumn> liveListColumns();
void setUpLiveListGrid(DataGrid &grid, const Styles &styles);

} // namespace tarnwick
