#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tarnwick {

// The fields the connection prompt edits. A string that names the SQL Server through an OLE DB
// provider shows as SqlServer, "Provider=SQLite" as SqliteFile, one with "DRIVER=" as Odbc (kept
// whole, since its keys belong to whatever ODBC driver it names).
struct DataSourceFields
{
    enum class Kind
    {
        SqlServer,
        SqliteFile,
        Odbc
    };
    Kind kind = Kind::SqlServer;
    QString server; // "host" or "host\instance"
    int port = 0;   // 0: the server's default, or the instance's port
    QString database;
    QString user;
    QString password;
    QString file;       // SQLite database file
    QString odbcString; // the whole string of an Odbc data source

    bool operator==(const DataSourceFields &) const = default;
};

// An OLE DB connection string ("Key=value;Key2='quoted; value'"), as stored in the setting
// ConnectionString. Keys are case-insensitive; values may be quoted with "..." or '...' (the
// quote doubled inside), and ODBC's {...} is understood too. Keys the program does not know are
// kept in place, and a string whose values were not changed comes back exactly as it was parsed.
class ConnectionString
{
public:
    ConnectionString() = default;

    // Throws Error for a value whose quote is never closed or a part that has no "=".
    static ConnectionString parse(const QString &text);
    QString toString() const;

    bool isEmpty() const { return m_entries.isEmpty(); }
    QStringList keys() const;
    bool contains(const QString &key) const;
    // The value of the last occurrence of the key (OLE DB lets the last one win); empty if absent.
    QString value(const QString &key) const;
    // The first key of the list that is present, with its value; for synonyms ("User ID", "UID").
    QString value(const QStringList &synonyms) const;
    // Changes the value in place (keeping the key's spelling) or appends "key=value".
    void setValue(const QString &key, const QString &value);
    void remove(const QString &key);
    void remove(const QStringList &synonyms);

    // A value as it must be written after "key=": quoted when it holds a separator, a quote or
    // surrounding blanks.
    static QString quoted(const QString &value);

    // The prompt's view of the string, and the string with the prompt's fields put back in.
    DataSourceFields fields() const;
    void setFields(const DataSourceFields &fields);

    // Synonyms of the keys the program reads.
    static const QStringList &providerKeys();
    static const QStringList &dataSourceKeys();
    static const QStringList &catalogKeys();
    static const QStringList &userKeys();
    static const QStringList &passwordKeys();
    static const QStringList &integratedKeys();

    // "Provider=SQLOLEDB.1" and its siblings.
    static bool isSqlServerProvider(const QString &provider);
    static bool isSqliteProvider(const QString &provider);

private:
    struct Entry
    {
        QString key;
        QString value;
        QString raw; // the text of the pair as parsed; empty once changed
    };
    qsizetype lastIndexOf(const QString &key) const;

    QList<Entry> m_entries;
    QString m_original;
    bool m_changed = false;
};

// What the Qt SQL layer needs to open a connection string.
struct ConnectionTarget
{
    QString driver;         // "QODBC" or "QSQLITE"
    QString databaseName;   // the ODBC connection string, or the SQLite file as a URI
    QString connectOptions; // login time-out, SQLite busy time-out
    QString dialect;        // "mssql" or "sqlite": the folder of resources/sql/ texts
    QString sqliteFile;     // the SQLite file as given
};

// The FreeTDS ODBC driver, named by its file so that it needs no registration.
inline constexpr const char *freeTdsDriverPath = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";
// TDS 7.4 is the newest version FreeTDS speaks; every server since 2012 accepts it.
inline constexpr const char *freeTdsProtocolVersion = "7.4";

// Translates a stored connection string into a Qt SQL target. Throws Error with a message for
// the operator when the string cannot be opened here (empty, unknown provider, integrated
// security, missing SQLite file, unparsable).
ConnectionTarget resolveConnection(const QString &connectionString, int loginTimeoutSeconds);

// An ODBC value: wrapped in braces (closing brace doubled) when it holds a character that would
// end it.
QString odbcValue(const QString &value);

} // namespace tarnwick
