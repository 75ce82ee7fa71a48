#pragma once

#include "DataGrid.h"

#include <QApplication>
#include <QMouseEvent>

namespace tarnwick {

// Dragging a column out of one of the grid's parts (header, grouping panel, chooser): nothing
// moves until the pointer has gone the system's drag distance from where the button went down;
// then the grid follows the pointer and decides at release where the column lands.
class ColumnDragTracker
{
public:
    // item: what was pressed, in the part's own numbering (-1: nothing to drag).
    void press(int item, const QPoint &pos)
    {
        m_item = item;
        m_pressPos = pos;
        m_dragging = false;
    }
    bool isPressed() const { return m_item >= 0; }

    // columnOf turns the pressed item into the grid's column when the drag starts.
    template <typename ColumnOf>
    void move(DataGrid &grid, DataGrid::DragSource source, const QMouseEvent *event, ColumnOf columnOf)
    {
        if (m_item < 0)
            return;
        const QPoint global = event->globalPosition().toPoint();
        if (!m_dragging &&
            (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_dragging = true;
            grid.startColumnDrag(source, columnOf(m_item), global);
        }
        if (m_dragging)
            grid.moveColumnDrag(global);
    }

    struct Release
    {
        int item = -1;
        bool dragged = false;
    };
    // Ends the press; a drag ends where the pointer is.
    Release release(DataGrid &grid, const QMouseEvent *event)
    {
        const Release r{m_item, m_dragging};
        m_item = -1;
        m_dragging = false;
        if (r.dragged)
            grid.finishColumnDrag(event->globalPosition().toPoint());
        return r;
    }

private:
    int m_item = -1;
    QPoint m_pressPos;
    bool m_dragging = false;
};

} // namespace tarnwick
