#include "ConnectionString.h"

#include "Error.h"
#include "Translation.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace tarnwick {

using i18n::tr;

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool sameKey(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString invalid(const QString &why)
{
    return tr("Niska veze sa bazom podataka nije ispravna: %1").arg(why);
}

// "host\instance,port" (the OLE DB form; "tcp:" is the protocol prefix some tools write).
struct ServerAddress
{
    QString server;
    QString portText;
};

ServerAddress splitDataSource(QString dataSource)
{
    dataSource = dataSource.trimmed();
    if (dataSource.startsWith(QLatin1String("tcp:"), Qt::CaseInsensitive))
        dataSource = dataSource.mid(4).trimmed();
    ServerAddress a;
    const qsizetype comma = dataSource.lastIndexOf(u',');
    if (comma < 0) {
        a.server = dataSource;
    } else {
        a.server = dataSource.left(comma).trimmed();
        a.portText = dataSource.mid(comma + 1).trimmed();
    }
    return a;
}

bool isTrue(const QString &value)
{
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("sspi") || v == QLatin1String("true") || v == QLatin1String("yes") ||
           v == QLatin1String("1");
}

} // namespace

const QStringList &ConnectionString::providerKeys()
{
    static const QStringList k{QStringLiteral("Provider")};
    return k;
}
const QStringList &ConnectionString::dataSourceKeys()
{
    static const QStringList k{QStringLiteral("Data Source"), QStringLiteral("Server"),
                               QStringLiteral("Address"), QStringLiteral("Addr"),
                               QStringLiteral("Network Address")};
    return k;
}
const QStringList &ConnectionString::catalogKeys()
{
    static const QStringList k{QStringLiteral("Initial Catalog"), QStringLiteral("Database")};
    return k;
}
const QStringList &ConnectionString::userKeys()
{
    static const QStringList k{QStringLiteral("User ID"), QStringLiteral("UID"),
                               QStringLiteral("User")};
    return k;
}
const QStringList &ConnectionString::passwordKeys()
{
    static const QStringList k{QStringLiteral("Password"), QStringLiteral("PWD")};
    return k;
}
const QStringList &ConnectionString::integratedKeys()
{
    static const QStringList k{QStringLiteral("Integrated Security"),
                               QStringLiteral("Trusted_Connection")};
    return k;
}

bool ConnectionString::isSqlServerProvider(const QString &provider)
{
    static const QRegularExpression re(
        QStringLiteral("^(SQLOLEDB|SQLNCLI11|MSOLEDBSQL)(\\.\\d+)?$"),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(provider.trimmed()).hasMatch();
}

bool ConnectionString::isSqliteProvider(const QString &provider)
{
    return provider.trimmed().compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
}

ConnectionString ConnectionString::parse(const QString &text)
{
    ConnectionString cs;
    cs.m_original = text;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && (isBlank(text[pos]) || text[pos] == u';'))
            ++pos;
        if (pos >= n)
            break;
        const qsizetype start = pos;

        // The key runs to the first single "="; "==" stands for an "=" inside the key.
        QString key;
        bool haveEquals = false;
        while (pos < n) {
            const QChar c = text[pos];
            if (c == u'=') {
                if (pos + 1 < n && text[pos + 1] == u'=') {
                    key += u'=';
                    pos += 2;
                    continue;
                }
                haveEquals = true;
                ++pos;
                break;
            }
            if (c == u';')
                break;
            key += c;
            ++pos;
        }
        if (!haveEquals)
            throw Error(invalid(tr("deo „%1“ nema znak =").arg(key.trimmed())));
        key = key.trimmed();
        if (key.isEmpty())
            throw Error(invalid(tr("vrednost bez ključa")));

        while (pos < n && isBlank(text[pos]) && text[pos] != u';')
            ++pos;

        QString value;
        bool quotedValue = false;
        if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
            const QChar q = text[pos++];
            bool closed = false;
            while (pos < n) {
                if (text[pos] == q) {
                    if (pos + 1 < n && text[pos + 1] == q) {
                        value += q;
                        pos += 2;
                        continue;
                    }
                    closed = true;
                    ++pos;
                    break;
                }
                value += text[pos++];
            }
            if (!closed)
                throw Error(invalid(tr("navodnik u vrednosti ključa „%1“ nije zatvoren").arg(key)));
            quotedValue = true;
        } else if (pos < n && text[pos] == u'{') {
            // ODBC's braces, "}}" standing for "}". Without a closing brace the value is plain.
            qsizetype p = pos + 1;
            QString inner;
            bool closed = false;
            while (p < n) {
                if (text[p] == u'}') {
                    if (p + 1 < n && text[p + 1] == u'}') {
                        inner += u'}';
                        p += 2;
                        continue;
                    }
                    closed = true;
                    ++p;
                    break;
                }
                inner += text[p++];
            }
            if (closed) {
                value = inner;
                pos = p;
                quotedValue = true;
            }
        }
        if (quotedValue) {
            while (pos < n && isBlank(text[pos]))
                ++pos;
            if (pos < n && text[pos] != u';')
                throw Error(invalid(tr("višak teksta posle vrednosti ključa „%1“").arg(key)));
        } else {
            const qsizetype end = text.indexOf(u';', pos);
            const qsizetype stop = end < 0 ? n : end;
            value = text.mid(pos, stop - pos).trimmed();
            pos = stop;
        }
        cs.m_entries.append({key, value, text.mid(start, pos - start)});
    }
    return cs;
}

QString ConnectionString::quoted(const QString &value)
{
    const bool needs = value.contains(u';') || value.startsWith(u'"') || value.startsWith(u'\'') ||
                       value.startsWith(u'{') ||
                       (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())));
    if (!needs)
        return value;
    const QChar q = value.contains(u'"') && !value.contains(u'\'') ? u'\'' : u'"';
    QString out = q;
    for (QChar c : value) {
        out += c;
        if (c == q)
            out += c;
    }
    out += q;
    return out;
}

QString ConnectionString::toString() const
{
    if (!m_changed)
        return m_original;
    QStringList parts;
    for (const Entry &e : m_entries) {
        if (!e.raw.isEmpty()) {
            parts << e.raw;
        } else {
            QString key = e.key;
            key.replace(u'=', QStringLiteral("=="));
            parts << key + u'=' + quoted(e.value);
        }
    }
    return parts.join(u';');
}

QStringList ConnectionString::keys() const
{
    QStringList k;
    for (const Entry &e : m_entries)
        k << e.key;
    return k;
}

qsizetype ConnectionString::lastIndexOf(const QString &key) const
{
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (sameKey(m_entries[i].key, key))
            return i;
    }
    return -1;
}

bool ConnectionString::contains(const QString &key) const
{
    return lastIndexOf(key) >= 0;
}

QString ConnectionString::value(const QString &key) const
{
    const qsizetype i = lastIndexOf(key);
    return i < 0 ? QString() : m_entries[i].value;
}

QString ConnectionString::value(const QStringList &synonyms) const
{
    for (const QString &k : synonyms) {
        const qsizetype i = lastIndexOf(k);
        if (i >= 0)
            return m_entries[i].value;
    }
    return {};
}

void ConnectionString::setValue(const QString &key, const QString &value)
{
    const qsizetype i = lastIndexOf(key);
    if (i >= 0) {
        if (m_entries[i].value == value)
            return;
        m_entries[i].value = value;
        m_entries[i].raw.clear();
    } else {
        m_entries.append({key, value, QString()});
    }
    m_changed = true;
}

void ConnectionString::remove(const QString &key)
{
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (sameKey(m_entries[i].key, key)) {
            m_entries.removeAt(i);
            m_changed = true;
        }
    }
}

void ConnectionString::remove(const QStringList &synonyms)
{
    for (const QString &k : synonyms)
        remove(k);
}

DataSourceFields ConnectionString::fields() const
{
    DataSourceFields f;
    if (contains(QStringLiteral("Driver"))) {
        f.kind = DataSourceFields::Kind::Odbc;
        f.odbcString = toString();
        return f;
    }
    if (isSqliteProvider(value(providerKeys()))) {
        f.kind = DataSourceFields::Kind::SqliteFile;
        f.file = value(dataSourceKeys());
        return f;
    }
    f.kind = DataSourceFields::Kind::SqlServer;
    const ServerAddress a = splitDataSource(value(dataSourceKeys()));
    f.server = a.server;
    bool ok = false;
    const int port = a.portText.toInt(&ok);
    f.port = ok && port > 0 && port <= 65535 ? port : 0;
    f.database = value(catalogKeys());
    f.user = value(userKeys());
    f.password = value(passwordKeys());
    return f;
}

void ConnectionString::setFields(const DataSourceFields &f)
{
    if (f.kind == DataSourceFields::Kind::Odbc) {
        *this = parse(f.odbcString);
        return;
    }
    const DataSourceFields now = fields();
    // Only what the operator changed is rewritten, so untouched values keep their spelling.
    auto put = [this](const QStringList &synonyms, const QString &value) {
        for (const QString &k : synonyms) {
            if (contains(k)) {
                setValue(k, value);
                return;
            }
        }
        if (!value.isEmpty())
            setValue(synonyms.front(), value);
    };
    remove(QStringLiteral("Driver"));

    if (f.kind == DataSourceFields::Kind::SqliteFile) {
        if (!isSqliteProvider(value(providerKeys())))
            setValue(QStringLiteral("Provider"), QStringLiteral("SQLite"));
        if (now.kind != f.kind) {
            remove(catalogKeys());
            remove(userKeys());
            remove(passwordKeys());
            remove(integratedKeys());
            remove(QStringLiteral("Persist Security Info"));
        }
        if (now.kind != f.kind || now.file != f.file)
            put(dataSourceKeys(), f.file);
        return;
    }

    if (!isSqlServerProvider(value(providerKeys())))
        setValue(QStringLiteral("Provider"), QStringLiteral("SQLOLEDB.1"));
    const bool kindChanged = now.kind != f.kind;
    if (kindChanged || now.server != f.server || now.port != f.port)
        put(dataSourceKeys(), f.port > 0 ? f.server + u',' + QString::number(f.port) : f.server);
    if (kindChanged || now.database != f.database)
        put(catalogKeys(), f.database);
    if (kindChanged || now.user != f.user) {
        put(userKeys(), f.user);
        // Naming a SQL Server login is choosing it over the Windows login.
        if (!f.user.isEmpty())
            remove(integratedKeys());
    }
    if (kindChanged || now.password != f.password)
        put(passwordKeys(), f.password);
}

QString odbcValue(const QString &value)
{
    const bool needs = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                       (!value.isEmpty() && (isBlank(value.front()) || isBlank(value.back())));
    if (!needs)
        return value;
    QString v = value;
    v.replace(u'}', QStringLiteral("}}"));
    return u'{' + v + u'}';
}

ConnectionTarget resolveConnection(const QString &connectionString, int loginTimeoutSeconds)
{
    if (connectionString.trimmed().isEmpty())
        throw Error(tr("Niska veze sa bazom podataka je prazna."));
    const ConnectionString cs = ConnectionString::parse(connectionString);
    const QString loginTimeout =
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(qMax(1, loginTimeoutSeconds));

    ConnectionTarget t;
    if (cs.contains(QStringLiteral("Driver"))) {
        // Someone who wrote an ODBC string meant exactly that string.
        t.driver = QStringLiteral("QODBC");
        t.databaseName = connectionString;
        t.connectOptions = loginTimeout;
        t.dialect = QStringLiteral("mssql");
        return t;
    }

    const QString provider = cs.value(ConnectionString::providerKeys()).trimmed();
    if (provider.isEmpty())
        throw Error(
            tr("Niska veze sa bazom podataka ne navodi dobavljača podataka (Provider=...)."));

    if (ConnectionString::isSqliteProvider(provider)) {
        const QString file = cs.value(ConnectionString::dataSourceKeys()).trimmed();
        if (file.isEmpty())
            throw Error(
                tr("Niska veze sa bazom podataka ne navodi datoteku baze (Data Source=...)."));
        const QFileInfo fi(file);
        // SQLite would quietly create an empty database, which the program cannot work with.
        if (!fi.exists())
            throw Error(tr("Datoteka baze podataka ne postoji: %1").arg(file));
        if (!fi.isFile())
            throw Error(tr("Datoteka baze podataka nije obična datoteka: %1").arg(file));
        t.driver = QStringLiteral("QSQLITE");
        // mode=rw keeps SQLite from creating the file should it vanish before the open.
        t.databaseName = QUrl::fromLocalFile(fi.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                         QStringLiteral("?mode=rw");
        t.connectOptions = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000");
        t.dialect = QStringLiteral("sqlite");
        t.sqliteFile = file;
        return t;
    }

    if (!ConnectionString::isSqlServerProvider(provider))
        throw Error(tr("Dobavljač podataka „%1“ nije podržan. Podržani su SQLOLEDB, SQLNCLI11 i "
                       "MSOLEDBSQL za SQL Server i SQLite za datoteku baze.")
                        .arg(provider));

    for (const QString &k : ConnectionString::integratedKeys()) {
        if (cs.contains(k) && isTrue(cs.value(k)))
            throw Error(tr("Windows prijava (%1=%2) ovde nije moguća: SQL Server se otvara preko "
                           "upravljačkog programa FreeTDS, koji traži korisničko ime i lozinku SQL "
                           "Servera. Upišite ih u podešavanje baze podataka.")
                            .arg(k, cs.value(k)));
    }

    const ServerAddress a = splitDataSource(cs.value(ConnectionString::dataSourceKeys()));
    if (a.server.isEmpty())
        throw Error(tr("Niska veze sa bazom podataka ne navodi server (Data Source=...)."));
    int port = 0;
    if (!a.portText.isEmpty()) {
        bool ok = false;
        port = a.portText.toInt(&ok);
        if (!ok || port <= 0 || port > 65535)
            throw Error(tr("Port servera „%1“ nije ispravan.").arg(a.portText));
    }
    QString server = a.server;
    if (port > 0) {
        // An explicit port makes the instance name irrelevant, as it does for the OLE DB provider.
        const qsizetype slash = server.indexOf(u'\\');
        if (slash >= 0)
            server = server.left(slash);
    }
    if (!QFileInfo::exists(QString::fromLatin1(freeTdsDriverPath)))
        throw Error(tr("Upravljački program FreeTDS ODBC nije instaliran (%1).")
                        .arg(QString::fromLatin1(freeTdsDriverPath)));

    QStringList parts;
    parts << QStringLiteral("DRIVER={%1}").arg(QString::fromLatin1(freeTdsDriverPath));
    parts << QStringLiteral("Server=") + odbcValue(server);
    if (port > 0)
        parts << QStringLiteral("Port=%1").arg(port);
    const QString database = cs.value(ConnectionString::catalogKeys());
    if (!database.isEmpty())
        parts << QStringLiteral("Database=") + odbcValue(database);
    const QString user = cs.value(ConnectionString::userKeys());
    if (!user.isEmpty())
        parts << QStringLiteral("UID=") + odbcValue(user);
    const QString password = cs.value(ConnectionString::passwordKeys());
    if (!password.isEmpty())
        parts << QStringLiteral("PWD=") + odbcValue(password);
    const QString app = cs.value(QStringLiteral("Application Name"));
    if (!app.isEmpty())
        parts << QStringLiteral("APP=") + odbcValue(app);
    const QString wsid = cs.value(QStringLiteral("Workstation ID"));
    if (!wsid.isEmpty())
        parts << QStringLiteral("WSID=") + odbcValue(wsid);
    parts << QStringLiteral("TDS_Version=%1").arg(QString::fromLatin1(freeTdsProtocolVersion));
    parts << QStringLiteral("ClientCharset=UTF-8");

    t.driver = QStringLiteral("QODBC");
    t.databaseName = parts.join(u';');
    t.connectOptions = loginTimeout;
    t.dialect = QStringLiteral("mssql");
    return t;
}

} // namespace tarnwick
