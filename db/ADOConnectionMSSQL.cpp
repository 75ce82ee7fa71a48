#include "ADOConnectionMSSQL.h"

#include "Clock.h"
#include "ConnectionString.h"
#include "Error.h"
#include "Translation.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

namespace tarnwick {

using i18n::tr;

namespace {
std::atomic<int> connectionSerial{0};
} // namespace

QString providerMessage(const QSqlError &error)
{
    const QString db = error.databaseText().trimmed();
    const QString text = db.isEmpty() ? error.text().trimmed() : db;
    return text.isEmpty() ? tr("Nepoznata greška baze podataka.") : text;
}

TADOConnectionMSSQL::TADOConnectionMSSQL(QObject *parent)
    : QObject(parent), m_name(QStringLiteral("tarnwick.connection.%1").arg(++connectionSerial)),
      m_transactionName(QStringLiteral("RZTrans") +
                        Clock::now().toString(QStringLiteral("yyyyMMddHHmmsszzz")))
{}

TADOConnectionMSSQL::~TADOConnectionMSSQL()
{
    close();
    if (!m_driver.isEmpty())
        QSqlDatabase::removeDatabase(m_name);
}

void TADOConnectionMSSQL::setConnectionString(const QString &connectionString)
{
    if (isOpen())
        close();
    m_connectionString = connectionString;
}

QSqlDatabase TADOConnectionMSSQL::database() const
{
    if (m_driver.isEmpty())
        return {};
    return QSqlDatabase::database(m_name, false);
}

bool TADOConnectionMSSQL::isOpen() const
{
    if (m_driver.isEmpty())
        return false;
    return QSqlDatabase::database(m_name, false).isOpen();
}

void TADOConnectionMSSQL::close()
{
    const bool wasOpen = isOpen();
    if (wasOpen)
        Q_EMIT aboutToClose();
    if (!m_driver.isEmpty()) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    // The server forgets the transactions of a closed session, and so does the count.
    m_transactionCount = 0;
    m_inTransaction = false;
    m_dialect.clear();
    if (wasOpen)
        Q_EMIT closed();
}

void TADOConnectionMSSQL::open()
{
    close();
    const ConnectionTarget target = resolveConnection(m_connectionString, m_loginTimeout);

    if (m_driver != target.driver) {
        if (!m_driver.isEmpty())
            QSqlDatabase::removeDatabase(m_name);
        m_driver.clear();
        QSqlDatabase::addDatabase(target.driver, m_name);
        m_driver = target.driver;
    }
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.isValid() || !db.driver())
        throw Error(tr("Upravljački program baze podataka %1 nije dostupan.").arg(target.driver));
    db.setDatabaseName(target.databaseName);
    db.setConnectOptions(target.connectOptions);
    if (!db.open()) {
        const QString message = providerMessage(db.lastError());
        db.close();
        throw Error(message);
    }
    if (target.dialect == QLatin1String("sqlite")) {
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA foreign_keys = ON"))) {
            const QString message = providerMessage(pragma.lastError());
            pragma.finish();
            db.close();
            throw Error(message);
        }
    }
    m_dialect = target.dialect;
    Q_EMIT opened();
}

int TADOConnectionMSSQL::BeginNamedTransaction()
{
    const int count = runBatch(Batch::Begin);
    m_transactionCount = count;
    if (count > 0)
        m_inTransaction = true;
    return count;
}

int TADOConnectionMSSQL::RollbackNamedTransaction()
{
    const int count = runBatch(Batch::Rollback);
    m_transactionCount = count;
    if (count == 0)
        m_inTransaction = false;
    return count;
}

int TADOConnectionMSSQL::CommitNamedTransaction()
{
    const int count = runBatch(Batch::Commit);
    m_transactionCount = count;
    if (count == 0)
        m_inTransaction = false;
    return count;
}

int TADOConnectionMSSQL::runBatch(Batch batch)
{
    if (!isOpen())
        throw Error(tr("Veza sa bazom podataka nije otvorena."));
    // The name goes into the statement text, as transaction and save-point names cannot be
    // bound; it is made here of letters and digits only, which the check keeps true.
    static const QRegularExpression safeName(QStringLiteral("^[A-Za-z][A-Za-z0-9_]*$"));
    Q_ASSERT(safeName.match(m_transactionName).hasMatch());

    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (m_dialect == QLatin1String("sqlite"))
        return runSqliteBatch(db, batch);

    QString sql;
    switch (batch) {
    case Batch::Begin:
        sql = QStringLiteral("BEGIN TRAN %1 SAVE TRAN %1_SAVED SELECT @@TRANCOUNT");
        break;
    case Batch::Rollback:
        sql = QStringLiteral("ROLLBACK TRAN %1_SAVED COMMIT TRAN %1 SELECT @@TRANCOUNT");
        break;
    case Batch::Commit:
        sql = QStringLiteral("COMMIT TRAN %1 SELECT @@TRANCOUNT");
        break;
    }
    return runServerBatch(db, sql.arg(m_transactionName));
}

int TADOConnectionMSSQL::runServerBatch(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw Error(providerMessage(q.lastError()));
    // Through ODBC the statements before the SELECT may each bring a result of their own, and an
    // error of a later statement shows only when its result is reached: walk them all.
    bool found = false;
    int count = 0;
    for (;;) {
        if (!found && q.isSelect() && q.next()) {
            count = q.value(0).toInt();
            found = true;
        }
        if (!q.nextResult())
            break;
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid() && error.type() != QSqlError::NoError)
        throw Error(providerMessage(error));
    if (!found)
        throw Error(tr("Server nije vratio broj otvorenih transakcija."));
    return count;
}

int TADOConnectionMSSQL::runSqliteBatch(QSqlDatabase &db, Batch batch)
{
    const QString name = u'"' + m_transactionName + u'"';
    const QString saved = u'"' + m_transactionName + QStringLiteral("_SAVED\"");
    auto run = [&db](const QString &statement) -> QString {
        QSqlQuery q(db);
        if (q.exec(statement))
            return {};
        return providerMessage(q.lastError());
    };

    switch (batch) {
    case Batch::Begin: {
        if (const QString e = run(QStringLiteral("SAVEPOINT ") + name); !e.isEmpty())
            throw Error(e);
        if (const QString e = run(QStringLiteral("SAVEPOINT ") + saved); !e.isEmpty()) {
            // Half a begin would leave a transaction nobody counts.
            run(QStringLiteral("ROLLBACK TO ") + name);
            run(QStringLiteral("RELEASE ") + name);
            throw Error(e);
        }
        return m_transactionCount + 1;
    }
    case Batch::Rollback:
        if (const QString e = run(QStringLiteral("ROLLBACK TO ") + saved); !e.isEmpty())
            throw Error(e);
        if (const QString e = run(QStringLiteral("RELEASE ") + name); !e.isEmpty())
            throw Error(e);
        return m_transactionCount - 1;
    case Batch::Commit:
        if (const QString e = run(QStringLiteral("RELEASE ") + name); !e.isEmpty())
            throw Error(e);
        return m_transactionCount - 1;
    }
    return m_transactionCount;
}

} // namespace tarnwick
