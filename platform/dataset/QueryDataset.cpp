#include "QueryDataset.h"

#include "Error.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include <sqlite3.h>

namespace tarnwick {

namespace {

QString providerMessage(const QSqlError &error)
{
    const QString db = error.databaseText().trimmed();
    return db.isEmpty() ? error.text().trimmed() : db;
}

const QString closedConnection = QStringLiteral("Operation is not allowed when the object is closed.");

int digits(const char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const int d = p[i] - '0';
        if (d < 0 || d > 9)
            return -1;
        v = v * 10 + d;
    }
    return v;
}

// The database's date-times are wall-clock times without a zone. They are held as such (with
// the UTC time spec, which only keeps the fields): turning each into local time would ask the
// C library for the zone's rules once per row, the dearest part of a big report's fetch.
QDateTime wallClock(const QDate &date, const QTime &time) { return QDateTime(date, time, Qt::UTC); }

// SQLite keeps date-times as text "yyyy-MM-dd HH:mm:ss[.zzz]".
QDateTime dateTimeFromText(const char *s, qsizetype n)
{
    if (n >= 19 && s[4] == '-' && s[7] == '-' && (s[10] == ' ' || s[10] == 'T') && s[13] == ':' && s[16] == ':') {
        const int y = digits(s, 4), mo = digits(s + 5, 2), d = digits(s + 8, 2);
        const int h = digits(s + 11, 2), mi = digits(s + 14, 2), se = digits(s + 17, 2);
        int ms = 0;
        if (n > 20 && s[19] == '.') {
            char frac[3] = {'0', '0', '0'};
            for (qsizetype i = 0; i < 3 && 20 + i < n; ++i)
                frac[i] = s[20 + i];
            ms = std::max(0, digits(frac, 3));
        }
        const QDate date(y, mo, d);
        const QTime time(h, mi, se, ms);
        if (date.isValid() && time.isValid())
            return wallClock(date, time);
    }
    const QString text = QString::fromUtf8(s, n);
    QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!parsed.isValid())
        parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return parsed.isValid() ? wallClock(parsed.date(), parsed.time()) : parsed;
}

} // namespace

QueryDataset::QueryDataset(const QList<FieldDef> &fields, QObject *parent) : Dataset(parent) { setFields(fields); }

QueryDataset::~QueryDataset() { finalizeSqlite(); }

void QueryDataset::setSql(const QString &sql)
{
    m_sql = sql;
    releasePrepared();
}

void QueryDataset::setParameter(const QString &name, const QVariant &value)
{
    m_params.insert(name.startsWith(u':') ? name : u':' + name, value);
}

void QueryDataset::setCalculated(int row, int field, const QVariant &value) { m_records.set(row, field, value); }

void QueryDataset::dropRecords(bool releaseMemory)
{
    if (releaseMemory)
        m_records.release();
    m_records.reset(fields());
}

void QueryDataset::open()
{
    if (isOpen())
        return;
    execute();
}

void QueryDataset::requery()
{
    checkOpen();
    execute();
}

void QueryDataset::close() { closeRecords(); }

void QueryDataset::releasePrepared()
{
    m_query.reset();
    m_preparedFor.clear();
    finalizeSqlite();
}

void QueryDataset::finalizeSqlite()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_statementDb = nullptr;
}

void QueryDataset::execute()
{
    if (!m_connection)
        throw Error(closedConnection);
    QSqlDatabase db = m_connection();
    if (!db.isValid() || !db.isOpen())
        throw Error(closedConnection);

    sqlite3 *handle = nullptr;
    if (db.driverName() == QLatin1String("QSQLITE")) {
        const QVariant h = db.driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            handle = *static_cast<sqlite3 *const *>(h.constData());
    }

    // The new records go where the old ones were: their memory is reused for a re-run.
    beginRefill();
    try {
        if (handle)
            fetchSqlite(handle);
        else
            fetchQt(db);
        // Calculated fields are computed on the fetched records before anyone sees them.
        if (m_calc) {
            const int n = rows();
            for (int r = 0; r < n; ++r)
                m_calc(*this, r);
        }
        m_records.finishWriting();
    } catch (...) {
        endRefill(false);
        throw;
    }
    endRefill(true);
}

void QueryDataset::fetchSqlite(sqlite3 *handle)
{
    if (m_statement && m_statementDb != handle)
        finalizeSqlite();
    if (!m_statement) {
        const QByteArray sql = m_sql.toUtf8();
        if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(handle));
            finalizeSqlite();
            throw Error(message);
        }
        m_statementDb = handle;
    }
    sqlite3_stmt *st = m_statement;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it) {
        const int index = sqlite3_bind_parameter_index(st, it.key().toUtf8().constData());
        if (index == 0)
            continue;
        const QVariant &v = it.value();
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(st, index);
        } else {
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(st, index, v.toLongLong());
                break;
            case QMetaType::Double:
                rc = sqlite3_bind_double(st, index, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                rc = sqlite3_bind_blob(st, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray t = v.toString().toUtf8();
                rc = sqlite3_bind_text(st, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            throw Error(QString::fromUtf8(sqlite3_errmsg(handle)));
    }

    const QList<FieldDef> &defs = fields();
    const size_t width = size_t(defs.size());
    std::vector<int> column(width, -1);
    const int columns = sqlite3_column_count(st);
    for (size_t f = 0; f < width; ++f) {
        if (defs[int(f)].calculated)
            continue;
        for (int c = 0; c < columns; ++c) {
            if (defs[int(f)].name.compare(QString::fromUtf8(sqlite3_column_name(st, c)), Qt::CaseInsensitive) == 0) {
                column[f] = c;
                break;
            }
        }
        if (column[f] < 0)
            throw Error(QStringLiteral("Field '%1' not found").arg(defs[int(f)].name));
    }

    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const int row = m_records.appendRow();
        for (size_t f = 0; f < width; ++f) {
            const int c = column[f];
            if (c < 0)
                continue;
            // One call into the statement per cell; the value's own accessors take no lock, which
            // is sound because the connection is used by this thread alone.
            sqlite3_value *v = sqlite3_column_value(st, c);
            if (sqlite3_value_type(v) == SQLITE_NULL)
                continue;
            const int field = int(f);
            switch (defs[field].type) {
            case FieldType::Text:
                m_records.setText(row, field, reinterpret_cast<const char *>(sqlite3_value_text(v)),
                                  sqlite3_value_bytes(v));
                break;
            case FieldType::Integer:
                m_records.setInteger(row, field, int(sqlite3_value_int64(v)));
                break;
            case FieldType::Boolean:
                m_records.setInteger(row, field, sqlite3_value_int64(v) != 0);
                break;
            case FieldType::Float:
                m_records.setFloat(row, field, sqlite3_value_double(v));
                break;
            case FieldType::DateTime:
                m_records.setDateTime(row, field,
                                      dateTimeFromText(reinterpret_cast<const char *>(sqlite3_value_text(v)),
                                                       sqlite3_value_bytes(v)));
                break;
            case FieldType::Blob:
                m_records.setBlob(row, field, static_cast<const char *>(sqlite3_value_blob(v)), sqlite3_value_bytes(v));
                break;
            }
        }
    }
    const QString failure = rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle));
    sqlite3_reset(st); // keeps nothing of the result, and no read lock, once fetched
    if (!failure.isEmpty())
        throw Error(failure);
}

void QueryDataset::fetchQt(QSqlDatabase &db)
{
    auto prepare = [&] {
        m_query = std::make_unique<QSqlQuery>(db);
        m_query->setForwardOnly(true);
        if (!m_query->prepare(m_sql)) {
            const QString message = providerMessage(m_query->lastError());
            m_query.reset();
            throw Error(message);
        }
        m_preparedFor = db.connectionName();
    };
    auto bindAndRun = [&] {
        for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
            m_query->bindValue(it.key(), it.value());
        return m_query->exec();
    };

    bool fresh = false;
    if (!m_query || m_preparedFor != db.connectionName()) {
        prepare();
        fresh = true;
    }
    if (!bindAndRun()) {
        // A statement prepared on a connection that was closed and opened again is gone:
        // prepare it once more before giving up.
        if (fresh)
            throw Error(providerMessage(m_query->lastError()));
        prepare();
        if (!bindAndRun())
            throw Error(providerMessage(m_query->lastError()));
    }

    const QList<FieldDef> &defs = fields();
    const QSqlRecord record = m_query->record();
    const size_t width = size_t(defs.size());
    std::vector<int> column(width, -1);
    for (size_t f = 0; f < width; ++f) {
        if (defs[int(f)].calculated)
            continue;
        column[f] = record.indexOf(defs[int(f)].name);
        if (column[f] < 0) {
            m_query->finish();
            throw Error(QStringLiteral("Field '%1' not found").arg(defs[int(f)].name));
        }
    }

    while (m_query->next()) {
        const int row = m_records.appendRow();
        for (size_t f = 0; f < width; ++f) {
            if (column[f] < 0)
                continue;
            const QVariant v = m_query->value(column[f]);
            if (defs[int(f)].type == FieldType::DateTime && !v.isNull() && v.typeId() != QMetaType::QDateTime) {
                const QByteArray text = v.toString().toUtf8();
                m_records.setDateTime(row, int(f), dateTimeFromText(text.constData(), text.size()));
            } else {
                m_records.set(row, int(f), v);
            }
        }
    }
    const QSqlError fetchError = m_query->lastError();
    m_query->finish();
    if (fetchError.isValid() && fetchError.type() != QSqlError::NoError)
        throw Error(providerMessage(fetchError));
}

} // namespace tarnwick
