#include "uTarnwick.h"

#include "ui_uTarnwick.h"

#include "ADOConnectionMSSQL.h"
#include "CanberraWavePlayer.h"
#include "Clock.h"
#include "ConnectionPrompts.h"
#include "DataGrid.h"
#include "DataSourceLocator.h"
#include "Error.h"
#include "FileDialogs.h"
#include "FormStorage.h"
#include "ImageBox.h"
#include "LiveList.h"
#include "MainWindowValues.h"
#include "MemDataset.h"
#include "MessageBoxes.h"
#include "RegistryStore.h"
#include "ReportQuery.h"
#include "ReportView.h"
#include "Styles.h"
#include "Trace.h"
#include "Translation.h"
#include "uDMMain.h"
#include "uDlgAboutTW.h"

#include <QApplication>
#include <QCloseEvent>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTimer>
#include <QMenu>
#include <QToolButton>

namespace tarnwick {

TfTarnwick *fTarnwick = nullptr;

using i18n::tr;

QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void applyHint(QAction *action, const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(longHint(hint));
}

TfTarnwick::TfTarnwick(RegistryStore *store, QString *languageCode, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TfTarnwick>()), m_store(store), m_language(languageCode)
{
    fTarnwick = this;
    ui->setupUi(this);
    m_styles = new Styles(this);
    m_player = std::make_unique<CanberraWavePlayer>();
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnwick.svg")));
    m_storForm = new FormStorage(m_store, QStringLiteral("fTarnwick\\"), this, true, this);
    storedvalues::declare(*m_storForm);
    m_storForm->setAfterRestore([this] {
        // The connection prompt is modal: it runs once the window is on screen.
        QTimer::singleShot(0, this, [this] {
            try {
                storFormRestorePlacement();
            } catch (const std::exception &e) {
                // The stored database could not be opened: the window goes on without one.
                MessageBoxes::showGeneralError(messageOf(e));
            }
            Q_EMIT firstShowDone();
        });
    });
    FormCreate();
}

TfTarnwick::~TfTarnwick()
{
    FormDestroy();
    if (fTarnwick == this)
        fTarnwick = nullptr;
}

void TfTarnwick::createActions()
{
    applyHint(ui->actClose, tr("Kraj rada|Kraj rada"));
    applyHint(ui->actSettings, tr("Podesavanja|Podesavanja"));
    applyHint(ui->Podesavanja1, tr("Podesavanja|Podesavanja"));
    applyHint(ui->actColumns, tr("Kolone|Kolone"));
    applyHint(ui->actDatabase, tr("Baza podataka|Baza podataka"));
    applyHint(ui->actAbout, tr("O programu|O programu"));
    applyHint(ui->Izvestaj1, tr("Izvestaj|Izvestaj"));
    applyHint(ui->IzvozuExcel1, tr("Izvoz u Excel|Izvoz u Excel"));
    applyHint(ui->Panelzagrupisanje1, tr("Panel za grupisanje"));

    connect(ui->actClose, &QAction::triggered, this, &QWidget::close);
    connect(ui->actAbout, &QAction::triggered, this, &TfTarnwick::actAboutExecute);
    connect(ui->actDatabase, &QAction::triggered, this, &TfTarnwick::actDatabaseExecute);
    connect(ui->actColumns, &QAction::triggered, this, &TfTarnwick::actColumnsExecute);
    connect(ui->Izvestaj1, &QAction::triggered, this, &TfTarnwick::btnRepClick);
    connect(ui->IzvozuExcel1, &QAction::triggered, this, &TfTarnwick::btnExcelClick);
    connect(ui->Panelzagrupisanje1, &QAction::triggered, this, &TfTarnwick::Grupisanje1Click);
    connect(ui->Prikaz1, &QMenu::aboutToShow, this, &TfTarnwick::Prikaz1Click);
    connect(ui->langEnglish, &QAction::triggered, this, &TfTarnwick::langEnglishExecute);
    connect(ui->langSerbian, &QAction::triggered, this, &TfTarnwick::langSerbianExecute);
    connect(ui->Jezik1, &QMenu::aboutToShow, this, &TfTarnwick::updateLanguageActions);
    connect(ui->Prikaz1, &QMenu::aboutToShow, this, &TfTarnwick::updateLanguageActions);
    // The settings dialog is not part of this program yet.
    ui->actSettings->setEnabled(false);
    ui->Podesavanja1->setEnabled(false);
    updateLanguageActions();

    // The report toolbar: three image buttons, 18 pixels apart.
    auto gap = [this] {
        auto *spacer = new QWidget(ui->tbReport);
        spacer->setFixedWidth(18);
        ui->tbReport->addWidget(spacer);
    };
    auto button = [this](const char *name, const char *icon, const QString &hint, void (TfTarnwick::*handler)()) {
        auto *action = new QAction(QIcon(QString::fromLatin1(icon)), QString(), this);
        action->setObjectName(QString::fromLatin1(name));
        applyHint(action, hint);
        ui->tbReport->addAction(action);
        ui->tbReport->widgetForAction(action)->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    button("btnRep", ":/icons/report.svg", tr("Kreiranje izveštaja"), &TfTarnwick::btnRepClick);
    gap();
    button("btnExcel", ":/icons/excel.svg", tr("Izvoz u Excel"), &TfTarnwick::btnExcelClick);
    gap();
    button("btnGroups", ":/icons/groups.svg", tr("Panel za grupisanje"), &TfTarnwick::Grupisanje1Click);
}

void TfTarnwick::createTabs()
{
    tabMain = new QTabBar(ui->pnlClient);
    tabMain->setObjectName(QStringLiteral("tabMain"));
    tabMain->setShape(QTabBar::RoundedNorth);
    tabMain->setDrawBase(false);
    tabMain->setDocumentMode(true);
    tabMain->addTab(tr("Registracije"));
    tabMain->addTab(tr("Izveštaj"));
    tabMain->setCurrentIndex(1);
    tabMain->hide();
    ui->layClient->addWidget(tabMain);
    connect(tabMain, &QTabBar::currentChanged, this, [this] { tabMainChange(); });
}

namespace {
const QString gridLayoutKey = QStringLiteral("Grids\\GridEvents");
} // namespace

void TfTarnwick::createGrids()
{
    // The live list: kept in memory, never shown while the selector stands on the report.
    adsRegs = new MemDataset(liveListFields(), this);
    adsRegs->setObjectName(QStringLiteral("adsRegs"));
    gridRegs = new DataGrid(ui->pnlClient);
    gridRegs->setObjectName(QStringLiteral("gridRegs"));
    setUpLiveListGrid(*gridRegs, *m_styles);
    gridRegs->setModel(adsRegs);

    m_report = new ReportView(ui->pnlClient, ui->pnlImage, m_storForm, m_styles,
                              [this] { return m_dmMain ? m_dmMain->connMain : nullptr; }, this);
    gridRep = m_report->gridRep();
    ui->layClient->addWidget(gridRegs, 1);
    ui->layClient->addWidget(gridRep, 1);
    ui->splMain->setStretchFactor(0, 1);
    ui->splMain->setStretchFactor(1, 0);
    ui->splMain->setSizes({1000, 185});
    createPopupMenus();
}

void TfTarnwick::createPopupMenus()
{
    popGridRep = new QMenu(this);
    popGridRep->setObjectName(QStringLiteral("popGridRep"));
    QAction *menuItem1 = popGridRep->addAction(QIcon(QStringLiteral(":/icons/excel.svg")), tr("Izvoz u Excel..."));
    menuItem1->setObjectName(QStringLiteral("MenuItem1"));
    menuItem1->setShortcut(Qt::Key_F2);
    menuItem1->setShortcutContext(Qt::WidgetShortcut); // F2 of the window is the File menu's
    applyHint(menuItem1, tr("Izvoz u Excel|Izvoz u Excel"));
    QAction *menuItem2 = popGridRep->addAction(QIcon(QStringLiteral(":/icons/columns.svg")), tr("Kolone..."));
    menuItem2->setObjectName(QStringLiteral("MenuItem2"));
    applyHint(menuItem2, tr("Kolone|Kolone"));
    QAction *grupisanje1 = popGridRep->addAction(QIcon(QStringLiteral(":/icons/groups.svg")), tr("Panel za grupisanje"));
    grupisanje1->setObjectName(QStringLiteral("Grupisanje1"));
    grupisanje1->setCheckable(true);
    connect(menuItem1, &QAction::triggered, this, &TfTarnwick::btnExcelClick);
    connect(menuItem2, &QAction::triggered, this, &TfTarnwick::actColumnsExecute);
    connect(grupisanje1, &QAction::triggered, this, &TfTarnwick::Grupisanje1Click);
    connect(popGridRep, &QMenu::aboutToShow, this, &TfTarnwick::popGridRepPopup);
    connect(gridRep, &DataGrid::contextMenuRequested, this, [this](const QPoint &at) { popGridRep->popup(at); });

    popGridRegs = new QMenu(this);
    popGridRegs->setObjectName(QStringLiteral("popGridRegs"));
    popGridRegs->addAction(ui->Podesavanja1);
    QAction *exportLive = popGridRegs->addAction(QIcon(QStringLiteral(":/icons/excel.svg")), tr("Izvoz u Excel..."));
    exportLive->setObjectName(QStringLiteral("IzvozuExcel2"));
    exportLive->setShortcut(Qt::Key_F2);
    exportLive->setShortcutContext(Qt::WidgetShortcut);
    connect(exportLive, &QAction::triggered, this, [this] { exportGrid(gridRegs); });
    QAction *kolone2 = popGridRegs->addAction(ui->actColumns->icon(), ui->actColumns->text());
    kolone2->setObjectName(QStringLiteral("Kolone2"));
    applyHint(kolone2, tr("Kolone|Kolone"));
    connect(kolone2, &QAction::triggered, ui->actColumns, &QAction::trigger);
    connect(gridRegs, &DataGrid::contextMenuRequested, this, [this](const QPoint &at) { popGridRegs->popup(at); });
}

void TfTarnwick::declareStoredProperties()
{
    for (const QString &style : Styles::storedStyleNames()) {
        m_storForm->addStoredProperty(
            Styles::storedValueName(style), FormStorage::Kind::Colour,
            [this, style] { return QVariant(uint(m_styles->storedColour(style))); },
            [this, style](const QVariant &v) { m_styles->setStoredColour(style, v.toUInt()); });
    }
    auto picker = [this](const QString &name, FormStorage::Kind kind, QDateTimeEdit *edit) {
        if (kind == FormStorage::Kind::PickerDate) {
            m_storForm->addStoredProperty(
                name, kind, [edit] { return QVariant(edit->date()); },
                [edit](const QVariant &v) { edit->setDate(v.toDate()); });
        } else {
            m_storForm->addStoredProperty(
                name, kind, [edit] { return QVariant(edit->time()); },
                [edit](const QVariant &v) { edit->setTime(v.toTime()); });
        }
    };
    picker(QStringLiteral("dtDateFrom_Date"), FormStorage::Kind::PickerDate, ui->dtDateFrom);
    picker(QStringLiteral("dtDateTo_Date"), FormStorage::Kind::PickerDate, ui->dtDateTo);
    picker(QStringLiteral("dtTimeFrom_Time"), FormStorage::Kind::PickerTime, ui->dtTimeFrom);
    picker(QStringLiteral("dtTimeTo_Time"), FormStorage::Kind::PickerTime, ui->dtTimeTo);
    m_storForm->addStoredProperty(
        QStringLiteral("pnlImage_Width"), FormStorage::Kind::Integer,
        [this] { return QVariant(ui->splMain->sizes().value(1, 185)); },
        [this](const QVariant &v) {
            const int width = std::max(0, v.toInt());
            const QList<int> sizes = ui->splMain->sizes();
            const int total = std::max(sizes.value(0) + sizes.value(1), width + 100);
            ui->splMain->setSizes({total - width, width});
        });
}

void TfTarnwick::FormCreate()
{
    createActions();
    createTabs();
    createGrids();

    // 1. The grid texts of every grid.
    for (DataGrid *grid : {gridRegs, gridRep}) {
        grid->setEmptyText(tr("Nema podataka za prikaz"));
        grid->setGroupPanelPrompt(tr("Ovde mišem dovucite kolone po kojima želite da grupišete podatke"));
    }
    // 2-3. No socket layer to start on this platform; the hand-off ring's lock belongs to the
    // registration intake.
    // 4. The live list, empty.
    adsRegs->open();
    // 5.
    m_firstReportSwitch = true;
    // 6. The data module with the database connection (opened at the first showing).
    m_dmMain = new TdmMain(this);
    dsLoc = new TDataSourceLocator(this);
    // 7. The column layouts of both views.
    gridRegs->restoreLayout(*m_store, gridLayoutKey);
    gridRep->restoreLayout(*m_store, gridLayoutKey);

    // The pickers start with both ends at the same minute, so the first view switch puts the
    // current month into them.
    const QDateTime now = Clock::now();
    for (QDateEdit *d : {ui->dtDateFrom, ui->dtDateTo}) {
        d->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        d->setDate(now.date());
    }
    ui->dtTimeFrom->setTime(now.time());
    ui->dtTimeTo->setTime(now.time());
    declareStoredProperties();

    // 8-9.
    pickersToRange(m_savedRange);
    tabMainChange();
    // 10. Translation of the window's texts happens as they are set, through i18n::tr.
    MessageBoxes::setOwner(this);
    MessageBoxes::setStatusLine([this](const QString &text) { statusBar()->showMessage(text); });
}

void TfTarnwick::FormDestroy()
{
    // Settings first (when closing did not save them), then the grid layouts, then the data module.
    if (!m_storForm->hasSaved()) {
        try {
            m_storForm->save();
        } catch (const std::exception &e) {
            trace(QStringLiteral("Settings not saved: %1").arg(messageOf(e)));
        }
    }
    gridRegs->saveLayout(*m_store, gridLayoutKey);
    gridRep->saveLayout(*m_store, gridLayoutKey);
    delete m_dmMain;
    m_dmMain = nullptr;
    MessageBoxes::setStatusLine({});
    if (MessageBoxes::owner() == this)
        MessageBoxes::setOwner(nullptr);
}

void TfTarnwick::showFirstTime()
{
    if (m_firstShown) {
        show();
        return;
    }
    m_firstShown = true;
    bool restored = false;
    try {
        m_storForm->restore();
        restored = m_storForm->isRestored();
    } catch (const std::exception &e) {
        show();
        MessageBoxes::showGeneralError(messageOf(e));
        return;
    }
    show();
    if (!restored)
        Q_EMIT firstShowDone();
    trace(QStringLiteral("Glavni prozor prikazan"));
}

namespace {
StoredConnectionString storedConnectionString(FormStorage *storage)
{
    return {[storage] { return storage->readValue(storedvalues::ConnectionString).toString(); },
            [storage](const QString &s) { storage->writeValue(storedvalues::ConnectionString, s); }};
}
} // namespace

void TfTarnwick::storFormRestorePlacement()
{
    if (connectAtStartup(this, *dsLoc, *m_dmMain, storedConnectionString(m_storForm)))
        close(); // the operator gave up choosing a database: the program ends
}

void TfTarnwick::actDatabaseExecute()
{
    changeDatabaseConnection(this, *dsLoc, *m_dmMain, storedConnectionString(m_storForm));
}

void TfTarnwick::pickersToRange(ReportRange &range) const
{
    range.dateFrom = ui->dtDateFrom->date();
    range.dateTo = ui->dtDateTo->date();
    range.timeFrom = ui->dtTimeFrom->time();
    range.timeTo = ui->dtTimeTo->time();
}

void TfTarnwick::rangeToPickers(const ReportRange &range)
{
    ui->dtDateFrom->setDate(range.dateFrom);
    ui->dtDateTo->setDate(range.dateTo);
    ui->dtTimeFrom->setTime(range.timeFrom);
    ui->dtTimeTo->setTime(range.timeTo);
}

void TfTarnwick::ShowReportControls(bool show)
{
    ui->Izvestaj1->setEnabled(show);
    ui->IzvozuExcel1->setEnabled(show);
    ui->Panelzagrupisanje1->setEnabled(show);
    for (QWidget *w : std::initializer_list<QWidget *>{ui->dtDateFrom, ui->dtDateTo, ui->dtTimeFrom, ui->dtTimeTo,
                                                        ui->lblFrom, ui->lblTo, ui->tbReport})
        w->setVisible(show);
}

void TfTarnwick::tabMainChange()
{
    const bool report = tabMain->currentIndex() == 1;
    ShowReportControls(report);
    if (report) {
        const QString fromText = report::RangeText(ui->dtDateFrom->date(), ui->dtTimeFrom->time());
        const QString toText = report::RangeText(ui->dtDateTo->date(), ui->dtTimeTo->time());
        if (fromText == toText) {
            const QDate today = Clock::now().date();
            const QDateTime first = report::startOfMonth(today), last = report::endOfMonth(today);
            ui->dtDateFrom->setDate(first.date());
            ui->dtTimeFrom->setTime(first.time());
            ui->dtDateTo->setDate(last.date());
            ui->dtTimeTo->setTime(last.time());
        }
        if (m_firstReportSwitch) {
            pickersToRange(m_savedRange);
            m_firstReportSwitch = false;
        } else {
            rangeToPickers(m_savedRange);
        }
    }
    gridRegs->setVisible(!report);
    gridRep->setVisible(report);
}

bool TfTarnwick::event(QEvent *event)
{
    if (event->type() == QEvent::StatusTip) {
        evAppHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfTarnwick::evAppHint(const QString &hint) { statusBar()->showMessage(longHint(hint)); }

void TfTarnwick::closeEvent(QCloseEvent *event)
{
    try {
        m_storForm->save();
    } catch (const std::exception &e) {
        MessageBoxes::showGeneralError(messageOf(e));
    }
    event->accept();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TfTarnwick::actAboutExecute()
{
    TDlgAboutTW dialog(m_store, this);
    dialog.exec();
}

namespace {
// The report and the export hold the window for as long as they take.
struct WaitCursor
{
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
} // namespace

void TfTarnwick::btnRepClick()
{
    m_report->img()->clear();
    pickersToRange(m_savedRange);
    try {
        WaitCursor wait;
        m_report->run(report::RangeText(ui->dtDateFrom->date(), ui->dtTimeFrom->time()),
                      report::RangeText(ui->dtDateTo->date(), ui->dtTimeTo->time()));
    } catch (const std::exception &e) {
        ShowMessageBox(tr("Greška"), messageOf(e), IconError);
    }
}

void TfTarnwick::btnExcelClick() { exportGrid(gridRep); }

void TfTarnwick::exportGrid(DataGrid *grid)
{
    FileDialogs::SaveRequest request;
    request.proposedName =
        QStringLiteral("Tarnwick_") + Clock::now().toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".xls");
    request.filter = tr("Excel fajlovi (*.xls)");
    request.defaultSuffix = QStringLiteral("xls");
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = FileDialogs::getSaveFileName(this, request);
    if (!chosen)
        return;
    try {
        WaitCursor wait;
        exportGridToXls(*grid, *chosen);
    } catch (const std::exception &e) {
        MessageBoxes::showGeneralError(messageOf(e));
    }
}

void TfTarnwick::actColumnsExecute() { gridRep->showColumnChooser(); }

void TfTarnwick::Grupisanje1Click()
{
    gridRep->setGroupPanelVisible(!gridRep->isGroupPanelVisible());
    Prikaz1Click(); // the View menu's check mark follows at once
}

void TfTarnwick::popGridRepPopup()
{
    popGridRep->findChild<QAction *>(QStringLiteral("Grupisanje1"))->setChecked(gridRep->isGroupPanelVisible());
}

void TfTarnwick::Prikaz1Click()
{
    ui->Panelzagrupisanje1->setChecked(tabMain->currentIndex() == 1 && gridRep->isGroupPanelVisible());
}

void TfTarnwick::updateLanguageActions()
{
    ui->langEnglish->setEnabled(*m_language != QLatin1String("en"));
    ui->langSerbian->setEnabled(*m_language != QLatin1String("sr"));
}

void TfTarnwick::langEnglishExecute()
{
    *m_language = QStringLiteral("en");
    updateLanguageActions();
    ShowMessageBox(tr("Obaveštenje"), tr("Morate restartovati aplikaciju"), IconInformation);
}

void TfTarnwick::langSerbianExecute()
{
    *m_language = QStringLiteral("sr");
    updateLanguageActions();
    ShowMessageBox(tr("Obaveštenje"), tr("Morate restartovati aplikaciju"), IconInformation);
}

} // namespace tarnwick
