#include "GridHeader.h"

#include "DataGrid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace tarnwick {

namespace {
constexpr int FilterButtonWidth = 14;
constexpr int EdgeMargin = 4;
} // namespace

GridHeader::GridHeader(DataGrid *grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid)
{
    setSectionsMovable(false);
    setSectionsClickable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSortIndicatorShown(false);
    setMouseTracking(true);
}

QRect GridHeader::filterButtonRect(int logicalIndex) const
{
    if (!m_grid->isFilteringEnabled() || logicalIndex < 0 || isSectionHidden(logicalIndex))
        return {};
    const int left = sectionViewportPosition(logicalIndex);
    const int width = sectionSize(logicalIndex);
    if (width < 2 * FilterButtonWidth)
        return {};
    return QRect(left + width - FilterButtonWidth - 2, 0, FilterButtonWidth, height());
}

void GridHeader::setDropMarker(int visualPosition)
{
    if (m_dropMarker == visualPosition)
        return;
    m_dropMarker = visualPosition;
    viewport()->update();
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader opt;
    initStyleOptionForIndex(&opt, logicalIndex);
    opt.rect = rect;
    // QHeaderView adds this in its own paintSection; without it the style lays the label and
    // the sort arrow out vertically.
    opt.state |= QStyle::State_Horizontal;
    opt.sortIndicator = QStyleOptionHeader::None;
    const int c = logicalIndex;
    if (c >= 0 && size_t(c) < m_grid->m_columns.size()) {
        const SortDirection s = m_grid->m_columns[size_t(c)].state.sort;
        if (s == SortDirection::Ascending)
            opt.sortIndicator = QStyleOptionHeader::SortUp;
        else if (s == SortDirection::Descending)
            opt.sortIndicator = QStyleOptionHeader::SortDown;
    }
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);

    const QRect button(filterButtonRect(logicalIndex).left(), rect.top(), FilterButtonWidth,
                       rect.height());
    const bool hasButton = !filterButtonRect(logicalIndex).isNull();
    QStyleOptionHeader label = opt;
    if (hasButton)
        label.rect.setRight(button.left() - 1);
    QStyleOptionHeader sub = label;
    sub.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &label, this);
    style()->drawControl(QStyle::CE_HeaderLabel, &sub, painter, this);
    if (opt.sortIndicator != QStyleOptionHeader::None) {
        QStyleOptionHeader arrow = label;
        arrow.rect = style()->subElementRect(QStyle::SE_HeaderArrow, &label, this);
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, painter, this);
    }
    if (hasButton) {
        const QString name = m_grid->m_columns[size_t(c)].state.name;
        const bool filtered = m_grid->isFiltered(name);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QPointF mid = QRectF(button).center();
        QPolygonF tri;
        tri << QPointF(mid.x() - 4, mid.y() - 2) << QPointF(mid.x() + 4, mid.y() - 2)
            << QPointF(mid.x(), mid.y() + 3);
        QColor colour = filtered ? palette().highlight().color() : palette().text().color();
        if (!filtered)
            colour.setAlpha(110);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawPolygon(tri);
        painter->restore();
    }
}

void GridHeader::paintEvent(QPaintEvent *event)
{
    QHeaderView::paintEvent(event);
    if (m_dropMarker < 0)
        return;
    int x = 0;
    int last = -1;
    for (int v = 0; v < count(); ++v) {
        const int li = logicalIndex(v);
        if (isSectionHidden(li))
            continue;
        if (v >= m_dropMarker) {
            x = sectionViewportPosition(li);
            last = -2;
            break;
        }
        last = li;
    }
    if (last >= 0)
        x = sectionViewportPosition(last) + sectionSize(last);
    QPainter p(viewport());
    p.fillRect(QRect(x - 1, 0, 3, height()), palette().highlight());
}

bool GridHeader::onSectionEdge(int x) const
{
    const int li = logicalIndexAt(x);
    if (li < 0) {
        // Past the last section: its right edge is still a handle.
        for (int v = count() - 1; v >= 0; --v) {
            const int l = logicalIndex(v);
            if (!isSectionHidden(l))
                return std::abs(sectionViewportPosition(l) + sectionSize(l) - x) <= EdgeMargin;
        }
        return false;
    }
    const int left = sectionViewportPosition(li);
    const int right = left + sectionSize(li);
    if (right - x <= EdgeMargin)
        return true;
    if (x - left <= EdgeMargin) {
        for (int v = visualIndex(li) - 1; v >= 0; --v) {
            if (!isSectionHidden(logicalIndex(v)))
                return true;
        }
    }
    return false;
}

void GridHeader::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (onSectionEdge(pos.x())) {
        m_resizing = true;
        QHeaderView::mousePressEvent(event);
        return;
    }
    const int li = logicalIndexAt(pos.x());
    if (li < 0)
        return;
    if (filterButtonRect(li).contains(pos)) {
        m_grid->openFilterPopup(m_grid->m_columns[size_t(li)].state.name);
        return;
    }
    m_drag.press(li, pos);
}

void GridHeader::mouseMoveEvent(QMouseEvent *event)
{
    if (m_resizing || !m_drag.isPressed()) {
        QHeaderView::mouseMoveEvent(event);
        return;
    }
    m_drag.move(*m_grid, DataGrid::DragSource::Header, event, [](int section) { return section; });
}

void GridHeader::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_resizing) {
        m_resizing = false;
        QHeaderView::mouseReleaseEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        m_drag.press(-1, {});
        return;
    }
    const ColumnDragTracker::Release released = m_drag.release(*m_grid, event);
    if (released.item >= 0 && !released.dragged)
        m_grid->headerClicked(released.item, event->modifiers());
}

void GridHeader::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (onSectionEdge(event->position().toPoint().x()))
        QHeaderView::mouseDoubleClickEvent(event);
}

} // namespace tarnwick
