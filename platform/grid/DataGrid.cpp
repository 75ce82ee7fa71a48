#include "DataGrid.h"

#include "ColumnChooser.h"
#include "FilterPopup.h"
#include "GridHeader.h"
#include "GridIndex.h"
#include "GridRoles.h"
#include "GridTreeModel.h"
#include "GridTreeView.h"
#include "GroupPanel.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tarnwick {

namespace {
constexpr int DefaultColumnWidth = 75;

QRect globalRect(const QWidget *w)
{
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}
} // namespace

DataGrid::DataGrid(QWidget *parent) : QWidget(parent), m_index(std::make_unique<GridIndex>())
{
    m_tree = new GridTreeModel(*m_index, this);
    m_view = new GridTreeView(this, m_tree);
    m_view->setObjectName(QStringLiteral("gridView"));
    m_header = new GridHeader(this);
    m_header->setObjectName(QStringLiteral("gridHeader"));
    m_header->setDefaultSectionSize(DefaultColumnWidth);
    m_view->setHeader(m_header);
    m_groupPanel = new GroupPanel(this);
    m_groupPanel->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_groupPanel);
    layout->addWidget(m_view, 1);
    setFocusProxy(m_view);

    connect(m_view, &QTreeView::expanded, this,
            [this](const QModelIndex &i) { m_index->setExpanded(m_tree->groupOf(i), true); });
    connect(m_view, &QTreeView::collapsed, this,
            [this](const QModelIndex &i) { m_index->setExpanded(m_tree->groupOf(i), false); });
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        Q_EMIT contextMenuRequested(m_view->viewport()->mapToGlobal(pos));
    });
    connect(m_header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        if (size > 0 && logical >= 0 && size_t(logical) < m_columns.size())
            m_columns[size_t(logical)].state.width = size;
    });
    connect(m_header, &QHeaderView::sectionMoved, this, [this] { updateTreeColumn(); });
}

DataGrid::~DataGrid()
{
    // Everything that reads the index goes before it: the popup and the chooser (top-level
    // windows that may still be open) and the tree view.
    if (m_dragColumn >= 0)
        qApp->removeEventFilter(this);
    delete m_filterPopup;
    m_filterPopup = nullptr;
    delete m_chooser;
    m_chooser = nullptr;
    delete m_view;
    m_view = nullptr;
}

bool DataGrid::eventFilter(QObject *watched, QEvent *event)
{
    // Escape during a column drag drops nothing; the source widget's release then finds no drag.
    if (m_dragColumn >= 0 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        cancelColumnDrag();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString DataGrid::viewName() const
{
    return m_viewName.isEmpty() ? objectName() : m_viewName;
}

void DataGrid::setViewName(const QString &name)
{
    m_viewName = name;
}

// ---- model and columns ----

void DataGrid::setModel(QAbstractItemModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_index->setModel(model);
    m_tree->setSource(model);
    if (model) {
        auto trackFocus = [this] {
            // The tree still shows the index of before the change, so its current row is a
            // source row number of before the change too.
            if (!m_focusTracked) {
                m_pendingFocusRow = m_tree->sourceRowOf(m_view->currentIndex());
                m_focusTracked = true;
            }
        };
        connect(model, &QAbstractItemModel::modelReset, this, [this] {
            resolveSourceColumns();
            m_index->invalidate();
            m_resetFocusToFirst = true;
            m_focusTracked = false;
            markDirty();
        });
        connect(model, &QAbstractItemModel::layoutChanged, this, [this] {
            m_index->invalidate();
            m_focusTracked = false;
            markDirty();
        });
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, trackFocus);
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, trackFocus);
        connect(model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &parent, int first, int last) {
                    if (parent.isValid())
                        return;
                    if (m_focusTracked && m_pendingFocusRow >= first)
                        m_pendingFocusRow += last - first + 1;
                    m_index->invalidate();
                    markDirty();
                });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &parent, int first, int last) {
                    if (parent.isValid())
                        return;
                    if (m_focusTracked && m_pendingFocusRow > last)
                        m_pendingFocusRow -= last - first + 1;
                    else if (m_focusTracked && m_pendingFocusRow >= first)
                        m_pendingFocusRow = -1;
                    m_index->invalidate();
                    markDirty();
                });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &tl, const QModelIndex &br) {
                    bool keyed = false;
                    for (int s = tl.column(); s <= br.column(); ++s) {
                        m_index->invalidateColumn(s);
                        for (const Column &c : m_columns) {
                            if (c.sourceColumn == s)
                                keyed = keyed || c.state.sort != SortDirection::None ||
                                        c.state.groupIndex >= 0 || isFiltered(c.state.name);
                        }
                    }
                    if (keyed) {
                        if (!m_focusTracked) {
                            m_pendingFocusRow = m_tree->sourceRowOf(m_view->currentIndex());
                            m_focusTracked = true;
                        }
                        markDirty();
                    } else {
                        m_view->viewport()->update();
                    }
                });
        connect(model, &QAbstractItemModel::columnsInserted, this, [this] {
            resolveSourceColumns();
            m_index->invalidate();
            markDirty();
        });
        connect(model, &QAbstractItemModel::columnsRemoved, this, [this] {
            resolveSourceColumns();
            m_index->invalidate();
            markDirty();
        });
        connect(model, &QObject::destroyed, this, [this] { setModel(nullptr); });
    }
    if (!m_columnsDeclared && model) {
        std::vector<Column> cols;
        for (int s = 0; s < model->columnCount(); ++s) {
            QVariant f = model->headerData(s, Qt::Horizontal, FieldNameRole);
            if (!f.isValid())
                f = model->headerData(s, Qt::Horizontal, Qt::DisplayRole);
            Column c;
            c.state.name = f.toString();
            c.state.fieldName = f.toString();
            cols.push_back(c);
        }
        m_columns = std::move(cols);
        applyColumnsToView();
    }
    resolveSourceColumns();
    m_resetFocusToFirst = true;
    m_focusTracked = false;
    markDirty();
    ensureFresh();
}

QAbstractItemModel *DataGrid::model() const
{
    return m_model.data();
}

void DataGrid::setColumns(const QList<GridColumn> &columns)
{
    m_columns.clear();
    for (const GridColumn &g : columns) {
        Column c;
        c.state = g;
        m_columns.push_back(c);
    }
    m_columnsDeclared = true;
    adoptColumnGrouping();
    m_filters.clear();
    resolveSourceColumns();
    applyColumnsToView();
    markDirty();
}

void DataGrid::adoptColumnGrouping()
{
    std::vector<std::pair<int, int>> grouped;
    for (int i = 0; i < int(m_columns.size()); ++i) {
        GridColumn &s = m_columns[size_t(i)].state;
        if (s.groupIndex >= 0) {
            grouped.push_back({s.groupIndex, i});
            if (s.visible) {
                // A grouped column is never in the header; what it showed is the state to
                // return to when it is ungrouped.
                s.visibleBeforeGrouping = true;
                s.visible = false;
            }
            if (s.sort == SortDirection::None)
                s.sort = SortDirection::Ascending;
        }
    }
    std::sort(grouped.begin(), grouped.end());
    m_groups.clear();
    for (const auto &g : grouped)
        m_groups.push_back(g.second);
    for (int l = 0; l < int(m_groups.size()); ++l)
        m_columns[size_t(m_groups[size_t(l)])].state.groupIndex = l;
    renumberSorts();
}

void DataGrid::resolveSourceColumns()
{
    m_fieldColumns.clear();
    if (m_model) {
        for (int s = 0; s < m_model->columnCount(); ++s) {
            QVariant f = m_model->headerData(s, Qt::Horizontal, FieldNameRole);
            if (!f.isValid())
                f = m_model->headerData(s, Qt::Horizontal, Qt::DisplayRole);
            m_fieldColumns.insert(f.toString().toLower(), s);
        }
    }
    m_columnByName.clear();
    for (int i = 0; i < int(m_columns.size()); ++i) {
        Column &c = m_columns[size_t(i)];
        c.sourceColumn = m_fieldColumns.value(c.state.fieldName.toLower(), -1);
        m_columnByName.insert(c.state.name, i);
    }
    // Same columns, new sources: no header reset, so positions and widths stay.
    if (m_tree->columnInfo().size() == m_columns.size()) {
        for (int i = 0; i < int(m_columns.size()); ++i)
            m_tree->setSourceColumn(i, m_columns[size_t(i)].sourceColumn);
    }
}

void DataGrid::applyColumnsToView()
{
    std::vector<GridTreeModel::ColumnInfo> info;
    for (int i = 0; i < int(m_columns.size()); ++i)
        info.push_back({m_columns[size_t(i)].sourceColumn, shownCaption(i),
                        m_columns[size_t(i)].state.alignment});
    m_tree->beginRebuild();
    m_index->rebuild({}, {}, {});
    m_tree->endRebuild();
    m_tree->setColumns(info);
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const int from = m_header->visualIndex(i);
        if (from != i && from >= 0)
            m_header->moveSection(from, i);
        GridColumn &s = m_columns[size_t(i)].state;
        if (s.width <= 0)
            s.width = DefaultColumnWidth;
        m_header->resizeSection(i, s.width);
    }
    syncHeaderVisibility();
    m_dirty = true;
}

void DataGrid::syncHeaderVisibility()
{
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const bool hidden = !m_columns[size_t(i)].state.visible;
        if (m_header->isSectionHidden(i) != hidden)
            m_header->setSectionHidden(i, hidden);
        if (!hidden && m_header->sectionSize(i) != m_columns[size_t(i)].state.width)
            m_header->resizeSection(i, m_columns[size_t(i)].state.width);
    }
    updateTreeColumn();
    if (m_chooser)
        m_chooser->refresh();
}

void DataGrid::updateTreeColumn()
{
    for (int v = 0; v < m_header->count(); ++v) {
        const int li = m_header->logicalIndex(v);
        if (!m_header->isSectionHidden(li)) {
            if (m_view->treePosition() != li)
                m_view->setTreePosition(li);
            return;
        }
    }
}

QString DataGrid::shownCaption(int column) const
{
    const GridColumn &s = m_columns[size_t(column)].state;
    if (!s.caption.isEmpty())
        return s.caption;
    return s.fieldName.isEmpty() ? s.name : s.fieldName;
}

int DataGrid::findColumn(const QString &name) const
{
    const auto it = m_columnByName.constFind(name);
    if (it != m_columnByName.constEnd())
        return it.value();
    for (int i = 0; i < int(m_columns.size()); ++i) {
        if (m_columns[size_t(i)].state.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int DataGrid::columnIndex(const QString &name) const
{
    return findColumn(name);
}

QList<GridColumn> DataGrid::columns() const
{
    QList<GridColumn> out;
    for (const Column &c : m_columns)
        out << c.state;
    return out;
}

void DataGrid::setColumnCaption(const QString &name, const QString &caption)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    m_columns[size_t(c)].state.caption = caption;
    m_tree->setCaption(c, shownCaption(c));
    m_groupPanel->update();
    if (m_chooser)
        m_chooser->refresh();
}

QString DataGrid::columnCaption(const QString &name) const
{
    const int c = findColumn(name);
    return c < 0 ? QString() : shownCaption(c);
}

void DataGrid::setVisibleInternal(int column, bool visible)
{
    GridColumn &s = m_columns[size_t(column)].state;
    if (s.visible == visible)
        return;
    s.visible = visible;
    syncHeaderVisibility();
}

void DataGrid::setColumnVisible(const QString &name, bool visible)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    if (m_columns[size_t(c)].state.groupIndex >= 0) {
        m_columns[size_t(c)].state.visibleBeforeGrouping = visible;
        return;
    }
    setVisibleInternal(c, visible);
    Q_EMIT layoutChanged();
}

bool DataGrid::isColumnVisible(const QString &name) const
{
    const int c = findColumn(name);
    return c >= 0 && m_columns[size_t(c)].state.visible;
}

void DataGrid::setColumnWidth(const QString &name, int width)
{
    const int c = findColumn(name);
    if (c < 0 || width <= 0)
        return;
    m_columns[size_t(c)].state.width = width;
    if (!m_header->isSectionHidden(c))
        m_header->resizeSection(c, width);
}

int DataGrid::columnWidth(const QString &name) const
{
    const int c = findColumn(name);
    return c < 0 ? 0 : m_columns[size_t(c)].state.width;
}

void DataGrid::moveColumn(const QString &name, int position)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    position = std::clamp(position, 0, m_header->count() - 1);
    const int from = m_header->visualIndex(c);
    if (from != position)
        m_header->moveSection(from, position);
    updateTreeColumn();
    Q_EMIT layoutChanged();
}

QStringList DataGrid::visibleColumns() const
{
    QStringList names;
    for (int v = 0; v < m_header->count(); ++v) {
        const int li = m_header->logicalIndex(v);
        if (!m_header->isSectionHidden(li))
            names << m_columns[size_t(li)].state.name;
    }
    return names;
}

int DataGrid::logicalAtVisual(int visual) const
{
    return m_header->logicalIndex(visual);
}

// ---- options ----

void DataGrid::setEditable(bool editable)
{
    m_editable = editable;
    m_tree->setEditable(editable);
    // The first click only focuses a cell; a click on the focused cell, a double click or
    // typing opens the editor.
    m_view->setEditTriggers(
        editable ? QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                       QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                 : QAbstractItemView::NoEditTriggers);
}

void DataGrid::setRowSelect(bool rowSelect)
{
    m_rowSelect = rowSelect;
    m_view->setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows
                                           : QAbstractItemView::SelectItems);
    m_view->setAllColumnsShowFocus(rowSelect);
}

void DataGrid::setSortingEnabled(bool enabled)
{
    m_sortingEnabled = enabled;
}

void DataGrid::setFilteringEnabled(bool enabled)
{
    m_filteringEnabled = enabled;
    m_header->viewport()->update();
}

void DataGrid::setGroupingEnabled(bool enabled)
{
    m_groupingEnabled = enabled;
}

void DataGrid::setColumnHidingEnabled(bool enabled)
{
    m_hidingEnabled = enabled;
}

// ---- sorting, grouping, filtering ----

void DataGrid::renumberSorts()
{
    std::vector<std::pair<int, int>> sorted;
    for (int i = 0; i < int(m_columns.size()); ++i) {
        GridColumn &s = m_columns[size_t(i)].state;
        if (s.sort == SortDirection::None || s.groupIndex >= 0) {
            if (s.sort == SortDirection::None)
                s.sortIndex = -1;
            if (s.groupIndex >= 0)
                s.sortIndex = -1;
            continue;
        }
        sorted.push_back({s.sortIndex < 0 ? 1 << 20 : s.sortIndex, i});
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (int k = 0; k < int(sorted.size()); ++k)
        m_columns[size_t(sorted[size_t(k)].second)].state.sortIndex = k;
}

void DataGrid::headerClicked(int column, Qt::KeyboardModifiers modifiers)
{
    if (!m_sortingEnabled || column < 0 || size_t(column) >= m_columns.size())
        return;
    GridColumn &s = m_columns[size_t(column)].state;
    if (modifiers & Qt::ControlModifier) {
        s.sort = SortDirection::None;
    } else {
        const SortDirection next = s.sort == SortDirection::Ascending ? SortDirection::Descending
                                                                      : SortDirection::Ascending;
        if (!(modifiers & Qt::ShiftModifier)) {
            for (Column &c : m_columns) {
                if (&c.state != &s && c.state.groupIndex < 0) {
                    c.state.sort = SortDirection::None;
                    c.state.sortIndex = -1;
                }
            }
        }
        s.sort = next;
    }
    renumberSorts();
    m_header->viewport()->update();
    markDirty();
    Q_EMIT layoutChanged();
}

void DataGrid::sortBy(const QString &name, SortDirection direction, bool add)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    if (!add) {
        for (Column &col : m_columns) {
            if (col.state.groupIndex < 0) {
                col.state.sort = SortDirection::None;
                col.state.sortIndex = -1;
            }
        }
    }
    GridColumn &s = m_columns[size_t(c)].state;
    if (s.sort == SortDirection::None || !add)
        s.sortIndex = -1; // goes after the sorted ones
    s.sort = direction;
    renumberSorts();
    m_header->viewport()->update();
    markDirty();
    Q_EMIT layoutChanged();
}

void DataGrid::clearSorting()
{
    for (Column &c : m_columns) {
        if (c.state.groupIndex < 0) {
            c.state.sort = SortDirection::None;
            c.state.sortIndex = -1;
        }
    }
    m_header->viewport()->update();
    markDirty();
    Q_EMIT layoutChanged();
}

QStringList DataGrid::sortedColumns() const
{
    std::vector<std::pair<int, QString>> sorted;
    for (const Column &c : m_columns) {
        if (c.state.sort != SortDirection::None && c.state.groupIndex < 0)
            sorted.push_back({c.state.sortIndex, c.state.name});
    }
    std::sort(sorted.begin(), sorted.end());
    QStringList names;
    for (const auto &s : sorted)
        names << s.second;
    return names;
}

void DataGrid::setGroupingInternal(std::vector<int> groups)
{
    for (int i = 0; i < int(m_columns.size()); ++i) {
        GridColumn &s = m_columns[size_t(i)].state;
        const auto at = std::find(groups.begin(), groups.end(), i);
        const int level = at == groups.end() ? -1 : int(at - groups.begin());
        if (level >= 0 && s.groupIndex < 0) {
            s.visibleBeforeGrouping = s.visible;
            s.visible = false;
            if (s.sort == SortDirection::None)
                s.sort = SortDirection::Ascending;
        } else if (level < 0 && s.groupIndex >= 0) {
            s.visible = s.visibleBeforeGrouping;
            s.sortIndex = -1; // joins the sort columns at the end
        }
        s.groupIndex = level;
    }
    m_groups = std::move(groups);
    renumberSorts();
    syncHeaderVisibility();
    m_groupPanel->update();
    markDirty();
    Q_EMIT layoutChanged();
}

void DataGrid::groupBy(const QString &name, int level)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    std::vector<int> groups = m_groups;
    const auto at = std::find(groups.begin(), groups.end(), c);
    if (at != groups.end()) {
        const int old = int(at - groups.begin());
        groups.erase(at);
        if (level > old)
            --level;
    }
    if (level < 0 || level > int(groups.size()))
        level = int(groups.size());
    groups.insert(groups.begin() + level, c);
    setGroupingInternal(std::move(groups));
}

void DataGrid::ungroup(const QString &name)
{
    const int c = findColumn(name);
    std::vector<int> groups = m_groups;
    const auto at = std::find(groups.begin(), groups.end(), c);
    if (at == groups.end())
        return;
    groups.erase(at);
    setGroupingInternal(std::move(groups));
}

void DataGrid::clearGrouping()
{
    setGroupingInternal({});
}

QStringList DataGrid::groupedColumns() const
{
    QStringList names;
    for (int c : m_groups)
        names << m_columns[size_t(c)].state.name;
    return names;
}

void DataGrid::setFilter(const QString &name, const QVariantList &values, bool exclude)
{
    const int c = findColumn(name);
    if (c < 0)
        return;
    auto it = std::find_if(m_filters.begin(), m_filters.end(),
                           [c](const Filter &f) { return f.column == c; });
    if (it == m_filters.end())
        it = m_filters.insert(m_filters.end(), Filter{c, {}, false});
    it->values = values;
    it->exclude = exclude;
    m_header->viewport()->update();
    markDirty();
}

void DataGrid::clearFilter(const QString &name)
{
    const int c = findColumn(name);
    const auto before = m_filters.size();
    m_filters.erase(std::remove_if(m_filters.begin(), m_filters.end(),
                                   [c](const Filter &f) { return f.column == c; }),
                    m_filters.end());
    if (before != m_filters.size()) {
        m_header->viewport()->update();
        markDirty();
    }
}

void DataGrid::clearFilters()
{
    if (m_filters.empty())
        return;
    m_filters.clear();
    m_header->viewport()->update();
    markDirty();
}

bool DataGrid::isFiltered(const QString &name) const
{
    const int c = findColumn(name);
    return std::any_of(m_filters.begin(), m_filters.end(),
                       [c](const Filter &f) { return f.column == c; });
}

QVariantList DataGrid::distinctValues(const QString &name)
{
    const int c = findColumn(name);
    QVariantList out;
    if (c < 0)
        return out;
    const ColumnValues &v = m_index->values(m_columns[size_t(c)].sourceColumn);
    for (int r = 0; r < v.distinctCount(); ++r)
        out << v.distinctValue(r);
    return out;
}

void DataGrid::openFilterPopup(const QString &name)
{
    const int c = findColumn(name);
    if (c < 0 || !m_filteringEnabled)
        return;
    ensureFresh();
    if (!m_filterPopup)
        m_filterPopup = new FilterPopup(this);
    const QPoint below = m_header->viewport()->mapToGlobal(
        QPoint(m_header->sectionViewportPosition(c), m_header->height()));
    m_filterPopup->openFor(c, below);
}

// ---- data ----

QVariant DataGrid::value(int sourceRow, const QString &columnName) const
{
    if (!m_model)
        return {};
    int source = -1;
    const int c = findColumn(columnName);
    if (c >= 0)
        source = m_columns[size_t(c)].sourceColumn;
    else
        source = m_fieldColumns.value(columnName.toLower(), -1);
    if (source < 0 || sourceRow < 0 || sourceRow >= m_model->rowCount())
        return {};
    return m_model->data(m_model->index(sourceRow, source), Qt::EditRole);
}

int DataGrid::displayedRowCount() const
{
    ensureFresh();
    return int(m_index->rows().size());
}

QList<int> DataGrid::displayedRows() const
{
    ensureFresh();
    return QList<int>(m_index->rows().begin(), m_index->rows().end());
}

void DataGrid::setContentStyleCallback(ContentStyleCallback callback)
{
    m_styleCallback = std::move(callback);
    m_view->viewport()->update();
}

void DataGrid::setEmptyText(const QString &text)
{
    m_emptyText = text;
    m_view->viewport()->update();
}

void DataGrid::setGroupPanelPrompt(const QString &text)
{
    m_groupPrompt = text;
    m_groupPanel->update();
}

void DataGrid::setColumnChooserTitle(const QString &text)
{
    m_chooserTitle = text;
    if (m_chooser)
        m_chooser->setWindowTitle(text);
}

void DataGrid::setFilterTexts(const QString &all, const QString &none, const QString &blank)
{
    m_filterAll = all;
    m_filterNone = none;
    m_filterBlank = blank;
}

void DataGrid::setGroupPanelVisible(bool visible)
{
    if (m_groupPanelVisible == visible)
        return;
    m_groupPanelVisible = visible;
    m_groupPanel->setVisible(visible);
    Q_EMIT groupPanelVisibleChanged(visible);
}

// ---- column chooser ----

bool DataGrid::showColumnChooser()
{
    if (!m_hasBeenShown)
        return false;
    if (!m_chooser) {
        m_chooser = new ColumnChooser(this);
        const QRect g = globalRect(this);
        m_chooser->move(g.right() - m_chooser->width() - 20, g.top() + 40);
    }
    m_chooser->refresh();
    m_chooser->show();
    m_chooser->raise();
    return true;
}

void DataGrid::hideColumnChooser()
{
    if (m_chooser)
        m_chooser->hide();
}

bool DataGrid::isColumnChooserVisible() const
{
    return m_chooser && m_chooser->isVisible();
}

void DataGrid::showEvent(QShowEvent *event)
{
    m_hasBeenShown = true;
    QWidget::showEvent(event);
}

// ---- index upkeep ----

void DataGrid::markDirty()
{
    m_dirty = true;
    if (m_filterPopup && m_filterPopup->isVisible() && !m_inFilterApply)
        m_filterPopup->hide();
    if (m_updateLevel > 0)
        return;
    scheduleRebuild();
}

void DataGrid::scheduleRebuild()
{
    if (m_rebuildQueued)
        return;
    m_rebuildQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_rebuildQueued = false;
            if (m_dirty && m_updateLevel == 0)
                rebuild();
        },
        Qt::QueuedConnection);
}

void DataGrid::ensureFresh() const
{
    if (m_dirty && m_updateLevel == 0)
        const_cast<DataGrid *>(this)->rebuild();
}

void DataGrid::rebuild()
{
    if (m_inRebuild)
        return;
    m_inRebuild = true;

    // What to focus afterwards: the same data row or group, or the first row after a reset.
    int focusRow = -1;
    QVariantList focusGroup;
    if (!m_resetFocusToFirst) {
        if (m_focusTracked) {
            focusRow = m_pendingFocusRow;
        } else if (m_index->isBuilt() && !m_index->isStale()) {
            const QModelIndex cur = m_view->currentIndex();
            focusRow = m_tree->sourceRowOf(cur);
            for (int g = m_tree->groupOf(cur); g >= 0; g = m_index->groups()[size_t(g)].parent)
                focusGroup.prepend(m_index->groupValue(g));
        }
    }

    std::vector<GridIndex::OrderKey> groupKeys, sortKeys;
    QStringList groupCaptions;
    for (int c : m_groups) {
        groupKeys.push_back({m_columns[size_t(c)].sourceColumn,
                             m_columns[size_t(c)].state.sort == SortDirection::Descending});
        groupCaptions << shownCaption(c);
    }
    std::vector<std::pair<int, int>> sorted;
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const GridColumn &s = m_columns[size_t(i)].state;
        if (s.sort != SortDirection::None && s.groupIndex < 0)
            sorted.push_back({s.sortIndex, i});
    }
    std::sort(sorted.begin(), sorted.end());
    for (const auto &s : sorted)
        sortKeys.push_back({m_columns[size_t(s.second)].sourceColumn,
                            m_columns[size_t(s.second)].state.sort == SortDirection::Descending});
    std::vector<GridIndex::ColumnFilter> filters;
    for (const Filter &f : m_filters)
        filters.push_back({m_columns[size_t(f.column)].sourceColumn, f.values, f.exclude});

    m_tree->setGroupCaptions(groupCaptions);
    m_tree->beginRebuild();
    m_index->rebuild(groupKeys, sortKeys, filters);
    m_tree->endRebuild();
    m_dirty = false;
    m_view->setRootIsDecorated(!m_groups.empty());
    // Expanding right after the reset only records the groups; the view lays them out once.
    for (int g = 0; g < int(m_index->groups().size()); ++g) {
        if (m_index->groups()[size_t(g)].expanded)
            m_view->expand(m_tree->indexOfGroup(g));
    }

    QModelIndex target;
    if (focusRow >= 0)
        target = m_tree->indexOfPosition(m_index->positionOfSourceRow(focusRow));
    if (target.isValid()) {
        // A row inside a collapsed group: focus the outermost collapsed group instead.
        QModelIndex p = target.parent();
        for (; p.isValid(); p = p.parent()) {
            if (!m_view->isExpanded(p))
                target = p;
        }
    } else if (!focusGroup.isEmpty()) {
        while (!focusGroup.isEmpty() && !target.isValid()) {
            target = m_tree->indexOfGroup(m_index->findGroup(focusGroup));
            focusGroup.removeLast();
        }
    }
    if (!target.isValid())
        target = m_tree->index(0, 0);
    m_resetFocusToFirst = false;
    m_focusTracked = false;
    m_pendingFocusRow = -1;
    if (target.isValid())
        m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
    m_inRebuild = false;
    m_groupPanel->update();
    m_header->viewport()->update();
    emitFocusIfChanged();
}

void DataGrid::emitFocusIfChanged()
{
    if (m_inRebuild || m_dirty)
        return;
    const int now = m_tree->sourceRowOf(m_view->currentIndex());
    if (now == m_lastFocused)
        return;
    m_lastFocused = now;
    Q_EMIT focusedRowChanged(now);
}

void DataGrid::beginUpdate()
{
    if (m_updateLevel++ == 0)
        setUpdatesEnabled(false);
}

void DataGrid::endUpdate()
{
    if (m_updateLevel == 0)
        return;
    if (--m_updateLevel > 0)
        return;
    if (m_dirty)
        rebuild();
    if (m_focusRequest >= 0) {
        const int row = m_focusRequest;
        m_focusRequest = -1;
        focusSourceRow(row);
    }
    setUpdatesEnabled(true);
}

bool DataGrid::focusSourceRow(int sourceRow)
{
    if (m_updateLevel > 0) {
        m_focusRequest = sourceRow;
        return m_model && sourceRow >= 0 && sourceRow < m_model->rowCount();
    }
    ensureFresh();
    const QModelIndex target = m_tree->indexOfPosition(m_index->positionOfSourceRow(sourceRow));
    if (!target.isValid())
        return false;
    for (QModelIndex p = target.parent(); p.isValid(); p = p.parent())
        m_view->expand(p);
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    m_view->scrollTo(target);
    emitFocusIfChanged();
    return true;
}

int DataGrid::focusedSourceRow() const
{
    ensureFresh();
    return m_tree->sourceRowOf(m_view->currentIndex());
}

void DataGrid::expandAll()
{
    ensureFresh();
    m_index->setAllExpanded(true);
    m_view->expandAll();
}

void DataGrid::collapseAll()
{
    ensureFresh();
    m_index->setAllExpanded(false);
    m_view->collapseAll();
}

bool DataGrid::setGroupExpanded(const QVariantList &path, bool expanded)
{
    ensureFresh();
    const int g = m_index->findGroup(path);
    if (g < 0)
        return false;
    m_view->setExpanded(m_tree->indexOfGroup(g), expanded);
    m_index->setExpanded(g, expanded);
    return true;
}

bool DataGrid::isGroupExpanded(const QVariantList &path) const
{
    ensureFresh();
    const int g = m_index->findGroup(path);
    return g >= 0 && m_index->groups()[size_t(g)].expanded;
}

QTreeView *DataGrid::view() const
{
    return m_view;
}
QWidget *DataGrid::headerWidget() const
{
    return m_header;
}
QWidget *DataGrid::groupPanel() const
{
    return m_groupPanel;
}
QWidget *DataGrid::columnChooser() const
{
    return m_chooser;
}
QWidget *DataGrid::filterPopup() const
{
    return m_filterPopup;
}

// ---- dragging columns ----

void DataGrid::startColumnDrag(DragSource source, int column, const QPoint &globalPos)
{
    if (column < 0 || size_t(column) >= m_columns.size())
        return;
    if (m_dragColumn < 0)
        qApp->installEventFilter(this);
    m_dragColumn = column;
    m_dragSource = source;
    if (!m_dragLabel) {
        m_dragLabel = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        m_dragLabel->setObjectName(QStringLiteral("columnDragImage"));
        m_dragLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_dragLabel->setAttribute(Qt::WA_ShowWithoutActivating);
        m_dragLabel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        m_dragLabel->setMargin(4);
        m_dragLabel->setAutoFillBackground(true);
    }
    m_dragLabel->setText(shownCaption(column));
    m_dragLabel->adjustSize();
    m_dragLabel->move(globalPos + QPoint(8, 8));
    m_dragLabel->show();
}

int DataGrid::headerDropPosition(const QPoint &globalPos) const
{
    const int x = m_header->viewport()->mapFromGlobal(globalPos).x();
    for (int v = 0; v < m_header->count(); ++v) {
        const int li = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(li))
            continue;
        if (x < m_header->sectionViewportPosition(li) + m_header->sectionSize(li) / 2)
            return v;
    }
    return m_header->count();
}

void DataGrid::moveColumnDrag(const QPoint &globalPos)
{
    if (m_dragColumn < 0)
        return;
    if (m_dragLabel)
        m_dragLabel->move(globalPos + QPoint(8, 8));
    const bool overPanel = m_groupingEnabled && m_groupPanel->isVisible() &&
                           globalRect(m_groupPanel).contains(globalPos);
    const bool overHeader =
        !overPanel && globalRect(m_header).adjusted(0, -8, 0, 8).contains(globalPos);
    m_groupPanel->setDropMarker(
        overPanel ? m_groupPanel->insertLevelAt(m_groupPanel->mapFromGlobal(globalPos)) : -1);
    m_header->setDropMarker(overHeader ? headerDropPosition(globalPos) : -1);
}

void DataGrid::cancelColumnDrag()
{
    if (m_dragColumn >= 0)
        qApp->removeEventFilter(this);
    m_dragColumn = -1;
    if (m_dragLabel)
        m_dragLabel->hide();
    m_groupPanel->setDropMarker(-1);
    m_header->setDropMarker(-1);
}

void DataGrid::finishColumnDrag(const QPoint &globalPos)
{
    const int c = m_dragColumn;
    const DragSource source = m_dragSource;
    cancelColumnDrag();
    if (c < 0)
        return;
    const QString name = m_columns[size_t(c)].state.name;
    auto moveTo = [&](int insertBefore) {
        const int from = m_header->visualIndex(c);
        int to = insertBefore > from ? insertBefore - 1 : insertBefore;
        to = std::clamp(to, 0, m_header->count() - 1);
        if (to != from)
            m_header->moveSection(from, to);
    };

    if (m_groupingEnabled && m_groupPanel->isVisible() &&
        globalRect(m_groupPanel).contains(globalPos)) {
        groupBy(name, m_groupPanel->insertLevelAt(m_groupPanel->mapFromGlobal(globalPos)));
    } else if (isColumnChooserVisible() && globalRect(m_chooser).contains(globalPos)) {
        if (source == DragSource::GroupPanel) {
            ungroup(name);
            setVisibleInternal(c, false);
        } else if (source == DragSource::Header) {
            setVisibleInternal(c, false);
        }
    } else if (globalRect(m_header).adjusted(0, -8, 0, 8).contains(globalPos)) {
        const int insertBefore = headerDropPosition(globalPos);
        if (source == DragSource::GroupPanel)
            ungroup(name);
        setVisibleInternal(c, true);
        moveTo(insertBefore);
        updateTreeColumn();
    } else if (source == DragSource::Header && m_hidingEnabled) {
        setVisibleInternal(c, false);
    } else if (source == DragSource::GroupPanel) {
        ungroup(name);
    }
    Q_EMIT layoutChanged();
}

} // namespace tarnwick
