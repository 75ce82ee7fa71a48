// The SQL texts of the report query (qryRepTW) run on the report fixture: rows, bounds, query
// plan, and the same rows from the T-SQL text when a SQL Server scratch database is given.

#include "Error.h"
#include "ReportFixture.h"
#include "ResourcesInit.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace tarnwick;
using fixtures::ReportFixture;
using fixtures::ReportRow;

namespace {

using Table = QList<QVariantList>;

const int timeColumn = 1;
const int zoneColumn = 19;

// Runs the report text of the dialect on the connection.
Table runReport(QSqlDatabase &db, const QString &dialect, const QString &start, const QString &stop,
                QStringList *columns = nullptr)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sqlText(dialect, QStringLiteral("report"))))
        throw Error(QStringLiteral("prepare: ") + query.lastError().text());
    query.bindValue(QStringLiteral(":pDTStart"), start);
    query.bindValue(QStringLiteral(":pDTStop"), stop);
    if (!query.exec())
        throw Error(QStringLiteral("exec: ") + query.lastError().text());
    if (columns) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            *columns << record.fieldName(i);
    }
    Table rows;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i);
        rows << row;
    }
    if (query.lastError().isValid())
        throw Error(QStringLiteral("fetch: ") + query.lastError().text());
    // The rows of one registration at a door in two zones come in no particular order.
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i + 1;
        while (j < rows.size() && rows[j].mid(0, zoneColumn) == rows[i].mid(0, zoneColumn))
            ++j;
        std::sort(rows.begin() + i, rows.begin() + j,
                  [](const QVariantList &a, const QVariantList &b) {
                      return a[zoneColumn].toString() < b[zoneColumn].toString();
                  });
        i = j;
    }
    return rows;
}

QDateTime instant(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime();
    const QString s = v.toString();
    for (const char *format : {"yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(format));
        if (dt.isValid())
            return dt;
    }
    return {};
}

QString shown(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.metaType().id() == QMetaType::QByteArray)
        return QStringLiteral("%1 bytes").arg(v.toByteArray().size());
    return QStringLiteral("\"%1\"").arg(v.toString());
}

// Whether a value from the database is the expected one. SQLite gives the stored time text,
// which must be exactly the stored one; SQL Server gives a date-time of the same instant.
bool same(const QVariant &actual, const QVariant &expected, int column)
{
    if (expected.isNull() || actual.isNull())
        return expected.isNull() && actual.isNull();
    if (column == timeColumn) {
        if (actual.metaType().id() == QMetaType::QDateTime)
            return instant(actual) == instant(expected);
        return actual.toString() == expected.toString();
    }
    switch (expected.metaType().id()) {
    case QMetaType::QByteArray:
        return actual.toByteArray() == expected.toByteArray();
    case QMetaType::Int:
        return actual.toLongLong() == expected.toLongLong();
    default:
        return actual.metaType().id() != QMetaType::QByteArray &&
               actual.toString() == expected.toString();
    }
}

// Compares a whole result with the fixture's expected rows; the first difference fails.
void compareWithExpected(const Table &actual)
{
    const QList<ReportRow> expected = ReportFixture::expectedRows();
    const QStringList columns = ReportFixture::reportColumns();
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i) {
        const QVariantList want = expected[i].values();
        for (int c = 0; c < columns.size(); ++c)
            QVERIFY2(same(actual[i][c], want[c], c),
                     qPrintable(QStringLiteral("row %1 (%2), %3: got %4, expected %5")
                                    .arg(i)
                                    .arg(expected[i].label, columns[c], shown(actual[i][c]),
                                         shown(want[c]))));
    }
    QCOMPARE(actual.size(), expected.size());
}

} // namespace

class TestReportQuerySql : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void columnsInOrder();
    void rows_data();
    void rows();
    void wholeResultInOrder();
    void bounds_data();
    void bounds();
    void inlinedViewMatchesTheView();
    void everyJoinUsesAnIndex();
    void storedTimesKeepTheirForm_data();
    void storedTimesKeepTheirForm();
    void textsSurviveQtPlaceholderParsing_data();
    void textsSurviveQtPlaceholderParsing();
    void sqlServerGivesTheSameRows();

private:
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
    Table m_rows;
};

void TestReportQuerySql::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString path = m_dir.filePath(QStringLiteral("fixture.db"));
    ReportFixture::createSqlite(path);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("report"));
    m_db.setDatabaseName(path);
    QVERIFY2(m_db.open(), qPrintable(m_db.lastError().text()));
    m_rows = runReport(m_db, QStringLiteral("sqlite"), ReportFixture::rangeStart(),
                       ReportFixture::rangeStop());
}

void TestReportQuerySql::cleanupTestCase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("report"));
}

void TestReportQuerySql::columnsInOrder()
{
    QStringList columns;
    runReport(m_db, QStringLiteral("sqlite"), ReportFixture::rangeStart(),
              ReportFixture::rangeStop(), &columns);
    QCOMPARE(columns, ReportFixture::reportColumns());
}

void TestReportQuerySql::rows_data()
{
    QTest::addColumn<int>("index");
    const QList<ReportRow> expected = ReportFixture::expectedRows();
    for (int i = 0; i < expected.size(); ++i)
        QTest::newRow(qPrintable(expected[i].label)) << i;
}

void TestReportQuerySql::rows()
{
    QFETCH(int, index);
    QVERIFY2(index < m_rows.size(), qPrintable(QStringLiteral("only %1 rows").arg(m_rows.size())));
    const QVariantList want = ReportFixture::expectedRows()[index].values();
    const QStringList columns = ReportFixture::reportColumns();
    for (int c = 0; c < columns.size(); ++c)
        QVERIFY2(same(m_rows[index][c], want[c], c),
                 qPrintable(QStringLiteral("%1: got %2, expected %3")
                                .arg(columns[c], shown(m_rows[index][c]), shown(want[c]))));
}

void TestReportQuerySql::wholeResultInOrder()
{
    compareWithExpected(m_rows);
}

void TestReportQuerySql::bounds_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QStringList>("times");

    auto row = [](const char *label, const char *start, const char *stop, QStringList times) {
        QTest::newRow(label) << QString::fromLatin1(start) << QString::fromLatin1(stop) << times;
    };
    row("stop minute: only its first instant", "2024-03-31 23:59", "2024-03-31 23:59",
        {"2024-03-31 23:59:00", "2024-03-31 23:59:00", "2024-03-31 23:59:00.000"});
    row("a minute later takes the rest of that minute", "2024-03-31 23:59", "2024-04-01 00:00",
        {"2024-03-31 23:59:30", "2024-03-31 23:59:30", "2024-03-31 23:59:00.500",
         "2024-03-31 23:59:00", "2024-03-31 23:59:00", "2024-03-31 23:59:00.000"});
    row("across midnight into the start", "2024-02-29 23:59", "2024-03-01 00:00",
        {"2024-03-01 00:00:00", "2024-02-29 23:59:59.997"});
    row("one minute, one event", "2024-03-13 13:00", "2024-03-13 13:00", {"2024-03-13 13:00:00"});
    row("start later than stop", "2024-03-31 00:00", "2024-03-01 00:00", {});
    row("nothing stored in the range", "2023-01-01 00:00", "2023-12-31 23:59", {});
}

void TestReportQuerySql::bounds()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QStringList, times);
    const Table rows = runReport(m_db, QStringLiteral("sqlite"), start, stop);
    QStringList got;
    for (const QVariantList &row : rows)
        got << row[timeColumn].toString();
    QCOMPARE(got, times);
}

void TestReportQuerySql::inlinedViewMatchesTheView()
{
    // The report inlines viewMediaIDActive for speed; it must match the cards the view holds.
    QSqlQuery query(m_db);
    QVERIFY(query.exec(QStringLiteral(
        "SELECT trim(tblReg.IDNo), tblReg.TerminalskoVremeRegistracije, "
        "viewMediaIDActive.IDZaposlenog, viewMediaIDActive.Prezime, viewMediaIDActive.Ime "
        "FROM tblReg LEFT JOIN viewMediaIDActive "
        "ON substr(substr(trim(viewMediaIDActive.IDNo), -10), 1, 8) = trim(tblReg.IDNo) COLLATE "
        "NOCASE "
        "WHERE julianday(tblReg.TerminalskoVremeRegistracije) "
        "BETWEEN julianday('2024-03-01 00:00') AND julianday('2024-03-31 23:59')")));
    QSet<QString> throughView;
    while (query.next())
        throughView << QStringList{query.value(0).toString(), query.value(1).toString(),
                                   query.value(2).toString(), query.value(3).toString(),
                                   query.value(4).toString()}
                           .join(QLatin1Char('|'));
    QSet<QString> report;
    for (const QVariantList &row : std::as_const(m_rows))
        report << QStringList{row[0].toString(), row[1].toString(), row[10].toString(),
                              row[11].toString(), row[12].toString()}
                      .join(QLatin1Char('|'));
    QCOMPARE(report, throughView);
    QVERIFY(throughView.size() > 10);
}

void TestReportQuerySql::everyJoinUsesAnIndex()
{
    // Written the natural way, the card match scans every card for every registration; the
    // plan must search an index for every table, and tblReg by its time index.
    QSqlQuery query(m_db);
    QVERIFY(query.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") +
                          sqlText(QStringLiteral("sqlite"), QStringLiteral("report"))));
    query.bindValue(QStringLiteral(":pDTStart"), ReportFixture::rangeStart());
    query.bindValue(QStringLiteral(":pDTStop"), ReportFixture::rangeStop());
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
    QStringList plan;
    while (query.next())
        plan << query.value(3).toString();
    const QString shownPlan = plan.join(QLatin1Char('\n'));

    // The one-row parameter table may be scanned; nothing else.
    for (const QString &step : std::as_const(plan)) {
        QVERIFY2(!step.startsWith(QLatin1String("SCAN ")) || step == QLatin1String("SCAN params") ||
                     step == QLatin1String("SCAN CONSTANT ROW"),
                 qPrintable(shownPlan));
        QVERIFY2(!step.contains(QLatin1String("AUTOMATIC")), qPrintable(shownPlan));
        QVERIFY2(!step.contains(QLatin1String("TEMP B-TREE")), qPrintable(shownPlan));
    }
    const QStringList searched{
        QStringLiteral("tblReg USING INDEX ixRegTime"),
        QStringLiteral("activeMedia USING INDEX ixMediaIDMatch"),
        QStringLiteral("holder USING COVERING INDEX"),
        QStringLiteral("activeHolder USING INDEX"),
        QStringLiteral("LogickaAktivnost USING INDEX"),
        QStringLiteral("Terminal USING INTEGER PRIMARY KEY"),
        QStringLiteral("TerminalHACT USING INTEGER PRIMARY KEY"),
        QStringLiteral("tblDoorsDet USING INDEX ixDoorsDetInForce"),
        QStringLiteral("inForce USING INDEX ixDoorsDetInForce"),
        QStringLiteral("tblDoors USING INDEX"),
        QStringLiteral("tblNonIDEvents USING INDEX"),
        QStringLiteral("tblNonIDEvents2 USING INDEX"),
        QStringLiteral("Zaposleni USING INDEX"),
        QStringLiteral("Sektor USING INTEGER PRIMARY KEY"),
        QStringLiteral("tblZoneVrata USING COVERING INDEX"),
        QStringLiteral("tblZone USING INTEGER PRIMARY KEY"),
    };
    for (const QString &s : searched)
        QVERIFY2(std::any_of(plan.cbegin(), plan.cend(),
                             [&](const QString &step) {
                                 return step.startsWith(QStringLiteral("SEARCH ") + s);
                             }),
                 qPrintable(s + QStringLiteral(" not in:\n") + shownPlan));
}

void TestReportQuerySql::storedTimesKeepTheirForm_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("accepted");
    auto row = [](const char *label, const char *time, bool accepted) {
        QTest::newRow(label) << QString::fromLatin1(time) << accepted;
    };
    row("seconds", "2024-03-05 14:07:09", true);
    row("milliseconds", "2024-03-05 14:07:09.123", true);
    row("ISO T separator", "2024-03-05T14:07:09", false);
    row("no seconds", "2024-03-05 14:07", false);
    row("day first", "05.03.2024 14:07:09", false);
    row("month 13", "2024-13-05 14:07:09", false);
    row("text after the fraction", "2024-03-05 14:07:09.5Z", false);
}

void TestReportQuerySql::storedTimesKeepTheirForm()
{
    // A time in another form would not be the instant the report compares.
    QFETCH(QString, time);
    QFETCH(bool, accepted);
    QVERIFY(m_db.transaction());
    QSqlQuery query(m_db);
    QVERIFY(query.prepare(QStringLiteral(
        "INSERT INTO tblReg (IDNo, TerminalskoVremeRegistracije, IDHACT, RegType, IDTerminala) "
        "VALUES ('1', :t, 1, 0, 1)")));
    query.bindValue(QStringLiteral(":t"), time);
    const bool ok = query.exec();
    QVERIFY(m_db.rollback());
    QCOMPARE(ok, accepted);
    if (!ok)
        QVERIFY2(query.lastError().text().contains(QLatin1String("CHECK")),
                 qPrintable(query.lastError().text()));
}

void TestReportQuerySql::textsSurviveQtPlaceholderParsing_data()
{
    QTest::addColumn<QString>("dialect");
    QTest::addColumn<QString>("name");
    for (const char *dialect : {"sqlite", "mssql"})
        for (const char *name : {"report", "schema"})
            QTest::newRow(qPrintable(
                QStringLiteral("%1/%2").arg(QLatin1String(dialect), QLatin1String(name))))
                << QString::fromLatin1(dialect) << QString::fromLatin1(name);
}

void TestReportQuerySql::textsSurviveQtPlaceholderParsing()
{
    // Qt finds named placeholders itself (for ODBC it turns them into question marks). Its
    // scanner knows quotes and brackets but not comments: a quote or a colon before a word in a
    // comment would shift or invent placeholders.
    QFETCH(QString, dialect);
    QFETCH(QString, name);
    const QString text = sqlText(dialect, name);
    static const QRegularExpression comment(QStringLiteral("--[^\n]*"));
    static const QRegularExpression hazard(QStringLiteral("['\"`\\[\\]?]|:[A-Za-z0-9_]"));
    auto it = comment.globalMatch(text);
    while (it.hasNext()) {
        const QString c = it.next().captured();
        QVERIFY2(!hazard.match(c).hasMatch(), qPrintable(c));
    }
    // Outside comments and quotes the report names its two parameters once each.
    QString code = text;
    code.remove(comment);
    static const QRegularExpression quoted(QStringLiteral("'[^']*'"));
    code.remove(quoted);
    static const QRegularExpression placeholder(QStringLiteral("(?<!:):([A-Za-z0-9_]+)"));
    QStringList names;
    auto p = placeholder.globalMatch(code);
    while (p.hasNext())
        names << p.next().captured(1);
    const QStringList expected =
        name == QLatin1String("report")
            ? QStringList{QStringLiteral("pDTStart"), QStringLiteral("pDTStop")}
            : QStringList();
    QCOMPARE(names, expected);
}

void TestReportQuerySql::sqlServerGivesTheSameRows()
{
    const QString connection = qEnvironmentVariable("TARNWICK_TEST_MSSQL");
    if (connection.isEmpty())
        QSKIP("TARNWICK_TEST_MSSQL is not set (an ODBC connection string of a scratch SQL Server "
              "database): the T-SQL report text was not run");
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("mssql"));
        db.setDatabaseName(connection);
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=15"));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        ReportFixture::create(db, QStringLiteral("mssql"));
        const Table rows = runReport(db, QStringLiteral("mssql"), ReportFixture::rangeStart(),
                                     ReportFixture::rangeStop());
        compareWithExpected(rows);
        QVERIFY(runReport(db, QStringLiteral("mssql"), QStringLiteral("2024-03-31 00:00"),
                          QStringLiteral("2024-03-01 00:00"))
                    .isEmpty());
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("mssql"));
}

QTEST_GUILESS_MAIN(TestReportQuerySql)
#include "tst_ReportQuerySql.moc"
