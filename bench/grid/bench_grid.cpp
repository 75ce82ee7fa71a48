// End-to-end timings of the data grid on 100,000 report-like rows: what the operator waits for
// after a header click, a drop on the grouping panel, a filter button, a repaint or an export.
// Each figure includes the view's relayout and one repaint of the visible rows, since that is
// when the result is on screen. Run on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen bench_grid [rows]
#include "DataGrid.h"
#include "ReportSample.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

using namespace tarnwick;

namespace {

struct Figure
{
    double median = 0;
    double best = 0;
};

Figure measure(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

void report(const char *what, const Figure &f)
{
    std::printf("| %-62s | %9.2f | %9.2f |\n", what, f.median, f.best);
    std::fflush(stdout);
}

std::unique_ptr<DataGrid> makeGrid(MemDataset &data)
{
    auto grid = std::make_unique<DataGrid>();
    grid->setObjectName("vwRep");
    grid->setColumns(reportColumns());
    grid->setModel(&data);
    const DataGrid *g = grid.get();
    grid->setContentStyleCallback([g](int row) { return reportRowColour(*g, row); });
    grid->resize(1000, 800);
    grid->show();
    QCoreApplication::processEvents();
    grid->view()->viewport()->repaint();
    return grid;
}

// The result as the operator sees it: the index rebuilt, the view laid out and painted.
void settle(DataGrid &grid)
{
    grid.displayedRowCount();
    grid.view()->viewport()->repaint();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    QElapsedTimer fill;
    fill.start();
    auto data = makeReportSample(rows);
    std::printf("rows: %d, columns: %d (filled in %.0f ms)\n\n", data->rowCount(),
                data->columnCount(), double(fill.elapsed()));
    std::printf("| %-62s | %9s | %9s |\n", "Operation (100,000 rows unless said)", "median ms",
                "best ms");
    std::printf("|%s|%s|%s|\n", std::string(64, '-').c_str(), std::string(11, '-').c_str(),
                std::string(11, '-').c_str());

    std::unique_ptr<DataGrid> grid;
    auto fresh = [&] {
        grid.reset();
        grid = makeGrid(*data);
    };

    // "paint" as a second argument measures the painting alone (for profiling).
    const bool paintOnly = argc > 2 && std::string(argv[2]) == "paint";
    if (paintOnly)
        fresh();
    else {
        report("sort by a text column, first time (LastName, ~400 values)", measure(5, fresh, [&] {
                   grid->sortBy("vwRepLastName", SortDirection::Ascending);
                   settle(*grid);
               }));
        report("sort by the same column again (reverse order)",
               measure(
                   5, [] {},
                   [&] {
                       grid->sortBy("vwRepLastName",
                                    grid->columns()[1].sort == SortDirection::Ascending
                                        ? SortDirection::Descending
                                        : SortDirection::Ascending);
                       settle(*grid);
                   }));
        report("sort by date-time, first time (100,000 distinct values)", measure(5, fresh, [&] {
                   grid->sortBy("vwRepTerminalskoVremeRegistracije", SortDirection::Ascending);
                   settle(*grid);
               }));
        report("sort by text, first time (MediaID, ~15,000 distinct)", measure(5, fresh, [&] {
                   grid->sortBy("vwRepMediaID", SortDirection::Ascending);
                   settle(*grid);
               }));
        report("sort by two columns (DoorName, then date-time), first time", measure(5, fresh, [&] {
                   grid->sortBy("vwRepDoorName", SortDirection::Ascending);
                   grid->sortBy("vwRepTerminalskoVremeRegistracije", SortDirection::Descending,
                                true);
                   settle(*grid);
               }));
        report("group by one column, first time (DoorName, 60 groups)", measure(5, fresh, [&] {
                   grid->groupBy("vwRepDoorName");
                   settle(*grid);
               }));
        report("group by DoorName, all 60 groups expanded", measure(5, fresh, [&] {
                   grid->groupBy("vwRepDoorName");
                   grid->expandAll();
                   settle(*grid);
               }));
        report("group by date-time, first time (100,000 groups)", measure(5, fresh, [&] {
                   grid->groupBy("vwRepTerminalskoVremeRegistracije");
                   settle(*grid);
               }));
        report("open the filter popup, first time (DoorName, 60 values)", measure(5, fresh, [&] {
                   grid->openFilterPopup("vwRepDoorName");
                   grid->filterPopup()->repaint();
               }));
        report("open the filter popup, first time (date-time, 100,000 values)",
               measure(5, fresh, [&] {
                   grid->openFilterPopup("vwRepTerminalskoVremeRegistracije");
                   grid->filterPopup()->repaint();
               }));
        report("filter to one door (values known)",
               measure(
                   5,
                   [&] {
                       grid->clearFilters();
                       settle(*grid);
                   },
                   [&] {
                       grid->setFilter("vwRepDoorName",
                                       {grid->distinctValues("vwRepDoorName").at(3)});
                       settle(*grid);
                   }));
    }
    grid->clearFilters();
    grid->clearSorting();
    settle(*grid);
    QTreeView *view = grid->view();
    report("paint a screenful (1000x800 px, colour rule per row)",
           measure(
               101, [] {}, [&] { view->viewport()->repaint(); }));
    QScrollBar *scroll = view->verticalScrollBar();
    report("scroll a page down and paint (rows not painted before)",
           measure(
               101, [&] { scroll->setValue(scroll->value() + scroll->pageStep()); },
               [&] { view->viewport()->repaint(); }));
    std::printf("\n(a screenful: %d rows of %d visible columns)\n",
                view->viewport()->height() / std::max(1, view->sizeHintForRow(0)),
                int(grid->visibleColumns().size()));
    report("paint a screenful, grouped by DoorName with groups expanded",
           measure(
               101,
               [&] {
                   if (grid->groupedColumns().isEmpty()) {
                       grid->groupBy("vwRepDoorName");
                       grid->expandAll();
                       settle(*grid);
                   }
               },
               [&] { view->viewport()->repaint(); }));
    grid->clearGrouping();
    settle(*grid);
    report("paint a screenful, all 19 columns shown (1900x800 px)",
           measure(
               101,
               [&] {
                   if (grid->visibleColumns().size() < 19) {
                       for (const GridColumn &c : grid->columns())
                           grid->setColumnVisible(c.name, true);
                       grid->resize(1900, 800);
                       QCoreApplication::processEvents();
                       settle(*grid);
                   }
               },
               [&] { view->viewport()->repaint(); }));
    report("scroll a page down and paint, all 19 columns shown",
           measure(
               101, [&] { scroll->setValue(scroll->value() + scroll->pageStep()); },
               [&] { view->viewport()->repaint(); }));
    for (const GridColumn &c : reportColumns())
        grid->setColumnVisible(c.name, c.visible);
    grid->resize(1000, 800);
    QCoreApplication::processEvents();
    settle(*grid);

    if (paintOnly)
        return 0;
    QTemporaryDir dir;
    std::printf("\n(the export writes %d visible columns)\n", int(grid->visibleColumns().size()));
    report("export to .xls (visible columns, 100,000 rows, 2 sheets)",
           measure(
               3, [] {}, [&] { grid->exportToXls(dir.filePath("bench.xls")); }));

    // The worst case for texts: every value different, ordered through collation keys.
    MemDataset unique({{"Note", FieldType::Text, 50}});
    unique.open();
    for (int i = 0; i < rows; ++i)
        unique.appendRecord({{"Note", QString("Napomena %1 č").arg((i * 7919) % rows)}});
    std::unique_ptr<DataGrid> notes;
    report("sort by a text column of 100,000 distinct texts, first time",
           measure(
               5,
               [&] {
                   notes.reset();
                   notes = std::make_unique<DataGrid>();
                   notes->setModel(&unique);
                   notes->resize(1000, 800);
                   notes->show();
                   QCoreApplication::processEvents();
               },
               [&] {
                   notes->sortBy("Note", SortDirection::Ascending);
                   settle(*notes);
               }));
    return 0;
}
