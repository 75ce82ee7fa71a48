#pragma once

#include <QTreeView>

namespace tarnwick {

class DataGrid;
class GridTreeModel;

// The tree view inside a DataGrid. Group rows are painted here across the whole row (caption,
// value and row count after the expand indicator); data rows get the content-style colour as
// their background; the empty-grid text is painted over an empty viewport.
class GridTreeView : public QTreeView
{
    Q_OBJECT
public:
    GridTreeView(DataGrid *grid, GridTreeModel *model);

    int paintedRows() const { return m_paintedRows; } // rows painted by the last paint event

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void drawBranches(QPainter *painter, const QRect &rect,
                      const QModelIndex &index) const override;
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void drawGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                      const QModelIndex &index) const;

    DataGrid *m_grid;
    GridTreeModel *m_model;
    mutable int m_paintedRows = 0;
};

} // namespace tarnwick
