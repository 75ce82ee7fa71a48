#include "GridTreeModel.h"

#include "GridIndex.h"

#include <QDateTime>
#include <QLocale>

namespace tarnwick {

namespace {

bool isNumber(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        return true;
    default:
        return false;
    }
}

} // namespace

GridTreeModel::GridTreeModel(GridIndex &index, QObject *parent)
    : QAbstractItemModel(parent), m_index(index)
{}

void GridTreeModel::setSource(QAbstractItemModel *source)
{
    beginResetModel();
    m_source = source;
    endResetModel();
}

void GridTreeModel::setColumns(const std::vector<ColumnInfo> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void GridTreeModel::setCaption(int column, const QString &caption)
{
    if (column < 0 || size_t(column) >= m_columns.size())
        return;
    m_columns[size_t(column)].caption = caption;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void GridTreeModel::setSourceColumn(int column, int sourceColumn)
{
    if (column >= 0 && size_t(column) < m_columns.size())
        m_columns[size_t(column)].sourceColumn = sourceColumn;
}

void GridTreeModel::setAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || size_t(column) >= m_columns.size())
        return;
    m_columns[size_t(column)].alignment = alignment;
}

void GridTreeModel::setBooleanTexts(const QString &yes, const QString &no)
{
    m_yes = yes;
    m_no = no;
}

GridTreeModel::Node GridTreeModel::nodeOf(const QModelIndex &index) const
{
    Node n;
    if (!index.isValid())
        return n;
    const quintptr pid = index.internalId();
    if (pid == 0) {
        if (m_index.groupLevels() > 0)
            n.group = m_index.topGroups()[size_t(index.row())];
        else
            n.position = index.row();
        return n;
    }
    const GridIndex::Group &parent = m_index.groups()[size_t(pid - 1)];
    if (!parent.children.empty())
        n.group = parent.children[size_t(index.row())];
    else
        n.position = parent.first + index.row();
    return n;
}

bool GridTreeModel::isGroup(const QModelIndex &index) const
{
    return nodeOf(index).group >= 0;
}

int GridTreeModel::groupOf(const QModelIndex &index) const
{
    return nodeOf(index).group;
}

int GridTreeModel::sourceRowOf(const QModelIndex &index) const
{
    const Node n = nodeOf(index);
    if (n.position < 0 || size_t(n.position) >= m_index.rows().size())
        return -1;
    return m_index.rows()[size_t(n.position)];
}

QModelIndex GridTreeModel::indexOfGroup(int group, int column) const
{
    if (group < 0 || size_t(group) >= m_index.groups().size())
        return {};
    const GridIndex::Group &g = m_index.groups()[size_t(group)];
    return createIndex(g.rowInParent, column, quintptr(g.parent + 1));
}

QModelIndex GridTreeModel::indexOfPosition(int position, int column) const
{
    if (position < 0 || size_t(position) >= m_index.rows().size())
        return {};
    if (m_index.groupLevels() == 0)
        return createIndex(position, column, quintptr(0));
    const int leaf = m_index.leafGroupAt(position);
    if (leaf < 0)
        return {};
    return createIndex(position - m_index.groups()[size_t(leaf)].first, column, quintptr(leaf + 1));
}

QString GridTreeModel::displayText(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return QLocale().toString(value.toDateTime(), QLocale::ShortFormat);
    case QMetaType::QDate:
        return QLocale().toString(value.toDate(), QLocale::ShortFormat);
    case QMetaType::QTime:
        return QLocale().toString(value.toTime(), QLocale::ShortFormat);
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return value.toBool() ? m_yes : m_no;
    case QMetaType::QByteArray:
        return {};
    default:
        return value.toString();
    }
}

QString GridTreeModel::groupText(int group) const
{
    if (group < 0 || size_t(group) >= m_index.groups().size())
        return {};
    const GridIndex::Group &g = m_index.groups()[size_t(group)];
    const QString caption = g.level < m_groupCaptions.size() ? m_groupCaptions[g.level] : QString();
    return caption + QStringLiteral(": ") + displayText(m_index.groupValue(group)) +
           QStringLiteral(" (") + QString::number(g.count) + QLatin1Char(')');
}

QModelIndex GridTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= columnCount(parent) || row >= rowCount(parent))
        return {};
    if (!parent.isValid())
        return createIndex(row, column, quintptr(0));
    const int g = groupOf(parent);
    if (g < 0)
        return {};
    return createIndex(row, column, quintptr(g + 1));
}

QModelIndex GridTreeModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return indexOfGroup(int(child.internalId() - 1));
}

int GridTreeModel::rowCount(const QModelIndex &parent) const
{
    if (!m_source)
        return 0;
    if (!parent.isValid())
        return m_index.groupLevels() > 0 ? int(m_index.topGroups().size())
                                         : int(m_index.rows().size());
    if (parent.column() != 0)
        return 0;
    const int g = groupOf(parent);
    if (g < 0)
        return 0;
    const GridIndex::Group &grp = m_index.groups()[size_t(g)];
    return grp.children.empty() ? grp.count : int(grp.children.size());
}

int GridTreeModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(m_columns.size());
}

bool GridTreeModel::hasChildren(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return rowCount() > 0;
    return rowCount(parent) > 0;
}

QModelIndex GridTreeModel::sourceIndex(const QModelIndex &index) const
{
    if (!m_source || index.column() < 0 || size_t(index.column()) >= m_columns.size())
        return {};
    const int row = sourceRowOf(index);
    const int column = m_columns[size_t(index.column())].sourceColumn;
    if (row < 0 || column < 0)
        return {};
    return m_source->index(row, column);
}

GridTreeModel::Cell GridTreeModel::cell(const QModelIndex &index) const
{
    Cell c;
    const QModelIndex src = sourceIndex(index);
    if (!src.isValid())
        return c;
    const QVariant v = m_source->data(src, Qt::EditRole);
    Qt::Alignment h = m_columns[size_t(index.column())].alignment & Qt::AlignHorizontal_Mask;
    c.alignment = h ? h : (isNumber(v) ? Qt::AlignRight : Qt::AlignLeft);
    if (v.metaType().id() == QMetaType::Bool)
        c.check = v.toBool() ? Qt::Checked : Qt::Unchecked;
    else
        c.text = displayText(v);
    return c;
}

QVariant GridTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_source)
        return {};
    const Node n = nodeOf(index);
    if (n.group >= 0) {
        if (index.column() == 0 && (role == Qt::DisplayRole || role == Qt::ToolTipRole))
            return groupText(n.group);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case Qt::TextAlignmentRole:
    case Qt::CheckStateRole:
        break;
    default:
        return {};
    }
    const QModelIndex src = sourceIndex(index);
    if (!src.isValid())
        return {};
    const QVariant v = m_source->data(src, Qt::EditRole);
    const bool isBool = v.metaType().id() == QMetaType::Bool;
    switch (role) {
    case Qt::DisplayRole:
        return isBool ? QVariant() : QVariant(displayText(v));
    case Qt::EditRole:
        return v;
    case Qt::CheckStateRole:
        if (isBool)
            return v.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole: {
        Qt::Alignment h = m_columns[size_t(index.column())].alignment & Qt::AlignHorizontal_Mask;
        if (!h)
            h = isNumber(v) ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(Qt::Alignment(h | Qt::AlignVCenter));
    }
    }
    return {};
}

bool GridTreeModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_editable || !index.isValid() || isGroup(index))
        return false;
    const QModelIndex src = sourceIndex(index);
    if (!src.isValid())
        return false;
    if (role == Qt::CheckStateRole)
        return m_source->setData(src, value.toInt() == Qt::Checked, Qt::EditRole);
    if (role != Qt::EditRole)
        return false;
    return m_source->setData(src, value, Qt::EditRole);
}

Qt::ItemFlags GridTreeModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isGroup(index))
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editable) {
        f |= Qt::ItemIsEditable;
        const QModelIndex src = sourceIndex(index);
        if (src.isValid() && m_source->data(src, Qt::EditRole).metaType().id() == QMetaType::Bool)
            f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

QVariant GridTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || size_t(section) >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[size_t(section)].caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

} // namespace tarnwick
