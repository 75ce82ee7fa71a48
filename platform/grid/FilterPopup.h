#pragma once

#include <QFrame>

class QListView;
class QPushButton;

namespace tarnwick {

class DataGrid;
class FilterValuesModel;

// The filter popup of a header: the column's distinct values to tick, with buttons for all and
// none. Every tick filters the grid at once; all values ticked is no filter.
class FilterPopup : public QFrame
{
    Q_OBJECT
public:
    explicit FilterPopup(DataGrid *grid);
    ~FilterPopup() override;

    void openFor(int column, const QPoint &globalPos);
    int column() const { return m_column; }
    QListView *list() const { return m_list; }
    // Ticks or unticks the value at a row of the list (0 is the first value), as a click does.
    void toggleRow(int row);
    void setAll(bool checked);

protected:
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    DataGrid *m_grid;
    FilterValuesModel *m_values;
    QListView *m_list;
    QPushButton *m_all;
    QPushButton *m_none;
    int m_column = -1;
};

} // namespace tarnwick
