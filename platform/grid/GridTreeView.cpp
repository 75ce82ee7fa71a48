#include "GridTreeView.h"

#include "DataGrid.h"
#include "GridTreeModel.h"

#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace tarnwick {

namespace {

// Paints a data cell directly: a grid of 100,000 rows repaints a screenful on every scroll
// step, and the style's general item painting (text layout with wrapping, icons, per-role
// queries) costs several times more than this. Whole-row focus shows no cell focus frame, and
// the focused row is drawn as any other row while the grid does not have the input focus, so
// its content colour stays visible. Editors still come from QStyledItemDelegate.
class GridDelegate : public QStyledItemDelegate
{
public:
    GridDelegate(DataGrid *grid, QTreeView *view, GridTreeModel *model)
        : QStyledItemDelegate(view), m_grid(grid), m_view(view), m_model(model)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool selected = (option.state & QStyle::State_Selected) && m_view->hasFocus();
        const QPalette &pal = option.palette;
        if (selected)
            painter->fillRect(option.rect, pal.brush(QPalette::Active, QPalette::Highlight));
        QRect r = option.rect.adjusted(Margin, 0, -Margin, 0);
        const GridTreeModel::Cell cell = m_model->cell(index);
        if (cell.check >= 0) {
            QStyleOptionViewItem box = option;
            box.rect = QRect(r.left(), r.top() + (r.height() - 13) / 2, 13, 13);
            box.state = QStyle::State_Enabled |
                        (cell.check == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
            m_view->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter,
                                           m_view);
            r.setLeft(r.left() + 17);
        }
        if (!cell.text.isEmpty() && r.width() > 0) {
            painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->setFont(option.font);
            const QStaticText *st = &laidOut(cell.text, option.font);
            if (st->size().width() > r.width())
                st = &elided(cell.text, r.width(), option);
            const QSizeF size = st->size();
            qreal x = r.left();
            if (cell.alignment & Qt::AlignRight)
                x = r.right() + 1 - size.width();
            else if (cell.alignment & Qt::AlignHCenter)
                x = r.left() + (r.width() - size.width()) / 2;
            painter->drawStaticText(QPointF(x, r.top() + (r.height() - size.height()) / 2), *st);
        }
        if ((option.state & QStyle::State_HasFocus) && !m_grid->rowSelect() && m_view->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = pal.color(selected ? QPalette::Highlight : QPalette::Base);
            m_view->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_view);
        }
    }

private:
    // Texts laid out once: a screen of a report shows the same names, doors and activities over
    // and over, and shaping a text costs more than drawing its glyphs. Bounded; a change of
    // font starts again.
    const QStaticText &laidOut(const QString &text, const QFont &font) const
    {
        if (font != m_font) {
            m_cache.clear();
            m_elidedCache.clear();
            m_font = font;
        }
        auto it = m_cache.find(text);
        if (it == m_cache.end()) {
            if (m_cache.size() >= CacheSize)
                m_cache.clear();
            QStaticText st(text);
            st.setTextFormat(Qt::PlainText);
            st.prepare(QTransform(), font);
            it = m_cache.insert(text, st);
        }
        return it.value();
    }

    // A text cut to a width, as a narrow column shows it on every repaint.
    const QStaticText &elided(const QString &text, int width,
                              const QStyleOptionViewItem &option) const
    {
        if (m_elidedCache.size() >= CacheSize)
            m_elidedCache.clear();
        const QString key = QString::number(width) + QChar(0) + text;
        auto it = m_elidedCache.find(key);
        if (it == m_elidedCache.end())
            it = m_elidedCache.insert(key,
                                      option.fontMetrics.elidedText(text, Qt::ElideRight, width));
        return laidOut(it.value(), option.font);
    }

    static constexpr int Margin = 3;
    static constexpr qsizetype CacheSize = 4096;
    mutable QHash<QString, QString> m_elidedCache;
    mutable QHash<QString, QStaticText> m_cache;
    mutable QFont m_font;
    DataGrid *m_grid;
    QTreeView *m_view;
    GridTreeModel *m_model;
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
    setItemDelegate(new GridDelegate(grid, this, model));
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
    painter->save();
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
    painter->restore();
}

// Data rows have no tree lines and group rows paint their own indicator, so the indentation of
// a data row only shows the selection.
void GridTreeView::drawBranches(QPainter *painter, const QRect &rect,
                                const QModelIndex &index) const
{
    if (hasFocus() && selectionModel()->isSelected(index))
        painter->fillRect(rect, palette().brush(QPalette::Active, QPalette::Highlight));
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
