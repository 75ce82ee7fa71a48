#include "QueryDataset.h"

#include "Error.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>

namespace tarnwick {

namespace {

QString providerMessage(const QSqlError &error)
{
    const QString db = error.databaseText().trimmed();
    return db.isEmpty() ? error.text().trimmed() : db;
}

int digits(const QChar *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        const int d = p[i].unicode() - '0';
        if (d < 0 || d > 9)
            return -1;
        v = v * 10 + d;
    }
    return v;
}

// SQLite keeps date-times as text "yyyy-MM-dd HH:mm:ss[.zzz]"; the ODBC driver gives QDateTime.
QDateTime toDateTime(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    const QString s = v.toString();
    if (s.size() >= 19 && s[4] == u'-' && s[7] == u'-' && (s[10] == u' ' || s[10] == u'T') && s[13] == u':' &&
        s[16] == u':') {
        const QChar *p = s.constData();
        const int y = digits(p, 4), mo = digits(p + 5, 2), d = digits(p + 8, 2);
        const int h = digits(p + 11, 2), mi = digits(p + 14, 2), se = digits(p + 17, 2);
        int ms = 0;
        if (s.size() > 20 && s[19] == u'.') {
            const QString frac = QString(s.mid(20, 3) + QStringLiteral("00")).left(3);
            ms = digits(frac.constData(), 3);
        }
        const QDate date(y, mo, d);
        const QTime time(h, mi, se, ms < 0 ? 0 : ms);
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    QDateTime parsed = QDateTime::fromString(s, Qt::ISODateWithMs);
    if (!parsed.isValid())
        parsed = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return parsed;
}

QVariant convert(const QVariant &v, FieldType type)
{
    if (v.isNull())
        return {};
    switch (type) {
    case FieldType::Text:
        return v.typeId() == QMetaType::QString ? v : QVariant(v.toString());
    case FieldType::Integer:
        return v.toInt();
    case FieldType::Boolean:
        return v.toBool();
    case FieldType::Float:
        return v.toDouble();
    case FieldType::DateTime: {
        const QDateTime dt = toDateTime(v);
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case FieldType::Blob:
        return v.toByteArray();
    }
    return v;
}

} // namespace

QueryDataset::QueryDataset(const QList<FieldDef> &fields, QObject *parent) : Dataset(parent) { setFields(fields); }

QueryDataset::~QueryDataset() = default;

void QueryDataset::setSql(const QString &sql)
{
    m_sql = sql;
    m_query.reset();
}

void QueryDataset::setParameter(const QString &name, const QVariant &value)
{
    m_params.insert(name.startsWith(u':') ? name : u':' + name, value);
}

void QueryDataset::setCalculated(int row, int field, const QVariant &value)
{
    cells()[size_t(row) * size_t(fieldCount()) + size_t(field)] = value;
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

void QueryDataset::close()
{
    closeRecords();
}

void QueryDataset::execute()
{
    if (!m_connection)
        throw Error(QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlDatabase db = m_connection();
    if (!db.isValid() || !db.isOpen())
        throw Error(QStringLiteral("Operation is not allowed when the object is closed."));

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
    std::vector<int> column(size_t(defs.size()), -1);
    for (int f = 0; f < defs.size(); ++f) {
        if (defs[f].calculated)
            continue;
        column[size_t(f)] = record.indexOf(defs[f].name);
        if (column[size_t(f)] < 0) {
            m_query->finish();
            throw Error(QStringLiteral("Field '%1' not found").arg(defs[f].name));
        }
    }

    std::vector<QVariant> rowsData;
    const size_t width = size_t(defs.size());
    while (m_query->next()) {
        const size_t base = rowsData.size();
        rowsData.resize(base + width);
        for (size_t f = 0; f < width; ++f) {
            if (column[f] >= 0)
                rowsData[base + f] = convert(m_query->value(column[f]), defs[int(f)].type);
        }
    }
    const QSqlError fetchError = m_query->lastError();
    m_query->finish();
    if (fetchError.isValid() && fetchError.type() != QSqlError::NoError)
        throw Error(providerMessage(fetchError));

    // Calculated fields are computed on the fetched records before anyone sees them.
    std::swap(cells(), rowsData);
    const int n = rows();
    try {
        if (m_calc) {
            for (int r = 0; r < n; ++r)
                m_calc(*this, r);
        }
    } catch (...) {
        std::swap(cells(), rowsData);
        closeRecords();
        throw;
    }
    std::vector<QVariant> ready;
    std::swap(cells(), ready);
    resetRecords(std::move(ready));
}

} // namespace tarnwick
