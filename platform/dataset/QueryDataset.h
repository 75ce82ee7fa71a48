#pragma once

#include "CompactColumns.h"
#include "Dataset.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace tarnwick {

// A read-only parameterised query whose whole result is fetched into memory. It is prepared once
// and re-executed with new parameter values; calculated fields are computed per record after
// fetching. On the embedded database the statement runs on SQLite itself, which reads texts
// without a detour through UTF-16; elsewhere through Qt SQL.
class QueryDataset : public Dataset
{
    Q_OBJECT
public:
    // Fields in the order the program shows them; the query's columns are matched by name and
    // converted to the declared types. Calculated fields are not read from the query.
    QueryDataset(const QList<FieldDef> &fields, QObject *parent = nullptr);
    ~QueryDataset() override;

    // Where the query runs. The connection is asked anew at every open, so that a connection
    // reopened under another string is picked up.
    void setConnection(std::function<QSqlDatabase()> connection) { m_connection = std::move(connection); }
    void setSql(const QString &sql);
    void setParameter(const QString &name, const QVariant &value); // ":pDTStart" or "pDTStart"

    // Computes the calculated fields of one record: gets the record's row (its other fields are
    // already set) and writes with setCalculated(). Errors end the open.
    using CalcFields = std::function<void(QueryDataset &dataset, int row)>;
    void setCalcFields(CalcFields calc) { m_calc = std::move(calc); }
    void setCalculated(int row, int field, const QVariant &value);

    void open();    // prepares (once), executes, fetches, first record current
    void requery(); // executes again with the current parameter values, first record current
    void close();

    // Lets go of the prepared statement; the next open prepares it again. Called before the
    // connection closes, which a statement still prepared on it would keep from closing.
    void releasePrepared();

protected:
    int storedRows() const override { return m_records.rows(); }
    QVariant storedValue(int row, int field) const override { return m_records.value(row, field); }
    void dropRecords(bool releaseMemory) override;
    qint64 storedBytes() const override { return m_records.bytes(); }

private:
    void execute();
    void fetchQt(QSqlDatabase &db);
    void fetchSqlite(sqlite3 *handle);
    void finalizeSqlite();

    CompactColumns m_records;
    std::function<QSqlDatabase()> m_connection;
    QString m_sql;
    QVariantHash m_params;
    CalcFields m_calc;
    std::unique_ptr<QSqlQuery> m_query;
    QString m_preparedFor; // connection name the query was prepared on
    sqlite3_stmt *m_statement = nullptr;
    sqlite3 *m_statementDb = nullptr;
};

} // namespace tarnwick
