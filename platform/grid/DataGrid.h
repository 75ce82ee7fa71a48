#pragma once

#include "GridColumn.h"

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractItemModel;
class QLabel;
class QModelIndex;
class QTreeView;

namespace tarnwick {

class ColumnChooser;
class FilterPopup;
class GridHeader;
class GridIndex;
class GridTreeModel;
class GridTreeView;
class GroupPanel;
class RegistryStore;

// The program's data grid: a table view of declared columns over any table model (one column
// per dataset field, one row per record), with header sorting, header filter popups, a grouping
// panel, a column chooser, layouts in the settings store and export to .xls. One widget is both
// the grid and its single view; the view's name (viewName(), by default the objectName) keeps
// its layout entries apart from other views' under a shared store key.
//
// Rows are addressed by source row: the row number in the model, whatever the sorting,
// filtering or grouping.
class DataGrid : public QWidget
{
    Q_OBJECT
public:
    using ContentStyleCallback = std::function<std::optional<QColor>(int sourceRow)>;
    enum class DragSource
    {
        Header,
        GroupPanel,
        Chooser
    };

    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    QString viewName() const;
    void setViewName(const QString &name);

    // The model is not owned. Columns declared before or after; without declared columns the
    // grid shows one column per field.
    void setModel(QAbstractItemModel *model);
    QAbstractItemModel *model() const;

    void setColumns(const QList<GridColumn> &columns);
    // Every declared column in its current state (visibility, width, sorting, grouping).
    QList<GridColumn> columns() const;
    int columnIndex(const QString &name) const; // -1 when the view has no such column
    void setColumnCaption(const QString &name, const QString &caption);
    QString columnCaption(const QString &name) const; // the caption shown (field name if none)
    void setColumnVisible(const QString &name, bool visible);
    bool isColumnVisible(const QString &name) const;
    void setColumnWidth(const QString &name, int width);
    int columnWidth(const QString &name) const;
    // Moves a column to a display position among all columns, hidden ones included.
    void moveColumn(const QString &name, int position);
    QStringList visibleColumns() const; // names, in display order

    // View options.
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }
    void setRowSelect(bool rowSelect); // whole-row focus, no cell focus
    bool rowSelect() const { return m_rowSelect; }
    void setSortingEnabled(bool enabled); // by a header click
    bool isSortingEnabled() const { return m_sortingEnabled; }
    void setFilteringEnabled(bool enabled); // header filter buttons
    bool isFilteringEnabled() const { return m_filteringEnabled; }
    void setGroupingEnabled(bool enabled); // dragging headers onto the grouping panel
    bool isGroupingEnabled() const { return m_groupingEnabled; }
    void setColumnHidingEnabled(bool enabled); // dragging a header away hides its column
    bool isColumnHidingEnabled() const { return m_hidingEnabled; }

    // Sorting: replaces the sort order, or with add, adds the column after the sorted ones.
    void sortBy(const QString &name, SortDirection direction, bool add = false);
    void clearSorting();
    QStringList sortedColumns() const; // names in sort position order (grouped ones excluded)

    // Grouping: level -1 appends a level. A grouped column leaves the header and comes back at
    // ungrouping if it was shown before.
    void groupBy(const QString &name, int level = -1);
    void ungroup(const QString &name);
    void clearGrouping();
    QStringList groupedColumns() const; // by level

    // Filters: the rows whose value in the column is one of values; exclude inverts that.
    void setFilter(const QString &name, const QVariantList &values, bool exclude = false);
    void clearFilter(const QString &name);
    void clearFilters();
    bool isFiltered(const QString &name) const;
    QVariantList distinctValues(const QString &name); // the column's values in grid order

    // A field value of any source row by column name, also for hidden columns; a field name
    // is accepted too. Null when there is no such column or row.
    QVariant value(int sourceRow, const QString &columnName) const;
    int displayedRowCount() const;    // data rows that pass the filters
    QList<int> displayedRows() const; // their source rows in display order

    // Asked once per painted row for its background; nothing (or an exception) is the default.
    void setContentStyleCallback(ContentStyleCallback callback);

    void setEmptyText(const QString &text);
    QString emptyText() const { return m_emptyText; }
    void setGroupPanelPrompt(const QString &text);
    QString groupPanelPrompt() const { return m_groupPrompt; }
    void setColumnChooserTitle(const QString &text);
    void setFilterTexts(const QString &all, const QString &none, const QString &blank);

    bool isGroupPanelVisible() const { return m_groupPanelVisible; }
    void setGroupPanelVisible(bool visible);

    // Customisation mode: the chooser window with the hidden columns. Opens only once the grid
    // has been on screen; returns whether it is open.
    bool showColumnChooser();
    void hideColumnChooser();
    bool isColumnChooserVisible() const;
    bool hasBeenShown() const { return m_hasBeenShown; }

    // Layout entries under key\viewName (values of the view) and key\viewName\<column>.
    // The store is only changed in memory; its owner writes the file.
    void saveLayout(RegistryStore &store, const QString &key) const;
    void restoreLayout(const RegistryStore &store, const QString &key);

    // View flags kept with the layout. This program's views show none of these parts.
    bool footerVisible() const { return m_footer; }
    void setFooterVisible(bool on) { m_footer = on; }
    bool groupFootersVisible() const { return m_groupFooters; }
    void setGroupFootersVisible(bool on) { m_groupFooters = on; }
    bool newItemRowVisible() const { return m_newItemRow; }
    void setNewItemRowVisible(bool on) { m_newItemRow = on; }

    // Suspends repainting and re-indexing; the last endUpdate() applies the changes once.
    void beginUpdate();
    void endUpdate();
    bool isUpdating() const { return m_updateLevel > 0; }

    // Focuses a source row (opening its groups) and scrolls it into view. Returns false when
    // the row is not shown (filtered out or out of range).
    bool focusSourceRow(int sourceRow);
    int focusedSourceRow() const; // -1 when no data row is focused

    void expandAll();
    void collapseAll();
    // A group named by its values from the top level down, e.g. {"Ulaz"} or {"Ulaz", 15}.
    bool setGroupExpanded(const QVariantList &path, bool expanded);
    bool isGroupExpanded(const QVariantList &path) const;

    // Writes the visible columns under their captions and the rows in the grid's current order,
    // group rows as text rows, the rows of collapsed groups left out. Throws Error.
    void exportToXls(const QString &path, const QString &sheetName = QStringLiteral("Sheet1"));

    // The parts, for tests and for the main window's menus.
    QTreeView *view() const;
    QWidget *headerWidget() const;
    QWidget *groupPanel() const;
    QWidget *columnChooser() const; // nullptr until first opened
    QWidget *filterPopup() const;   // nullptr until first opened
    void openFilterPopup(const QString &name);

Q_SIGNALS:
    void focusedRowChanged(int sourceRow);
    void rowDoubleClicked(int sourceRow);
    void contextMenuRequested(const QPoint &globalPos);
    void groupPanelVisibleChanged(bool visible);
    void layoutChanged(); // columns shown, moved, sorted or grouped

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ColumnDragTracker;
    friend class GridHeader;
    friend class GroupPanel;
    friend class ColumnChooser;
    friend class FilterPopup;
    friend class GridTreeView;

    struct Column
    {
        GridColumn state;
        int sourceColumn = -1;
    };

    // Column bookkeeping.
    void resolveSourceColumns();
    void applyColumnsToView();
    void syncHeaderVisibility();
    QString shownCaption(int column) const;
    int findColumn(const QString &name) const;
    int logicalAtVisual(int visual) const;
    void setVisibleInternal(int column, bool visible);
    void setGroupingInternal(std::vector<int> groups);
    void renumberSorts();
    // The grouping that the columns' states name: levels numbered, grouped columns out of the
    // header, sorted ascending unless they say otherwise.
    void adoptColumnGrouping();

    // Index and view.
    void markDirty();
    void scheduleRebuild();
    void ensureFresh() const;
    void rebuild();
    void restoreFocus(int sourceRow, int group);
    void emitFocusIfChanged();
    void updateTreeColumn();

    // Drag and drop of columns between header, grouping panel and chooser.
    void startColumnDrag(DragSource source, int column, const QPoint &globalPos);
    void moveColumnDrag(const QPoint &globalPos);
    void finishColumnDrag(const QPoint &globalPos);
    void cancelColumnDrag();
    bool isDraggingColumn() const { return m_dragColumn >= 0; }
    int headerDropPosition(const QPoint &globalPos) const; // visual position to insert at
    void headerClicked(int column, Qt::KeyboardModifiers modifiers);

    QAbstractItemModel *sourceModel() const { return m_model.data(); }
    GridIndex &index() const { return *m_index; }

    QPointer<QAbstractItemModel> m_model;
    std::unique_ptr<GridIndex> m_index;
    GridTreeModel *m_tree = nullptr;
    GridTreeView *m_view = nullptr;
    GridHeader *m_header = nullptr;
    GroupPanel *m_groupPanel = nullptr;
    ColumnChooser *m_chooser = nullptr;
    FilterPopup *m_filterPopup = nullptr;
    QLabel *m_dragLabel = nullptr;
    std::vector<Column> m_columns;
    bool m_columnsDeclared = false;
    std::vector<int> m_groups; // column per grouping level
    struct Filter
    {
        int column = -1;
        QVariantList values;
        bool exclude = false;
    };
    std::vector<Filter> m_filters;
    ContentStyleCallback m_styleCallback;

    QString m_viewName;
    QString m_emptyText;
    QString m_groupPrompt;
    QString m_chooserTitle = QStringLiteral("Kolone");
    QString m_filterAll = QStringLiteral("(Sve)");
    QString m_filterNone = QStringLiteral("(Ništa)");
    QString m_filterBlank = QStringLiteral("(prazno)");

    bool m_editable = false;
    bool m_rowSelect = true;
    bool m_sortingEnabled = true;
    bool m_filteringEnabled = true;
    bool m_groupingEnabled = true;
    bool m_hidingEnabled = true;
    bool m_groupPanelVisible = false;
    bool m_hasBeenShown = false;
    bool m_footer = false;
    bool m_groupFooters = false;
    bool m_newItemRow = false;

    int m_updateLevel = 0;
    mutable bool m_dirty = true;
    bool m_rebuildQueued = false;
    bool m_resetFocusToFirst = true;
    bool m_inRebuild = false;
    int m_lastFocused = -2;
    // The focused source row followed through row insertions and removals until the next
    // rebuild, so the same record stays focused when the live list trims its oldest rows.
    bool m_focusTracked = false;
    int m_pendingFocusRow = -1;
    int m_focusRequest = -1; // focusSourceRow() while updates are suspended
    bool m_inFilterApply = false;
    QHash<QString, int> m_columnByName;
    QHash<QString, int> m_fieldColumns; // lower-case field name -> source column

    int m_dragColumn = -1;
    DragSource m_dragSource = DragSource::Header;
};

} // namespace tarnwick
