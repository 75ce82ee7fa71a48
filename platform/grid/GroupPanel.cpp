#include "GroupPanel.h"

#include "DataGrid.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>

namespace tarnwick {

namespace {
constexpr int Margin = 8;
constexpr int Spacing = 10;
constexpr int BoxPadding = 28; // room for the caption's margins and the sort arrow
} // namespace

GroupPanel::GroupPanel(DataGrid *grid) : QWidget(grid), m_grid(grid)
{
    setObjectName(QStringLiteral("groupPanel"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Mid);
}

QSize GroupPanel::sizeHint() const
{
    return QSize(200, fontMetrics().height() + 2 * Margin + 10);
}

QRect GroupPanel::boxRect(int level) const
{
    const QStringList groups = m_grid->groupedColumns();
    if (level < 0 || level >= groups.size())
        return {};
    const int h = fontMetrics().height() + 10;
    int x = Margin;
    for (int l = 0; l <= level; ++l) {
        const int w =
            fontMetrics().horizontalAdvance(m_grid->columnCaption(groups[l])) + BoxPadding;
        if (l == level)
            return QRect(x, (height() - h) / 2, w, h);
        x += w + Spacing;
    }
    return {};
}

int GroupPanel::levelAt(const QPoint &pos) const
{
    const int n = int(m_grid->groupedColumns().size());
    for (int l = 0; l < n; ++l) {
        if (boxRect(l).contains(pos))
            return l;
    }
    return -1;
}

int GroupPanel::insertLevelAt(const QPoint &pos) const
{
    const int n = int(m_grid->groupedColumns().size());
    for (int l = 0; l < n; ++l) {
        if (pos.x() < boxRect(l).center().x())
            return l;
    }
    return n;
}

void GroupPanel::setDropMarker(int level)
{
    if (m_dropMarker == level)
        return;
    m_dropMarker = level;
    update();
}

void GroupPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QStringList groups = m_grid->groupedColumns();
    if (groups.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect().adjusted(Margin, 0, -Margin, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   m_grid->groupPanelPrompt());
    }
    for (int l = 0; l < groups.size(); ++l) {
        const int c = m_grid->findColumn(groups[l]);
        QStyleOptionHeader opt;
        opt.initFrom(this);
        opt.rect = boxRect(l);
        opt.orientation = Qt::Horizontal;
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.state |= QStyle::State_Raised;
        style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(opt.rect.adjusted(6, 0, -18, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   m_grid->columnCaption(groups[l]));
        QStyleOptionHeader arrow = opt;
        arrow.rect = QRect(opt.rect.right() - 16, opt.rect.top(), 12, opt.rect.height());
        arrow.sortIndicator = m_grid->m_columns[size_t(c)].state.sort == SortDirection::Descending
                                  ? QStyleOptionHeader::SortDown
                                  : QStyleOptionHeader::SortUp;
        style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, &p, this);
        if (l + 1 < groups.size()) {
            // A small connector shows the nesting of the levels.
            const QRect r = opt.rect;
            p.setPen(palette().color(QPalette::Dark));
            p.drawLine(r.right(), r.bottom() - 3, r.right() + Spacing, r.bottom() - 3);
        }
    }
    if (m_dropMarker >= 0) {
        int x = Margin - Spacing / 2;
        if (m_dropMarker < groups.size())
            x = boxRect(m_dropMarker).left() - Spacing / 2;
        else if (!groups.isEmpty())
            x = boxRect(int(groups.size()) - 1).right() + Spacing / 2;
        p.fillRect(QRect(x - 1, Margin / 2, 3, height() - Margin), palette().highlight());
    }
}

void GroupPanel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_drag.press(levelAt(event->position().toPoint()), event->position().toPoint());
}

void GroupPanel::mouseMoveEvent(QMouseEvent *event)
{
    m_drag.move(*m_grid, DataGrid::DragSource::GroupPanel, event,
                [this](int level) { return m_grid->findColumn(m_grid->groupedColumns().value(level)); });
}

void GroupPanel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        m_drag.press(-1, {});
        return;
    }
    const ColumnDragTracker::Release released = m_drag.release(*m_grid, event);
    if (released.item < 0 || released.dragged)
        return;
    const QString name = m_grid->groupedColumns().value(released.item);
    const int c = m_grid->findColumn(name);
    if (c < 0)
        return;
    const bool desc = m_grid->m_columns[size_t(c)].state.sort == SortDirection::Descending;
    m_grid->m_columns[size_t(c)].state.sort =
        desc ? SortDirection::Ascending : SortDirection::Descending;
    m_grid->markDirty();
    update();
}

} // namespace tarnwick
