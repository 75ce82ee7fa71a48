#include "DataSourceDialog.h"

#include "ui_DataSourceDialog.h"

#include "ADOConnectionMSSQL.h"
#include "Error.h"
#include "Translation.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QThread>

namespace tarnwick {

using i18n::tr;

namespace {
constexpr int kindSqlServer = 0;
constexpr int kindSqlite = 1;
constexpr int kindOdbc = 2;

int indexOf(DataSourceFields::Kind kind)
{
    switch (kind) {
    case DataSourceFields::Kind::SqlServer:
        return kindSqlServer;
    case DataSourceFields::Kind::SqliteFile:
        return kindSqlite;
    case DataSourceFields::Kind::Odbc:
        return kindOdbc;
    }
    return kindSqlServer;
}
} // namespace

DataSourceDialog::DataSourceDialog(QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::DataSourceDialog>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(tr("Veza sa bazom podataka"));
    ui->btnOK->setDefault(true);

    connect(ui->cmbKind, &QComboBox::currentIndexChanged, this, &DataSourceDialog::cmbKindChange);
    connect(ui->btnBrowse, &QToolButton::clicked, this, &DataSourceDialog::btnBrowseClick);
    connect(ui->btnTest, &QPushButton::clicked, this, &DataSourceDialog::testConnection);
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit *edit : {ui->edtServer, ui->edtFile, ui->edtOdbc})
        connect(edit, &QLineEdit::textChanged, this, &DataSourceDialog::updateOkButton);

    setConnectionString(QString());
}

DataSourceDialog::~DataSourceDialog()
{
    // The worker reports to this window: it must be done before the window goes.
    if (m_testThread) {
        m_testThread->wait();
        delete m_testThread;
    }
}

void DataSourceDialog::setConnectionString(const QString &connectionString)
{
    m_original = connectionString;
    try {
        m_originalFields = ConnectionString::parse(connectionString).fields();
        m_originalParsed = true;
    } catch (const Error &) {
        m_originalFields = DataSourceFields();
        m_originalFields.kind = DataSourceFields::Kind::Odbc;
        m_originalFields.odbcString = connectionString;
        m_originalParsed = false;
    }
    showFields(m_originalFields);
    ui->lblTestResult->clear();
}

void DataSourceDialog::showFields(const DataSourceFields &f)
{
    ui->edtServer->setText(f.server);
    ui->spnPort->setValue(f.port);
    ui->edtDatabase->setText(f.database);
    ui->edtUser->setText(f.user);
    ui->edtPassword->setText(f.password);
    ui->edtFile->setText(f.file);
    ui->edtOdbc->setText(f.odbcString);
    ui->cmbKind->setCurrentIndex(indexOf(f.kind));
    cmbKindChange(ui->cmbKind->currentIndex());
}

DataSourceFields DataSourceDialog::fieldsFromControls() const
{
    DataSourceFields f;
    switch (ui->cmbKind->currentIndex()) {
    case kindSqlite:
        f.kind = DataSourceFields::Kind::SqliteFile;
        f.file = ui->edtFile->text().trimmed();
        break;
    case kindOdbc:
        f.kind = DataSourceFields::Kind::Odbc;
        f.odbcString = ui->edtOdbc->text();
        break;
    default:
        f.kind = DataSourceFields::Kind::SqlServer;
        f.server = ui->edtServer->text().trimmed();
        f.port = ui->spnPort->value();
        f.database = ui->edtDatabase->text().trimmed();
        f.user = ui->edtUser->text();
        f.password = ui->edtPassword->text();
        break;
    }
    return f;
}

QString DataSourceDialog::connectionString() const
{
    const DataSourceFields f = fieldsFromControls();
    if (f.kind == DataSourceFields::Kind::Odbc)
        return f.odbcString;
    if (m_originalParsed && f == m_originalFields)
        return m_original;
    // Keys the controls do not show survive, unless the old string was an ODBC one: its keys
    // mean nothing to the OLE DB form.
    ConnectionString cs;
    if (m_originalParsed && m_originalFields.kind != DataSourceFields::Kind::Odbc)
        cs = ConnectionString::parse(m_original);
    cs.setFields(f);
    return cs.toString();
}

void DataSourceDialog::cmbKindChange(int index)
{
    ui->stkKind->setCurrentIndex(index);
    updateOkButton();
}

void DataSourceDialog::updateOkButton()
{
    bool complete = false;
    switch (ui->cmbKind->currentIndex()) {
    case kindSqlite:
        complete = !ui->edtFile->text().trimmed().isEmpty();
        break;
    case kindOdbc:
        complete = !ui->edtOdbc->text().trimmed().isEmpty();
        break;
    default:
        complete = !ui->edtServer->text().trimmed().isEmpty();
        break;
    }
    ui->btnOK->setEnabled(complete);
    ui->btnTest->setEnabled(complete && !m_testThread);
}

void DataSourceDialog::btnBrowseClick()
{
    const QString current = ui->edtFile->text().trimmed();
    const QString file = QFileDialog::getOpenFileName(
        this, tr("Datoteka baze podataka"),
        current.isEmpty() ? QString() : QFileInfo(current).absolutePath(),
        tr("SQLite baze (*.db *.sqlite *.sqlite3);;Sve datoteke (*)"));
    if (!file.isEmpty())
        ui->edtFile->setText(file);
}

void DataSourceDialog::testConnection()
{
    if (m_testThread)
        return;
    const QString cs = connectionString();
    ui->lblTestResult->setText(tr("Provera veze..."));
    // A slow server must not freeze the window, so the open runs on a worker.
    m_testThread = QThread::create([this, cs] {
        bool ok = false;
        QString message;
        try {
            TADOConnectionMSSQL probe;
            probe.setConnectionString(cs);
            probe.open();
            probe.close();
            ok = true;
        } catch (const std::exception &e) {
            message = messageOf(e);
        }
        QMetaObject::invokeMethod(
            this, [this, ok, message] { testDone(ok, message); }, Qt::QueuedConnection);
    });
    updateOkButton();
    m_testThread->start();
}

void DataSourceDialog::testDone(bool ok, const QString &message)
{
    if (m_testThread) {
        m_testThread->wait();
        delete m_testThread;
        m_testThread = nullptr;
    }
    ui->lblTestResult->setText(ok ? tr("Veza sa bazom podataka je uspešno uspostavljena.")
                                  : message);
    updateOkButton();
    Q_EMIT testFinished(ok, ok ? ui->lblTestResult->text() : message);
}

} // namespace tarnwick
