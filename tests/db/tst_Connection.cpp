#include "ADOConnectionMSSQL.h"
#include "Clock.h"
#include "ConnectionString.h"
#include "Error.h"
#include "uDMMain.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tarnwick;

namespace {

// A TCP socket on 127.0.0.1 that listens (so the kernel completes every handshake) and never
// accepts or answers: a server that hangs at login.
class SilentListener
{
public:
    SilentListener()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
            ::listen(m_fd, 8) != 0)
            return;
        socklen_t len = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
    }
    ~SilentListener()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

// A port on 127.0.0.1 with nothing listening: bound once, then let go.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

QString mssqlFromEnvironment()
{
    return qEnvironmentVariable("TARNWICK_TEST_MSSQL");
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void openStrings_data();
    void openStrings();
    void transactionNameFromClock();
    void connectionNamesAreOwnAndRemoved();
    void openConnectionKeepsFailingString();

    void freeTdsNothingListening();
    void freeTdsSilentServer();

    void beginAndEndCounts_data();
    void beginAndEndCounts();
    void rollbackUndoesRows_data();
    void rollbackUndoesRows();
    void commitKeepsRows_data();
    void commitKeepsRows();
    void failingBatchKeepsState_data();
    void failingBatchKeepsState();
    void transactionNeedsOpenConnection();

private:
    void addDialects();
    // Opens conn on the row's database and creates the service table in it; false when skipped.
    bool openForDialect(TADOConnectionMSSQL &conn);
    QString porvik() const { return m_porvik; }
    QStringList computers(TADOConnectionMSSQL &conn);
    void insertPorvik(TADOConnectionMSSQL &conn, const QString &computer, int port, int comPort);

    QTemporaryDir m_dir;
    QString m_sqliteFile;
    QString m_porvik;
};

void TestConnection::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_sqliteFile = m_dir.filePath(QStringLiteral("qz.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("setup"));
        db.setDatabaseName(m_sqliteFile);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE marker (x int)")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    QVERIFY(QFile::copy(m_sqliteFile, m_dir.filePath(QStringLiteral("a;b.db"))));
    QVERIFY(QFile::copy(m_sqliteFile, m_dir.filePath(QStringLiteral("baza šđ #1?.db"))));
}

void TestConnection::cleanup()
{
    Clock::setFixed(QDateTime());
}

void TestConnection::openStrings_data()
{
    QTest::addColumn<QString>("text");    // %DIR% stands for the scratch folder
    QTest::addColumn<QString>("dialect"); // when it opens
    QTest::addColumn<QString>("error");   // a part of the message when it does not

    QTest::newRow("SQLite file") << "Provider=SQLite;Data Source=%DIR%/qz.db"
                                 << "sqlite"
                                 << "";
    QTest::newRow("keys in any case, value quoted") << "provider=sqlite;DATA SOURCE=\"%DIR%/qz.db\""
                                                    << "sqlite"
                                                    << "";
    QTest::newRow("path with ; in single quotes") << "Provider=SQLite;Data Source='%DIR%/a;b.db'"
                                                  << "sqlite"
                                                  << "";
    // The file travels to SQLite as a URI: blanks, '#', '?' and non-ASCII letters must survive.
    QTest::newRow("path with blanks, # and ? and Serbian letters")
        << "Provider=SQLite;Data Source=%DIR%/baza šđ #1?.db"
        << "sqlite"
        << "";
    QTest::newRow("missing file") << "Provider=SQLite;Data Source=%DIR%/missing.db"
                                  << ""
                                  << "ne postoji";
    QTest::newRow("folder instead of file") << "Provider=SQLite;Data Source=%DIR%"
                                            << ""
                                            << "nije obična datoteka";
    QTest::newRow("empty string") << ""
                                  << ""
                                  << "prazna";
    QTest::newRow("unknown provider") << "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=%DIR%/qz.db"
                                      << ""
                                      << "Microsoft.ACE.OLEDB.12.0";
    QTest::newRow("integrated security")
        << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=QZ;Data Source=srv"
        << ""
        << "Integrated Security=SSPI";
    QTest::newRow("trusted connection")
        << "Provider=SQLOLEDB.1;Trusted_Connection=yes;Data Source=srv"
        << ""
        << "Trusted_Connection";
    QTest::newRow("SQL Server refused through FreeTDS")
        << "Provider=SQLOLEDB.1;Data Source=127.0.0.1,%CLOSED%;Initial Catalog=QZ;User "
           "ID=sa;Password=x"
        << ""
        << "[FreeTDS]";
    QTest::newRow("DRIVER string goes to ODBC as it is")
        << "DRIVER={" + QString::fromLatin1(freeTdsDriverPath) +
               "};Server=127.0.0.1;Port=%CLOSED%;UID=sa;PWD=x;TDS_Version=7.4"
        << ""
        << "[FreeTDS]";
}

void TestConnection::openStrings()
{
    QFETCH(QString, text);
    QFETCH(QString, dialect);
    QFETCH(QString, error);
    text.replace(QStringLiteral("%DIR%"), m_dir.path());
    text.replace(QStringLiteral("%CLOSED%"), QString::number(closedPort()));

    TADOConnectionMSSQL conn;
    conn.setLoginTimeout(5);
    conn.setConnectionString(text);
    try {
        conn.open();
        QVERIFY2(error.isEmpty(), "a string that must fail opened");
        QVERIFY(conn.isOpen());
        QCOMPARE(conn.dialect(), dialect);
        QSqlQuery q(conn.database());
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM marker")));
        QVERIFY(q.next());
        if (dialect == QLatin1String("sqlite")) {
            QSqlQuery fk(conn.database());
            QVERIFY(fk.exec(QStringLiteral("PRAGMA foreign_keys")) && fk.next());
            QCOMPARE(fk.value(0).toInt(), 1);
        }
    } catch (const Error &e) {
        QVERIFY2(!error.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        QVERIFY(!conn.isOpen());
        QVERIFY(conn.dialect().isEmpty());
    }
    // A failed open of a missing file must not leave an empty database behind.
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.db"))));
}

void TestConnection::transactionNameFromClock()
{
    Clock::setFixed(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 123)));
    TADOConnectionMSSQL conn;
    QCOMPARE(conn.TransactionName(), QStringLiteral("RZTrans20240305140709123"));
    Clock::setFixed(QDateTime(QDate(2031, 12, 1), QTime(3, 4, 5, 6)));
    TADOConnectionMSSQL later;
    QCOMPARE(later.TransactionName(), QStringLiteral("RZTrans20311201030405006"));
    QCOMPARE(conn.TransactionCount(), 0);
    QVERIFY(!conn.InTransaction());
    QVERIFY(!conn.LoginPrompt());
    QCOMPARE(conn.CommandTimeout(), 0);
    QCOMPARE(conn.loginTimeout(), 15);
}

void TestConnection::connectionNamesAreOwnAndRemoved()
{
    const QString file = QStringLiteral("Provider=SQLite;Data Source=") + m_sqliteFile;
    QString firstName;
    {
        TADOConnectionMSSQL a;
        TADOConnectionMSSQL b;
        QVERIFY(a.connectionName() != b.connectionName());
        a.setConnectionString(file);
        b.setConnectionString(file);
        a.open();
        b.open();
        QVERIFY(a.isOpen() && b.isOpen());
        firstName = a.connectionName();
        QVERIFY(QSqlDatabase::contains(firstName));
        // Reopening under another driver keeps the name.
        a.setConnectionString(
            QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;User ID=sa")
                .arg(closedPort()));
        a.setLoginTimeout(3);
        QVERIFY_THROWS_EXCEPTION(Error, a.open());
        QCOMPARE(a.connectionName(), firstName);
        QCOMPARE(a.database().driverName(), QStringLiteral("QODBC"));
        QVERIFY(b.isOpen());
    }
    QVERIFY(!QSqlDatabase::contains(firstName));
}

void TestConnection::openConnectionKeepsFailingString()
{
    TdmMain dm;
    QCOMPARE(dmMain, &dm);
    QCOMPARE(dm.connMain->objectName(), QStringLiteral("connMain"));
    const QString good = QStringLiteral("Provider=SQLite;Data Source=") + m_sqliteFile;
    const QString bad = QStringLiteral("Provider=SQLite;Data Source=") +
                        m_dir.filePath(QStringLiteral("missing.db"));
    QSignalSpy opened(dm.connMain, &TADOConnectionMSSQL::opened);
    dm.OpenConnection(good);
    QVERIFY(dm.connMain->isOpen());
    QCOMPARE(opened.size(), 1);
    try {
        dm.OpenConnection(bad);
        QFAIL("opened a missing file");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("missing.db")), qPrintable(e.message()));
    }
    QVERIFY(!dm.connMain->isOpen());
    QCOMPARE(dm.connMain->ConnectionString(), bad);
    QCOMPARE(opened.size(), 1);
}

void TestConnection::freeTdsNothingListening()
{
    TADOConnectionMSSQL conn;
    conn.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;"
                                            "Initial Catalog=QZ;User ID=sa;Password=x")
                                 .arg(closedPort()));
    QElapsedTimer timer;
    timer.start();
    try {
        conn.open();
        QFAIL("opened a connection to a closed port");
    } catch (const Error &e) {
        // The driver's own diagnostics, as the operator is to see them.
        QVERIFY2(e.message().contains(QStringLiteral("[FreeTDS]")), qPrintable(e.message()));
        qInfo("refused after %lld ms: %s", timer.elapsed(), qPrintable(e.message()));
    }
    // Refusal is immediate; it must not wait for the login time-out.
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!conn.isOpen());
}

void TestConnection::freeTdsSilentServer()
{
    SilentListener silent;
    QVERIFY(silent.port() > 0);
    TADOConnectionMSSQL conn;
    conn.setLoginTimeout(2);
    conn.setConnectionString(QStringLiteral("Provider=SQLOLEDB.1;Data Source=127.0.0.1,%1;"
                                            "Initial Catalog=QZ;User ID=sa;Password=x")
                                 .arg(silent.port()));
    QElapsedTimer timer;
    timer.start();
    try {
        conn.open();
        QFAIL("a silent server let the login through");
    } catch (const Error &e) {
        QVERIFY(!e.message().isEmpty());
        qInfo("silent server gave up after %lld ms: %s", timer.elapsed(), qPrintable(e.message()));
    }
    // It is the login time-out that ended the wait, not a refusal.
    QVERIFY2(timer.elapsed() >= 1500, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
}

void TestConnection::addDialects()
{
    QTest::addColumn<QString>("dialect");
    QTest::newRow("sqlite") << "sqlite";
    QTest::newRow("mssql") << "mssql";
}

bool TestConnection::openForDialect(TADOConnectionMSSQL &conn)
{
    QFETCH(QString, dialect);
    QString text;
    if (dialect == QLatin1String("mssql")) {
        text = mssqlFromEnvironment();
        if (text.isEmpty())
            return false;
        // A temporary table: the test must not touch a real service list on that server.
        m_porvik = QStringLiteral("#tblPorvik");
    } else {
        const QString file =
            m_dir.filePath(QStringLiteral("tx-%1.db").arg(QTest::currentDataTag()));
        QFile::remove(file);
        QFile f(file);
        f.open(QIODevice::WriteOnly); // an empty file is an empty SQLite database
        f.close();
        text = QStringLiteral("Provider=SQLite;Data Source=") + file;
        m_porvik = QStringLiteral("tblPorvik");
    }
    conn.setConnectionString(text);
    conn.open();
    if (conn.dialect() != dialect)
        throw Error(QStringLiteral("opened as %1").arg(conn.dialect()));
    QSqlQuery q(conn.database());
    if (!q.exec(QStringLiteral("CREATE TABLE %1 (Computer varchar(100), IPPort int, ComPort int)")
                    .arg(m_porvik)))
        throw Error(q.lastError().text());
    return true;
}

void TestConnection::insertPorvik(TADOConnectionMSSQL &conn, const QString &computer, int port,
                                  int comPort)
{
    QSqlQuery q(conn.database());
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO %1 (Computer, IPPort, ComPort) VALUES (?, ?, ?)")
                          .arg(m_porvik)));
    q.addBindValue(computer);
    q.addBindValue(port);
    q.addBindValue(comPort);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
}

QStringList TestConnection::computers(TADOConnectionMSSQL &conn)
{
    QStringList list;
    QSqlQuery q(conn.database());
    if (!q.exec(QStringLiteral("SELECT Computer, IPPort FROM %1 ORDER BY Computer").arg(m_porvik)))
        return {QStringLiteral("error: ") + q.lastError().text()};
    while (q.next())
        list << q.value(0).toString() + u':' + q.value(1).toString();
    return list;
}

#define OPEN_OR_SKIP(conn)                                                                         \
    if (!openForDialect(conn))                                                                     \
        QSKIP("TARNWICK_TEST_MSSQL holds no connection string: no SQL Server to run on");

void TestConnection::beginAndEndCounts_data()
{
    addDialects();
}
void TestConnection::beginAndEndCounts()
{
    TADOConnectionMSSQL conn;
    OPEN_OR_SKIP(conn);
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    QCOMPARE(conn.TransactionCount(), 1);
    QVERIFY(conn.InTransaction());
    QCOMPARE(conn.CommitNamedTransaction(), 0);
    QVERIFY(!conn.InTransaction());

    QCOMPARE(conn.BeginNamedTransaction(), 1);
    QCOMPARE(conn.RollbackNamedTransaction(), 0);
    QCOMPARE(conn.TransactionCount(), 0);
    QVERIFY(!conn.InTransaction());

    // Nested: the flag stays up until the count is back at 0.
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    QCOMPARE(conn.BeginNamedTransaction(), 2);
    QCOMPARE(conn.CommitNamedTransaction(), 1);
    QVERIFY(conn.InTransaction());
    QCOMPARE(conn.CommitNamedTransaction(), 0);
    QVERIFY(!conn.InTransaction());
}

void TestConnection::rollbackUndoesRows_data()
{
    addDialects();
}
void TestConnection::rollbackUndoesRows()
{
    TADOConnectionMSSQL conn;
    OPEN_OR_SKIP(conn);
    insertPorvik(conn, QStringLiteral("ALFA"), 15027, 1);
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    insertPorvik(conn, QStringLiteral("BETA"), 15028, 2);
    {
        QSqlQuery q(conn.database());
        QVERIFY(
            q.prepare(QStringLiteral("UPDATE %1 SET IPPort = ? WHERE Computer = ?").arg(m_porvik)));
        q.addBindValue(1);
        q.addBindValue(QStringLiteral("ALFA"));
        QVERIFY(q.exec());
    }
    QCOMPARE(computers(conn), QStringList({"ALFA:1", "BETA:15028"}));
    QCOMPARE(conn.RollbackNamedTransaction(), 0);
    QCOMPARE(computers(conn), QStringList({"ALFA:15027"}));
}

void TestConnection::commitKeepsRows_data()
{
    addDialects();
}
void TestConnection::commitKeepsRows()
{
    TADOConnectionMSSQL conn;
    OPEN_OR_SKIP(conn);
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    insertPorvik(conn, QStringLiteral("GAMA"), 15027, 1);
    QCOMPARE(conn.CommitNamedTransaction(), 0);
    QCOMPARE(computers(conn), QStringList({"GAMA:15027"}));
    // Committed means committed: a later named transaction rolled back leaves it alone.
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    QCOMPARE(conn.RollbackNamedTransaction(), 0);
    QCOMPARE(computers(conn), QStringList({"GAMA:15027"}));
}

void TestConnection::failingBatchKeepsState_data()
{
    addDialects();
}
void TestConnection::failingBatchKeepsState()
{
    QFETCH(QString, dialect);
    TADOConnectionMSSQL conn;
    OPEN_OR_SKIP(conn);

    // A commit with nothing begun fails on the server and changes nothing here.
    try {
        conn.CommitNamedTransaction();
        QFAIL("commit without a begin succeeded");
    } catch (const Error &e) {
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(conn.TransactionCount(), 0);
    QVERIFY(!conn.InTransaction());

    // A transaction ended behind the connection's back makes the rollback batch fail: the count
    // and the flag still say what the last successful batch said.
    QCOMPARE(conn.BeginNamedTransaction(), 1);
    {
        QSqlQuery q(conn.database());
        const QString end = dialect == QLatin1String("mssql")
                                ? QStringLiteral("COMMIT TRAN %1").arg(conn.TransactionName())
                                : QStringLiteral("RELEASE \"%1\"").arg(conn.TransactionName());
        QVERIFY2(q.exec(end), qPrintable(q.lastError().text()));
    }
    try {
        conn.RollbackNamedTransaction();
        QFAIL("rollback of a vanished transaction succeeded");
    } catch (const Error &e) {
        if (dialect == QLatin1String("sqlite"))
            QVERIFY2(e.message().contains(QStringLiteral("no such savepoint")),
                     qPrintable(e.message()));
        QVERIFY(!e.message().isEmpty());
    }
    QCOMPARE(conn.TransactionCount(), 1);
    QVERIFY(conn.InTransaction());
}

void TestConnection::transactionNeedsOpenConnection()
{
    TADOConnectionMSSQL conn;
    QVERIFY_THROWS_EXCEPTION(Error, conn.BeginNamedTransaction());
    QCOMPARE(conn.TransactionCount(), 0);
    QVERIFY(!conn.InTransaction());
}

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_Connection.moc"
