#include "ConnectionString.h"
#include "Error.h"

#include <QtTest>

using namespace tarnwick;
using Kind = DataSourceFields::Kind;

Q_DECLARE_METATYPE(tarnwick::DataSourceFields)

namespace {
const QString tds = QString::fromLatin1(freeTdsDriverPath);
}

class TestConnectionString : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parseValues_data();
    void parseValues();
    void parseErrors_data();
    void parseErrors();
    void unchangedStringComesBackExactly_data();
    void unchangedStringComesBackExactly();
    void editingKeepsOtherKeys();
    void quotedValuesRoundTrip_data();
    void quotedValuesRoundTrip();
    void fieldsOfString_data();
    void fieldsOfString();
    void fieldsIntoString_data();
    void fieldsIntoString();
    void resolve_data();
    void resolve();
};

void TestConnectionString::parseValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "Provider=SQLOLEDB.1;Data Source=srv"
                           << "Data Source"
                           << "srv";
    QTest::newRow("keys ignore case") << "PROVIDER=x;DATA SOURCE=srv"
                                      << "data source"
                                      << "srv";
    QTest::newRow("blanks around") << " User ID = sa ; Password=x"
                                   << "User ID"
                                   << "sa";
    QTest::newRow("double quotes hold ;") << "Password=\"a;b\";User ID=sa"
                                          << "Password"
                                          << "a;b";
    QTest::newRow("doubled double quote") << "Password=\"a\"\"b\""
                                          << "Password"
                                          << "a\"b";
    QTest::newRow("single quotes") << "Password='x\"y;'"
                                   << "Password"
                                   << "x\"y;";
    QTest::newRow("doubled single quote") << "Password='it''s'"
                                          << "Password"
                                          << "it's";
    QTest::newRow("quoted blanks kept") << "Password=\" p \""
                                        << "Password"
                                        << " p ";
    QTest::newRow("odbc braces") << "PWD={a;b}}c};UID=u"
                                 << "PWD"
                                 << "a;b}c";
    QTest::newRow("last occurrence wins") << "User ID=a;User ID=b"
                                          << "User ID"
                                          << "b";
    QTest::newRow("== in a key") << "a==b=c"
                                 << "a=b"
                                 << "c";
    QTest::newRow("empty value") << "Password=;User ID=x"
                                 << "Password"
                                 << "";
    QTest::newRow("absent key") << "User ID=x"
                                << "Password"
                                << "";
    QTest::newRow("= inside a value") << "Extended Properties=a=b"
                                      << "Extended Properties"
                                      << "a=b";
}

void TestConnectionString::parseValues()
{
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(ConnectionString::parse(text).value(key), expected);
}

void TestConnectionString::parseErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("unclosed quote") << "Provider=SQLOLEDB.1;Password=\"abc"
                                    << "navodnik";
    QTest::newRow("part without =") << "Provider=SQLOLEDB.1;garbage"
                                    << "garbage";
    QTest::newRow("text after quote") << "Password=\"a\"b;User ID=x"
                                      << "Password";
    QTest::newRow("value without key") << "=x"
                                       << "ključa";
}

void TestConnectionString::parseErrors()
{
    QFETCH(QString, text);
    QFETCH(QString, messagePart);
    try {
        ConnectionString::parse(text);
        QFAIL("parse accepted a malformed string");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(messagePart), qPrintable(e.message()));
    }
}

void TestConnectionString::unchangedStringComesBackExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("stored form") << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;"
                                    "Password=x;Initial Catalog=QZ;Data Source=SRV\\SQL2019";
    QTest::newRow("odd spacing and quotes") << "  provider = sqloledb ;PASSWORD='a;''b' ; ;";
    QTest::newRow("braces") << "DRIVER={FreeTDS};Server=x;PWD={a}}b}";
}

void TestConnectionString::unchangedStringComesBackExactly()
{
    QFETCH(QString, text);
    ConnectionString cs = ConnectionString::parse(text);
    QCOMPARE(cs.toString(), text);
    // Putting back the same fields is no change either.
    cs.setFields(cs.fields());
    QCOMPARE(cs.toString(), text);
    // Neither is writing a value it already has.
    const QString first = cs.keys().first();
    cs.setValue(first.toUpper(), cs.value(first));
    QCOMPARE(cs.toString(), text);
}

void TestConnectionString::editingKeepsOtherKeys()
{
    ConnectionString cs = ConnectionString::parse(QStringLiteral(
        "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=QZ;"
        "Data Source=srv;Application Name=\"Tarn; wick\";Auto Translate=True"));
    cs.setValue(QStringLiteral("initial catalog"), QStringLiteral("QZ2"));
    cs.remove(QStringLiteral("auto translate"));
    cs.setValue(QStringLiteral("Password"), QStringLiteral("p;w"));
    QCOMPARE(cs.toString(),
             QStringLiteral(
                 "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=QZ2;"
                 "Data Source=srv;Application Name=\"Tarn; wick\";Password=\"p;w\""));
    QCOMPARE(cs.keys().size(), 7);
}

void TestConnectionString::quotedValuesRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("semicolon") << "a;b";
    QTest::newRow("leading double quote") << "\"x";
    QTest::newRow("leading single quote") << "'x";
    QTest::newRow("both quotes") << "a\"b'c;";
    QTest::newRow("braces") << "{x}";
    QTest::newRow("surrounding blanks") << " x ";
    QTest::newRow("equals") << "a=b";
    QTest::newRow("empty") << "";
    QTest::newRow("Serbian letters") << "šđčćž";
}

void TestConnectionString::quotedValuesRoundTrip()
{
    QFETCH(QString, value);
    ConnectionString cs = ConnectionString::parse(QStringLiteral("Provider=SQLOLEDB.1"));
    cs.setValue(QStringLiteral("Password"), value);
    cs.setValue(QStringLiteral("User ID"), QStringLiteral("sa"));
    const ConnectionString back = ConnectionString::parse(cs.toString());
    QCOMPARE(back.value(QStringLiteral("Password")), value);
    QCOMPARE(back.value(QStringLiteral("User ID")), QStringLiteral("sa"));
}

void TestConnectionString::fieldsOfString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<DataSourceFields>("expected");

    DataSourceFields server;
    server.server = QStringLiteral("SRV\\SQLEXPRESS");
    server.port = 1500;
    server.database = QStringLiteral("QZ");
    server.user = QStringLiteral("sa");
    server.password = QStringLiteral("a;b");
    QTest::newRow("SQL Server with instance and port")
        << "Provider=SQLOLEDB.1;Data Source=SRV\\SQLEXPRESS,1500;Initial Catalog=QZ;User ID=sa;"
           "Password=\"a;b\""
        << server;

    DataSourceFields synonyms;
    synonyms.server = QStringLiteral("host");
    synonyms.database = QStringLiteral("db");
    synonyms.user = QStringLiteral("u");
    synonyms.password = QStringLiteral("p");
    QTest::newRow("synonyms and tcp prefix")
        << "Provider=MSOLEDBSQL;Server=tcp:host;Database=db;UID=u;PWD=p" << synonyms;

    DataSourceFields file;
    file.kind = Kind::SqliteFile;
    file.file = QStringLiteral("/data/a;b.db");
    QTest::newRow("SQLite") << "provider=sqlite;data source='/data/a;b.db'" << file;

    DataSourceFields odbc;
    odbc.kind = Kind::Odbc;
    odbc.odbcString = QStringLiteral("DRIVER={FreeTDS};Server=x;Port=1433");
    QTest::newRow("ODBC kept whole") << odbc.odbcString << odbc;
}

void TestConnectionString::fieldsOfString()
{
    QFETCH(QString, text);
    QFETCH(DataSourceFields, expected);
    const DataSourceFields f = ConnectionString::parse(text).fields();
    QCOMPARE(int(f.kind), int(expected.kind));
    QCOMPARE(f.server, expected.server);
    QCOMPARE(f.port, expected.port);
    QCOMPARE(f.database, expected.database);
    QCOMPARE(f.user, expected.user);
    QCOMPARE(f.password, expected.password);
    QCOMPARE(f.file, expected.file);
    QCOMPARE(f.odbcString, expected.odbcString);
}

void TestConnectionString::fieldsIntoString_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<DataSourceFields>("fields");
    QTest::addColumn<QString>("expected");

    DataSourceFields server;
    server.server = QStringLiteral("srv\\inst");
    server.port = 1500;
    server.database = QStringLiteral("QZ");
    server.user = QStringLiteral("sa");
    server.password = QStringLiteral("p;w");
    QTest::newRow("new SQL Server") << "" << server
                                    << "Provider=SQLOLEDB.1;Data Source=srv\\inst,1500;Initial "
                                       "Catalog=QZ;User ID=sa;Password=\"p;w\"";

    DataSourceFields file;
    file.kind = Kind::SqliteFile;
    file.file = QStringLiteral("/tmp/x.db");
    QTest::newRow("new SQLite") << "" << file << "Provider=SQLite;Data Source=/tmp/x.db";

    QTest::newRow("SQL Server to SQLite keeps unknown keys")
        << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=x;Initial "
           "Catalog=QZ;"
           "Data Source=srv;Application Name=Tarnwick"
        << file << "Provider=SQLite;Data Source=/tmp/x.db;Application Name=Tarnwick";

    DataSourceFields login;
    login.server = QStringLiteral("srv");
    login.user = QStringLiteral("sa");
    login.password = QStringLiteral("pw");
    QTest::newRow("a SQL Server login replaces integrated security")
        << "Provider=SQLNCLI11.1;Integrated Security=SSPI;Data Source=srv" << login
        << "Provider=SQLNCLI11.1;Data Source=srv;User ID=sa;Password=pw";

    DataSourceFields moved = server;
    moved.database = QStringLiteral("QZ2");
    QTest::newRow("one field changed, the rest as written")
        << "provider=SQLOLEDB.1;data source = srv\\inst , 1500;INITIAL CATALOG=QZ;user "
           "id=sa;password='p;w'"
        << moved
        << "provider=SQLOLEDB.1;data source = srv\\inst , 1500;INITIAL CATALOG=QZ2;user "
           "id=sa;password='p;w'";
}

void TestConnectionString::fieldsIntoString()
{
    QFETCH(QString, start);
    QFETCH(DataSourceFields, fields);
    QFETCH(QString, expected);
    ConnectionString cs = ConnectionString::parse(start);
    cs.setFields(fields);
    QCOMPARE(cs.toString(), expected);
}

void TestConnectionString::resolve_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("odbc");  // the ODBC string expected, when it opens
    QTest::addColumn<QString>("error"); // a part of the message, when it does not

    const QString prefix = QStringLiteral("DRIVER={%1};").arg(tds);
    const QString suffix = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    QTest::newRow("SQLOLEDB.1 with port")
        << "Provider=SQLOLEDB.1;Data Source=srv,1500;Initial Catalog=QZ;User ID=sa;Password=\"p;w\""
        << prefix + "Server=srv;Port=1500;Database=QZ;UID=sa;PWD={p;w}" + suffix << "";
    QTest::newRow("SQLNCLI11 with instance")
        << "Provider=SQLNCLI11;Data Source=srv\\SQLEXPRESS;Initial Catalog=QZ;User ID=sa;Password=x"
        << prefix + "Server=srv\\SQLEXPRESS;Database=QZ;UID=sa;PWD=x" + suffix << "";
    QTest::newRow("port wins over instance")
        << "Provider=MSOLEDBSQL;Data Source=srv\\SQLEXPRESS,1500;User ID=sa;Password=x"
        << prefix + "Server=srv;Port=1500;UID=sa;PWD=x" + suffix << "";
    QTest::newRow("provider in lower case, integrated security off")
        << "provider=sqloledb;integrated security=False;data source=srv;user id=sa;password=x"
        << prefix + "Server=srv;UID=sa;PWD=x" + suffix << "";
    QTest::newRow("application name travels")
        << "Provider=SQLOLEDB.1;Data Source=srv;User ID=sa;Password=x;Application Name=Tarnwick"
        << prefix + "Server=srv;UID=sa;PWD=x;APP=Tarnwick" + suffix << "";
    QTest::newRow("DRIVER string unchanged") << "DRIVER={FreeTDS};Server=srv;UID=sa;PWD={a;b}"
                                             << "DRIVER={FreeTDS};Server=srv;UID=sa;PWD={a;b}"
                                             << "";
    QTest::newRow("SSPI") << "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=srv"
                          << ""
                          << "Integrated Security=SSPI";
    QTest::newRow("trusted connection")
        << "Provider=SQLOLEDB.1;Trusted_Connection=yes;Data Source=srv"
        << ""
        << "Trusted_Connection=yes";
    QTest::newRow("unknown provider") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb"
                                      << ""
                                      << "Microsoft.Jet.OLEDB.4.0";
    QTest::newRow("no provider") << "Data Source=srv;User ID=sa"
                                 << ""
                                 << "Provider";
    QTest::newRow("empty") << "  "
                           << ""
                           << "prazna";
    QTest::newRow("no server") << "Provider=SQLOLEDB.1;User ID=sa"
                               << ""
                               << "server";
    QTest::newRow("bad port") << "Provider=SQLOLEDB.1;Data Source=srv,abc"
                              << ""
                              << "abc";
    QTest::newRow("unparsable") << "Provider=SQLOLEDB.1;Password='x"
                                << ""
                                << "navodnik";
    QTest::newRow("SQLite without file") << "Provider=SQLite"
                                         << ""
                                         << "Data Source";
}

void TestConnectionString::resolve()
{
    QFETCH(QString, text);
    QFETCH(QString, odbc);
    QFETCH(QString, error);
    try {
        const ConnectionTarget t = resolveConnection(text, 7);
        QVERIFY2(error.isEmpty(), "resolved a string that must fail");
        QCOMPARE(t.driver, QStringLiteral("QODBC"));
        QCOMPARE(t.dialect, QStringLiteral("mssql"));
        QCOMPARE(t.databaseName, odbc);
        QCOMPARE(t.connectOptions, QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=7"));
    } catch (const Error &e) {
        QVERIFY2(!error.isEmpty(), qPrintable(e.message()));
        QVERIFY2(e.message().contains(error), qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestConnectionString)
#include "tst_ConnectionString.moc"
