#include "DataGrid.h"
#include "Error.h"
#include "GridRoles.h"
#include "MemDataset.h"
#include "RegistryStore.h"
#include "TableFixture.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using namespace tarnwick;

namespace {

QDateTime at(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODate);
}

// Seven rows with the cases that matter for ordering: nulls, case, a Serbian letter, integers
// beside doubles, equal values (for stability) and date-times.
QList<QVariantList> caseRows()
{
    const QVariant null;
    return {
        {1, "Zec", 10, at("2024-03-01T10:00:00"), "B"},
        {2, "ana", 9, at("2024-01-15T08:00:00"), "A"},
        {3, "Bora", 2.5, null, "B"},
        {4, null, 100, at("2023-12-31T23:59:00"), "A"},
        {5, "čaj", null, at("2024-01-15T07:59:00"), "B"},
        {6, "Dejan", -1, at("2024-02-29T12:00:00"), "A"},
        {7, "ANA", 9.0, at("2024-01-15T08:00:00"), null},
    };
}

QStringList caseFields()
{
    return {"Id", "Name", "Num", "When", "Team"};
}

QList<GridColumn> caseColumns()
{
    return {GridColumn::make("colId", "Id", "Broj"), GridColumn::make("colName", "Name", "Ime"),
            GridColumn::make("colNum", "Num", "Iznos"), GridColumn::make("colWhen", "When", "Kada"),
            GridColumn::make("colTeam", "Team", "Tim")};
}

QList<int> idsOf(const DataGrid &grid)
{
    QList<int> ids;
    for (int row : grid.displayedRows())
        ids << grid.value(row, "colId").toInt();
    return ids;
}

// The first pixel row of the viewport line that shows a source row, or -1.
QRect rowRect(DataGrid &grid, int sourceRow)
{
    QTreeView *view = grid.view();
    for (int r = 0; r < view->model()->rowCount(); ++r) {
        const QModelIndex i = view->model()->index(r, 0);
        if (grid.value(sourceRow, "colId") == view->model()->index(r, 0).data(Qt::EditRole))
            return view->visualRect(i);
    }
    return {};
}

QJsonObject readXls(const QString &path)
{
    QProcess p;
    // Beside this file; TARNWICK_SOURCE_DIR when run by CTest from another tree.
    QString script = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/dump_xls.py";
    if (qEnvironmentVariableIsSet("TARNWICK_SOURCE_DIR"))
        script = qEnvironmentVariable("TARNWICK_SOURCE_DIR") + "/tests/platform/grid/dump_xls.py";
    p.start("/usr/bin/python3", {script, path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning().noquote() << "xlrd failed:" << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QPoint centreOf(QWidget *from, QWidget *target)
{
    return from->mapFromGlobal(target->mapToGlobal(target->rect().center()));
}

// Presses on a header section and drags it to a point of another widget, in a few steps.
void dragHeader(DataGrid &grid, const QString &column, QWidget *target, QPoint targetPos = {})
{
    auto *header = qobject_cast<QHeaderView *>(grid.headerWidget());
    const int logical = grid.columnIndex(column);
    QWidget *vp = header->viewport();
    const QPoint start(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 3,
                       header->height() / 2);
    const QPoint end = targetPos.isNull() ? centreOf(vp, target)
                                          : vp->mapFromGlobal(target->mapToGlobal(targetPos));
    QTest::mousePress(vp, Qt::LeftButton, {}, start);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(vp, start + (end - start) * step / 4);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, end);
}

// Text pixels in the left part of a header section, where its caption starts.
int captionInk(QHeaderView *header, int logical)
{
    const QImage img = header->viewport()->grab().toImage();
    const int left = header->sectionViewportPosition(logical);
    int ink = 0;
    for (int x = left + 2; x < left + header->sectionSize(logical) * 2 / 5; ++x) {
        for (int y = 2; y < header->height() - 2; ++y)
            ink += qGray(img.pixel(x, y)) < 100;
    }
    return ink;
}

} // namespace

class TestDataGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void orderAndFilter_data();
    void orderAndFilter();
    void groupRows();
    void itemModels();
    void followsTheModel();
    void liveListRegistrations();
    void contentStyle();
    void layoutRoundTrip();
    void layoutEdgeCases();
    void exportReadBack();
    void exportError();
    void dragHeaderOntoGroupPanel();
    void dragHeaderIntoChooser();
    void filterPopupByMouse();
    void expandCollapseByKeyboardAndMouse();
    void editableCells();
    void doubleClickAndContextMenu();
};

void TestDataGrid::initTestCase()
{
    // A fixed locale for the date-time texts and the collation order.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestDataGrid::orderAndFilter_data()
{
    QTest::addColumn<QStringList>("sorts"); // "colName+" ascending, "colNum-" descending
    QTest::addColumn<QString>("filterColumn");
    QTest::addColumn<QVariantList>("filterValues");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QList<int>>("ids");

    const QVariantList none;
    QTest::newRow("text: nulls first, case-insensitive, Serbian letter in place")
        << QStringList{"colName+"} << "" << none << false << QList<int>{4, 7, 2, 3, 5, 6, 1};
    QTest::newRow("text descending")
        << QStringList{"colName-"} << "" << none << false << QList<int>{1, 6, 5, 3, 2, 7, 4};
    QTest::newRow("numbers numerically, 9 and 9.0 equal and stable")
        << QStringList{"colNum+"} << "" << none << false << QList<int>{5, 6, 3, 2, 7, 1, 4};
    QTest::newRow("date-times chronologically")
        << QStringList{"colWhen+"} << "" << none << false << QList<int>{3, 4, 5, 2, 7, 6, 1};
    QTest::newRow("ties keep the source order")
        << QStringList{"colTeam+"} << "" << none << false << QList<int>{7, 2, 4, 6, 1, 3, 5};
    QTest::newRow("two sort columns") << QStringList{"colTeam+", "colNum-"} << "" << none << false
                                      << QList<int>{7, 4, 2, 6, 1, 3, 5};
    QTest::newRow("filter by ticked values")
        << QStringList{} << "colTeam" << QVariantList{"A"} << false << QList<int>{2, 4, 6};
    QTest::newRow("filter leaving values out, sorted")
        << QStringList{"colName+"} << "colTeam" << QVariantList{"A"} << true
        << QList<int>{7, 3, 5, 1};
    QTest::newRow("filter on the null value")
        << QStringList{} << "colName" << QVariantList{QVariant()} << false << QList<int>{4};
    QTest::newRow("filter numbers: 9 matches 9.0")
        << QStringList{} << "colNum" << QVariantList{9, 100} << false << QList<int>{2, 4, 7};
    QTest::newRow("filter on date-times")
        << QStringList{"colId-"} << "colWhen" << QVariantList{at("2024-01-15T08:00:00")} << false
        << QList<int>{7, 2};
}

void TestDataGrid::orderAndFilter()
{
    QFETCH(QStringList, sorts);
    QFETCH(QString, filterColumn);
    QFETCH(QVariantList, filterValues);
    QFETCH(bool, exclude);
    QFETCH(QList<int>, ids);

    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    for (const QString &s : sorts)
        grid.sortBy(s.chopped(1),
                    s.endsWith('+') ? SortDirection::Ascending : SortDirection::Descending, true);
    if (!filterColumn.isEmpty())
        grid.setFilter(filterColumn, filterValues, exclude);
    QCOMPARE(idsOf(grid), ids);
    QCOMPARE(grid.sortedColumns().size(), sorts.size());
}

void TestDataGrid::groupRows()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.sortBy("colNum", SortDirection::Ascending);
    grid.groupBy("colTeam");
    // Grouped first (null, A, B), sorted by number inside each group.
    QCOMPARE(idsOf(grid), (QList<int>{7, 6, 2, 4, 5, 3, 1}));
    QVERIFY(!grid.isColumnVisible("colTeam")); // a grouped column leaves the header
    QAbstractItemModel *tree = grid.view()->model();
    QCOMPARE(tree->rowCount(), 3);
    QCOMPARE(tree->index(1, 0).data().toString(), QString("Tim: A (3)"));
    QCOMPARE(tree->index(2, 0).data().toString(), QString("Tim: B (3)"));
    QCOMPARE(tree->rowCount(tree->index(1, 0)), 3);
    model.setData(model.index(0, 3), at("2025-01-01T00:00:00")); // not a key: no re-grouping
    QCoreApplication::processEvents();
    QCOMPARE(tree->index(1, 0).data().toString(), QString("Tim: A (3)"));

    // A second level under the first, and the reversed order of the first level.
    grid.groupBy("colName");
    QCOMPARE(grid.groupedColumns(), (QStringList{"colTeam", "colName"}));
    QCOMPARE(tree->rowCount(tree->index(1, 0)), 3); // A: ana, Dejan, null
    grid.sortBy("colTeam", SortDirection::Descending, true);
    grid.ungroup("colName");
    QCOMPARE(idsOf(grid), (QList<int>{5, 3, 1, 6, 2, 4, 7}));

    // Ungrouping gives the column back to the header only when it was shown before.
    grid.ungroup("colTeam");
    QVERIFY(grid.isColumnVisible("colTeam"));
    grid.setColumnVisible("colName", false);
    grid.groupBy("colName");
    grid.clearGrouping();
    QVERIFY(!grid.isColumnVisible("colName"));
}

void TestDataGrid::itemModels()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    QAbstractItemModelTester tester(grid.view()->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.groupBy("colTeam");
    grid.groupBy("colName");
    grid.expandAll();
    grid.sortBy("colWhen", SortDirection::Descending);
    grid.setFilter("colNum", {9, 10, 100}, false);
    model.append({8, "Zec", 9, at("2024-05-01T00:00:00"), "A"});
    model.removeFirst(2);
    model.setData(model.index(0, 4), "C");
    grid.displayedRowCount();
    model.reset(caseRows());
    grid.displayedRowCount();
    grid.clearGrouping();
    grid.displayedRowCount();
    QVERIFY(!QTest::currentTestFailed());

    // The filter popup's list of values is an item model too.
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.openFilterPopup("colTeam");
    auto *list = grid.filterPopup()->findChild<QListView *>("filterValues");
    QVERIFY(list);
    QAbstractItemModelTester listTester(list->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(list->model()->rowCount(), 3); // null, A, B
    QCOMPARE(list->model()->index(0, 0).data().toString(), QString("(prazno)"));
    QCOMPARE(list->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
}

void TestDataGrid::followsTheModel()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    QSignalSpy focus(&grid, &DataGrid::focusedRowChanged);
    grid.sortBy("colNum", SortDirection::Ascending);
    QVERIFY(grid.focusSourceRow(1)); // Id 2
    QCOMPARE(grid.focusedSourceRow(), 1);
    QCOMPARE(focus.last().at(0).toInt(), 1);

    // Rows appended at the end and removed at the front keep the focused record.
    model.append({8, "Vesna", 50, at("2024-06-01T00:00:00"), "A"});
    model.removeFirst(1);
    QCOMPARE(grid.focusedSourceRow(), 0);
    QCOMPARE(grid.value(grid.focusedSourceRow(), "colId").toInt(), 2);
    QCOMPARE(idsOf(grid), (QList<int>{5, 6, 3, 2, 7, 8, 4}));

    // A reset (the report run again) keeps sorting and grouping and focuses the first row.
    grid.groupBy("colTeam");
    grid.expandAll();
    QList<QVariantList> rows = caseRows();
    rows.removeLast();
    model.reset(rows);
    QCOMPARE(grid.groupedColumns(), QStringList{"colTeam"});
    QCOMPARE(idsOf(grid), (QList<int>{6, 2, 4, 5, 3, 1}));
    QTreeView *view = grid.view();
    QCOMPARE(view->currentIndex().row(), 0);
    QVERIFY(!view->currentIndex().parent().isValid()); // the first row: group "A"
    QVERIFY(grid.isGroupExpanded({"A"}));              // and the groups stay open
    QCOMPARE(grid.focusedSourceRow(), -1);

    // A data change in a sorted column moves the row.
    grid.clearGrouping();
    model.setData(model.index(0, 2), -100); // Id 1 from 10 to -100, after the null of Id 5
    QCOMPARE(idsOf(grid).mid(0, 2), (QList<int>{5, 1}));
}

void TestDataGrid::liveListRegistrations()
{
    // The live list: an in-memory dataset that gets one row per registration and is trimmed to
    // the most rows it keeps; the hidden colour columns stay readable.
    MemDataset regs({{"MediaID", FieldType::Text, 50},
                     {"LastName", FieldType::Text, 50},
                     {"NonID", FieldType::Boolean},
                     {"RegType", FieldType::Integer},
                     {"EmpID", FieldType::Text, 50}});
    regs.open();
    DataGrid grid;
    grid.setObjectName("gridRegs");
    grid.setViewName("vwRegs");
    grid.setSortingEnabled(false);
    grid.setColumns({GridColumn::make("vwRegsMediaID", "MediaID", "", false),
                     GridColumn::make("vwRegsLastName", "LastName", "Prezime"),
                     GridColumn::make("vwRegsNonID", "NonID", "", false),
                     GridColumn::make("vwRegsRegType", "RegType", "Tip", false),
                     GridColumn::make("vwRegsEmpID", "EmpID", "ID zaposlenog", false)});
    grid.setModel(&regs);
    grid.resize(500, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    int paints = 0;
    int colourCalls = 0;
    struct PaintCounter : QObject
    {
        int *count;
        PaintCounter(int *c) : count(c) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++*count;
            return false;
        }
    } counter(&paints);
    grid.view()->viewport()->installEventFilter(&counter);
    grid.setContentStyleCallback([&](int row) -> std::optional<QColor> {
        ++colourCalls;
        if (grid.value(row, "vwRegsEmpID").isNull())
            return QColor(Qt::yellow);
        return std::nullopt;
    });

    const int maxListItems = 3;
    const QStringList names{"A", "B", "C", "D"};
    for (const QString &name : names) {
        QCoreApplication::processEvents();
        paints = 0;
        colourCalls = 0;
        grid.beginUpdate();
        const int row = regs.appendRecord({{"MediaID", name}, {"LastName", name}});
        regs.setValue(row, "NonID", false);
        regs.setValue(row, "RegType", 0);
        while (regs.rowCount() > maxListItems)
            regs.removeFirst(1);
        grid.focusSourceRow(regs.rowCount() - 1);
        grid.view()->viewport()->repaint(); // suspended: nothing is painted or asked
        QCOMPARE(paints, 0);
        QCOMPARE(colourCalls, 0);
        grid.endUpdate();
        QTRY_VERIFY(paints >= 1);
        QCoreApplication::processEvents();
        QCOMPARE(paints, 1); // one repaint per registration
        QVERIFY(colourCalls > 0);
    }
    QCOMPARE(grid.displayedRowCount(), 3);
    QCOMPARE(grid.focusedSourceRow(), 2);
    QCOMPARE(grid.value(2, "vwRegsMediaID").toString(), QString("D")); // hidden, still readable
    QCOMPARE(grid.value(0, "vwRegsMediaID").toString(), QString("B"));
    QCOMPARE(grid.value(0, "vwRegsNonID"), QVariant(false));
    QCOMPARE(grid.visibleColumns(), QStringList{"vwRegsLastName"});
}

void TestDataGrid::contentStyle()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    const QColor red(200, 0, 0);
    grid.setContentStyleCallback([&](int row) -> std::optional<QColor> {
        const int id = grid.value(row, "colId").toInt();
        if (id == 3)
            throw Error("not a number"); // must leave the default look
        if (id == 1 || id == 2)
            return red;
        return std::nullopt;
    });
    QWidget other;
    auto *edit = new QPushButton("x", &other);
    grid.resize(500, 300);
    grid.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.focusSourceRow(0); // Id 1, coloured
    other.activateWindow();
    edit->setFocus();
    QTRY_VERIFY(!grid.view()->hasFocus());

    const QImage image = grid.view()->viewport()->grab().toImage();
    auto colourAt = [&](int sourceRow) {
        const QRect r = rowRect(grid, sourceRow);
        return image.pixelColor(r.left() + 3, r.center().y()); // left of the right-aligned Id
    };
    const QColor base = grid.view()->palette().color(QPalette::Base);
    QCOMPARE(colourAt(1), red);  // Id 2
    QCOMPARE(colourAt(0), red);  // Id 1: focused, but the grid has no focus: no highlight
    QCOMPARE(colourAt(2), base); // Id 3: the callback threw
    QCOMPARE(colourAt(3), base); // Id 4: no colour
}

void TestDataGrid::layoutRoundTrip()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Tarnwick.reg");
    const QString key = "Grids\\GridEvents";
    TableFixture model(caseFields(), caseRows());
    auto makeRep = [&] {
        auto g = std::make_unique<DataGrid>();
        g->setObjectName("vwRep");
        g->setColumns(caseColumns());
        g->setModel(&model);
        return g;
    };
    auto makeRegs = [&] {
        auto g = std::make_unique<DataGrid>();
        g->setObjectName("vwRegs");
        QList<GridColumn> cols = caseColumns();
        cols[0].name = "vwRegsId"; // a view with other column names in the same key
        cols[4].visible = false;
        g->setColumns(cols);
        g->setModel(&model);
        return g;
    };
    {
        auto rep = makeRep();
        auto regs = makeRegs();
        rep->setColumnVisible("colWhen", false);
        rep->moveColumn("colNum", 0);
        rep->setColumnWidth("colName", 150);
        rep->sortBy("colName", SortDirection::Descending);
        rep->sortBy("colId", SortDirection::Ascending, true);
        rep->groupBy("colTeam");
        rep->setGroupPanelVisible(true);
        regs->setColumnVisible("colTeam", true);
        regs->setColumnVisible("colName", false);
        regs->moveColumn("vwRegsId", 3);
        regs->setColumnWidth("colNum", 33);
        RegistryStore store(file);
        rep->saveLayout(store, key);
        regs->saveLayout(store, key); // the second save leaves the first view's entries
        store.save();
    }
    RegistryStore store(file);
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    QVERIFY(store.hasKey(key + "\\vwRep\\colTeam"));
    QVERIFY(store.hasKey(key + "\\vwRegs\\vwRegsId"));

    auto rep = makeRep();
    auto regs = makeRegs();
    rep->restoreLayout(store, key);
    regs->restoreLayout(store, key);
    QCOMPARE(rep->visibleColumns(), (QStringList{"colNum", "colId", "colName"}));
    QCOMPARE(rep->columnWidth("colName"), 150);
    QCOMPARE(rep->sortedColumns(), (QStringList{"colName", "colId"}));
    QCOMPARE(rep->groupedColumns(), QStringList{"colTeam"});
    QVERIFY(rep->isGroupPanelVisible());
    QCOMPARE(idsOf(*rep), (QList<int>{7, 6, 2, 4, 1, 5, 3}));
    rep->ungroup("colTeam");
    QVERIFY(rep->isColumnVisible("colTeam")); // it was shown before it was grouped

    QCOMPARE(regs->visibleColumns(), (QStringList{"colNum", "colWhen", "vwRegsId", "colTeam"}));
    QCOMPARE(regs->columnWidth("colNum"), 33);
    QVERIFY(regs->groupedColumns().isEmpty());
    QVERIFY(!regs->isGroupPanelVisible());
}

void TestDataGrid::layoutEdgeCases()
{
    const QString key = "Grids\\GridEvents";
    TableFixture model(caseFields(), caseRows());
    RegistryStore store(QDir::temp().filePath("unused.reg"));
    DataGrid grid;
    grid.setObjectName("vwRep");
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    const QStringList designed = grid.visibleColumns();

    grid.restoreLayout(store, key); // nothing stored: the designed layout stays
    QCOMPARE(grid.visibleColumns(), designed);

    // A stored column the view lacks is passed over; columns not stored keep their design.
    store.setValue(key + "\\vwRep\\colGone", "Visible", RegValue::number(1));
    store.setValue(key + "\\vwRep\\colGone", "Index", RegValue::number(0));
    store.setValue(key + "\\vwRep\\colWhen", "Visible", RegValue::number(0));
    store.setValue(key + "\\vwRep\\colWhen", "Width", RegValue::number(222));
    store.setValue(key + "\\vwRep\\colTeam", "Index", RegValue::number(0));
    grid.restoreLayout(store, key);
    QCOMPARE(grid.visibleColumns(), (QStringList{"colTeam", "colId", "colName", "colNum"}));
    QCOMPARE(grid.columnWidth("colWhen"), 222);
    QCOMPARE(grid.columnIndex("colGone"), -1);

    // Filters are not part of the layout.
    grid.setFilter("colTeam", {"A"});
    grid.saveLayout(store, key);
    DataGrid again;
    again.setObjectName("vwRep");
    again.setColumns(caseColumns());
    again.setModel(&model);
    again.restoreLayout(store, key);
    QVERIFY(!again.isFiltered("colTeam"));
    QCOMPARE(again.displayedRowCount(), 7);
    QVERIFY(store.hasKey(key + "\\vwRep\\colGone")); // saving does not clear the key
}

void TestDataGrid::exportReadBack()
{
    QTemporaryDir dir;
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.setColumnVisible("colId", false);
    grid.moveColumn("colWhen", 0);
    grid.sortBy("colNum", SortDirection::Descending);
    grid.groupBy("colTeam");
    grid.expandAll();
    QVERIFY(grid.setGroupExpanded({"B"}, false)); // its rows are left out

    const QString path = dir.filePath("grid.xls");
    grid.exportToXls(path);
    const QJsonObject book = readXls(path);
    const QJsonArray rows = book["sheets"].toArray().at(0).toObject()["rows"].toArray();
    auto cell = [&](int r, int c) { return rows.at(r).toArray().at(c).toObject(); };
    auto texts = [&](int r) {
        QStringList t;
        for (const QJsonValue &v : rows.at(r).toArray())
            t << v.toObject()["value"].toVariant().toString();
        return t;
    };
    // Header, group null with row 7, group A with 4, 2, 6, group B collapsed.
    QCOMPARE(rows.size(), 1 + 2 + 4 + 1);
    QCOMPARE(texts(0), (QStringList{"Kada", "Ime", "Iznos"}));
    QCOMPARE(cell(1, 0)["value"].toString(), QString("Tim:  (1)"));
    QCOMPARE(cell(2, 0)["type"].toString(), QString("date"));
    QCOMPARE(cell(2, 0)["value"].toString(), QString("2024-01-15 08:00:00"));
    QCOMPARE(cell(2, 1)["type"].toString(), QString("text"));
    QCOMPARE(cell(2, 1)["value"].toString(), QString("ANA"));
    QCOMPARE(cell(2, 2)["type"].toString(), QString("number"));
    QCOMPARE(cell(3, 0)["value"].toString(), QString("Tim: A (3)"));
    QCOMPARE(cell(4, 2)["value"].toDouble(), 100.0);
    QCOMPARE(cell(4, 1)["type"].toString(), QString("empty")); // a null name
    QCOMPARE(cell(5, 1)["value"].toString(), QString("ana"));
    QCOMPARE(cell(6, 2)["value"].toDouble(), -1.0);
    QCOMPARE(cell(7, 0)["value"].toString(), QString("Tim: B (3)"));

    // Ungrouped, the rows in their sorted order and Unicode texts intact.
    grid.clearGrouping();
    grid.exportToXls(path);
    const QJsonArray flat = readXls(path)["sheets"].toArray().at(0).toObject()["rows"].toArray();
    QCOMPARE(flat.size(), 8);
    QCOMPARE(flat.at(0).toArray().size(), 4); // Kada, Ime, Iznos, Tim
    QCOMPARE(flat.at(7).toArray().at(1).toObject()["value"].toString(), QString("čaj"));
    QCOMPARE(flat.at(1).toArray().at(2).toObject()["value"].toDouble(), 100.0);
    QCOMPARE(flat.at(3).toArray().at(2).toObject()["value"].toDouble(), 9.0);
}

void TestDataGrid::exportError()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setModel(&model); // no declared columns: one per field
    QCOMPARE(grid.visibleColumns(), caseFields());
    QVERIFY_THROWS_EXCEPTION(Error, grid.exportToXls("/nonexistent-folder/x/grid.xls"));
}

void TestDataGrid::dragHeaderOntoGroupPanel()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.setGroupPanelPrompt("Ovde mišem dovucite kolone po kojima želite da grupišete podatke");
    QSignalSpy panelSpy(&grid, &DataGrid::groupPanelVisibleChanged);
    grid.setGroupPanelVisible(true);
    QCOMPARE(panelSpy.count(), 1);
    grid.resize(700, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QWidget *panel = grid.groupPanel();
    QTRY_VERIFY(panel->isVisible());

    dragHeader(grid, "colTeam", panel);
    QCOMPARE(grid.groupedColumns(), QStringList{"colTeam"});
    QVERIFY(!grid.isColumnVisible("colTeam"));
    QTRY_COMPARE(grid.view()->model()->rowCount(), 3); // the view follows at the next event

    // A second header dropped left of the first box becomes the outer level.
    dragHeader(grid, "colName", panel, QPoint(2, panel->height() / 2));
    QCOMPARE(grid.groupedColumns(), (QStringList{"colName", "colTeam"}));

    // Dragging a header away hides its column; moving one along the header reorders.
    dragHeader(grid, "colNum", grid.view()->viewport(), QPoint(100, 200));
    QVERIFY(!grid.isColumnVisible("colNum"));
    auto *header = qobject_cast<QHeaderView *>(grid.headerWidget());
    dragHeader(grid, "colWhen", header->viewport(), QPoint(2, header->height() / 2));
    QCOMPARE(grid.visibleColumns(), (QStringList{"colWhen", "colId"}));

    // Escape during a drag drops nothing.
    {
        const int li = grid.columnIndex("colId");
        QWidget *vp = header->viewport();
        const QPoint start(header->sectionViewportPosition(li) + 10, header->height() / 2);
        const QPoint end = centreOf(vp, panel);
        QTest::mousePress(vp, Qt::LeftButton, {}, start);
        QTest::mouseMove(vp, (start + end) / 2);
        QTest::mouseMove(vp, end);
        QWidget *image = grid.findChild<QWidget *>("columnDragImage");
        QVERIFY(image && image->isVisible()); // the floating caption follows the mouse
        QTest::keyClick(grid.view(), Qt::Key_Escape);
        QVERIFY(!image->isVisible());
        QTest::mouseRelease(vp, Qt::LeftButton, {}, end);
        QCOMPARE(grid.groupedColumns(), (QStringList{"colName", "colTeam"}));
        QVERIFY(grid.isColumnVisible("colId"));
    }

    // A click on a header sorts by it; on the filter button it opens the popup instead.
    const int id = grid.columnIndex("colId");
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(id) + 10, header->height() / 2));
    QCOMPARE(grid.sortedColumns(), QStringList{"colId"});
}

void TestDataGrid::dragHeaderIntoChooser()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    QList<GridColumn> cols = caseColumns();
    cols[3].visible = false; // colWhen starts hidden
    grid.setColumns(cols);
    grid.setModel(&model);
    grid.resize(600, 300);
    QVERIFY(!grid.showColumnChooser()); // never on screen yet: nothing opens
    QVERIFY(!grid.isColumnChooserVisible());
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QVERIFY(grid.hasBeenShown());
    QVERIFY(grid.showColumnChooser());
    QWidget *chooser = grid.columnChooser();
    chooser->move(grid.mapToGlobal(QPoint(grid.width() + 40, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    auto *list = chooser->findChild<QListWidget *>("columnChooserList");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QString("Kada"));

    dragHeader(grid, "colNum", list->viewport());
    QVERIFY(!grid.isColumnVisible("colNum"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QString("Iznos"));

    // Back from the chooser onto the header, before the first column.
    auto *header = qobject_cast<QHeaderView *>(grid.headerWidget());
    const QPoint start = list->visualItemRect(list->item(1)).center(); // "Kada"
    const QPoint end = list->viewport()->mapFromGlobal(
        header->viewport()->mapToGlobal(QPoint(3, header->height() / 2)));
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(list->viewport(), start + QPoint(0, 10));
    QTest::mouseMove(list->viewport(), end);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, end);
    QCOMPARE(grid.visibleColumns(), (QStringList{"colWhen", "colId", "colName", "colTeam"}));
    QCOMPARE(list->count(), 1);
}

void TestDataGrid::filterPopupByMouse()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.setEmptyText("Nema podataka za prikaz");
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    auto *header = qobject_cast<QHeaderView *>(grid.headerWidget());
    const int team = grid.columnIndex("colTeam");
    const QPoint button(header->sectionViewportPosition(team) + header->sectionSize(team) - 9,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button);
    QWidget *popup = grid.filterPopup();
    QVERIFY(popup && popup->isVisible());
    QVERIFY(grid.sortedColumns().isEmpty()); // the button does not sort
    auto *list = popup->findChild<QListView *>("filterValues");
    QCOMPARE(list->model()->rowCount(), 3);

    // Untick B: the rows of B go, the others stay.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(2, 0)).center());
    QVERIFY(grid.isFiltered("colTeam"));
    QCOMPARE(idsOf(grid), (QList<int>{2, 4, 6, 7}));
    QVERIFY(popup->isVisible());          // ticks apply at once, the popup stays
    QTest::keyClick(list, Qt::Key_Space); // B, the current value, ticked again
    QCOMPARE(grid.displayedRowCount(), 7);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(idsOf(grid), (QList<int>{2, 4, 6, 7}));

    QTest::mouseClick(popup->findChild<QPushButton *>("filterNone"), Qt::LeftButton);
    QCOMPARE(grid.displayedRowCount(), 0);
    QTest::mouseClick(popup->findChild<QPushButton *>("filterAll"), Qt::LeftButton);
    QVERIFY(!grid.isFiltered("colTeam"));
    QCOMPARE(grid.displayedRowCount(), 7);

    // With filtering off the header has no buttons and a click there sorts; the sorted
    // header keeps its caption beside the arrow.
    popup->hide();
    grid.setFilteringEnabled(false);
    const int inkBefore = captionInk(header, team);
    QVERIFY(inkBefore > 10);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button);
    QCOMPARE(grid.sortedColumns(), QStringList{"colTeam"});
    QVERIFY(!popup->isVisible());
    QCOMPARE(captionInk(header, team), inkBefore);
}

void TestDataGrid::expandCollapseByKeyboardAndMouse()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.groupBy("colTeam");
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QTreeView *view = grid.view();
    view->setFocus();
    QVERIFY(!grid.isGroupExpanded({"A"})); // groups start collapsed
    view->setCurrentIndex(view->model()->index(1, 0));
    QTest::keyClick(view, Qt::Key_Right);
    QVERIFY(grid.isGroupExpanded({"A"}));
    QTest::keyClick(view, Qt::Key_Left);
    QVERIFY(!grid.isGroupExpanded({"A"}));

    const QRect b = view->visualRect(view->model()->index(2, 2)); // on a later column
    const QPoint onB = b.center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, onB);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, onB);
    QVERIFY(grid.isGroupExpanded({"B"}));

    // Focusing a row inside a collapsed group opens it.
    grid.collapseAll();
    QVERIFY(grid.focusSourceRow(5)); // Id 6, team A
    QVERIFY(grid.isGroupExpanded({"A"}));
    QCOMPARE(grid.focusedSourceRow(), 5);
}

void TestDataGrid::editableCells()
{
    // The service list: editable cells, sorted by computer, no filter buttons.
    TableFixture model({"Computer", "IPPort", "ComPort"},
                       {{"pc-b", 15027, 1}, {"pc-a", 15028, 2}, {"pc-c", 15029, 3}});
    DataGrid grid;
    grid.setObjectName("vwPorvik");
    QList<GridColumn> cols{GridColumn::make("vwPorvikComputer", "Computer", "Računar", true, 267),
                           GridColumn::make("vwPorvikIPPort", "IPPort", "IP port", true, 76),
                           GridColumn::make("vwPorvikComPort", "ComPort", "Com port", false)};
    cols[0].sort = SortDirection::Ascending;
    grid.setColumns(cols);
    grid.setEditable(true);
    grid.setRowSelect(false);
    grid.setFilteringEnabled(false);
    grid.setModel(&model);
    grid.resize(500, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QCOMPARE(grid.displayedRows(), (QList<int>{1, 0, 2}));

    QTreeView *view = grid.view();
    const QModelIndex port = view->model()->index(2, 1); // pc-c's port
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(port).center());
    auto editorOpen = [&] {
        QWidget *f = QApplication::focusWidget();
        return f && f != view && view->viewport()->isAncestorOf(f);
    };
    QCOMPARE(view->currentIndex(), port);
    QVERIFY(!editorOpen()); // the first click only focuses
    QTest::keyClick(view, Qt::Key_F2);
    QVERIFY(editorOpen());
    QWidget *editor = QApplication::focusWidget();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "16000");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(model.data(model.index(2, 1), Qt::EditRole).toInt(), 16000);
    QCOMPARE(model.edits(), 1);

    // Renaming re-sorts, and the edited record stays focused.
    grid.focusSourceRow(2);
    model.setData(model.index(2, 0), "pc-0");
    QCOMPARE(grid.displayedRows(), (QList<int>{2, 1, 0}));
    QCOMPARE(grid.focusedSourceRow(), 2);
}

void TestDataGrid::doubleClickAndContextMenu()
{
    TableFixture model(caseFields(), caseRows());
    DataGrid grid;
    grid.setColumns(caseColumns());
    grid.setModel(&model);
    grid.resize(600, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy dbl(&grid, &DataGrid::rowDoubleClicked);
    QSignalSpy menu(&grid, &DataGrid::contextMenuRequested);
    QTreeView *view = grid.view();
    const QPoint third = view->visualRect(view->model()->index(2, 1)).center();
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, third);
    QCOMPARE(dbl.count(), 1);
    QCOMPARE(dbl.at(0).at(0).toInt(), 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, third, view->viewport()->mapToGlobal(third));
    QCoreApplication::sendEvent(view->viewport(), &event);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.at(0).at(0).toPoint(), view->viewport()->mapToGlobal(third));
}

QTEST_MAIN(TestDataGrid)
#include "tst_DataGrid.moc"
