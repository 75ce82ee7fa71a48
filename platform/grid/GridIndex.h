#pragma once

#include <QSet>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>
#include <vector>

class QAbstractItemModel;
class QCollator;

namespace tarnwick {

// The distinct values of one model column in the grid's order (nulls first, then numbers,
// date-times, texts in the user's collation without regard to case, binary data) and, for every
// source row, the rank of its value in that order. Sorting, grouping and filtering then work on
// small integers, and the filter popup lists the distinct values without touching the model.
class ColumnValues
{
public:
    void build(const QAbstractItemModel &model, int sourceColumn, const QCollator &collator);
    void clear();

    bool isBuilt() const { return m_built; }
    int distinctCount() const { return int(m_distinct.size()); }
    const QVariant &distinctValue(int rank) const { return m_distinct[size_t(rank)]; }
    int rankOfRow(int sourceRow) const { return m_rowRank[size_t(sourceRow)]; }
    const std::vector<int> &rowRanks() const { return m_rowRank; }
    // The rank of a value equal to v (3 equals 3.0; texts must match exactly); -1 when absent.
    int rankOf(const QVariant &v) const;

    // A text that is equal for equal values and different otherwise, stable across rebuilds.
    static QString identity(const QVariant &v);
    // -1, 0 or 1 in the grid's order of values (texts by collator, then exactly).
    static int compare(const QVariant &a, const QVariant &b, const QCollator &collator);

private:
    bool m_built = false;
    std::vector<QVariant> m_distinct;
    std::vector<int> m_rowRank;
    mutable QHash<QString, int> m_rankByIdentity;
};

// The view index of a grid: which source rows are shown, in which order, and the group tree
// above them. Rebuilt whole after every change of the data, the sorting, the grouping or the
// filters; the per-column ranks are kept until the column's data change.
class GridIndex
{
public:
    struct OrderKey
    {
        int sourceColumn = -1;
        bool descending = false;
    };
    struct ColumnFilter
    {
        int sourceColumn = -1;
        QVariantList values;
        bool exclude = false; // true: the values are the ones left out
    };
    struct Group
    {
        int level = 0;
        int parent = -1;           // index in groups(), -1 for a top-level group
        int rowInParent = 0;       // position among its parent's children
        int first = 0;             // first position in rows()
        int count = 0;             // data rows below it
        int rank = 0;              // rank of its value in the grouping column
        std::vector<int> children; // sub-groups (empty on the last level)
        bool expanded = false;
    };

    GridIndex();
    ~GridIndex();

    void setModel(const QAbstractItemModel *model);
    void invalidate(); // every column's values
    void invalidateColumn(int sourceColumn);

    // Built on first use; an out-of-range column gives an empty list.
    const ColumnValues &values(int sourceColumn);

    void rebuild(const std::vector<OrderKey> &groupKeys, const std::vector<OrderKey> &sortKeys,
                 const std::vector<ColumnFilter> &filters);
    bool isBuilt() const { return m_built; }
    // The group tree and rows are still those of the last rebuild, but the values behind them
    // are gone (the data changed): group values read as null until the next rebuild.
    bool isStale() const { return m_stale; }

    const std::vector<int> &rows() const { return m_rows; }
    int groupLevels() const { return int(m_groupColumns.size()); }
    int groupColumn(int level) const { return m_groupColumns[size_t(level)]; }
    const std::vector<Group> &groups() const { return m_groups; }
    const std::vector<int> &topGroups() const { return m_topGroups; }
    const QVariant &groupValue(int group) const;

    // Position of a source row in rows(), -1 when it is filtered out.
    int positionOfSourceRow(int sourceRow) const;
    // The last-level group holding position pos of rows(); -1 when not grouped.
    int leafGroupAt(int pos) const;

    void setExpanded(int group, bool expanded);
    void setAllExpanded(bool expanded);
    // The group reached by following these values from the top level, -1 when there is none.
    int findGroup(const QVariantList &path) const;

private:
    QString pathOf(int group) const;
    void rememberExpanded();
    int buildGroups(int level, int parent, int first, int end, std::vector<int> &out);

    const QAbstractItemModel *m_model = nullptr;
    std::unique_ptr<QCollator> m_collator;
    std::vector<ColumnValues> m_values;
    std::vector<int> m_rows;
    std::vector<int> m_positionOfRow; // source row -> position, -1 when hidden
    std::vector<int> m_groupColumns;
    std::vector<Group> m_groups;
    std::vector<int> m_topGroups;
    std::vector<int> m_leafGroups; // last-level groups in display order
    QSet<QString> m_expandedPaths;
    bool m_built = false;
    bool m_stale = false;
    bool m_expandedRemembered = false;
};

} // namespace tarnwick
