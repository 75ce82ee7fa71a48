#pragma once

#include <QDate>
#include <QMainWindow>
#include <QTime>
#include <memory>

namespace Ui {
class TfTarnwick;
}

class QTabBar;
class QMenu;

namespace tarnwick {

class DataGrid;
class FormStorage;
class MemDataset;
class RegistryStore;
class ReportView;
class Styles;
class TDataSourceLocator;
class TdmMain;
class WavePlayer;

// The report's remembered range: the date parts of the date pickers, the time parts of the time
// pickers.
struct ReportRange
{
    QDate dateFrom;
    QDate dateTo;
    QTime timeFrom;
    QTime timeTo;
    bool operator==(const ReportRange &) const = default;
};

// The main window: home of the report, the live list, the settings and the database connection
// for the whole run.
class TfTarnwick : public QMainWindow
{
    Q_OBJECT
public:
    // The language code is the program-wide one: read at start, changed by the language
    // entries, written back at the end of the run.
    TfTarnwick(RegistryStore *store, QString *languageCode, QWidget *parent = nullptr);
    ~TfTarnwick() override;

    // The first showing: stored settings restored, then the database connection obtained.
    void showFirstTime();

    FormStorage *storForm() const { return m_storForm; }
    TdmMain *dataModule() const { return m_dmMain; }
    Styles *styles() const { return m_styles; }
    ReportView *report() const { return m_report; }
    MemDataset *liveList() const { return adsRegs; }
    WavePlayer *player() const { return m_player.get(); }
    ReportRange savedRange() const { return m_savedRange; }
    bool firstReportSwitch() const { return m_firstReportSwitch; }

    // The view switch and the report's controls.
    void tabMainChange();
    void ShowReportControls(bool show);

Q_SIGNALS:
    // The first showing has finished (stored settings applied, connection attempted).
    void firstShowDone();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    void createActions();
    void createTabs();
    void createGrids();
    void declareStoredProperties();
    void pickersToRange(ReportRange &range) const;
    void rangeToPickers(const ReportRange &range);
    void storFormRestorePlacement();
    void actDatabaseExecute();
    void createPopupMenus();
    void btnRepClick();
    void btnExcelClick();
    void exportGrid(DataGrid *grid);
    void actColumnsExecute();
    void Grupisanje1Click();
    void popGridRepPopup();
    void Prikaz1Click();
    void evAppHint(const QString &hint);
    void actAboutExecute();
    void langEnglishExecute();
    void langSerbianExecute();
    void updateLanguageActions();

    std::unique_ptr<Ui::TfTarnwick> ui;
    RegistryStore *m_store;
    QString *m_language;
    FormStorage *m_storForm = nullptr;
    TdmMain *m_dmMain = nullptr;
    Styles *m_styles = nullptr;
    std::unique_ptr<WavePlayer> m_player;
    TDataSourceLocator *dsLoc = nullptr;
    QTabBar *tabMain = nullptr;
    MemDataset *adsRegs = nullptr;
    DataGrid *gridRegs = nullptr;
    ReportView *m_report = nullptr;
    DataGrid *gridRep = nullptr;
    QMenu *popGridRep = nullptr;
    QMenu *popGridRegs = nullptr;
    ReportRange m_savedRange;
    bool m_firstReportSwitch = true;
    bool m_firstShown = false;
};

extern TfTarnwick *fTarnwick;

// A hint "short|long": the tooltip takes the short part, the status bar the long part (the whole
// hint when it has no bar).
void applyHint(QAction *action, const QString &hint);
QString longHint(const QString &hint);

} // namespace tarnwick
