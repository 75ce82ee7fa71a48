#include "GridIndex.h"

#include <QAbstractItemModel>
#include <QCollator>
#include <QCollatorSortKey>
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tarnwick {

namespace {

enum class Kind
{
    Null,
    Integer,
    Float,
    DateTime,
    Text,
    Bytes
};

// A model value reduced to what ordering and equality need. Integral doubles count as integers
// so that 3 and 3.0 fall into one group.
struct Cell
{
    Kind kind = Kind::Null;
    qint64 i = 0;
    double d = 0;
    QString s;
    QByteArray b;
};

Cell cellOf(const QVariant &v)
{
    Cell c;
    if (!v.isValid() || v.isNull())
        return c;
    switch (v.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::ULong:
        c.kind = Kind::Integer;
        c.i = v.toLongLong();
        return c;
    case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        if (u <= qulonglong(std::numeric_limits<qint64>::max())) {
            c.kind = Kind::Integer;
            c.i = qint64(u);
        } else {
            c.kind = Kind::Float;
            c.d = double(u);
        }
        return c;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15) {
            c.kind = Kind::Integer;
            c.i = qint64(d);
        } else {
            c.kind = Kind::Float;
            c.d = d;
        }
        return c;
    }
    case QMetaType::QDateTime: {
        // Ordered by the clock reading the grid shows. The database's date-times carry no zone;
        // converting each to UTC would cost a time-zone lookup per row and gain nothing.
        const QDateTime dt = v.toDateTime();
        if (dt.isValid()) {
            c.kind = Kind::DateTime;
            c.i = dt.date().toJulianDay() * 86400000 + dt.time().msecsSinceStartOfDay();
        }
        return c;
    }
    case QMetaType::QDate: {
        const QDate date = v.toDate();
        if (date.isValid()) {
            c.kind = Kind::DateTime;
            c.i = date.toJulianDay() * 86400000;
        }
        return c;
    }
    case QMetaType::QString:
        c.kind = Kind::Text;
        c.s = v.toString();
        return c;
    case QMetaType::QByteArray:
        c.kind = Kind::Bytes;
        c.b = v.toByteArray();
        return c;
    default:
        c.kind = Kind::Text;
        c.s = v.toString();
        return c;
    }
}

template <typename T> int cmp3(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareNumbers(const Cell &a, const Cell &b)
{
    if (a.kind == Kind::Integer && b.kind == Kind::Integer)
        return cmp3(a.i, b.i);
    const long double x = a.kind == Kind::Integer ? (long double)a.i : (long double)a.d;
    const long double y = b.kind == Kind::Integer ? (long double)b.i : (long double)b.d;
    if (std::isnan(double(x)) || std::isnan(double(y)))
        return cmp3(std::isnan(double(x)), std::isnan(double(y)));
    return cmp3(x, y);
}

int kindOrder(Kind k)
{
    switch (k) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
    case Kind::Float:
        return 1;
    case Kind::DateTime:
        return 2;
    case Kind::Text:
        return 3;
    case Kind::Bytes:
        return 4;
    }
    return 5;
}

int compareCells(const Cell &a, const Cell &b, const QCollator &collator)
{
    const int ka = kindOrder(a.kind), kb = kindOrder(b.kind);
    if (ka != kb)
        return cmp3(ka, kb);
    switch (a.kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
    case Kind::Float:
        return compareNumbers(a, b);
    case Kind::DateTime:
        return cmp3(a.i, b.i);
    case Kind::Text: {
        const int c = collator.compare(a.s, b.s);
        if (c != 0)
            return c < 0 ? -1 : 1;
        const int exact = a.s.compare(b.s);
        return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
    }
    case Kind::Bytes:
        return cmp3(a.b, b.b);
    }
    return 0;
}

std::unique_ptr<QCollator> makeCollator()
{
    auto c = std::make_unique<QCollator>(QLocale());
    c->setCaseSensitivity(Qt::CaseInsensitive);
    c->setNumericMode(false);
    return c;
}

} // namespace

// ---- ColumnValues ----

QString ColumnValues::identity(const QVariant &v)
{
    const Cell c = cellOf(v);
    switch (c.kind) {
    case Kind::Null:
        return QStringLiteral("N");
    case Kind::Integer:
        return QLatin1Char('I') + QString::number(c.i);
    case Kind::Float:
        return QLatin1Char('F') + QString::number(c.d, 'g', 17);
    case Kind::DateTime:
        return QLatin1Char('D') + QString::number(c.i);
    case Kind::Text:
        return QLatin1Char('T') + c.s;
    case Kind::Bytes:
        return QLatin1Char('B') + QString::fromLatin1(c.b.toHex());
    }
    return {};
}

int ColumnValues::compare(const QVariant &a, const QVariant &b, const QCollator &collator)
{
    return compareCells(cellOf(a), cellOf(b), collator);
}

void ColumnValues::clear()
{
    m_built = false;
    m_distinct.clear();
    m_rowRank.clear();
    m_rankByIdentity.clear();
}

void ColumnValues::build(const QAbstractItemModel &model, int sourceColumn,
                         const QCollator &collator)
{
    clear();
    const int rows = model.rowCount();
    m_rowRank.assign(size_t(rows), 0);
    m_built = true;
    if (sourceColumn < 0 || sourceColumn >= model.columnCount())
        return;

    // First pass: one id per distinct value, found through a hash of the value's own type.
    std::vector<Cell> cells;
    std::vector<QVariant> originals;
    QHash<qint64, int> ints, dates;
    QHash<double, int> floats;
    QHash<QString, int> texts;
    QHash<QByteArray, int> bytes;
    int nullId = -1;
    auto idFor = [&](const QVariant &v) {
        Cell c = cellOf(v);
        int *slot = nullptr;
        int fresh = int(cells.size());
        switch (c.kind) {
        case Kind::Null:
            if (nullId < 0)
                nullId = fresh;
            slot = &nullId;
            break;
        case Kind::Integer:
            slot = &ints.insert(c.i, ints.value(c.i, fresh)).value();
            break;
        case Kind::Float:
            slot = &floats.insert(c.d, floats.value(c.d, fresh)).value();
            break;
        case Kind::DateTime:
            slot = &dates.insert(c.i, dates.value(c.i, fresh)).value();
            break;
        case Kind::Text: {
            auto it = texts.find(c.s);
            if (it == texts.end())
                it = texts.insert(c.s, fresh);
            slot = &it.value();
            break;
        }
        case Kind::Bytes: {
            auto it = bytes.find(c.b);
            if (it == bytes.end())
                it = bytes.insert(c.b, fresh);
            slot = &it.value();
            break;
        }
        }
        if (*slot == fresh) {
            cells.push_back(std::move(c));
            originals.push_back(v);
        }
        return *slot;
    };
    for (int r = 0; r < rows; ++r)
        m_rowRank[size_t(r)] = idFor(model.data(model.index(r, sourceColumn), Qt::EditRole));

    // Second pass: order the distinct values. Texts go through collation sort keys, computed once
    // per distinct text, so that a column of unique names sorts without a collator call per pair.
    const int n = int(cells.size());
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::vector<QCollatorSortKey> keys;
    std::vector<int> keyOf(static_cast<size_t>(n), -1);
    for (int id = 0; id < n; ++id) {
        if (cells[size_t(id)].kind == Kind::Text) {
            keyOf[size_t(id)] = int(keys.size());
            keys.push_back(collator.sortKey(cells[size_t(id)].s));
        }
    }
    std::sort(order.begin(), order.end(), [&](int x, int y) {
        const Cell &a = cells[size_t(x)], &b = cells[size_t(y)];
        if (a.kind == Kind::Text && b.kind == Kind::Text) {
            const int c = keys[size_t(keyOf[size_t(x)])].compare(keys[size_t(keyOf[size_t(y)])]);
            if (c != 0)
                return c < 0;
            return a.s.compare(b.s) < 0;
        }
        return compareCells(a, b, collator) < 0;
    });
    std::vector<int> rankOfId(static_cast<size_t>(n));
    m_distinct.resize(size_t(n));
    for (int rank = 0; rank < n; ++rank) {
        rankOfId[size_t(order[size_t(rank)])] = rank;
        m_distinct[size_t(rank)] = originals[size_t(order[size_t(rank)])];
    }
    for (int &r : m_rowRank)
        r = rankOfId[size_t(r)];
    m_rankByIdentity.reserve(n);
    for (int rank = 0; rank < n; ++rank)
        m_rankByIdentity.insert(identity(m_distinct[size_t(rank)]), rank);
}

int ColumnValues::rankOf(const QVariant &v) const
{
    return m_rankByIdentity.value(identity(v), -1);
}

// ---- GridIndex ----

GridIndex::GridIndex() : m_collator(makeCollator()) {}
GridIndex::~GridIndex() = default;

void GridIndex::setModel(const QAbstractItemModel *model)
{
    m_model = model;
    invalidate();
}

void GridIndex::invalidate()
{
    rememberExpanded();
    m_collator = makeCollator(); // the user's locale may have changed since the last build
    for (ColumnValues &v : m_values)
        v.clear();
    m_stale = true;
}

void GridIndex::invalidateColumn(int sourceColumn)
{
    // Only a grouping column's values name the groups; other columns can go without touching
    // the tree the view shows until the next rebuild.
    const bool grouping = std::find(m_groupColumns.begin(), m_groupColumns.end(), sourceColumn) !=
                          m_groupColumns.end();
    if (grouping)
        rememberExpanded();
    if (sourceColumn >= 0 && size_t(sourceColumn) < m_values.size())
        m_values[size_t(sourceColumn)].clear();
    if (grouping)
        m_stale = true;
}

// Keeps the expanded groups by their values, so a re-sort or new data leave them open. Taken
// before the values go, since the paths are made of them.
void GridIndex::rememberExpanded()
{
    if (m_expandedRemembered || !m_built || m_stale)
        return;
    m_expandedPaths.clear();
    for (int g = 0; g < int(m_groups.size()); ++g) {
        if (m_groups[size_t(g)].expanded)
            m_expandedPaths.insert(pathOf(g));
    }
    m_expandedRemembered = true;
}

const ColumnValues &GridIndex::values(int sourceColumn)
{
    static const ColumnValues empty;
    if (!m_model || sourceColumn < 0 || sourceColumn >= m_model->columnCount())
        return empty;
    if (m_values.size() < size_t(m_model->columnCount()))
        m_values.resize(size_t(m_model->columnCount()));
    ColumnValues &v = m_values[size_t(sourceColumn)];
    if (!v.isBuilt() || v.rowRanks().size() != size_t(m_model->rowCount()))
        v.build(*m_model, sourceColumn, *m_collator);
    return v;
}

QString GridIndex::pathOf(int group) const
{
    QString path;
    for (int g = group; g >= 0; g = m_groups[size_t(g)].parent) {
        const Group &grp = m_groups[size_t(g)];
        path.prepend(QString::number(m_groupColumns[size_t(grp.level)]) + QLatin1Char('=') +
                     ColumnValues::identity(groupValue(g)) + QChar(0x1f));
    }
    return path;
}

const QVariant &GridIndex::groupValue(int group) const
{
    static const QVariant null;
    const Group &g = m_groups[size_t(group)];
    const ColumnValues &v = m_values[size_t(m_groupColumns[size_t(g.level)])];
    if (m_stale || g.rank >= v.distinctCount())
        return null;
    return v.distinctValue(g.rank);
}

void GridIndex::rebuild(const std::vector<OrderKey> &groupKeys,
                        const std::vector<OrderKey> &sortKeys,
                        const std::vector<ColumnFilter> &filters)
{
    rememberExpanded();
    m_expandedRemembered = false;
    m_stale = false;
    m_rows.clear();
    m_groups.clear();
    m_topGroups.clear();
    m_leafGroups.clear();
    m_groupColumns.clear();
    m_positionOfRow.clear();
    m_built = true;
    if (!m_model)
        return;
    const int rowCount = m_model->rowCount();
    const int columnCount = m_model->columnCount();
    auto usable = [&](int c) { return c >= 0 && c < columnCount; };

    // Filters: a row stays when every filtered column lets its value through.
    std::vector<char> keep(size_t(rowCount), 1);
    for (const ColumnFilter &f : filters) {
        if (!usable(f.sourceColumn))
            continue;
        const ColumnValues &cv = values(f.sourceColumn);
        std::vector<char> allowed(size_t(cv.distinctCount()), f.exclude ? 1 : 0);
        for (const QVariant &v : f.values) {
            const int rank = cv.rankOf(v);
            if (rank >= 0)
                allowed[size_t(rank)] = f.exclude ? 0 : 1;
        }
        const std::vector<int> &ranks = cv.rowRanks();
        for (int r = 0; r < rowCount; ++r) {
            if (!allowed[size_t(ranks[size_t(r)])])
                keep[size_t(r)] = 0;
        }
    }
    m_rows.reserve(size_t(rowCount));
    for (int r = 0; r < rowCount; ++r) {
        if (keep[size_t(r)])
            m_rows.push_back(r);
    }

    // Ordering: the grouping columns, then the sort columns. Every key is a rank in a small
    // range, so a stable counting sort per key, least significant key first, gives the stable
    // multi-column order in linear time.
    std::vector<OrderKey> keys;
    for (const OrderKey &k : groupKeys) {
        if (usable(k.sourceColumn)) {
            keys.push_back(k);
            m_groupColumns.push_back(k.sourceColumn);
        }
    }
    for (const OrderKey &k : sortKeys) {
        if (usable(k.sourceColumn) && std::find(m_groupColumns.begin(), m_groupColumns.end(),
                                                k.sourceColumn) == m_groupColumns.end())
            keys.push_back(k);
    }
    std::vector<int> scratch(m_rows.size());
    std::vector<int> counts;
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
        const ColumnValues &cv = values(k->sourceColumn);
        const std::vector<int> &ranks = cv.rowRanks();
        const int d = cv.distinctCount();
        counts.assign(size_t(d) + 1, 0);
        auto slot = [&](int row) {
            const int rank = ranks[size_t(row)];
            return k->descending ? d - 1 - rank : rank;
        };
        for (int row : m_rows)
            ++counts[size_t(slot(row)) + 1];
        for (int i = 1; i <= d; ++i)
            counts[size_t(i)] += counts[size_t(i) - 1];
        for (int row : m_rows)
            scratch[size_t(counts[size_t(slot(row))]++)] = row;
        m_rows.swap(scratch);
    }

    m_positionOfRow.assign(size_t(rowCount), -1);
    for (int p = 0; p < int(m_rows.size()); ++p)
        m_positionOfRow[size_t(m_rows[size_t(p)])] = p;

    if (!m_groupColumns.empty())
        buildGroups(0, -1, 0, int(m_rows.size()), m_topGroups);
}

int GridIndex::buildGroups(int level, int parent, int first, int end, std::vector<int> &out)
{
    const ColumnValues &cv = m_values[size_t(m_groupColumns[size_t(level)])];
    const std::vector<int> &ranks = cv.rowRanks();
    const bool last = level + 1 == int(m_groupColumns.size());
    int p = first;
    while (p < end) {
        const int rank = ranks[size_t(m_rows[size_t(p)])];
        int q = p + 1;
        while (q < end && ranks[size_t(m_rows[size_t(q)])] == rank)
            ++q;
        const int g = int(m_groups.size());
        Group grp;
        grp.level = level;
        grp.parent = parent;
        grp.rowInParent = int(out.size());
        grp.first = p;
        grp.count = q - p;
        grp.rank = rank;
        m_groups.push_back(std::move(grp));
        out.push_back(g);
        if (last) {
            m_leafGroups.push_back(g);
        } else {
            std::vector<int> children;
            buildGroups(level + 1, g, p, q, children);
            m_groups[size_t(g)].children = std::move(children);
        }
        if (!m_expandedPaths.isEmpty() && m_expandedPaths.contains(pathOf(g)))
            m_groups[size_t(g)].expanded = true;
        p = q;
    }
    return int(out.size());
}

int GridIndex::positionOfSourceRow(int sourceRow) const
{
    if (sourceRow < 0 || size_t(sourceRow) >= m_positionOfRow.size())
        return -1;
    return m_positionOfRow[size_t(sourceRow)];
}

int GridIndex::leafGroupAt(int pos) const
{
    if (m_leafGroups.empty() || pos < 0)
        return -1;
    auto it = std::upper_bound(m_leafGroups.begin(), m_leafGroups.end(), pos,
                               [&](int p, int g) { return p < m_groups[size_t(g)].first; });
    if (it == m_leafGroups.begin())
        return -1;
    const int g = *(it - 1);
    const Group &grp = m_groups[size_t(g)];
    return pos < grp.first + grp.count ? g : -1;
}

void GridIndex::setExpanded(int group, bool expanded)
{
    if (group >= 0 && size_t(group) < m_groups.size())
        m_groups[size_t(group)].expanded = expanded;
}

void GridIndex::setAllExpanded(bool expanded)
{
    for (Group &g : m_groups)
        g.expanded = expanded;
}

int GridIndex::findGroup(const QVariantList &path) const
{
    if (path.isEmpty() || path.size() > int(m_groupColumns.size()))
        return -1;
    const std::vector<int> *level = &m_topGroups;
    int found = -1;
    for (const QVariant &v : path) {
        const QString id = ColumnValues::identity(v);
        found = -1;
        for (int g : *level) {
            if (ColumnValues::identity(groupValue(g)) == id) {
                found = g;
                break;
            }
        }
        if (found < 0)
            return -1;
        level = &m_groups[size_t(found)].children;
    }
    return found;
}

} // namespace tarnwick
