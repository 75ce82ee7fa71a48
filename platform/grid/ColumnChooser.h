#pragma once

#include <QListWidget>
#include <QWidget>

namespace tarnwick {

class DataGrid;

// The column chooser of a DataGrid ("customisation mode"): a small tool window listing the
// hidden columns by caption. A column dragged from it onto the header is shown there, onto
// the grouping panel is grouped; a header dragged into it is hidden.
class ColumnChooser : public QWidget
{
    Q_OBJECT
public:
    explicit ColumnChooser(DataGrid *grid);

    void refresh();
    QListWidget *list() const { return m_list; }
    QStringList listedColumns() const; // column names, as listed

private:
    class List;
    DataGrid *m_grid;
    QListWidget *m_list;
};

} // namespace tarnwick
