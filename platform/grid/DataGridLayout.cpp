// Layout entries of a DataGrid in the settings store.
//
// Under key\<view>:          ShowFooter, ShowGroupingPanel, ShowGroupFooters, ShowNewItemRow
// Under key\<view>\<column>: Alignment (0 by type, 1 left, 2 right, 3 centre), Index (display
//                            position among all columns), Visible, SortOrder (0 none,
//                            1 ascending, 2 descending), SortIndex, WasVisibleBeforeGrouping,
//                            GroupIndex, Width. Numbers are DWORDs; -1 is 0xffffffff.
// Filters are not kept: they belong to the session.
#include "DataGrid.h"

#include "ColumnChooser.h"
#include "GridHeader.h"
#include "GridTreeModel.h"
#include "GroupPanel.h"
#include "RegistryStore.h"

#include <algorithm>

namespace tarnwick {

namespace {

RegValue number(int v)
{
    return RegValue::number(quint32(qint32(v)));
}

std::optional<int> readNumber(const RegistryStore &store, const QString &key, const QString &name)
{
    const std::optional<RegValue> v = store.value(key, name);
    if (!v)
        return std::nullopt;
    if (v->isDWord())
        return int(qint32(v->dword));
    if (v->isString()) {
        bool ok = false;
        const int n = v->text.trimmed().toInt(&ok);
        if (ok)
            return n;
    }
    return std::nullopt;
}

int alignmentCode(Qt::Alignment a)
{
    switch (int(a & Qt::AlignHorizontal_Mask)) {
    case Qt::AlignLeft:
        return 1;
    case Qt::AlignRight:
        return 2;
    case Qt::AlignHCenter:
        return 3;
    default:
        return 0;
    }
}

Qt::Alignment alignmentOf(int code)
{
    switch (code) {
    case 1:
        return Qt::AlignLeft;
    case 2:
        return Qt::AlignRight;
    case 3:
        return Qt::AlignHCenter;
    default:
        return {};
    }
}

QString viewKey(const QString &key, const QString &view)
{
    return key + QLatin1Char('\\') + view;
}

} // namespace

void DataGrid::saveLayout(RegistryStore &store, const QString &key) const
{
    const QString vk = viewKey(key, viewName());
    store.createKey(vk);
    store.setValue(vk, QStringLiteral("ShowFooter"), number(m_footer));
    store.setValue(vk, QStringLiteral("ShowGroupingPanel"), number(m_groupPanelVisible));
    store.setValue(vk, QStringLiteral("ShowGroupFooters"), number(m_groupFooters));
    store.setValue(vk, QStringLiteral("ShowNewItemRow"), number(m_newItemRow));
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const GridColumn &s = m_columns[size_t(i)].state;
        const QString ck = vk + QLatin1Char('\\') + s.name;
        store.setValue(ck, QStringLiteral("Alignment"), number(alignmentCode(s.alignment)));
        store.setValue(ck, QStringLiteral("Index"), number(m_header->visualIndex(i)));
        store.setValue(ck, QStringLiteral("Visible"), number(s.visible));
        store.setValue(ck, QStringLiteral("SortOrder"), number(int(s.sort)));
        store.setValue(ck, QStringLiteral("SortIndex"), number(s.sortIndex));
        store.setValue(ck, QStringLiteral("WasVisibleBeforeGrouping"),
                       number(s.visibleBeforeGrouping));
        store.setValue(ck, QStringLiteral("GroupIndex"), number(s.groupIndex));
        store.setValue(ck, QStringLiteral("Width"), number(s.width));
    }
}

void DataGrid::restoreLayout(const RegistryStore &store, const QString &key)
{
    const QString vk = viewKey(key, viewName());
    if (!store.hasKey(vk))
        return; // first start: the designed layout stays

    if (auto v = readNumber(store, vk, QStringLiteral("ShowFooter")))
        m_footer = *v != 0;
    if (auto v = readNumber(store, vk, QStringLiteral("ShowGroupFooters")))
        m_groupFooters = *v != 0;
    if (auto v = readNumber(store, vk, QStringLiteral("ShowNewItemRow")))
        m_newItemRow = *v != 0;
    std::optional<bool> panel;
    if (auto v = readNumber(store, vk, QStringLiteral("ShowGroupingPanel")))
        panel = *v != 0;

    const int n = int(m_columns.size());
    // Display positions: stored ones for the columns the store names, the present (designed)
    // ones for the rest. Columns the store names but the view lacks are passed over.
    std::vector<std::pair<int, int>> position(
        static_cast<size_t>(n)); // (position, named first) per column
    for (int i = 0; i < n; ++i)
        position[size_t(i)] = {m_header->visualIndex(i), 1};
    for (const QString &sub : store.subKeys(vk)) {
        const int c = findColumn(sub);
        if (c < 0)
            continue;
        const QString ck = vk + QLatin1Char('\\') + sub;
        GridColumn &s = m_columns[size_t(c)].state;
        if (auto v = readNumber(store, ck, QStringLiteral("Alignment")))
            s.alignment = alignmentOf(*v);
        if (auto v = readNumber(store, ck, QStringLiteral("Index")))
            position[size_t(c)] = {*v, 0};
        if (auto v = readNumber(store, ck, QStringLiteral("Visible")))
            s.visible = *v != 0;
        if (auto v = readNumber(store, ck, QStringLiteral("SortOrder")))
            s.sort = (*v == 1) ? SortDirection::Ascending
                               : (*v == 2 ? SortDirection::Descending : SortDirection::None);
        if (auto v = readNumber(store, ck, QStringLiteral("SortIndex")))
            s.sortIndex = *v;
        if (auto v = readNumber(store, ck, QStringLiteral("WasVisibleBeforeGrouping")))
            s.visibleBeforeGrouping = *v != 0;
        if (auto v = readNumber(store, ck, QStringLiteral("GroupIndex")))
            s.groupIndex = *v < 0 ? -1 : *v;
        if (auto v = readNumber(store, ck, QStringLiteral("Width")); v && *v > 0)
            s.width = *v;
    }

    std::vector<int> order(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return position[size_t(a)] < position[size_t(b)]; });
    for (int target = 0; target < n; ++target) {
        const int from = m_header->visualIndex(order[size_t(target)]);
        if (from != target)
            m_header->moveSection(from, target);
    }

    adoptColumnGrouping();
    for (int i = 0; i < n; ++i)
        m_tree->setAlignment(i, m_columns[size_t(i)].state.alignment);
    syncHeaderVisibility();
    if (panel)
        setGroupPanelVisible(*panel);
    m_groupPanel->update();
    m_header->viewport()->update();
    markDirty();
    Q_EMIT layoutChanged();
}

} // namespace tarnwick
