// The report as the operator uses it: the main window on a fixture database, its pickers, the
// report command, row texts and colours, the photo panel, double-click, export and the grid
// commands, and the layouts across a restart.
#include "ADOConnectionMSSQL.h"
#include "Clock.h"
#include "DataGrid.h"
#include "FileDialogs.h"
#include "FormStorage.h"
#include "ImageBox.h"
#include "MessageBoxes.h"
#include "QueryDataset.h"
#include "RegistryStore.h"
#include "ReportFixture.h"
#include "ReportPhotos.h"
#include "ReportQuery.h"
#include "ReportView.h"
#include "Styles.h"
#include "uDMMain.h"
#include "uTarnwick.h"

#include <QAction>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

using namespace tarnwick;
using fixtures::ReportFixture;

class TestReportView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void logActNameMix_data();
    void logActNameMix();
    void photoFileName_data();
    void photoFileName();
    void runShowsRowsNewestFirst();
    void rowTextsAndColours_data();
    void rowTextsAndColours();
    void photoPanelFollowsFocus();
    void openReportPhoto();
    void rerunUsesNewRangeAndFocusesFirstRow();
    void errorsShowProviderMessage();
    void exportThroughSaveDialog();
    void groupingPanelCommands();
    void columnChooserNeedsTheGridOnScreen();
    void layoutsSurviveRestart();

private:
    std::unique_ptr<TfTarnwick> openWindow(bool waitForConnection = true);
    void setRange(TfTarnwick &w, const QDateTime &from, const QDateTime &to);
    void runReport(TfTarnwick &w) { w.findChild<QToolButton *>(QStringLiteral("btnRep"))->click(); }
    int rowOf(TfTarnwick &w, const QString &mediaId, const QString &time);
    QJsonObject readXls(const QString &path);

    QTemporaryDir m_dir;
    QString m_fixture;
    std::unique_ptr<RegistryStore> m_store;
    QString m_language = QStringLiteral("en");
    QStringList m_boxes;
    QStringList m_opened;
};

void TestReportView::initTestCase()
{
    m_fixture = m_dir.filePath(QStringLiteral("fixture.db"));
    ReportFixture::createSqlite(m_fixture);
    // One snapshot on disk: Ana's registration of 5 March 2024 08:00:00.
    QDir(m_dir.path()).mkpath(QStringLiteral("photos/2024-03-05"));
    QImage snapshot(64, 48, QImage::Format_RGB32);
    snapshot.fill(Qt::darkCyan);
    QVERIFY(snapshot.save(m_dir.filePath(QStringLiteral("photos/2024-03-05/20240305-080000-12345678.jpg")), "JPG"));
}

void TestReportView::init()
{
    QFile::remove(m_dir.filePath(QStringLiteral("Tarnwick.reg")));
    m_store = std::make_unique<RegistryStore>(m_dir.filePath(QStringLiteral("Tarnwick.reg")));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"),
                      RegValue::string(QStringLiteral("Provider=SQLite;Data Source=") + m_fixture));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("DirImages"),
                      RegValue::string(m_dir.filePath(QStringLiteral("photos"))));
    m_boxes.clear();
    m_opened.clear();
    MessageBoxes::setInterceptor([this](const QString &caption, const QString &text, int icon) {
        m_boxes << QStringLiteral("%1|%2|%3").arg(caption, text).arg(icon);
    });
    ReportView::setOpener([this](const QString &path) { m_opened << path; });
}

void TestReportView::cleanup()
{
    MessageBoxes::setInterceptor({});
    ReportView::setOpener({});
    Clock::setFixed({});
}

std::unique_ptr<TfTarnwick> TestReportView::openWindow(bool waitForConnection)
{
    auto w = std::make_unique<TfTarnwick>(m_store.get(), &m_language);
    QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
    w->showFirstTime();
    if (waitForConnection)
        done.wait();
    return w;
}

void TestReportView::setRange(TfTarnwick &w, const QDateTime &from, const QDateTime &to)
{
    w.findChild<QDateEdit *>(QStringLiteral("dtDateFrom"))->setDate(from.date());
    w.findChild<QTimeEdit *>(QStringLiteral("dtTimeFrom"))->setTime(from.time());
    w.findChild<QDateEdit *>(QStringLiteral("dtDateTo"))->setDate(to.date());
    w.findChild<QTimeEdit *>(QStringLiteral("dtTimeTo"))->setTime(to.time());
}

int TestReportView::rowOf(TfTarnwick &w, const QString &mediaId, const QString &time)
{
    QueryDataset *q = w.report()->qryRepTW();
    const QDateTime when = QDateTime::fromString(time, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    for (int r = 0; r < q->rowCount(); ++r) {
        if (q->value(r, QStringLiteral("MediaID")).toString() == mediaId &&
            q->value(r, QStringLiteral("TerminalskoVremeRegistracije")).toDateTime() == when)
            return r;
    }
    return -1;
}

QJsonObject TestReportView::readXls(const QString &path)
{
    // An independent reader: xlrd, the sheets with every row's values and cell types.
    const char *script = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
out = {"sheets": []}
for sh in book.sheets():
    rows = []
    for r in range(sh.nrows):
        rows.append([{"t": sh.cell_type(r, c), "v": str(sh.cell_value(r, c))} for c in range(sh.ncols)])
    out["sheets"].append({"name": sh.name, "rows": rows})
print(json.dumps(out))
)";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

void TestReportView::logActNameMix_data()
{
    QTest::addColumn<QVariant>("nonId");
    QTest::addColumn<QVariant>("regType");
    QTest::addColumn<QVariant>("code");
    QTest::addColumn<QString>("expected");
    const QVariant noCode = QVariant(QMetaType::fromType<QString>());
    QTest::newRow("card read: the logical activity") << QVariant(0) << QVariant(0) << noCode << "Dolazak";
    QTest::newRow("REG2 AE") << QVariant(1) << QVariant(1) << QVariant("AE") << "Alarm otvoren";
    QTest::newRow("REG2 lower case ae") << QVariant(1) << QVariant(1) << QVariant("ae") << "Alarm otvoren";
    QTest::newRow("REG1 B0") << QVariant(1) << QVariant(0) << QVariant("B0") << "Direktna komanda 7";
    QTest::newRow("REG1 A6") << QVariant(1) << QVariant(0) << QVariant("A6") << QString::fromUtf8("Slučajan događaj 1");
    QTest::newRow("REG2 B0 has no name") << QVariant(1) << QVariant(1) << QVariant("B0") << "";
    QTest::newRow("REG2 B1 has no name") << QVariant(1) << QVariant(1) << QVariant("B1") << "";
    QTest::newRow("REG1 B1 last name") << QVariant(1) << QVariant(0) << QVariant("B1") << "Direktna komanda 8";
    QTest::newRow("REG1 B2 past the end") << QVariant(1) << QVariant(0) << QVariant("B2") << "";
    QTest::newRow("below 128: 7F") << QVariant(1) << QVariant(1) << QVariant("7F") << "";
    QTest::newRow("below 128: REG1 15") << QVariant(1) << QVariant(0) << QVariant("15") << "";
    QTest::newRow("other format reads REG1") << QVariant(1) << QVariant(-1) << QVariant("80") << "Senzor1 otvoren";
    QTest::newRow("not hexadecimal: empty, not an error") << QVariant(1) << QVariant(0) << QVariant("zz") << "";
    QTest::newRow("one digit: empty") << QVariant(1) << QVariant(0) << QVariant("A") << "";
    QTest::newRow("null code: empty") << QVariant(1) << QVariant(0) << noCode << "";
    QTest::newRow("null NonID: activity") << QVariant() << QVariant(0) << QVariant("AE") << "Dolazak";
}

void TestReportView::logActNameMix()
{
    QFETCH(QVariant, nonId);
    QFETCH(QVariant, regType);
    QFETCH(QVariant, code);
    QFETCH(QString, expected);
    QCOMPARE(report::LogActNameMix(nonId, regType, code, QStringLiteral("Dolazak")), expected);
}

void TestReportView::photoFileName_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QVariant>("card");
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "/srv/foto" << QVariant("12345678") << "/srv/foto/2010-02-19/20100219-095754-12345678.jpg";
    QTest::newRow("trailing separator doubles") << "/srv/foto/" << QVariant("12345678")
                                                << "/srv/foto//2010-02-19/20100219-095754-12345678.jpg";
    QTest::newRow("empty folder starts at the root") << "" << QVariant("12345678") << "/2010-02-19/20100219-095754-12345678.jpg";
    QTest::newRow("null card") << "/f" << QVariant(QMetaType::fromType<QString>()) << "/f/2010-02-19/20100219-095754-.jpg";
}

void TestReportView::photoFileName()
{
    QFETCH(QString, folder);
    QFETCH(QVariant, card);
    QFETCH(QString, expected);
    QCOMPARE(report::ReportPhotoFileName(folder, QDateTime(QDate(2010, 2, 19), QTime(9, 57, 54)), card), expected);
}

void TestReportView::runShowsRowsNewestFirst()
{
    auto w = openWindow();
    QVERIFY(w->dataModule()->connMain->isOpen());
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);
    QVERIFY2(m_boxes.isEmpty(), qPrintable(m_boxes.join(u'\n')));
    QueryDataset *q = w->report()->qryRepTW();
    const QList<fixtures::ReportRow> expected = ReportFixture::expectedRows();
    QCOMPARE(q->recordCount(), int(expected.size()));
    for (int r = 1; r < q->rowCount(); ++r)
        QVERIFY(q->value(r - 1, QStringLiteral("TerminalskoVremeRegistracije")).toDateTime() >=
                q->value(r, QStringLiteral("TerminalskoVremeRegistracije")).toDateTime());
    // Every row was computed its activity text; the grid shows them all.
    QCOMPARE(w->report()->gridRep()->displayedRowCount(), int(expected.size()));
    QCOMPARE(q->currentRow(), 0);
    QCOMPARE(w->report()->gridRep()->focusedSourceRow(), 0);
    QCOMPARE(w->savedRange().dateTo, QDate(2024, 3, 31));

    // Start later than stop: an empty report, no error.
    setRange(*w, QDateTime(QDate(2024, 3, 31), QTime(0, 0)), QDateTime(QDate(2024, 3, 1), QTime(0, 0)));
    runReport(*w);
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(q->recordCount(), 0);
}

void TestReportView::rowTextsAndColours_data()
{
    QTest::addColumn<QString>("card");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("activity");
    QTest::addColumn<QString>("style"); // empty: the grid's own colours

    QTest::newRow("REG2 alarm AE") << "00000000" << "2024-03-25 22:10:00" << "Alarm otvoren" << "stAlarm";
    QTest::newRow("REG1 ...B0: no class colour") << "000000B0" << "2024-03-12 12:00:00" << "Direktna komanda 7" << "";
    QTest::newRow("REG1 ...A6: direct-command colour")
        << "000000A6" << "2024-03-12 12:00:00" << QString::fromUtf8("Slučajan događaj 1") << "stDirectCmd";
    QTest::newRow("REG1 event below 128") << "0000007F" << "2024-03-13 13:00:00" << "" << "";
    QTest::newRow("REG2 code 178 is a card read of nobody") << "00000000" << "2024-03-27 03:00:00" << "" << "stUnknownPerson";
    QTest::newRow("unknown card") << "55556666" << "2024-03-06 12:00:00" << "Dolazak" << "stUnknownPerson";
    QTest::newRow("known person") << "12345678" << "2024-03-05 08:00:00" << "Dolazak" << "";
}

void TestReportView::rowTextsAndColours()
{
    QFETCH(QString, card);
    QFETCH(QString, time);
    QFETCH(QString, activity);
    QFETCH(QString, style);
    auto w = openWindow();
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);
    const int row = rowOf(*w, card, time);
    QVERIFY(row >= 0);
    QCOMPARE(w->report()->qryRepTW()->value(row, QStringLiteral("LogActNameMix")).toString(), activity);
    const std::optional<QColor> colour = w->report()->vwRepStylesGetContentStyle(row);
    if (style.isEmpty())
        QVERIFY(!colour.has_value());
    else
        QCOMPARE(colour, std::optional<QColor>(w->styles()->colour(style)));
    // A colour changed in the styles is what the next paint uses.
    if (!style.isEmpty()) {
        w->styles()->setColour(style, QColor(1, 2, 3));
        QCOMPARE(w->report()->vwRepStylesGetContentStyle(row), std::optional<QColor>(QColor(1, 2, 3)));
    }
}

void TestReportView::photoPanelFollowsFocus()
{
    auto w = openWindow();
    ReportView *report = w->report();
    QVERIFY(report->img()->isEmpty());
    QVERIFY(report->imgEmp()->isHidden());
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);

    const int ana = rowOf(*w, QStringLiteral("12345678"), QStringLiteral("2024-03-05 08:00:00"));
    QVERIFY(report->gridRep()->focusSourceRow(ana));
    QCOMPARE(report->qryRepTW()->currentRow(), ana);
    QVERIFY(!report->img()->isEmpty()); // the snapshot file of that registration
    QCOMPARE(report->img()->image().size(), QSize(64, 48));
    QVERIFY(report->imgEmp()->isVisible());
    QCOMPARE(report->imgEmp()->geometry(), QRect(5, 5, 106, 106));
    QCOMPARE(report->imgEmp()->image().size(), QImage::fromData(ReportFixture::photoOfAna()).size());

    // A row without a snapshot file and without a stored photo: both go.
    const int zeljko = rowOf(*w, QStringLiteral("87654321"), QStringLiteral("2024-03-20 09:15:00"));
    QVERIFY(report->gridRep()->focusSourceRow(zeljko));
    QVERIFY(report->img()->isEmpty());
    QVERIFY(report->imgEmp()->isHidden());
    QVERIFY(m_boxes.isEmpty()); // nothing is reported for a missing picture

    // Running the report clears the snapshot first.
    QVERIFY(report->gridRep()->focusSourceRow(ana));
    QVERIFY(!report->img()->isEmpty());
    setRange(*w, QDateTime(QDate(2024, 3, 20), QTime(0, 0)), QDateTime(QDate(2024, 3, 20), QTime(23, 59)));
    runReport(*w);
    QVERIFY(report->img()->isEmpty());
}

void TestReportView::openReportPhoto()
{
    auto w = openWindow();
    ReportView *report = w->report();
    // Before the first run the question for the number of rows fails.
    QTest::mouseDClick(report->img(), Qt::LeftButton);
    QCOMPARE(m_boxes, QStringList{QStringLiteral("Tarnwick|Cannot perform this operation on a closed dataset|16")});
    QVERIFY(m_opened.isEmpty());

    m_boxes.clear();
    setRange(*w, QDateTime(QDate(2030, 1, 1), QTime(0, 0)), QDateTime(QDate(2030, 1, 2), QTime(0, 0)));
    runReport(*w);
    report->OpenReportPhoto();
    QVERIFY(m_opened.isEmpty()); // an empty result: nothing
    QVERIFY(m_boxes.isEmpty());

    setRange(*w, QDateTime(QDate(2024, 3, 20), QTime(0, 0)), QDateTime(QDate(2024, 3, 20), QTime(23, 59)));
    runReport(*w);
    QTest::mouseDClick(report->img(), Qt::LeftButton);
    // The missing file is handed over all the same: the desktop decides what to show.
    QCOMPARE(m_opened, QStringList{m_dir.filePath(QStringLiteral("photos/2024-03-20/20240320-091500-87654321.jpg"))});
}

void TestReportView::rerunUsesNewRangeAndFocusesFirstRow()
{
    auto w = openWindow();
    ReportView *report = w->report();
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);
    report->gridRep()->focusSourceRow(5);
    QCOMPARE(report->qryRepTW()->currentRow(), 5);
    // Stop at 23:59 of the 31st: 23:59:00 is in, with the same instant written with a fraction.
    setRange(*w, QDateTime(QDate(2024, 3, 31), QTime(23, 59)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);
    QCOMPARE(report->qryRepTW()->recordCount(), 3);
    QCOMPARE(report->qryRepTW()->currentRow(), 0);
    QCOMPARE(w->savedRange().dateFrom, QDate(2024, 3, 31));
}

void TestReportView::errorsShowProviderMessage()
{
    // A database without the access-control tables: the provider's own message.
    const QString empty = m_dir.filePath(QStringLiteral("empty.db"));
    QFile(empty).open(QIODevice::WriteOnly);
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"),
                      RegValue::string(QStringLiteral("Provider=SQLite;Data Source=") + empty));
    auto w = openWindow();
    QVERIFY(w->dataModule()->connMain->isOpen());
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 2), QTime(0, 0)));
    runReport(*w);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].startsWith(QStringLiteral("Greška|")) && m_boxes[0].contains(QStringLiteral("no such table")) &&
                 m_boxes[0].endsWith(QStringLiteral("|16")),
             qPrintable(m_boxes[0]));
    QCOMPARE(w->savedRange().dateTo, QDate(2024, 3, 2)); // the new range is remembered anyway
    QVERIFY(!w->report()->qryRepTW()->isOpen());

    // The connection gone: the error of the closed connection.
    m_boxes.clear();
    w->dataModule()->connMain->close();
    setRange(*w, QDateTime(QDate(2024, 3, 5), QTime(0, 0)), QDateTime(QDate(2024, 3, 6), QTime(0, 0)));
    runReport(*w);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_boxes[0].startsWith(QStringLiteral("Greška|")));
    QCOMPARE(w->savedRange().dateFrom, QDate(2024, 3, 5));
}

void TestReportView::exportThroughSaveDialog()
{
    Clock::setFixed(QDateTime(QDate(2010, 2, 19), QTime(9, 57, 54)));
    auto w = openWindow();
    setRange(*w, QDateTime(QDate(2024, 3, 1), QTime(0, 0)), QDateTime(QDate(2024, 3, 31), QTime(23, 59)));
    runReport(*w);
    QAction *f2 = w->findChild<QAction *>(QStringLiteral("IzvozuExcel1"));

    // Cancelled: nothing written.
    FileDialogs::answerNextSave(std::nullopt);
    f2->trigger();
    QCOMPARE(FileDialogs::lastSaveRequest().proposedName, QStringLiteral("Tarnwick_20100219_095754.xls"));
    QCOMPARE(FileDialogs::lastSaveRequest().filter, QStringLiteral("Excel fajlovi (*.xls)"));
    QVERIFY(!FileDialogs::lastSaveRequest().confirmOverwrite);
    QVERIFY(QDir(m_dir.path()).entryList({QStringLiteral("*.xls")}).isEmpty());

    // Another extension becomes .xls; an existing file is replaced without a question.
    QFile old(m_dir.filePath(QStringLiteral("report.xls")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    FileDialogs::answerNextSave(m_dir.filePath(QStringLiteral("report.txt")));
    f2->trigger();
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("report.txt"))));
    const QJsonObject book = readXls(m_dir.filePath(QStringLiteral("report.xls")));
    const QJsonArray sheets = book.value(QStringLiteral("sheets")).toArray();
    QCOMPARE(sheets.size(), 1);
    const QJsonArray rows = sheets[0].toObject().value(QStringLiteral("rows")).toArray();
    QCOMPARE(rows.size(), int(ReportFixture::expectedRows().size()) + 1);
    QStringList captions;
    for (const QJsonValue &cell : rows[0].toArray())
        captions << cell.toObject().value(QStringLiteral("v")).toString();
    QCOMPARE(captions, (QStringList{QStringLiteral("Datum i vreme"), QStringLiteral("Prezime "), QStringLiteral("Ime "),
                                    QStringLiteral("Aktivnost"), QStringLiteral("Opis aktivnosti"),
                                    QStringLiteral("Vrata")}));
    const QJsonArray first = rows[1].toArray();
    QCOMPARE(first[0].toObject().value(QStringLiteral("t")).toInt(), 3); // a real date cell
    bool serbian = false;
    for (const QJsonValue &row : rows) {
        if (row.toArray()[1].toObject().value(QStringLiteral("v")).toString() == QStringLiteral("Petrović"))
            serbian = true;
    }
    QVERIFY(serbian);

    // Grouped by door with one group collapsed: that group's rows are not written.
    DataGrid *grid = w->report()->gridRep();
    grid->groupBy(QStringLiteral("vwRepDoorName"));
    grid->expandAll();
    QVERIFY(grid->setGroupExpanded({QStringLiteral("Glavna vrata")}, false));
    FileDialogs::answerNextSave(m_dir.filePath(QStringLiteral("grouped")));
    w->findChild<QToolButton *>(QStringLiteral("btnExcel"))->click();
    const QJsonArray grouped = readXls(m_dir.filePath(QStringLiteral("grouped.xls")))
                                   .value(QStringLiteral("sheets")).toArray()[0].toObject()
                                   .value(QStringLiteral("rows")).toArray();
    int glavna = 0;
    for (const QJsonValue &row : grouped) {
        for (const QJsonValue &cell : row.toArray()) {
            if (cell.toObject().value(QStringLiteral("v")).toString().contains(QStringLiteral("Glavna vrata")))
                ++glavna;
        }
    }
    QCOMPARE(glavna, 1); // the group row alone
}

void TestReportView::groupingPanelCommands()
{
    auto w = openWindow();
    DataGrid *grid = w->report()->gridRep();
    QVERIFY(!grid->isGroupPanelVisible());
    auto *viewMenu = w->findChild<QMenu *>(QStringLiteral("Prikaz1"));
    auto *popup = w->findChild<QMenu *>(QStringLiteral("popGridRep"));
    QAction *viewEntry = w->findChild<QAction *>(QStringLiteral("Panelzagrupisanje1"));
    QAction *popupEntry = popup->findChild<QAction *>(QStringLiteral("Grupisanje1"));

    w->findChild<QToolButton *>(QStringLiteral("btnGroups"))->click();
    QVERIFY(grid->isGroupPanelVisible());
    Q_EMIT viewMenu->aboutToShow();
    QVERIFY(viewEntry->isChecked());
    Q_EMIT popup->aboutToShow();
    QVERIFY(popupEntry->isChecked());

    viewEntry->trigger();
    QVERIFY(!grid->isGroupPanelVisible());
    Q_EMIT popup->aboutToShow();
    QVERIFY(!popupEntry->isChecked());
    popupEntry->trigger();
    QVERIFY(grid->isGroupPanelVisible());
    Q_EMIT viewMenu->aboutToShow();
    QVERIFY(viewEntry->isChecked());

    // Away from the report view the View entry carries no check mark, and F2 does nothing.
    w->findChild<QTabBar *>(QStringLiteral("tabMain"))->setCurrentIndex(0);
    Q_EMIT viewMenu->aboutToShow();
    QVERIFY(!viewEntry->isChecked());
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("IzvozuExcel1"))->isEnabled());
    QVERIFY(w->findChild<QWidget *>(QStringLiteral("gridRegs"))->isVisible());
    QVERIFY(!grid->isVisible());
}

void TestReportView::columnChooserNeedsTheGridOnScreen()
{
    auto w = std::make_unique<TfTarnwick>(m_store.get(), &m_language);
    QAction *columns = w->findChild<QAction *>(QStringLiteral("actColumns"));
    columns->trigger(); // never on screen yet: nothing
    QVERIFY(!w->report()->gridRep()->isColumnChooserVisible());
    QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
    w->showFirstTime();
    done.wait();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    columns->trigger();
    QVERIFY(w->report()->gridRep()->isColumnChooserVisible());
    w->report()->gridRep()->hideColumnChooser();
    w->findChild<QMenu *>(QStringLiteral("popGridRep"))->findChild<QAction *>(QStringLiteral("MenuItem2"))->trigger();
    QVERIFY(w->report()->gridRep()->isColumnChooserVisible());
}

void TestReportView::layoutsSurviveRestart()
{
    {
        auto w = openWindow();
        DataGrid *rep = w->report()->gridRep();
        rep->setColumnVisible(QStringLiteral("vwRepFirstName"), false);
        rep->setColumnVisible(QStringLiteral("vwRepColumnZone"), true);
        rep->groupBy(QStringLiteral("vwRepDoorName"));
        rep->setGroupPanelVisible(true);
        w->findChild<DataGrid *>(QStringLiteral("gridRegs"))->setColumnVisible(QStringLiteral("vwRegsEmpID"), true);
        w->close();
    }
    m_store->save();
    RegistryStore reread(m_store->filePath());
    QCOMPARE(reread.load(), RegistryStore::LoadResult::Loaded);
    QVERIFY(reread.hasKey(QStringLiteral("Grids\\GridEvents")));
    m_store = std::make_unique<RegistryStore>(m_store->filePath());
    m_store->load();
    auto w = openWindow();
    DataGrid *rep = w->report()->gridRep();
    QVERIFY(!rep->isColumnVisible(QStringLiteral("vwRepFirstName")));
    QVERIFY(rep->isColumnVisible(QStringLiteral("vwRepColumnZone")));
    QCOMPARE(rep->groupedColumns(), QStringList{QStringLiteral("vwRepDoorName")});
    QVERIFY(rep->isGroupPanelVisible());
    DataGrid *regs = w->findChild<DataGrid *>(QStringLiteral("gridRegs"));
    QVERIFY(regs->isColumnVisible(QStringLiteral("vwRegsEmpID")));
    QVERIFY(!regs->isColumnVisible(QStringLiteral("vwRegsMediaID")));
}

QTEST_MAIN(TestReportView)
#include "tst_ReportView.moc"
