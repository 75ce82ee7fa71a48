#pragma once

#include "ConnectionString.h"

#include <QDialog>
#include <memory>

namespace Ui {
class DataSourceDialog;
}
class QThread;

namespace tarnwick {

// The connection prompt's window: the kind of database, the SQL Server's address and login or
// the SQLite file, and a button that tries the connection. Controls by objectName: cmbKind
// (0 SQL Server, 1 SQLite file, 2 ODBC string), edtServer, spnPort, edtDatabase, edtUser,
// edtPassword, edtFile, btnBrowse, edtOdbc, btnTest, lblTestResult, btnOK, btnCancel.
class DataSourceDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DataSourceDialog(QWidget *owner = nullptr);
    ~DataSourceDialog() override;

    // Fills the controls from a string; one that does not parse is shown whole as an ODBC string
    // so that the operator can mend it.
    void setConnectionString(const QString &connectionString);
    // The string for the controls. Unchanged controls give back exactly the string that was set,
    // and keys the controls do not show are kept.
    QString connectionString() const;

    DataSourceFields fieldsFromControls() const;

    // Opens a throwaway connection on the current string in a worker thread; testFinished
    // reports the outcome, which lblTestResult shows.
    void testConnection();
    bool isTesting() const { return m_testThread != nullptr; }

Q_SIGNALS:
    void testFinished(bool ok, const QString &message);

private:
    void showFields(const DataSourceFields &fields);
    void cmbKindChange(int index);
    void btnBrowseClick();
    void updateOkButton();
    void testDone(bool ok, const QString &message);

    std::unique_ptr<Ui::DataSourceDialog> ui;
    QString m_original;
    DataSourceFields m_originalFields;
    bool m_originalParsed = false;
    QThread *m_testThread = nullptr;
};

} // namespace tarnwick
