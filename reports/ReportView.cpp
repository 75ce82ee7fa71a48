#include "ReportView.h"

#include "ADOConnectionMSSQL.h"
#include "DataGrid.h"
#include "Error.h"
#include "FormStorage.h"
#include "ImageBox.h"
#include "Jpeg.h"
#include "MainWindowValues.h"
#include "MessageBoxes.h"
#include "QueryDataset.h"
#include "ReportPhotos.h"
#include "ReportQuery.h"
#include "ResourcesInit.h"
#include "RowColourRules.h"
#include "Styles.h"
#include "Translation.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QVBoxLayout>

namespace tarnwick {

using i18n::tr;

namespace {
std::function<void(const QString &)> opener;
} // namespace

void ReportView::setOpener(std::function<void(const QString &)> o) { opener = std::move(o); }

QString withXlsExtension(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString base = dot > slash ? path.left(dot) : path;
    return base + QStringLiteral(".xls");
}

ReportView::ReportView(QWidget *gridParent, QWidget *photoPanel, FormStorage *storForm, Styles *styles,
                       std::function<TADOConnectionMSSQL *()> connection, QObject *parent)
    : QObject(parent), m_grid(new DataGrid(gridParent)), m_query(new QueryDataset(report::reportFields(), this)),
      m_img(new ImageBox(photoPanel)), m_imgEmp(new ImageBox(m_img)), m_storForm(storForm), m_styles(styles),
      m_connection(std::move(connection))
{
    m_grid->setObjectName(QStringLiteral("gridRep"));
    m_grid->setViewName(QStringLiteral("vwRep"));
    m_query->setObjectName(QStringLiteral("qryRepTW"));
    m_img->setObjectName(QStringLiteral("img"));
    m_imgEmp->setObjectName(QStringLiteral("imgEmp"));

    m_nonId = m_query->fieldIndex(QStringLiteral("NonID"));
    m_regType = m_query->fieldIndex(QStringLiteral("RegType"));
    m_nonIdCode = m_query->fieldIndex(QStringLiteral("NonIDCode"));
    m_logActName = m_query->fieldIndex(QStringLiteral("LogActName"));
    m_mix = m_query->fieldIndex(QStringLiteral("LogActNameMix"));
    m_photo = m_query->fieldIndex(QStringLiteral("Photo"));
    m_query->setCalcFields([this](QueryDataset &, int row) { qryRepTWCalcFields(row); });

    // Read-only, whole rows, sorting and header filters, columns can be dragged away; the
    // grouping panel starts hidden.
    m_grid->setEditable(false);
    m_grid->setRowSelect(true);
    m_grid->setSortingEnabled(true);
    m_grid->setFilteringEnabled(true);
    m_grid->setColumnHidingEnabled(true);
    m_grid->setGroupingEnabled(true);
    m_grid->setGroupPanelVisible(false);
    declareColumns();
    m_grid->setModel(m_query);
    m_grid->setContentStyleCallback([this](int row) { return vwRepStylesGetContentStyle(row); });
    connect(m_styles, &Styles::colourChanged, m_grid, [this] { m_grid->update(); });

    // The snapshot fills the panel; the holder's photo sits over its top-left corner.
    if (!photoPanel->layout()) {
        auto *layout = new QVBoxLayout(photoPanel);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    photoPanel->layout()->addWidget(m_img);
    m_imgEmp->setGeometry(5, 5, 106, 106);
    m_imgEmp->setAutoFillBackground(true);
    QPalette black = m_imgEmp->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_imgEmp->setPalette(black);
    m_imgEmp->hide();

    connect(m_grid, &DataGrid::focusedRowChanged, this, &ReportView::vwRepFocusedRecordChanged);
    connect(m_query, &QueryDataset::afterScroll, this, &ReportView::qryRepTWAfterScroll);
    auto openGuarded = [this] {
        try {
            OpenReportPhoto();
        } catch (const std::exception &e) {
            MessageBoxes::showGeneralError(messageOf(e));
        }
    };
    connect(m_grid, &DataGrid::rowDoubleClicked, this, openGuarded);
    connect(m_img, &ImageBox::doubleClicked, this, openGuarded);
    connect(m_imgEmp, &ImageBox::doubleClicked, this, openGuarded);
}

ReportView::~ReportView() = default;

void ReportView::declareColumns()
{
    auto c = [](const char *name, const char *field, const QString &caption, bool shown, int width = 0) {
        return GridColumn::make(QString::fromLatin1(name), QString::fromLatin1(field), caption, shown, width);
    };
    m_grid->setColumns({
        c("vwRepTerminalskoVremeRegistracije", "TerminalskoVremeRegistracije", tr("Datum i vreme"), true, 128),
        c("vwRepLastName", "LastName", tr("Prezime "), true, 80),
        c("vwRepFirstName", "FirstName", tr("Ime "), true, 80),
        c("vwRepLogActNameMix", "LogActNameMix", tr("Aktivnost"), true, 96),
        c("vwRepMediaID", "MediaID", QString(), false),
        c("vwRepEventID", "EventID", tr("ID događaja"), false),
        c("vwRepEventName", "EventName", tr("Događaj"), false),
        c("vwRepTermID", "TermID", tr("ID kontrolera"), false),
        c("vwRepTermName", "TermName", tr("Kontroler"), false),
        c("vwRepDoorID", "DoorID", tr("ID vrata"), false),
        c("vwRepLogActID", "LogActID", tr("ID aktivnosti"), false),
        c("vwRepEmpID", "EmpID", tr("ID zaposlenog"), false),
        c("vwRepRegType", "RegType", tr("Tip"), false),
        c("vwRepNonID", "NonID", QString(), false),
        c("vwRepNonIDCode", "NonIDCode", QString(), false, 87),
        c("vwRepEventDescription", "EventDescription", tr("Opis aktivnosti"), true, 120),
        c("vwRepDoorName", "DoorName", tr("Vrata"), true, 96),
        c("vwRepColumnDep", "NazivSektora", tr("Department"), false, 120),
        c("vwRepColumnZone", "NazivZone", tr("Zone"), false, 120),
    });
}

std::optional<QColor> ReportView::vwRepStylesGetContentStyle(int row) const
{
    return m_styles->classColour(reportRowColourClass(
        m_grid->value(row, QStringLiteral("vwRepNonID")), m_grid->value(row, QStringLiteral("vwRepRegType")),
        m_grid->value(row, QStringLiteral("vwRepNonIDCode")), m_grid->value(row, QStringLiteral("vwRepEmpID"))));
}

void ReportView::qryRepTWCalcFields(int row)
{
    m_query->setCalculated(row, m_mix,
                           report::LogActNameMix(m_query->value(row, m_nonId), m_query->value(row, m_regType),
                                                 m_query->value(row, m_nonIdCode), m_query->value(row, m_logActName)));
}

void ReportView::run(const QString &fromText, const QString &toText)
{
    TADOConnectionMSSQL *conn = m_connection ? m_connection() : nullptr;
    const QString dialect = conn && conn->isOpen() ? conn->dialect() : QString();
    if (dialect.isEmpty())
        throw Error(QStringLiteral("Operation is not allowed when the object is closed."));
    if (dialect != m_dialect) {
        m_query->setSql(sqlText(dialect, QStringLiteral("report")));
        m_dialect = dialect;
    }
    if (conn != m_connectedTo) {
        // SQLite refuses to close under a statement still prepared on it.
        connect(conn, &TADOConnectionMSSQL::aboutToClose, m_query, &QueryDataset::releasePrepared);
        m_connectedTo = conn;
    }
    m_query->setConnection([conn] { return conn->database(); });
    m_query->setParameter(QStringLiteral("pDTStart"), fromText);
    m_query->setParameter(QStringLiteral("pDTStop"), toText);
    if (m_query->isOpen())
        m_query->requery();
    else
        m_query->open();
    if (m_query->currentRow() >= 0)
        m_grid->focusSourceRow(m_query->currentRow());

}

QString ReportView::ReportPhotoFileName() const
{
    const int row = m_query->currentRow();
    return report::ReportPhotoFileName(m_storForm->readValue(storedvalues::DirImages).toString(),
                                       m_query->value(row, QStringLiteral("TerminalskoVremeRegistracije")).toDateTime(),
                                       m_query->value(row, QStringLiteral("MediaID")));
}

void ReportView::vwRepFocusedRecordChanged(int sourceRow)
{
    if (sourceRow < 0)
        return;
    m_query->setCurrentRow(sourceRow);
    // Read from disk at every move: the camera may file the picture after the report ran.
    m_img->setImage(report::loadSnapshot(ReportPhotoFileName()));
}

void ReportView::qryRepTWAfterScroll()
{
    const int row = m_query->currentRow();
    const QVariant photo = m_query->value(row, m_photo);
    if (row < 0 || photo.isNull()) {
        m_imgEmp->hide();
        m_imgEmp->clear();
        return;
    }
    m_imgEmp->setImage(decodeJpeg(photo.toByteArray()));
    m_imgEmp->show();
    m_imgEmp->raise();
}

void ReportView::OpenReportPhoto()
{
    if (m_query->recordCount() == 0)
        return;
    const QString path = ReportPhotoFileName();
    if (opener)
        opener(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path)); // its outcome is of no concern here
}

QString exportGridToXls(DataGrid &grid, const QString &chosen)
{
    const QString target = withXlsExtension(chosen);
    grid.exportToXls(target, QStringLiteral("Tarnwick"));
    return target;
}

} // namespace tarnwick
