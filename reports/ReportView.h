#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace tarnwick {

class DataGrid;
class FormStorage;
class ImageBox;
class QueryDataset;
class Styles;
class TADOConnectionMSSQL;

// The report of stored registrations: the query qryRepTW, the grid gridRep with its view vwRep,
// and the photo panel's two pictures (img, the registration's snapshot from the photo folder;
// imgEmp, the holder's photo from the database) that follow the focused row.
class ReportView : public QObject
{
    Q_OBJECT
public:
    // The grid is placed in gridParent, the pictures in photoPanel. The stored values give the
    // photo folder; the styles the row colours; the connection is asked at every run.
    ReportView(QWidget *gridParent, QWidget *photoPanel, FormStorage *storForm, Styles *styles,
               std::function<TADOConnectionMSSQL *()> connection, QObject *parent = nullptr);
    ~ReportView() override;

    DataGrid *gridRep() const { return m_grid; }
    QueryDataset *qryRepTW() const { return m_query; }
    ImageBox *img() const { return m_img; }
    ImageBox *imgEmp() const { return m_imgEmp; }

    // Runs the report for the two range texts ("yyyy-mm-dd hh:nn"): opens the query on the first
    // run, re-executes it later; the first row becomes current. Errors (the provider's message)
    // reach the caller; the query is then closed.
    void run(const QString &fromText, const QString &toText);

    // The row colour of a report row, read through the view's columns (hidden ones included):
    // what the grid asks for every row it paints.
    std::optional<QColor> vwRepStylesGetContentStyle(int sourceRow) const;

    // The snapshot path of the current row.
    QString ReportPhotoFileName() const;
    // Hands the current row's snapshot to the desktop. Before the first run this fails with the
    // closed-dataset error; on an empty result it does nothing.
    void OpenReportPhoto();
    // Replaces the desktop's "open" (tests record what would be opened).
    static void setOpener(std::function<void(const QString &path)> opener);

private:
    void declareColumns();
    void qryRepTWCalcFields(int row);
    void qryRepTWAfterScroll();
    void vwRepFocusedRecordChanged(int sourceRow);

    DataGrid *m_grid;
    QueryDataset *m_query;
    ImageBox *m_img;
    ImageBox *m_imgEmp;
    FormStorage *m_storForm;
    Styles *m_styles;
    std::function<TADOConnectionMSSQL *()> m_connection;
    QString m_dialect;
    TADOConnectionMSSQL *m_connectedTo = nullptr;
    int m_nonId = -1, m_regType = -1, m_nonIdCode = -1, m_logActName = -1, m_mix = -1, m_photo = -1;
};

// "report.txt" gives "report.xls", "report" gives "report.xls".
QString withXlsExtension(const QString &path);

// Exports a grid as the operator sees it to the chosen name with its extension replaced by
// ".xls"; returns the file written. Throws Error.
QString exportGridToXls(DataGrid &grid, const QString &chosen);

} // namespace tarnwick
