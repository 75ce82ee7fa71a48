// tarnwick-grid-demo: the data grid on 100,000 report-like rows in a window of its own, for
// looking at it and trying it by hand. The toolbar's buttons (and keys) are those the program's
// report offers: grouping panel (Ctrl+G), column chooser (Ctrl+K), export (F2, to the file given
// as the first argument, default /tmp/tarnwick-grid-demo.xls), and expand/collapse all.
#include "DataGrid.h"
#include "ReportSample.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QToolBar>

using namespace tarnwick;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString exportPath =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/tarnwick-grid-demo.xls");
    const int rows = argc > 2 ? std::atoi(argv[2]) : 100000;
    auto data = makeReportSample(rows);

    QMainWindow window;
    window.setWindowTitle("tarnwick-grid-demo");
    auto *grid = new DataGrid(&window);
    grid->setObjectName("gridRep");
    grid->setViewName("vwRep");
    grid->setEmptyText("Nema podataka za prikaz");
    grid->setGroupPanelPrompt("Ovde mišem dovucite kolone po kojima želite da grupišete podatke");
    grid->setColumns(reportColumns());
    grid->setModel(data.get());
    grid->setContentStyleCallback([grid](int row) { return reportRowColour(*grid, row); });
    window.setCentralWidget(grid);

    auto *bar = window.addToolBar("tbReport");
    QAction *panel = bar->addAction("Panel za grupisanje");
    panel->setCheckable(true);
    panel->setShortcut(QKeySequence("Ctrl+G"));
    QObject::connect(panel, &QAction::triggered, grid, &DataGrid::setGroupPanelVisible);
    QObject::connect(grid, &DataGrid::groupPanelVisibleChanged, panel, &QAction::setChecked);
    QAction *chooser = bar->addAction("Kolone...");
    chooser->setShortcut(QKeySequence("Ctrl+K"));
    QObject::connect(chooser, &QAction::triggered, grid, &DataGrid::showColumnChooser);
    QAction *excel = bar->addAction("Izvoz u Excel...");
    excel->setShortcut(QKeySequence(Qt::Key_F2));
    auto *status = new QLabel;
    window.statusBar()->addWidget(status, 1);
    QObject::connect(excel, &QAction::triggered, grid, [=] {
        grid->exportToXls(exportPath);
        status->setText("Izvezeno: " + exportPath);
    });
    QObject::connect(bar->addAction("Otvori grupe"), &QAction::triggered, grid,
                     &DataGrid::expandAll);
    QObject::connect(bar->addAction("Zatvori grupe"), &QAction::triggered, grid,
                     &DataGrid::collapseAll);
    QObject::connect(grid, &DataGrid::focusedRowChanged, status, [=](int row) {
        status->setText(
            QString("Redova: %1   Fokus: %2")
                .arg(grid->displayedRowCount())
                .arg(row < 0 ? QString("grupa") : grid->value(row, "vwRepLastName").toString()));
    });
    window.resize(1100, 700);
    window.show();
    return app.exec();
}
