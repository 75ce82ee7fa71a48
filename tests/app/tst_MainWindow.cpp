#include "ADOConnectionMSSQL.h"
#include "Clock.h"
#include "DataSourceLocator.h"
#include "FormStorage.h"
#include "MessageBoxes.h"
#include "RegistryStore.h"
#include "Styles.h"
#include "VersionText.h"
#include "uDlgAboutTW.h"
#include "uDMMain.h"
#include "uTarnwick.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QToolBar>
#include <QtTest>

using namespace tarnwick;

class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstStartPromptsForDatabase();
    void cancellingTheFirstPromptEnds();
    void storedStringOpensWithoutPrompt();
    void storedStringThatFailsShowsOneBox();
    void reportViewAtStart();
    void menusAndShortcuts();
    void statusBarShowsLongHint();
    void currentMonth_data();
    void currentMonth();
    void storedPickersWinAtFirstShow();
    void firstRunSavesEverything();
    void languageEntries();
    void versionText_data();
    void versionText();
    void aboutDialog();

private:
    std::unique_ptr<TfTarnwick> makeWindow();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegistryStore> m_store;
    QString m_language = QStringLiteral("en");
    QStringList m_boxes;
    QString m_database;
    int m_prompts = 0;
    std::optional<QString> m_answer;
};

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<RegistryStore>(m_dir->filePath(QStringLiteral("Tarnwick.reg")));
    m_language = QStringLiteral("en");
    m_boxes.clear();
    MessageBoxes::setInterceptor([this](const QString &caption, const QString &text, int icon) {
        m_boxes << QStringLiteral("%1|%2|%3").arg(caption, text).arg(icon);
    });
    // An empty embedded database, which the connection prompt is answered with.
    const QString file = m_dir->filePath(QStringLiteral("demo.db"));
    QFile(file).open(QIODevice::WriteOnly);
    m_database = QStringLiteral("Provider=SQLite;Data Source=") + file;
    m_prompts = 0;
    m_answer = m_database;
    TDataSourceLocator::setAnswerer([this](const std::optional<QString> &) {
        ++m_prompts;
        return m_answer;
    });
}

void TestMainWindow::cleanup()
{
    MessageBoxes::setInterceptor({});
    TDataSourceLocator::setAnswerer({});
    Clock::setFixed({});
}

void TestMainWindow::firstStartPromptsForDatabase()
{
    {
        auto w = makeWindow();
        QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
        w->showFirstTime();
        QVERIFY(done.wait());
        QCOMPARE(m_prompts, 1);
        QVERIFY(w->dataModule()->connMain->isOpen());
        QCOMPARE(w->dataModule()->connMain->dialect(), QStringLiteral("sqlite"));
        w->close();
    }
    RegistryStore reread(m_store->filePath());
    reread.load();
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"))->text, m_database);
    QVERIFY(m_boxes.isEmpty());
}

void TestMainWindow::cancellingTheFirstPromptEnds()
{
    m_answer = std::nullopt;
    auto w = makeWindow();
    QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
    w->showFirstTime();
    QVERIFY(done.wait());
    QCOMPARE(m_prompts, 1);
    QTRY_VERIFY(!w->isVisible()); // closed: the program ends
    QVERIFY(!w->dataModule()->connMain->isOpen());
    QVERIFY(m_boxes.isEmpty()); // no attempt to open an empty string
}

void TestMainWindow::storedStringOpensWithoutPrompt()
{
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"), RegValue::string(m_database));
    auto w = makeWindow();
    QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
    w->showFirstTime();
    QVERIFY(done.wait());
    QCOMPARE(m_prompts, 0);
    QVERIFY(w->dataModule()->connMain->isOpen());

    // "Baza podataka..." confirmed without a change: nothing reopened, nothing stored anew.
    QSignalSpy reopened(w->dataModule()->connMain, &TADOConnectionMSSQL::opened);
    m_answer = std::nullopt;
    w->findChild<QAction *>(QStringLiteral("actDatabase"))->trigger();
    QCOMPARE(m_prompts, 1);
    QCOMPARE(reopened.count(), 0);
    QVERIFY(w->dataModule()->connMain->isOpen());
}

std::unique_ptr<TfTarnwick> TestMainWindow::makeWindow()
{
    auto w = std::make_unique<TfTarnwick>(m_store.get(), &m_language);
    return w;
}

void TestMainWindow::storedStringThatFailsShowsOneBox()
{
    const QString missing = m_dir->filePath(QStringLiteral("gone.db"));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"),
                      RegValue::string(QStringLiteral("Provider=SQLite;Data Source=") + missing));
    auto w = makeWindow();
    QSignalSpy done(w.get(), &TfTarnwick::firstShowDone);
    w->showFirstTime();
    QVERIFY(done.wait());
    QCOMPARE(m_prompts, 0);
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY2(m_boxes[0].startsWith(QStringLiteral("Tarnwick|")) && m_boxes[0].contains(missing), qPrintable(m_boxes[0]));
    QVERIFY(w->isVisible());
    QVERIFY(!w->dataModule()->connMain->isOpen());
    QVERIFY(!QFile::exists(missing)); // nothing created in its place
}

void TestMainWindow::reportViewAtStart()
{
    auto w = makeWindow();
    w->showFirstTime();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto *tab = w->findChild<QTabBar *>(QStringLiteral("tabMain"));
    QVERIFY(tab);
    QVERIFY(!tab->isVisible());
    QCOMPARE(tab->currentIndex(), 1);
    QCOMPARE(tab->tabText(0), QStringLiteral("Registracije"));
    QCOMPARE(tab->tabText(1), QStringLiteral("Izveštaj"));
    for (const char *name : {"dtDateFrom", "dtTimeFrom", "dtDateTo", "dtTimeTo", "lblFrom", "lblTo", "tbReport", "gridRep"})
        QVERIFY2(w->findChild<QWidget *>(QString::fromLatin1(name))->isVisible(), name);
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("gridRegs"))->isVisible());
    for (const char *name : {"Izvestaj1", "IzvozuExcel1", "Panelzagrupisanje1"})
        QVERIFY2(w->findChild<QAction *>(QString::fromLatin1(name))->isEnabled(), name);
    QCOMPARE(w->findChild<QWidget *>(QStringLiteral("pnlTop"))->height(), 34);
    QCOMPARE(w->findChild<QTimeEdit *>(QStringLiteral("dtTimeFrom"))->displayFormat(), QStringLiteral("HH:mm"));
    QVERIFY(w->windowState() & Qt::WindowMaximized); // first run: no placement stored

    // Leaving the report view hides its controls and disables its entries.
    w->ShowReportControls(false);
    QVERIFY(!w->findChild<QAction *>(QStringLiteral("IzvozuExcel1"))->isEnabled());
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("tbReport"))->isVisible());
}

void TestMainWindow::menusAndShortcuts()
{
    auto w = makeWindow();
    const QList<QAction *> top = w->menuBar()->actions();
    QStringList titles;
    for (QAction *a : top)
        titles << a->text();
    QCOMPARE(titles, (QStringList{QStringLiteral("&Fajl"), QStringLiteral("&Prikaz"), QStringLiteral("P&omoć")}));

    auto entries = [](QAction *menuAction) {
        QStringList out;
        for (QAction *a : menuAction->menu()->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    QCOMPARE(entries(top[0]), (QStringList{QStringLiteral("Baza podataka..."), QStringLiteral("Podešavanja..."),
                                           QStringLiteral("Kreiranje izveštaja"), QStringLiteral("Izvoz u Excel..."),
                                           QStringLiteral("-"), QStringLiteral("Kraj")}));
    QCOMPARE(entries(top[1]), (QStringList{QStringLiteral("Kolone..."), QStringLiteral("Panel za grupisanje"),
                                           QStringLiteral("-"), QStringLiteral("Jezik")}));
    QCOMPARE(entries(top[2]), QStringList{QStringLiteral("O programu...")});
    QCOMPARE(w->findChild<QAction *>(QStringLiteral("IzvozuExcel1"))->shortcut(), QKeySequence(Qt::Key_F2));
    QVERIFY(w->findChild<QAction *>(QStringLiteral("Panelzagrupisanje1"))->isCheckable());
    QCOMPARE(w->findChild<QAction *>(QStringLiteral("actClose"))->toolTip(), QStringLiteral("Kraj rada"));
    QCOMPARE(w->findChild<QAction *>(QStringLiteral("actSettings"))->text(), QStringLiteral("Podesavanja..."));
    auto *toolbar = w->findChild<QToolBar *>(QStringLiteral("tbReport"));
    QStringList tips;
    for (QAction *a : toolbar->actions()) {
        if (!a->toolTip().isEmpty() && !a->icon().isNull())
            tips << a->toolTip();
    }
    QCOMPARE(tips, (QStringList{QStringLiteral("Kreiranje izveštaja"), QStringLiteral("Izvoz u Excel"),
                                QStringLiteral("Panel za grupisanje")}));
}

void TestMainWindow::statusBarShowsLongHint()
{
    auto w = makeWindow();
    w->showFirstTime();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QMenu *file = w->menuBar()->actions().at(0)->menu();
    w->menuBar()->setActiveAction(w->menuBar()->actions().at(0));
    QTRY_VERIFY(file->isVisible());
    QAction *close = w->findChild<QAction *>(QStringLiteral("actClose"));
    QTest::mouseMove(file, file->actionGeometry(close).center());
    QTRY_COMPARE(w->statusBar()->currentMessage(), QStringLiteral("Kraj rada"));
    QAction *database = w->findChild<QAction *>(QStringLiteral("actDatabase"));
    QTest::mouseMove(file, file->actionGeometry(database).center());
    QTRY_COMPARE(w->statusBar()->currentMessage(), QStringLiteral("Baza podataka"));
    file->close();
}

void TestMainWindow::currentMonth_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::newRow("leap February") << QDateTime(QDate(2024, 2, 15), QTime(10, 30)) << QDate(2024, 2, 1) << QDate(2024, 2, 29);
    QTest::newRow("plain February") << QDateTime(QDate(2023, 2, 28), QTime(0, 0)) << QDate(2023, 2, 1) << QDate(2023, 2, 28);
    QTest::newRow("December") << QDateTime(QDate(2026, 12, 31), QTime(23, 59)) << QDate(2026, 12, 1) << QDate(2026, 12, 31);
}

void TestMainWindow::currentMonth()
{
    QFETCH(QDateTime, now);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    Clock::setFixed(now);
    auto w = makeWindow();
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("dtDateFrom"))->date(), first);
    QCOMPARE(w->findChild<QTimeEdit *>(QStringLiteral("dtTimeFrom"))->time(), QTime(0, 0));
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("dtDateTo"))->date(), last);
    QCOMPARE(w->findChild<QTimeEdit *>(QStringLiteral("dtTimeTo"))->time().toString(QStringLiteral("HH:mm")),
             QStringLiteral("23:59"));
    QCOMPARE(w->savedRange().dateFrom, first);
    QCOMPARE(w->savedRange().dateTo, last);
    QVERIFY(!w->firstReportSwitch());
}

void TestMainWindow::storedPickersWinAtFirstShow()
{
    Clock::setFixed(QDateTime(QDate(2024, 2, 15), QTime(10, 30)));
    {
        auto w = makeWindow();
        w->showFirstTime();
        w->findChild<QDateEdit *>(QStringLiteral("dtDateFrom"))->setDate(QDate(2010, 2, 1));
        w->findChild<QTimeEdit *>(QStringLiteral("dtTimeTo"))->setTime(QTime(8, 15));
        w->close();
    }
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("stSensor_Color"), RegValue::string(QStringLiteral("clRed")));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("stEgress_Color"), RegValue::number(0x123456));
    auto w = makeWindow();
    w->showFirstTime();
    QCOMPARE(w->styles()->colour(QStringLiteral("stSensor")), QColor(255, 0, 0));
    QCOMPARE(w->styles()->colour(QStringLiteral("stEgress")), QColor(0x56, 0x34, 0x12));
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("dtDateFrom"))->date(), QDate(2010, 2, 1));
    QCOMPARE(w->findChild<QTimeEdit *>(QStringLiteral("dtTimeTo"))->time(), QTime(8, 15));
    // The remembered range stays the current month until the first report run.
    QCOMPARE(w->savedRange().dateFrom, QDate(2024, 2, 1));
    // A later switch back to the report view puts the remembered range into the pickers.
    auto *tab = w->findChild<QTabBar *>(QStringLiteral("tabMain"));
    tab->setCurrentIndex(0);
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("tbReport"))->isVisibleTo(w.get()));
    tab->setCurrentIndex(1);
    QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("dtDateFrom"))->date(), QDate(2024, 2, 1));
}

void TestMainWindow::firstRunSavesEverything()
{
    {
        auto w = makeWindow();
        w->showFirstTime();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->close();
    }
    RegistryStore reread(m_store->filePath());
    QCOMPARE(reread.load(), RegistryStore::LoadResult::Loaded);
    const QStringList names = reread.valueNames(QStringLiteral("fTarnwick"));
    QStringList expected = {QStringLiteral("FormVersion"), QStringLiteral("ShowCmd"), QStringLiteral("Flags"),
                            QStringLiteral("PixelsPerInch"), QStringLiteral("MinMaxPos"), QStringLiteral("NormPos")};
    for (const char *style : {"stBoxCover", "stDirectCmd", "stDoorTooLong", "stEgress", "stEven", "stForcedEntry",
                              "stOdd", "stSensor", "stTimeEvent", "stUnknownPerson", "stVoltageFail", "stVoltageOK"})
        expected << QLatin1String(style) + QStringLiteral("_Color");
    expected << QStringLiteral("dtDateFrom_Date") << QStringLiteral("dtDateTo_Date") << QStringLiteral("dtTimeFrom_Time")
             << QStringLiteral("dtTimeTo_Time") << QStringLiteral("pnlImage_Width");
    expected << QStringLiteral("MaxListItems") << QStringLiteral("LocalIPPort") << QStringLiteral("ConnectionString");
    for (const char *s : {"Unknown", "Sensor", "Egress", "DOTL", "ForcedEntry", "TimeEvent", "DirCmd", "VoltageFail",
                          "VoltageOK", "CoverOpen", "Alarm"})
        expected << QStringLiteral("edtSoundFile") + QLatin1String(s);
    for (const char *s : {"Unknown", "Sensor", "Egress", "DOTL", "ForcedEntry", "TimeEvent", "DirCmd", "VoltageFail",
                          "VoltageOK", "CoverOpen", "Alarm"})
        expected << QStringLiteral("chkAlert") + QLatin1String(s);
    expected << QStringLiteral("DirImages");
    QCOMPARE(names, expected);
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("pnlImage_Width"))->dword, 185u);
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("stUnknownPerson_Color"))->text, QStringLiteral("clGray"));
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("stForcedEntry_Color"))->text, QStringLiteral("clRed"));
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("stBoxCover_Color"))->dword, 0x00B7B7u);
    QVERIFY(!reread.value(QStringLiteral("fTarnwick"), QStringLiteral("stAlarm_Color")).has_value());
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("LocalIPPort"))->dword, 1972u);
}

void TestMainWindow::languageEntries()
{
    auto w = makeWindow();
    QAction *english = w->findChild<QAction *>(QStringLiteral("langEnglish"));
    QAction *serbian = w->findChild<QAction *>(QStringLiteral("langSerbian"));
    QVERIFY(!english->isEnabled());
    QVERIFY(serbian->isEnabled());
    serbian->trigger();
    QCOMPARE(m_language, QStringLiteral("sr"));
    QCOMPARE(m_boxes, QStringList{QStringLiteral("Obaveštenje|Morate restartovati aplikaciju|64")});
    QVERIFY(english->isEnabled());
    QVERIFY(!serbian->isEnabled());
    m_language = QStringLiteral("EN"); // compared exactly: both entries enabled
    w->findChild<QMenu *>(QStringLiteral("Jezik1"))->popup(QPoint(0, 0));
    QVERIFY(english->isEnabled());
    QVERIFY(serbian->isEnabled());
    w->findChild<QMenu *>(QStringLiteral("Jezik1"))->close();
}

void TestMainWindow::versionText_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("shown");
    QTest::newRow("2.3.1.45") << QStringLiteral("2.3.1.45") << QStringLiteral("2.3.1");
    QTest::newRow("leading zeros") << QStringLiteral("02.010.0.7") << QStringLiteral("2.10.0");
    QTest::newRow("large") << QStringLiteral("65535.65535.65535.65535") << QStringLiteral("65535.65535.65535");
}

void TestMainWindow::versionText()
{
    QFETCH(QString, file);
    QFETCH(QString, shown);
    QCOMPARE(tarnwick::versionText(file), shown);
}

void TestMainWindow::aboutDialog()
{
    auto w = makeWindow();
    w->showFirstTime();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        TDlgAboutTW dialog(m_store.get(), w.get());
        QString version, button;
        QSize size;
        QPoint centre;
        QTimer::singleShot(0, &dialog, [&] {
            version = dialog.findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            button = dialog.findChild<QPushButton *>(QStringLiteral("btnClose"))->text();
            size = dialog.size();
            centre = dialog.geometry().center();
            QTest::keyClick(&dialog, Qt::Key(key));
        });
        dialog.exec();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(version, VersionText());
        QCOMPARE(button, QStringLiteral("Zatvori"));
        QCOMPARE(size, QSize(264, 118));
        // Centred over the main window (give or take the window frame).
        QVERIFY((centre - w->geometry().center()).manhattanLength() <= 8);
    }
    // Its placement is kept under its own key.
    QVERIFY(m_store->value(QStringLiteral("DlgAboutTW"), QStringLiteral("NormPos")).has_value());
    QCOMPARE(VersionText(), tarnwick::versionText(fileVersion()));
    QCOMPARE(fileVersion().count(u'.'), 3);
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
