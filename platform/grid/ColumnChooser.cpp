#include "ColumnChooser.h"

#include "ColumnDragTracker.h"

#include "DataGrid.h"

#include <QApplication>
#include <QCollator>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace tarnwick {

// The list tracks the mouse itself, like the header, so a drag out of it is a plain
// press-move-release that tests can drive and the grid can drop anywhere.
class ColumnChooser::List : public QListWidget
{
public:
    List(DataGrid *grid, QWidget *parent) : QListWidget(parent), m_grid(grid)
    {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setDragEnabled(false);
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QListWidget::mousePressEvent(event);
        QListWidgetItem *item = itemAt(event->position().toPoint());
        m_drag.press((event->button() == Qt::LeftButton && item)
                         ? m_grid->findColumn(item->data(Qt::UserRole).toString())
                         : -1,
                     event->position().toPoint());
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        m_drag.move(*m_grid, DataGrid::DragSource::Chooser, event, [](int column) { return column; });
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (!m_drag.release(*m_grid, event).dragged)
            QListWidget::mouseReleaseEvent(event);
    }

private:
    DataGrid *m_grid;
    ColumnDragTracker m_drag;
};

ColumnChooser::ColumnChooser(DataGrid *grid)
    : QWidget(grid, Qt::Tool), m_grid(grid), m_list(new List(grid, this))
{
    setObjectName(QStringLiteral("columnChooser"));
    m_list->setObjectName(QStringLiteral("columnChooserList"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_list);
    resize(200, 260);
}

void ColumnChooser::refresh()
{
    setWindowTitle(m_grid->m_chooserTitle);
    struct Entry
    {
        QString caption;
        QString name;
    };
    std::vector<Entry> entries;
    for (const GridColumn &c : m_grid->columns()) {
        if (!c.visible && c.groupIndex < 0)
            entries.push_back({m_grid->columnCaption(c.name), c.name});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry &a, const Entry &b) {
        return collator.compare(a.caption, b.caption) < 0;
    });
    m_list->clear();
    for (const Entry &e : entries) {
        auto *item = new QListWidgetItem(e.caption, m_list);
        item->setData(Qt::UserRole, e.name);
    }
}

QStringList ColumnChooser::listedColumns() const
{
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i)
        names << m_list->item(i)->data(Qt::UserRole).toString();
    return names;
}

} // namespace tarnwick
