#pragma once

#include <QAbstractItemModel>
#include <QPointer>
#include <vector>

namespace tarnwick {

class GridIndex;

// The item model the grid's tree view shows: group rows over data rows, as the view index
// arranges them. Column c is the grid's declared column c, whatever the source column behind
// it. It holds no data of its own: data rows read the source model, group rows the index.
//
// Index encoding: an index's internal id names its parent node (0 for the root, g + 1 for the
// group g), so an index needs no allocation and stays valid as long as the view index does.
class GridTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    struct ColumnInfo
    {
        int sourceColumn = -1;
        QString caption;
        Qt::Alignment alignment = {};
    };

    explicit GridTreeModel(GridIndex &index, QObject *parent = nullptr);

    void setSource(QAbstractItemModel *source);
    QAbstractItemModel *source() const { return m_source; }
    void setColumns(const std::vector<ColumnInfo> &columns);
    const std::vector<ColumnInfo> &columnInfo() const { return m_columns; }
    void setCaption(int column, const QString &caption);
    void setSourceColumn(int column, int sourceColumn);
    void setAlignment(int column, Qt::Alignment alignment);
    void setGroupCaptions(const QStringList &captions) { m_groupCaptions = captions; }
    void setEditable(bool editable) { m_editable = editable; }
    void setBooleanTexts(const QString &yes, const QString &no);

    // The index is rebuilt between these two calls.
    void beginRebuild() { beginResetModel(); }
    void endRebuild() { endResetModel(); }

    bool isGroup(const QModelIndex &index) const;
    int groupOf(const QModelIndex &index) const;     // -1 for a data row
    int sourceRowOf(const QModelIndex &index) const; // -1 for a group row
    QModelIndex indexOfGroup(int group, int column = 0) const;
    QModelIndex indexOfPosition(int position, int column = 0) const; // a data row of rows()
    QString groupText(int group) const;

    // What a data cell shows, read with one look at the source: its text, its horizontal
    // alignment and, for a boolean, its tick (Qt::CheckState; -1 for other values).
    struct Cell
    {
        QString text;
        Qt::Alignment alignment = Qt::AlignLeft;
        int check = -1;
    };
    Cell cell(const QModelIndex &index) const;

    // How the grid shows a model value: date-times in the user's short format, numbers plain.
    QString displayText(const QVariant &value) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // The node an index stands for: a group (>= 0) or a data row position (group -1).
    struct Node
    {
        int group = -1;
        int position = -1;
    };
    Node nodeOf(const QModelIndex &index) const;
    QModelIndex sourceIndex(const QModelIndex &index) const;

    GridIndex &m_index;
    QPointer<QAbstractItemModel> m_source;
    std::vector<ColumnInfo> m_columns;
    QStringList m_groupCaptions;
    QString m_yes = QStringLiteral("Da");
    QString m_no = QStringLiteral("Ne");
    bool m_editable = false;
};

} // namespace tarnwick
