#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace tarnwick {

// The program's database connection: an OLE DB connection string opened through Qt SQL (FreeTDS
// ODBC for SQL Server, the embedded SQLite for a database file), with a named transaction that
// carries a save point. It never asks the operator for a login, and commands on it never time
// out; only the login itself has a time-out, so that a server that accepts and never answers
// cannot hang the program.
class TADOConnectionMSSQL : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultLoginTimeout = 15; // seconds

    explicit TADOConnectionMSSQL(QObject *parent = nullptr);
    ~TADOConnectionMSSQL() override;

    QString ConnectionString() const { return m_connectionString; }
    // Takes effect at the next open; an open connection is closed first.
    void setConnectionString(const QString &connectionString);

    // Opens the current connection string. Throws Error with the provider's message (or the
    // program's own, for a string that cannot be opened here); the connection is closed then.
    void open();
    void close();
    bool isOpen() const;

    bool LoginPrompt() const { return false; }
    int CommandTimeout() const { return 0; }
    int loginTimeout() const { return m_loginTimeout; }
    void setLoginTimeout(int seconds) { m_loginTimeout = seconds; }

    // The Qt connection that queries run on; its name is this object's own for its whole life.
    // Do not keep the returned handle beyond the statement that uses it.
    QSqlDatabase database() const;
    QString connectionName() const { return m_name; }
    // "mssql" or "sqlite" while open (empty when closed): the folder of the SQL texts to use.
    QString dialect() const { return m_dialect; }

    // "RZTrans" and the creation time as yyyymmddhhnnsszzz; its save point has "_SAVED" after it.
    QString TransactionName() const { return m_transactionName; }
    int TransactionCount() const { return m_transactionCount; }
    bool InTransaction() const { return m_inTransaction; }

    // Each returns the new nesting count. A failing batch throws Error with the provider's
    // message and leaves TransactionCount and InTransaction as they were.
    int BeginNamedTransaction();
    int RollbackNamedTransaction();
    int CommitNamedTransaction();

Q_SIGNALS:
    void opened();
    void closed();
    // The connection is about to close: statements prepared on it outside Qt SQL must go now.
    void aboutToClose();

private:
    enum class Batch
    {
        Begin,
        Rollback,
        Commit
    };
    int runBatch(Batch batch);
    int runServerBatch(QSqlDatabase &db, const QString &sql);
    int runSqliteBatch(QSqlDatabase &db, Batch batch);

    QString m_name;
    QString m_driver; // the Qt driver m_name is registered with
    QString m_connectionString;
    QString m_dialect;
    QString m_transactionName;
    int m_transactionCount = 0;
    bool m_inTransaction = false;
    int m_loginTimeout = defaultLoginTimeout;
};

// The message of a Qt SQL error as the provider gave it.
QString providerMessage(const QSqlError &error);

} // namespace tarnwick
