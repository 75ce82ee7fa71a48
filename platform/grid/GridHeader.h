#pragma once

#include "ColumnDragTracker.h"

#include <QHeaderView>

namespace tarnwick {

class DataGrid;

// The column header of a DataGrid: paints a sort arrow on every sorted column and a filter
// button where filtering is on, and tracks the mouse itself so that a header can be dragged
// to another position, onto the grouping panel, into the column chooser or away (hiding it).
// Presses on a section edge still resize through QHeaderView.
class GridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit GridHeader(DataGrid *grid);

    QRect filterButtonRect(int logicalIndex) const; // in viewport coordinates; empty if none
    void setDropMarker(int visualPosition);         // -1: none

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool onSectionEdge(int x) const;

    DataGrid *m_grid;
    bool m_resizing = false;
    ColumnDragTracker m_drag;
    int m_dropMarker = -1;
};

} // namespace tarnwick
