#pragma once

#include "ColumnDragTracker.h"

#include <QWidget>

namespace tarnwick {

class DataGrid;

// The grouping panel above a DataGrid's header: one box per grouping level, left to right,
// or the prompt while nothing is grouped. A header dropped here groups by its column; a box
// dragged back to the header or away ungroups; a click on a box reverses the group order.
class GroupPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GroupPanel(DataGrid *grid);

    QRect boxRect(int level) const;
    int levelAt(const QPoint &pos) const;       // -1 outside the boxes
    int insertLevelAt(const QPoint &pos) const; // the level a drop at pos creates
    void setDropMarker(int level);              // -1: none
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    DataGrid *m_grid;
    ColumnDragTracker m_drag;
    int m_dropMarker = -1;
};

} // namespace tarnwick
