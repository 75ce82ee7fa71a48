#include "GridTreeView.h"

#include "DataGrid.h"
#include "GridTreeModel.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace tarnwick {

namespace {

// Whole-row focus shows no cell focus frame, and the focused row is drawn as any other row
// while the grid does not have the input focus, so its content colour stays visible.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DataGrid *grid, QTreeView *view)
        : QStyledItemDelegate(view), m_grid(grid), m_view(view)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_view->hasFocus())
            option->state &= ~QStyle::State_Selected;
        if (m_grid->rowSelect())
            option->state &= ~QStyle::State_HasFocus;
    }

private:
    DataGrid *m_grid;
    QTreeView *m_view;
};

} // namespace

GridTreeView::GridTreeView(DataGrid *grid, GridTreeModel *model)
    : QTreeView(grid), m_grid(grid), m_model(model)
{
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setRootIsDecorated(false);
    setIndentation(18);
    setExpandsOnDoubleClick(true);
    setItemsExpandable(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setItemDelegate(new GridDelegate(grid, this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setModel(model);
}

void GridTreeView::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const
{
    ++m_paintedRows;
    if (m_model->isGroup(index)) {
        drawGroupRow(painter, option, index);
        return;
    }
    if (m_grid->m_styleCallback) {
        std::optional<QColor> colour;
        try {
            colour = m_grid->m_styleCallback(m_model->sourceRowOf(index));
        } catch (...) {
            // A colour that cannot be decided leaves the default look.
            colour.reset();
        }
        if (colour && colour->isValid())
            painter->fillRect(option.rect, *colour);
    }
    QTreeView::drawRow(painter, option, index);
}

void GridTreeView::drawGroupRow(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const QRect row = option.rect;
    const bool current = index.row() == currentIndex().row() &&
                         index.parent() == currentIndex().parent() && currentIndex().isValid();
    const bool focused = current && hasFocus();
    painter->fillRect(row, focused ? palette().highlight() : palette().alternateBase());
    painter->setPen(palette().mid().color());
    painter->drawLine(row.bottomLeft(), row.bottomRight());

    int level = 0;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        ++level;
    const int treeColumn = treePosition() >= 0 ? treePosition() : header()->logicalIndex(0);
    const int x0 = header()->sectionViewportPosition(treeColumn);
    const int indent = indentation();
    QStyleOption branch;
    branch.initFrom(this);
    branch.rect = QRect(x0 + level * indent, row.top(), indent, row.height());
    branch.state = QStyle::State_Item | QStyle::State_Children;
    if (isExpanded(index))
        branch.state |= QStyle::State_Open;
    style()->drawPrimitive(QStyle::PE_IndicatorBranch, &branch, painter, this);

    QRect text(x0 + (level + 1) * indent + 2, row.top(), row.right() - x0, row.height());
    painter->setPen(focused ? palette().highlightedText().color() : palette().text().color());
    QFont f = font();
    f.setBold(true);
    painter->setFont(f);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                      m_model->data(index.siblingAtColumn(0)).toString());
}

void GridTreeView::paintEvent(QPaintEvent *event)
{
    m_paintedRows = 0;
    QTreeView::paintEvent(event);
    if (m_model->rowCount() == 0 && !m_grid->emptyText().isEmpty()) {
        QPainter p(viewport());
        p.setPen(palette().placeholderText().color());
        p.drawText(viewport()->rect().adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                   m_grid->emptyText());
    }
}

void GridTreeView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && m_model->isGroup(index) && event->button() == Qt::LeftButton) {
        // Anywhere on a group row, not only on its first column, opens or closes it.
        const QModelIndex group = index.siblingAtColumn(0);
        setExpanded(group, !isExpanded(group));
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
    if (index.isValid() && !m_model->isGroup(index) && event->button() == Qt::LeftButton)
        Q_EMIT m_grid->rowDoubleClicked(m_model->sourceRowOf(index));
}

void GridTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    m_grid->emitFocusIfChanged();
}

void GridTreeView::focusInEvent(QFocusEvent *event)
{
    QTreeView::focusInEvent(event);
    viewport()->update();
}

void GridTreeView::focusOutEvent(QFocusEvent *event)
{
    QTreeView::focusOutEvent(event);
    viewport()->update();
}

} // namespace tarnwick
