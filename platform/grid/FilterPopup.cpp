#include "FilterPopup.h"

#include "DataGrid.h"
#include "GridHeader.h"
#include "GridIndex.h"
#include "GridTreeModel.h"

#include <QAbstractListModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tarnwick {

// The distinct values of one column with a tick each. Texts are formatted only for the rows the
// list paints, so a column of 100,000 different date-times opens as fast as one of ten names.
class FilterValuesModel : public QAbstractListModel
{
public:
    FilterValuesModel(QObject *parent) : QAbstractListModel(parent) {}

    void reset(const ColumnValues *values, const GridTreeModel *format, std::vector<char> checked,
               QString blank)
    {
        beginResetModel();
        m_values = values;
        m_format = format;
        m_checked = std::move(checked);
        m_blank = std::move(blank);
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_values ? 0 : m_values->distinctCount();
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || !m_values)
            return {};
        if (role == Qt::DisplayRole) {
            const QVariant &v = m_values->distinctValue(index.row());
            const QString text = m_format->displayText(v);
            return (v.isNull() || !v.isValid()) ? m_blank : text;
        }
        if (role == Qt::CheckStateRole)
            return m_checked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }
    void toggle(int row)
    {
        if (row < 0 || size_t(row) >= m_checked.size())
            return;
        m_checked[size_t(row)] = !m_checked[size_t(row)];
        const QModelIndex i = index(row);
        Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
    }
    void setAll(bool on)
    {
        std::fill(m_checked.begin(), m_checked.end(), char(on));
        if (!m_checked.empty())
            Q_EMIT dataChanged(index(0), index(int(m_checked.size()) - 1), {Qt::CheckStateRole});
    }
    const std::vector<char> &checked() const { return m_checked; }
    const ColumnValues *values() const { return m_values; }

private:
    const ColumnValues *m_values = nullptr;
    const GridTreeModel *m_format = nullptr;
    std::vector<char> m_checked;
    QString m_blank;
};

FilterPopup::FilterPopup(DataGrid *grid)
    : QFrame(grid, Qt::Popup), m_grid(grid), m_values(new FilterValuesModel(this)),
      m_list(new QListView(this)), m_all(new QPushButton(this)), m_none(new QPushButton(this))
{
    setObjectName(QStringLiteral("filterPopup"));
    m_list->setObjectName(QStringLiteral("filterValues"));
    m_all->setObjectName(QStringLiteral("filterAll"));
    m_none->setObjectName(QStringLiteral("filterNone"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    m_list->setModel(m_values);
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_all);
    buttons->addWidget(m_none);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addLayout(buttons);
    layout->addWidget(m_list);
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex &i) { toggleRow(i.row()); });
    m_list->installEventFilter(this);
    connect(m_all, &QPushButton::clicked, this, [this] { setAll(true); });
    connect(m_none, &QPushButton::clicked, this, [this] { setAll(false); });
}

FilterPopup::~FilterPopup() = default;

void FilterPopup::openFor(int column, const QPoint &globalPos)
{
    m_column = column;
    m_all->setText(m_grid->m_filterAll);
    m_none->setText(m_grid->m_filterNone);
    const int source = m_grid->m_columns[size_t(column)].sourceColumn;
    const ColumnValues &values = m_grid->index().values(source);
    std::vector<char> checked(size_t(values.distinctCount()), 1);
    for (const auto &f : m_grid->m_filters) {
        if (f.column != column)
            continue;
        std::fill(checked.begin(), checked.end(), char(f.exclude ? 1 : 0));
        for (const QVariant &v : f.values) {
            const int rank = values.rankOf(v);
            if (rank >= 0)
                checked[size_t(rank)] = f.exclude ? 0 : 1;
        }
    }
    m_values->reset(&values, m_grid->m_tree, std::move(checked), m_grid->m_filterBlank);
    const int rows = std::clamp(values.distinctCount(), 3, 14);
    const int rowHeight = std::max(m_list->fontMetrics().height() + 4, 18);
    resize(std::max(200, m_grid->m_header->sectionSize(column)),
           rows * rowHeight + m_all->sizeHint().height() + 16);
    QPoint at = globalPos;
    if (const QScreen *screen = QGuiApplication::screenAt(globalPos)) {
        const QRect avail = screen->availableGeometry();
        at.setX(std::min(at.x(), avail.right() - width()));
        at.setY(std::min(at.y(), avail.bottom() - height()));
    }
    move(at);
    show();
    m_list->setFocus();
}

// Space or Enter ticks the current value, as a click does.
bool FilterPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
            m_list->currentIndex().isValid()) {
            toggleRow(m_list->currentIndex().row());
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void FilterPopup::toggleRow(int row)
{
    m_values->toggle(row);
    apply();
}

void FilterPopup::setAll(bool checked)
{
    m_values->setAll(checked);
    apply();
}

// Keeps the shorter list: the ticked values, or the unticked ones as an exclusion. A live list
// filtered to hide one door still shows doors that first appear later; one filtered to show one
// door does not start showing others.
void FilterPopup::apply()
{
    if (m_column < 0 || !m_values->values())
        return;
    const std::vector<char> &checked = m_values->checked();
    const ColumnValues &values = *m_values->values();
    const QString name = m_grid->m_columns[size_t(m_column)].state.name;
    const auto ticked = std::count(checked.begin(), checked.end(), char(1));
    const auto unticked = qsizetype(checked.size()) - ticked;
    m_grid->m_inFilterApply = true;
    if (unticked == 0) {
        m_grid->clearFilter(name);
        m_grid->m_inFilterApply = false;
        return;
    }
    const bool exclude = unticked < ticked;
    QVariantList list;
    for (int r = 0; r < int(checked.size()); ++r) {
        if (bool(checked[size_t(r)]) != exclude)
            list << values.distinctValue(r);
    }
    m_grid->setFilter(name, list, exclude);
    m_grid->m_inFilterApply = false;
}

void FilterPopup::hideEvent(QHideEvent *event)
{
    // The values belong to the grid's index, which may drop them once the popup is gone.
    m_values->reset(nullptr, nullptr, {}, {});
    m_column = -1;
    QFrame::hideEvent(event);
}

} // namespace tarnwick
