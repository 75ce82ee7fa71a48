// The demo-database builder: deterministic content, every kind of registration, snapshot files
// where the report looks for them, and the command's handling of bad arguments.

#include "DemoDatabase.h"
#include "Error.h"
#include "Jpeg.h"
#include "ResourcesInit.h"
#include "SqlScript.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnwick;

namespace {

demo::DemoOptions smallDemo(const QString &dir, std::uint64_t seed)
{
    demo::DemoOptions o;
    o.outputFile = dir + QStringLiteral("/demo.db");
    o.photoDir = dir + QStringLiteral("/photos");
    o.people = 15;
    o.registrations = 1500;
    o.months = 2;
    o.until = QDate(2024, 3, 31);
    o.seed = seed;
    return o;
}

// Opens a database under a connection name of its own; closed when the object goes.
class Db
{
public:
    explicit Db(const QString &path) : m_name(QStringLiteral("demo-%1").arg(++s_count))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            throw Error(db.lastError().text());
    }
    ~Db()
    {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name); }

    QList<QVariantList> rows(const QString &sql) const
    {
        QSqlQuery q(db());
        if (!q.exec(sql))
            throw Error(sql + QStringLiteral(": ") + q.lastError().text());
        QList<QVariantList> result;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            result << row;
        }
        return result;
    }
    qint64 count(const QString &sql) const { return rows(sql).value(0).value(0).toLongLong(); }

private:
    static inline int s_count = 0;
    QString m_name;
};

// Everything in the database, table by table, row by row.
QByteArray dump(const QString &path)
{
    Db db(path);
    QByteArray out;
    for (const QVariantList &table : db.rows(
             QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))) {
        const QString name = table[0].toString();
        out += name.toUtf8() + '\n';
        for (const QVariantList &row :
             db.rows(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(name))) {
            for (const QVariant &v : row)
                out += (v.isNull() ? QByteArray("NULL") : v.toByteArray().toHex()) + '|';
            out += '\n';
        }
    }
    return out;
}

// Relative path and digest of every file under a folder.
QStringList files(const QString &dir)
{
    QStringList list;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        list << QDir(dir).relativeFilePath(path) + QLatin1Char(' ') +
                    QString::fromLatin1(
                        QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex());
    }
    list.sort();
    return list;
}

QString tool()
{
    return QStringLiteral(TARNWICK_DEMO_DB_TOOL);
}

} // namespace

class TestDemoDatabase : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void sameSeedSameContent();
    void everyKindOfRegistration();
    void cardsOfEveryLengthMatch();
    void installationEdgeCases();
    void snapshotsWhereTheReportLooks();
    void badArguments_data();
    void badArguments();
    void replaceSwapsTheWholeFile();
    void scriptsSplitIntoStatements();

private:
    QTemporaryDir m_dir;
    demo::DemoOptions m_options;
    demo::DemoSummary m_summary;
};

void TestDemoDatabase::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QDir().mkpath(m_dir.filePath(QStringLiteral("a")));
    m_options = smallDemo(m_dir.filePath(QStringLiteral("a")), 7);
    m_summary = demo::buildDemoDatabase(m_options);
    QCOMPARE(m_summary.registrations, 1500);
    QCOMPARE(m_summary.people, 15);
    QVERIFY(m_summary.snapshots > 200);
    QCOMPARE(m_summary.last.date(), QDate(2024, 3, 31));
    QCOMPARE(m_summary.first.date() >= QDate(2024, 1, 31), true);
}

void TestDemoDatabase::sameSeedSameContent()
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("b")));
    QDir().mkpath(m_dir.filePath(QStringLiteral("c")));
    const demo::DemoOptions again = smallDemo(m_dir.filePath(QStringLiteral("b")), 7);
    const demo::DemoOptions other = smallDemo(m_dir.filePath(QStringLiteral("c")), 8);
    demo::buildDemoDatabase(again);
    demo::buildDemoDatabase(other);

    const QByteArray first = dump(m_options.outputFile);
    QVERIFY(first.size() > 100000);
    QCOMPARE(dump(again.outputFile), first);
    QCOMPARE(files(again.photoDir), files(m_options.photoDir));
    QVERIFY(dump(other.outputFile) != first);
    QVERIFY(files(other.photoDir) != files(m_options.photoDir));
}

void TestDemoDatabase::everyKindOfRegistration()
{
    Db db(m_options.outputFile);
    // Every event code 128..177 of both formats, and so every class of controller event.
    for (int code = 128; code <= 177; ++code) {
        const QString hex = QString::number(code, 16).toUpper();
        QVERIFY2(
            db.count(QStringLiteral("SELECT count(*) FROM tblReg WHERE RegType = 0 AND IDHACT = 15 "
                                    "AND IDNo = '000000%1'")
                         .arg(hex)) > 0,
            qPrintable(QStringLiteral("REG1 %1").arg(hex)));
        QVERIFY2(
            db.count(QStringLiteral("SELECT count(*) FROM tblReg WHERE RegType = 1 AND IDHACT = %1 "
                                    "AND IDHACTHex = '%2'")
                         .arg(code)
                         .arg(hex)) > 0,
            qPrintable(QStringLiteral("REG2 %1").arg(hex)));
    }
    // REG1 events below 128, and a REG2 card read with code 7F.
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM tblReg WHERE IDHACT = 15 AND IDNo = '0000007F'")) > 0);
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM tblReg WHERE IDHACT = 15 AND IDNo = '00000015'")) > 0);
    QVERIFY(
        db.count(QStringLiteral("SELECT count(*) FROM tblReg WHERE RegType = 1 AND IDHACT = 127 "
                                "AND IDHACTHex = '7F'")) > 0);

    // Card reads of cards in force, of expired or withdrawn cards, and of unknown cards.
    const QString matched = QStringLiteral(
        "SELECT count(*) FROM tblReg WHERE IDHACT < 15 AND %1 (SELECT 1 FROM MediaID "
        "WHERE substr(substr(trim(MediaID.IDNo), -10), 1, 8) = trim(tblReg.IDNo) COLLATE NOCASE "
        "%2)");
    QVERIFY(db.count(matched.arg(QStringLiteral("EXISTS"),
                                 QStringLiteral("AND Aktivna = 1 AND VaziDo IS NULL"))) > 900);
    QVERIFY(db.count(matched.arg(QStringLiteral("EXISTS"),
                                 QStringLiteral("AND (Aktivna = 0 OR VaziDo < '2024-01-01')"))) >
            10);
    QVERIFY(db.count(matched.arg(QStringLiteral("NOT EXISTS"), QString())) > 20);
    // Controllers of both formats read cards.
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM tblReg WHERE RegType = 0 AND IDHACT BETWEEN 1 AND 4")) > 500);
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM tblReg WHERE RegType = 1 AND IDHACT BETWEEN 1 AND 4")) > 200);
    // Registrations are numbered in time order.
    QCOMPARE(db.count(QStringLiteral(
                 "SELECT count(*) FROM tblReg a JOIN tblReg b ON b.IDReg = a.IDReg + 1 "
                 "WHERE julianday(b.TerminalskoVremeRegistracije) < "
                 "julianday(a.TerminalskoVremeRegistracije)")),
             0);
}

void TestDemoDatabase::cardsOfEveryLengthMatch()
{
    // Through the view, as the program matches: 8, 10 and 12 characters, each read at least once.
    Db db(m_options.outputFile);
    for (int length : {8, 10, 12})
        QVERIFY2(
            db.count(
                QStringLiteral(
                    "SELECT count(*) FROM tblReg JOIN viewMediaIDActive v "
                    "ON substr(substr(trim(v.IDNo), -10), 1, 8) = trim(tblReg.IDNo) COLLATE NOCASE "
                    "WHERE length(v.IDNo) = %1")
                    .arg(length)) > 0,
            qPrintable(QString::number(length)));
    // Blank-padded identifiers, which the report trims.
    QVERIFY(db.count(QStringLiteral("SELECT count(*) FROM tblReg WHERE IDNo <> trim(IDNo)")) > 10);
}

void TestDemoDatabase::installationEdgeCases()
{
    Db db(m_options.outputFile);
    // A door in two zones, and registrations at it.
    QCOMPARE(db.count(QStringLiteral("SELECT count(*) FROM (SELECT IDVrata FROM tblZoneVrata GROUP "
                                     "BY IDVrata HAVING count(*) > 1)")),
             1);
    // A controller and code whose door changes within the period, with registrations on both sides.
    QVERIFY(db.count(QStringLiteral("SELECT count(DISTINCT d.IDVrata) FROM tblDoorsDet d WHERE "
                                    "d.IDTerminala = 3 AND d.IDHACT = 1")) == 2);
    QVERIFY(db.count(QStringLiteral("SELECT count(*) FROM tblReg r WHERE r.IDTerminala = 3 AND "
                                    "r.IDHACT = 1 AND julianday(r.TerminalskoVremeRegistracije) > "
                                    "(SELECT max(julianday(VaziOd)) FROM tblDoorsDet WHERE "
                                    "IDTerminala = 3 AND IDHACT = 1)")) > 0);
    // Registrations older than every assignment of their controller and code.
    QVERIFY(
        db.count(QStringLiteral(
            "SELECT count(*) FROM tblReg r WHERE julianday(r.TerminalskoVremeRegistracije) < "
            "(SELECT min(julianday(VaziOd)) FROM tblDoorsDet d WHERE d.IDTerminala = r.IDTerminala "
            "AND d.IDHACT = r.IDHACT)")) > 0);
    // Serbian names, photos that decode, people without a photo.
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM Zaposleni WHERE Prezime || Ime GLOB '*[čćšžđČĆŠŽĐ]*'")) > 3);
    QVERIFY(db.count(QStringLiteral("SELECT count(*) FROM Zaposleni WHERE Fotografija IS NULL")) >
            0);
    const auto photos =
        db.rows(QStringLiteral("SELECT Fotografija FROM Zaposleni WHERE Fotografija IS NOT NULL"));
    QVERIFY(photos.size() > 8);
    for (const QVariantList &p : photos)
        QCOMPARE(decodeJpeg(p[0].toByteArray()).size(), QSize(106, 106));
    // Configured names of controller events, activities, services.
    QVERIFY(db.count(QStringLiteral(
                "SELECT count(*) FROM tblNonIDEvents WHERE EventID GLOB '[0-9A-F][0-9A-F]'")) > 5);
    QCOMPARE(db.count(QStringLiteral(
                 "SELECT count(*) FROM tblNonIDEvents WHERE NOT EventID GLOB '[0-9A-F][0-9A-F]'")),
             0);
    QVERIFY(db.count(QStringLiteral("SELECT count(*) FROM tblNonIDEvents2")) > 3);
    QCOMPARE(db.rows(QStringLiteral("SELECT OpisLogAkt FROM LogickaAktivnost WHERE "
                                    "IdLogickeAktivnosti IN ('DOL', 'ODL') ORDER BY 1")),
             (QList<QVariantList>{{QStringLiteral("Dolazak")}, {QStringLiteral("Odlazak")}}));
    QVERIFY(db.count(QStringLiteral("SELECT count(*) FROM tblPorvik WHERE IPPort = 15027")) > 0);
}

void TestDemoDatabase::snapshotsWhereTheReportLooks()
{
    // Every snapshot file is named after a report row (folder, day, time, trimmed card), and
    // every picture decodes.
    Db db(m_options.outputFile);
    QSqlQuery q(db.db());
    QVERIFY(q.prepare(sqlText(QStringLiteral("sqlite"), QStringLiteral("report"))));
    q.bindValue(QStringLiteral(":pDTStart"), QStringLiteral("2024-01-01 00:00"));
    q.bindValue(QStringLiteral(":pDTStop"), QStringLiteral("2024-03-31 23:59"));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QSet<QString> expectedPaths;
    while (q.next()) {
        const QDateTime t =
            QDateTime::fromString(q.value(1).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY(t.isValid());
        expectedPaths << m_options.photoDir + QLatin1Char('/') +
                             t.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('/') +
                             t.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') +
                             q.value(0).toString() + QStringLiteral(".jpg");
    }
    int found = 0;
    QDirIterator it(m_options.photoDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QVERIFY2(expectedPaths.contains(path), qPrintable(path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(decodeJpeg(f.readAll()).size(), QSize(192, 144));
        ++found;
    }
    QVERIFY(found > 200);
    QVERIFY(found <= m_summary.snapshots);
}

void TestDemoDatabase::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString out = m_dir.filePath(QStringLiteral("bad.db"));
    auto row = [&](const char *label, QStringList args, int code, const QString &message) {
        QTest::newRow(label) << args << code << message;
    };
    row("no output", {}, 2, QStringLiteral("no output file given"));
    row("two outputs", {out, out + QStringLiteral("2")}, 2,
        QStringLiteral("one output file expected, got 2 arguments"));
    row("people not a number", {out, QStringLiteral("--people"), QStringLiteral("abc")}, 2,
        QStringLiteral("--people wants a whole number in 1..100000, not \"abc\""));
    row("no people", {out, QStringLiteral("--people"), QStringLiteral("0")}, 2,
        QStringLiteral("--people wants a whole number in 1..100000, not \"0\""));
    row("negative registrations", {out, QStringLiteral("--registrations=-5")}, 2,
        QStringLiteral("--registrations wants a whole number in 1..50000000, not \"-5\""));
    row("too many months", {out, QStringLiteral("--months"), QStringLiteral("121")}, 2,
        QStringLiteral("--months wants a whole number in 1..120, not \"121\""));
    row("impossible date", {out, QStringLiteral("--until"), QStringLiteral("2024-13-01")}, 2,
        QStringLiteral("--until wants a date as YYYY-MM-DD, not \"2024-13-01\""));
    row("date in another form", {out, QStringLiteral("--until"), QStringLiteral("31.12.2024")}, 2,
        QStringLiteral("--until wants a date as YYYY-MM-DD, not \"31.12.2024\""));
    row("snapshot share over 100", {out, QStringLiteral("--snapshots"), QStringLiteral("101")}, 2,
        QStringLiteral("--snapshots wants a whole number in 0..100, not \"101\""));
    row("unknown option", {out, QStringLiteral("--frobnicate")}, 2,
        QStringLiteral("Unknown option 'frobnicate'"));
    row("missing value", {out, QStringLiteral("--people")}, 2,
        QStringLiteral("Missing value after '--people'"));
    row("existing output", {m_options.outputFile}, 1,
        m_options.outputFile + QStringLiteral(" already exists (give --replace to replace it)"));
    row("missing folder", {m_dir.filePath(QStringLiteral("nowhere/x.db"))}, 1,
        QStringLiteral("The folder %1 does not exist")
            .arg(m_dir.filePath(QStringLiteral("nowhere"))));
}

void TestDemoDatabase::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QByteArray before = dump(m_options.outputFile);
    QProcess p;
    p.start(tool(), arguments);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("tarnwick-demo-db: ") + message), qPrintable(err));
    QCOMPARE(p.exitCode(), exitCode);
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("bad.db"))));
    QCOMPARE(dump(m_options.outputFile), before);
}

void TestDemoDatabase::replaceSwapsTheWholeFile()
{
    const QString dir = m_dir.filePath(QStringLiteral("r"));
    QDir().mkpath(dir);
    const QString out = dir + QStringLiteral("/demo.db");
    auto run = [&](const QStringList &extra) {
        QProcess p;
        p.start(tool(), QStringList{out, QStringLiteral("--registrations"), QStringLiteral("300"),
                                    QStringLiteral("--until"), QStringLiteral("2024-03-31")} +
                            extra);
        p.waitForFinished(60000);
        return p.exitCode();
    };
    QCOMPARE(run({QStringLiteral("--seed"), QStringLiteral("1")}), 0);
    const QByteArray first = dump(out);
    QCOMPARE(run({QStringLiteral("--seed"), QStringLiteral("2"), QStringLiteral("--replace")}), 0);
    const QByteArray second = dump(out);
    QVERIFY(second != first);
    // A build that fails half way (here at its first snapshot: every day's folder name is taken
    // by a file) leaves the file as it was, and no temporary file behind.
    const QString photos = dir + QStringLiteral("/photos");
    QDir().mkpath(photos);
    for (QDate d(2024, 1, 1); d <= QDate(2024, 3, 31); d = d.addDays(1)) {
        QFile blocker(photos + QLatin1Char('/') + d.toString(QStringLiteral("yyyy-MM-dd")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QCOMPARE(run({QStringLiteral("--seed"), QStringLiteral("3"), QStringLiteral("--replace"),
                  QStringLiteral("--photos"), photos}),
             1);
    QCOMPARE(dump(out), second);
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("demo.db")});
}

void TestDemoDatabase::scriptsSplitIntoStatements()
{
    // T-SQL at the GO lines (CREATE VIEW must open its batch), whatever the case and blanks.
    const QStringList batches = demo::scriptStatements(
        QStringLiteral("mssql"), sqlText(QStringLiteral("mssql"), QStringLiteral("schema")));
    QCOMPARE(batches.size(), 4);
    QVERIFY(batches[0].contains(QLatin1String("IF OBJECT_ID(N'dbo.viewMediaIDActive', N'V')")));
    QVERIFY(batches[1].contains(QLatin1String("CREATE TABLE dbo.Sektor")));
    QVERIFY(batches[2].startsWith(QLatin1String("-- Cards in force today")));
    QVERIFY(batches[2].contains(QLatin1String("CREATE VIEW dbo.viewMediaIDActive")));
    QVERIFY(batches[3].contains(QLatin1String("CREATE TABLE dbo.tblPorvik")));
    QCOMPARE(demo::scriptStatements(QStringLiteral("mssql"),
                                    QStringLiteral("SELECT 1\n  go  \nSELECT 2\nGOTO x\n")),
             (QStringList{QStringLiteral("SELECT 1"), QStringLiteral("SELECT 2\nGOTO x")}));

    // SQLite where a statement ends: not at a semicolon inside a text or a trigger body.
    const QString script = QStringLiteral(
        "-- a comment\nCREATE TABLE t (a text DEFAULT 'x;\ny');\n"
        "CREATE TRIGGER tr AFTER INSERT ON t BEGIN\n  UPDATE t SET a = 'z';\nEND;\n-- the end\n");
    const QStringList statements = demo::scriptStatements(QStringLiteral("sqlite"), script);
    QCOMPARE(statements.size(), 2);
    QVERIFY(statements[0].endsWith(QLatin1String("'x;\ny');")));
    QVERIFY(statements[1].startsWith(QLatin1String("CREATE TRIGGER")));
    QVERIFY(statements[1].endsWith(QLatin1String("END;")));
}

QTEST_MAIN(TestDemoDatabase)
#include "tst_DemoDatabase.moc"
