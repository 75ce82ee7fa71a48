#include "ADOConnectionMSSQL.h"
#include "ConnectionPrompts.h"
#include "DataSourceDialog.h"
#include "DataSourceLocator.h"
#include "Error.h"
#include "MessageBoxes.h"
#include "uDMMain.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <optional>

using namespace tarnwick;

namespace {
const QString fixedMessage = QStringLiteral(
    "Nije izabrana odgovarajuća baza podataka. Potrebno je izabrati QZ bazu (min. ver. 3.11.0)");

struct Box
{
    QString caption;
    QString text;
    int icon;
};
} // namespace

// Strings in the tables are tokens: "good", "good2" (SQLite files that exist), "missing" (one
// that does not), "" (nothing). Answers add "cancel" and "fail" (the prompt itself throws);
// prompts seen are "new" for PromptNew and the token of the string PromptEdit was shown.
class TestConnectionPrompts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startup_data();
    void startup();
    void startupStoredStringFailingReachesCaller();
    void startupPromptThatAlwaysFails();
    void databaseCommand_data();
    void databaseCommand();

    void realDialogDrivenThroughPromptNew();
    void dialogEditsAndTests();

private:
    QString string(const QString &token) const;
    QString token(const QString &string) const;
    void script(const QStringList &answers);

    QTemporaryDir m_dir;
    QStringList m_answers;
    QStringList m_seen;
    QList<Box> m_boxes;
    QStringList m_written;
    QString m_stored;
    StoredConnectionString m_storedAccess;
};

void TestConnectionPrompts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const QString &name : {QStringLiteral("good.db"), QStringLiteral("good2.db")}) {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
        db.setDatabaseName(m_dir.filePath(name));
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral(
            "CREATE TABLE tblPorvik (Computer varchar(100), IPPort int, ComPort int)")));
        q.finish();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    }
    m_storedAccess.read = [this] { return m_stored; };
    m_storedAccess.write = [this](const QString &s) {
        m_stored = s;
        m_written << token(s);
    };
}

void TestConnectionPrompts::init()
{
    m_answers.clear();
    m_seen.clear();
    m_boxes.clear();
    m_written.clear();
    m_stored.clear();
    MessageBoxes::setInterceptor([this](const QString &caption, const QString &text, int icon) {
        m_boxes.append({caption, text, icon});
    });
    TDataSourceLocator::setAnswerer(
        [this](const std::optional<QString> &editing) -> std::optional<QString> {
            m_seen << (editing ? token(*editing) : QStringLiteral("new"));
            // A loop that prompts more often than the script says ends here, and the comparison of
            // the prompts seen tells.
            if (m_answers.isEmpty() || m_seen.size() > 10)
                return std::nullopt;
            const QString answer = m_answers.takeFirst();
            if (answer == QLatin1String("cancel"))
                return std::nullopt;
            if (answer == QLatin1String("fail"))
                throw Error(QStringLiteral("prompt broken"));
            return string(answer);
        });
}

void TestConnectionPrompts::cleanup()
{
    MessageBoxes::setInterceptor({});
    TDataSourceLocator::setAnswerer({});
}

QString TestConnectionPrompts::string(const QString &token) const
{
    if (token.isEmpty())
        return {};
    return QStringLiteral("Provider=SQLite;Data Source=") +
           m_dir.filePath(token + QStringLiteral(".db"));
}

QString TestConnectionPrompts::token(const QString &s) const
{
    for (const QString &t :
         {QStringLiteral("good"), QStringLiteral("good2"), QStringLiteral("missing")}) {
        if (s == string(t))
            return t;
    }
    return s.isEmpty() ? QStringLiteral("empty") : QStringLiteral("other:") + s;
}

void TestConnectionPrompts::startup_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QStringList>("messages"); // "fixed" or a part of the provider's message
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("openOn"); // token of the open connection, "" when closed

    QTest::newRow("first run cancelled: end, nothing opened")
        << "" << QStringList{"cancel"} << true << QStringList{"new"} << QStringList{}
        << QStringList{} << "";
    QTest::newRow("first run confirmed") << "" << QStringList{"good"} << false << QStringList{"new"}
                                         << QStringList{} << QStringList{"good"} << "good";
    QTest::newRow("failing open: message, prompt on the failing string, first success ends")
        << "" << QStringList{"missing", "good"} << false << QStringList{"new", "missing"}
        << QStringList{"ne postoji"} << QStringList{"missing", "good"} << "good";
    QTest::newRow("cancelled after a failing open")
        << "" << QStringList{"missing", "cancel"} << true << QStringList{"new", "missing"}
        << QStringList{"ne postoji"} << QStringList{"missing"} << "";
    QTest::newRow("failing prompt: fixed message, prompt again")
        << "" << QStringList{"fail", "good"} << false << QStringList{"new", "new"}
        << QStringList{"fixed"} << QStringList{"good"} << "good";
    QTest::newRow("stored string opens without a prompt")
        << "good" << QStringList{} << false << QStringList{} << QStringList{} << QStringList{}
        << "good";
}

void TestConnectionPrompts::startup()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, answers);
    QFETCH(bool, ends);
    QFETCH(QStringList, seen);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, written);
    QFETCH(QString, openOn);

    m_stored = string(stored);
    m_answers = answers;
    TdmMain dm;
    TDataSourceLocator dsLoc;
    QWidget owner;
    QSignalSpy opened(dm.connMain, &TADOConnectionMSSQL::opened);

    QCOMPARE(connectAtStartup(&owner, dsLoc, dm, m_storedAccess), ends);
    QCOMPARE(m_seen, seen);
    QCOMPARE(m_written, written);
    QCOMPARE(m_boxes.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i) {
        QCOMPARE(m_boxes[i].caption, QStringLiteral("Greška"));
        QCOMPARE(m_boxes[i].icon, 16);
        if (messages[i] == QLatin1String("fixed"))
            QCOMPARE(m_boxes[i].text, fixedMessage);
        else
            QVERIFY2(m_boxes[i].text.contains(messages[i]), qPrintable(m_boxes[i].text));
    }
    QCOMPARE(dm.connMain->isOpen(), !openOn.isEmpty());
    if (!openOn.isEmpty()) {
        QCOMPARE(token(dm.connMain->ConnectionString()), openOn);
        QCOMPARE(opened.size(), 1);
    }
    if (ends && written.isEmpty()) {
        // Cancelled on a first run: not even an attempt on the empty string.
        QVERIFY(dm.connMain->ConnectionString().isEmpty());
    }
}

void TestConnectionPrompts::startupStoredStringFailingReachesCaller()
{
    m_stored = string(QStringLiteral("missing"));
    TdmMain dm;
    TDataSourceLocator dsLoc;
    try {
        connectAtStartup(nullptr, dsLoc, dm, m_storedAccess);
        QFAIL("a failing stored string was reported as opened");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("missing.db")), qPrintable(e.message()));
    }
    QVERIFY(m_seen.isEmpty());
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(m_written.isEmpty());
    QVERIFY(!dm.connMain->isOpen());
    QCOMPARE(dm.connMain->ConnectionString(), string(QStringLiteral("missing")));
}

void TestConnectionPrompts::startupPromptThatAlwaysFails()
{
    m_answers = QStringList(20, QStringLiteral("fail"));
    TdmMain dm;
    TDataSourceLocator dsLoc;
    QVERIFY_THROWS_EXCEPTION(Error, connectAtStartup(nullptr, dsLoc, dm, m_storedAccess));
    QCOMPARE(m_seen.size(), maxPromptFailures);
    QCOMPARE(m_boxes.size(), maxPromptFailures);
    QCOMPARE(m_boxes.last().text, fixedMessage);
    QVERIFY(!dm.connMain->isOpen());
}

void TestConnectionPrompts::databaseCommand_data()
{
    QTest::addColumn<QString>("current"); // connMain's string and the stored value
    QTest::addColumn<bool>("currentOpen");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<int>("messages"); // each one a provider message under "Greška"
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<int>("opens");
    QTest::addColumn<QString>("openOn");
    QTest::addColumn<QString>("connString");

    QTest::newRow("confirmed unchanged: no reopen, nothing stored")
        << "good" << true << QStringList{"good"} << QStringList{"good"} << 0 << QStringList{} << 0
        << "good"
        << "good";
    QTest::newRow("cancelled") << "good" << true << QStringList{"cancel"} << QStringList{"good"}
                               << 0 << QStringList{} << 0 << "good"
                               << "good";
    QTest::newRow("new string stored and opened")
        << "good" << true << QStringList{"good2"} << QStringList{"good"} << 0
        << QStringList{"good2"} << 1 << "good2"
        << "good2";
    QTest::newRow("no string yet: new data source")
        << "" << false << QStringList{"good"} << QStringList{"new"} << 0 << QStringList{"good"} << 1
        << "good"
        << "good";
    QTest::newRow("failing string, then cancel: closed on the failing string, which is stored")
        << "good" << true << QStringList{"missing", "cancel"} << QStringList{"good", "missing"} << 1
        << QStringList{"missing"} << 0 << ""
        << "missing";
    QTest::newRow("failing string, then a good one: first success ends")
        << "good" << true << QStringList{"missing", "good2"} << QStringList{"good", "missing"} << 1
        << QStringList{"missing", "good2"} << 1 << "good2"
        << "good2";
    QTest::newRow("back to the old string after a failure opens it again")
        << "good" << true << QStringList{"missing", "good"} << QStringList{"good", "missing"} << 1
        << QStringList{"missing", "good"} << 1 << "good"
        << "good";
    QTest::newRow("unchanged on a closed connection tries it again")
        << "good" << false << QStringList{"good"} << QStringList{"good"} << 0 << QStringList{} << 1
        << "good"
        << "good";
    QTest::newRow("failing prompt: its message, then the prompt again")
        << "good" << true << QStringList{"fail", "cancel"} << QStringList{"good", "good"} << 1
        << QStringList{} << 0 << "good"
        << "good";
}

void TestConnectionPrompts::databaseCommand()
{
    QFETCH(QString, current);
    QFETCH(bool, currentOpen);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, seen);
    QFETCH(int, messages);
    QFETCH(QStringList, written);
    QFETCH(int, opens);
    QFETCH(QString, openOn);
    QFETCH(QString, connString);

    TdmMain dm;
    TDataSourceLocator dsLoc;
    m_stored = string(current);
    if (currentOpen)
        dm.OpenConnection(string(current));
    else
        dm.connMain->setConnectionString(string(current));
    QSignalSpy opened(dm.connMain, &TADOConnectionMSSQL::opened);
    m_answers = answers;

    changeDatabaseConnection(nullptr, dsLoc, dm, m_storedAccess);
    QCOMPARE(m_seen, seen);
    QCOMPARE(m_written, written);
    QCOMPARE(m_boxes.size(), messages);
    for (const Box &b : std::as_const(m_boxes)) {
        QCOMPARE(b.caption, QStringLiteral("Greška"));
        QCOMPARE(b.icon, 16);
        QVERIFY(b.text.contains(QStringLiteral("ne postoji")) ||
                b.text == QLatin1String("prompt broken"));
    }
    QCOMPARE(opened.size(), opens);
    QCOMPARE(dm.connMain->isOpen(), !openOn.isEmpty());
    QCOMPARE(token(dm.connMain->ConnectionString()), connString);
}

void TestConnectionPrompts::realDialogDrivenThroughPromptNew()
{
    TDataSourceLocator::setAnswerer({});
    const QString file = m_dir.filePath(QStringLiteral("good.db"));
    QWidget owner;
    owner.show();

    QString dialogName;
    QString testResult;
    bool okEnabledBeforeFile = true;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialogName = dialog->objectName();
        auto *kind = dialog->findChild<QComboBox *>(QStringLiteral("cmbKind"));
        auto *edtFile = dialog->findChild<QLineEdit *>(QStringLiteral("edtFile"));
        auto *btnTest = dialog->findChild<QPushButton *>(QStringLiteral("btnTest"));
        auto *btnOK = dialog->findChild<QPushButton *>(QStringLiteral("btnOK"));
        auto *lbl = dialog->findChild<QLabel *>(QStringLiteral("lblTestResult"));
        if (!kind || !edtFile || !btnTest || !btnOK || !lbl) {
            dialog->reject();
            return;
        }
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down); // SQL Server -> SQLite file
        okEnabledBeforeFile = btnOK->isEnabled();
        QTest::keyClicks(edtFile, file);
        QTest::mouseClick(btnTest, Qt::LeftButton);
        if (QTest::qWaitFor([&] { return btnTest->isEnabled(); }, 10000))
            testResult = lbl->text();
        QTest::mouseClick(btnOK, Qt::LeftButton);
        if (dialog->isVisible())
            dialog->reject();
    });
    TDataSourceLocator dsLoc;
    QVERIFY(dsLoc.PromptNew(&owner));
    QCOMPARE(dialogName, QStringLiteral("dlgDataSource"));
    QVERIFY(!okEnabledBeforeFile);
    QCOMPARE(testResult, QStringLiteral("Veza sa bazom podataka je uspešno uspostavljena."));
    QCOMPARE(dsLoc.PromptResult(), QStringLiteral("Provider=SQLite;Data Source=") + file);
    // The dialog is made per prompt and gone once it has answered.
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(owner.findChildren<DataSourceDialog *>().isEmpty());
}

void TestConnectionPrompts::dialogEditsAndTests()
{
    const QString original = QStringLiteral(
        "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=x;Initial Catalog=QZ;"
        "Data Source=srv\\SQLEXPRESS,1500;Application Name=Tarnwick");
    DataSourceDialog dialog;
    dialog.setConnectionString(original);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *edtServer = dialog.findChild<QLineEdit *>(QStringLiteral("edtServer"));
    auto *spnPort = dialog.findChild<QSpinBox *>(QStringLiteral("spnPort"));
    auto *edtDatabase = dialog.findChild<QLineEdit *>(QStringLiteral("edtDatabase"));
    auto *edtUser = dialog.findChild<QLineEdit *>(QStringLiteral("edtUser"));
    auto *edtPassword = dialog.findChild<QLineEdit *>(QStringLiteral("edtPassword"));
    auto *kind = dialog.findChild<QComboBox *>(QStringLiteral("cmbKind"));
    auto *edtFile = dialog.findChild<QLineEdit *>(QStringLiteral("edtFile"));
    auto *btnTest = dialog.findChild<QPushButton *>(QStringLiteral("btnTest"));
    auto *lbl = dialog.findChild<QLabel *>(QStringLiteral("lblTestResult"));
    QVERIFY(edtServer && spnPort && edtDatabase && edtUser && edtPassword && kind && edtFile &&
            btnTest && lbl);

    QCOMPARE(kind->currentIndex(), 0);
    QCOMPARE(edtServer->text(), QStringLiteral("srv\\SQLEXPRESS"));
    QCOMPARE(spnPort->value(), 1500);
    QCOMPARE(edtDatabase->text(), QStringLiteral("QZ"));
    QCOMPARE(edtUser->text(), QStringLiteral("sa"));
    QCOMPARE(edtPassword->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.connectionString(), original);

    edtDatabase->selectAll();
    QTest::keyClicks(edtDatabase, QStringLiteral("QZ2"));
    QCOMPARE(dialog.connectionString(),
             QStringLiteral(
                 "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=x;"
                 "Initial Catalog=QZ2;Data Source=srv\\SQLEXPRESS,1500;Application Name=Tarnwick"));

    // The test button on a file that is not there shows the provider's message.
    kind->setCurrentIndex(1);
    QTest::keyClicks(edtFile, m_dir.filePath(QStringLiteral("missing.db")));
    QSignalSpy finished(&dialog, &DataSourceDialog::testFinished);
    QTest::mouseClick(btnTest, Qt::LeftButton);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QVERIFY2(lbl->text().contains(QStringLiteral("ne postoji")), qPrintable(lbl->text()));
    QCOMPARE(dialog.connectionString(),
             QStringLiteral("Provider=SQLite;Data Source=%1;Application Name=Tarnwick")
                 .arg(m_dir.filePath(QStringLiteral("missing.db"))));
}

QTEST_MAIN(TestConnectionPrompts)
#include "tst_ConnectionPrompts.moc"
