#include "Error.h"
#include "TableWriter.h"
#include "Workbook.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>
#include <limits>
#include <sys/resource.h>

using namespace tarnwick;
using namespace tarnwick::xls;

namespace {

QString readerScript()
{
    return qEnvironmentVariable("TARNWICK_SOURCE_DIR") +
           QStringLiteral("/tests/platform/xls/read_xls.py");
}

// What xlrd makes of the file (see read_xls.py); an empty object when it could not read it.
QJsonObject readBack(const QString &file, const QStringList &options = {})
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{readerScript(), file} + options);
    if (!p.waitForFinished(180000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning().noquote() << "xlrd could not read" << file << ":" << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonObject sheetOf(const QJsonObject &book, int index)
{
    return book.value(QLatin1String("sheets")).toArray().at(index).toObject();
}

QJsonObject cellOf(const QJsonObject &sheet, int row, int column)
{
    return sheet.value(QLatin1String("rows"))
        .toObject()
        .value(QString::number(row))
        .toArray()
        .at(column)
        .toObject();
}

QString typeOf(const QJsonObject &cell)
{
    return cell.value(QLatin1String("type")).toString();
}

const QString Serbian = QStringLiteral("Šžćčđ ŠŽĆČĐ");

} // namespace

class TestXlsWriter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cellValues_data();
    void cellValues();
    void tableContinuesOnNewSheets_data();
    void tableContinuesOnNewSheets();
    void headerStyleWidthsAndColumnTypes();
    void longTexts();
    void rowsAreStreamed();
    void sheetNames();
    void unwritablePath_data();
    void unwritablePath();
    void failedWriteLeavesNoFile();
    void opensInLibreOffice();

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
};

void TestXlsWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFile::exists(readerScript()), qPrintable(readerScript()));
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QStringLiteral("import xlrd")});
    QVERIFY2(p.waitForFinished(30000) && p.exitCode() == 0,
             "the tests need /usr/bin/python3 with xlrd (Debian python3-xlrd)");
}

void TestXlsWriter::cellValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("expected"); // numbers, texts, booleans; date cells: their reading
    QTest::addColumn<QString>("format");

    const QDateTime shown(QDate(2010, 2, 19), QTime(9, 57, 54));
    const QString general = QStringLiteral("General");
    QTest::newRow("int") << QVariant(42) << "number" << QVariant(42.0) << general;
    QTest::newRow("negative int") << QVariant(-1234567) << "number" << QVariant(-1234567.0)
                                  << general;
    QTest::newRow("qlonglong beyond RK")
        << QVariant(qlonglong(1) << 40) << "number" << QVariant(std::ldexp(1.0, 40)) << general;
    QTest::newRow("qlonglong beyond 2^53 keeps its digits")
        << QVariant(qlonglong(9007199254740993)) << "text" << QVariant("9007199254740993")
        << general;
    QTest::newRow("double") << QVariant(2.5) << "number" << QVariant(2.5) << general;
    QTest::newRow("NaN") << QVariant(std::numeric_limits<double>::quiet_NaN()) << "error"
                         << QVariant() << general;
    QTest::newRow("bool") << QVariant(true) << "bool" << QVariant(true) << general;
    QTest::newRow("date-time") << QVariant(shown) << "date" << QVariant("2010-02-19 09:57:54")
                               << "dd.mm.yyyy hh:mm:ss";
    QTest::newRow("date") << QVariant(QDate(2010, 2, 19)) << "date"
                          << QVariant("2010-02-19 00:00:00") << "dd.mm.yyyy";
    QTest::newRow("time") << QVariant(QTime(9, 57, 54)) << "date" << QVariant("0000-00-00 09:57:54")
                          << "hh:mm:ss";
    QTest::newRow("date-time before March 1900 as text")
        << QVariant(QDateTime(QDate(1899, 1, 1), QTime(12, 0))) << "text"
        << QVariant("1899-01-01 12:00:00") << general;
    QTest::newRow("Serbian text") << QVariant(Serbian) << "text" << QVariant(Serbian) << general;
    QTest::newRow("Latin-1 text") << QVariant(QStringLiteral("Café 1/2")) << "text"
                                  << QVariant(QStringLiteral("Café 1/2")) << general;
    QTest::newRow("empty text") << QVariant(QString()) << "blank" << QVariant() << general;
    QTest::newRow("null") << QVariant() << "blank" << QVariant() << general;
    QTest::newRow("typed null (SQL NULL)")
        << QVariant(QMetaType::fromType<int>()) << "blank" << QVariant() << general;
}

void TestXlsWriter::cellValues()
{
    QFETCH(QVariant, value);
    QFETCH(QString, type);
    QFETCH(QVariant, expected);
    QFETCH(QString, format);

    const QString file = path(QStringLiteral("cell.xls"));
    Workbook book;
    Sheet &sheet = book.addSheet(QStringLiteral("Test"));
    sheet.setValue(0, 0, value);
    sheet.setNumber(0, 1, 7); // a neighbour, so the row exists for every reader
    book.save(file);

    const QJsonObject read = readBack(file, {QStringLiteral("--format")});
    QVERIFY(!read.isEmpty());
    const QJsonObject cell = cellOf(sheetOf(read, 0), 0, 0);
    QCOMPARE(typeOf(cell), type);
    QCOMPARE(cell.value(QLatin1String("format")).toString(), format);
    if (type == QLatin1String("number"))
        QCOMPARE(cell.value(QLatin1String("value")).toDouble(), expected.toDouble());
    else if (type == QLatin1String("text"))
        QCOMPARE(cell.value(QLatin1String("value")).toString(), expected.toString());
    else if (type == QLatin1String("bool"))
        QCOMPARE(cell.value(QLatin1String("value")).toBool(), expected.toBool());
    else if (type == QLatin1String("date"))
        QCOMPARE(cell.value(QLatin1String("date")).toString(), expected.toString());
    QCOMPARE(cellOf(sheetOf(read, 0), 0, 1).value(QLatin1String("value")).toDouble(), 7.0);
}

void TestXlsWriter::tableContinuesOnNewSheets_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("sheetRows"); // rows of each sheet, header included

    QTest::newRow("header only") << 0 << QList<int>{1};
    QTest::newRow("one full sheet") << 65535 << QList<int>{65536};
    QTest::newRow("one row more") << 65536 << QList<int>{65536, 2};
    QTest::newRow("70,000 rows") << 70000 << QList<int>{65536, 4466};
}

void TestXlsWriter::tableContinuesOnNewSheets()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, sheetRows);

    const QStringList captions{QStringLiteral("Vreme"), QStringLiteral("Osoba"),
                               QStringLiteral("Broj"), QStringLiteral("Napomena")};
    const QDateTime start(QDate(2010, 2, 19), QTime(9, 57, 54));
    auto rowValues = [&](int i) {
        return QVariantList{start.addSecs(i), QStringLiteral("Šž %1").arg(i), i,
                            i % 3 == 0 ? QVariant() : QVariant(QStringLiteral("ćčđ"))};
    };

    const QString file = path(QStringLiteral("table.xls"));
    {
        Workbook book;
        TableWriter table(book, QStringLiteral("Tarnwick"), captions);
        for (int i = 0; i < rows; ++i)
            table.addRow(rowValues(i));
        QCOMPARE(table.rowCount(), qint64(rows));
        QCOMPARE(table.sheetCount(), int(sheetRows.size()));
        book.save(file);
    }

    const QJsonObject read = readBack(
        file, {QStringLiteral("--rows"), QStringLiteral("0,1,-1"), QStringLiteral("--structure")});
    QVERIFY(!read.isEmpty());
    QCOMPARE(read.value(QLatin1String("sheets")).toArray().size(), sheetRows.size());
    const QJsonObject structure = read.value(QLatin1String("structure")).toObject();
    QVERIFY(structure.value(QLatin1String("maxRecordData")).toInt() <= 8224);
    QCOMPARE(structure.value(QLatin1String("extsstProblems")).toArray(), QJsonArray());

    int firstIndex = 0;
    for (int s = 0; s < sheetRows.size(); ++s) {
        const QJsonObject sheet = sheetOf(read, s);
        QCOMPARE(sheet.value(QLatin1String("name")).toString(),
                 s == 0 ? QStringLiteral("Tarnwick") : QStringLiteral("Tarnwick (%1)").arg(s + 1));
        QCOMPARE(sheet.value(QLatin1String("nrows")).toInt(), sheetRows.at(s));
        QCOMPARE(sheet.value(QLatin1String("ncols")).toInt(), captions.size());
        for (int c = 0; c < captions.size(); ++c)
            QCOMPARE(cellOf(sheet, 0, c).value(QLatin1String("value")).toString(), captions.at(c));

        const int dataRows = sheetRows.at(s) - 1;
        for (int r : {1, dataRows}) {
            if (dataRows == 0)
                break;
            const int i = firstIndex + r - 1;
            const QVariantList expected = rowValues(i);
            QCOMPARE(cellOf(sheet, r, 0).value(QLatin1String("date")).toString(),
                     expected.at(0).toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            QCOMPARE(cellOf(sheet, r, 1).value(QLatin1String("value")).toString(),
                     expected.at(1).toString());
            QCOMPARE(cellOf(sheet, r, 2).value(QLatin1String("value")).toDouble(), double(i));
            const QJsonObject note = cellOf(sheet, r, 3);
            if (i % 3 == 0)
                QCOMPARE(typeOf(note), QStringLiteral("empty"));
            else
                QCOMPARE(note.value(QLatin1String("value")).toString(), QStringLiteral("ćčđ"));
        }
        firstIndex += dataRows;
    }
    QCOMPARE(firstIndex, rows);
}

void TestXlsWriter::headerStyleWidthsAndColumnTypes()
{
    const QString file = path(QStringLiteral("styled.xls"));
    {
        Workbook book;
        TableWriter table(
            book, QStringLiteral("Tarnwick"),
            {QStringLiteral("Iznos"), QStringLiteral("Šifra"), QStringLiteral("Dan"),
             QStringLiteral("Prošao")},
            {ColumnType::Number, ColumnType::Text, ColumnType::Date, ColumnType::Boolean});
        table.setColumnWidths({ColumnWidth::pixels(64), ColumnWidth::characters(20)});
        table.addRow({QStringLiteral("12.5"), 42, QDateTime(QDate(2010, 2, 19), QTime(0, 0)), 1});
        // Values the column type cannot take go in as what they are.
        table.addRow({QStringLiteral("nije broj"), QVariant(),
                      QDateTime(QDate(2010, 2, 19), QTime(9, 57, 54)), 5});
        QVERIFY_THROWS_EXCEPTION(Error, table.addRow({1, 2, 3, 4, 5}));
        book.save(file);
    }
    const QJsonObject read = readBack(file, {QStringLiteral("--format")});
    QVERIFY(!read.isEmpty());
    const QJsonObject sheet = sheetOf(read, 0);
    QCOMPARE(sheet.value(QLatin1String("nrows")).toInt(), 3);
    QVERIFY(cellOf(sheet, 0, 1).value(QLatin1String("bold")).toBool());
    QVERIFY(!cellOf(sheet, 1, 1).value(QLatin1String("bold")).toBool());
    QCOMPARE(sheet.value(QLatin1String("frozenRows")).toInt(), 1);
    // 1/256 of a digit width: 64 px at 7 px a digit; 20 characters plus the 5-pixel padding.
    const QJsonObject widths = sheet.value(QLatin1String("widths")).toObject();
    QCOMPARE(widths.value(QLatin1String("0")).toInt(), 2341);
    QCOMPARE(widths.value(QLatin1String("1")).toInt(), 5303);

    QCOMPARE(cellOf(sheet, 1, 0).value(QLatin1String("value")).toDouble(), 12.5);
    QCOMPARE(cellOf(sheet, 1, 1).value(QLatin1String("value")).toString(), QStringLiteral("42"));
    QCOMPARE(cellOf(sheet, 1, 2).value(QLatin1String("format")).toString(),
             QStringLiteral("dd.mm.yyyy"));
    QCOMPARE(typeOf(cellOf(sheet, 1, 3)), QStringLiteral("bool"));
    QCOMPARE(cellOf(sheet, 2, 0).value(QLatin1String("value")).toString(),
             QStringLiteral("nije broj"));
    QCOMPARE(typeOf(cellOf(sheet, 2, 1)), QStringLiteral("blank"));
    QCOMPARE(cellOf(sheet, 2, 2).value(QLatin1String("date")).toString(),
             QStringLiteral("2010-02-19 09:57:54"));
    QCOMPARE(cellOf(sheet, 2, 2).value(QLatin1String("format")).toString(),
             QStringLiteral("dd.mm.yyyy hh:mm:ss"));
    QCOMPARE(cellOf(sheet, 2, 3).value(QLatin1String("value")).toDouble(), 5.0);
}

void TestXlsWriter::longTexts()
{
    const QString smile = QStringLiteral("\U0001F600");
    const QStringList texts{
        QString(10000, QChar(0x0161)),              // 20,000 bytes: three records
        QStringLiteral("Š") + smile.repeated(5000), // a pair would straddle a record end
        QString(40000, QLatin1Char('a')),           // longer than a cell holds
        QString(32766, QLatin1Char('x')) + smile,   // the cut would split the pair
    };
    const QStringList expected{texts.at(0), texts.at(1), texts.at(2).left(32767),
                               QString(32766, QLatin1Char('x'))};

    const QString file = path(QStringLiteral("long.xls"));
    {
        Workbook book;
        Sheet &sheet = book.addSheet(QStringLiteral("Dugi tekstovi"));
        for (int r = 0; r < texts.size(); ++r)
            sheet.setText(r, 0, texts.at(r));
        book.save(file);
    }
    const QJsonObject read = readBack(file, {QStringLiteral("--structure")});
    QVERIFY(!read.isEmpty());
    const QJsonObject sheet = sheetOf(read, 0);
    for (int r = 0; r < expected.size(); ++r) {
        const QString got = cellOf(sheet, r, 0).value(QLatin1String("value")).toString();
        QCOMPARE(got.size(), expected.at(r).size());
        QVERIFY2(got == expected.at(r), qPrintable(QStringLiteral("row %1").arg(r)));
    }
    const QJsonObject structure = read.value(QLatin1String("structure")).toObject();
    QVERIFY(structure.value(QLatin1String("sstRecords")).toInt() > 10);
    QVERIFY(structure.value(QLatin1String("maxRecordData")).toInt() <= 8224);
    QCOMPARE(structure.value(QLatin1String("extsstProblems")).toArray(), QJsonArray());
}

void TestXlsWriter::rowsAreStreamed()
{
    const QString file = path(QStringLiteral("order.xls"));
    {
        Workbook book;
        Sheet &sheet = book.addSheet(QStringLiteral("Redosled"));
        sheet.setText(0, 2, QStringLiteral("c"));
        sheet.setNumber(0, 0, 1);
        sheet.setNumber(0, 0, 2); // the later value of a cell wins
        sheet.setNumber(5, 1, 7);
        QCOMPARE(sheet.rowCount(), 6);
        QVERIFY_THROWS_EXCEPTION(Error, sheet.setNumber(3, 0, 1));
        QVERIFY_THROWS_EXCEPTION(Error, sheet.setNumber(Sheet::MaxRows, 0, 1));
        QVERIFY_THROWS_EXCEPTION(Error, sheet.setNumber(6, Sheet::MaxColumns, 1));
        QVERIFY_THROWS_EXCEPTION(Error, sheet.setNumber(-1, 0, 1));
        sheet.setText(5, 0, QStringLiteral("a")); // still the current row
        sheet.setBlank(5, 3);
        sheet.setBlank(5, 2);
        sheet.setNumber(5, 4, 9);
        book.save(file);
        QVERIFY_THROWS_EXCEPTION(Error, sheet.setNumber(5, 5, 1)); // saving ended the row
    }
    const QJsonObject read = readBack(file, {QStringLiteral("--format")});
    QVERIFY(!read.isEmpty());
    const QJsonObject sheet = sheetOf(read, 0);
    QCOMPARE(sheet.value(QLatin1String("nrows")).toInt(), 6);
    QCOMPARE(cellOf(sheet, 0, 0).value(QLatin1String("value")).toDouble(), 2.0);
    QCOMPARE(typeOf(cellOf(sheet, 0, 1)), QStringLiteral("empty"));
    QCOMPARE(typeOf(cellOf(sheet, 5, 2)), QStringLiteral("blank"));
    QCOMPARE(typeOf(cellOf(sheet, 5, 3)), QStringLiteral("blank"));
    QCOMPARE(cellOf(sheet, 5, 4).value(QLatin1String("value")).toDouble(), 9.0);
    QCOMPARE(cellOf(sheet, 0, 2).value(QLatin1String("value")).toString(), QStringLiteral("c"));
    QCOMPARE(cellOf(sheet, 5, 0).value(QLatin1String("value")).toString(), QStringLiteral("a"));
    QCOMPARE(cellOf(sheet, 5, 1).value(QLatin1String("value")).toDouble(), 7.0);
}

void TestXlsWriter::sheetNames()
{
    const QString file = path(QStringLiteral("names.xls"));
    const QString longName(31, QLatin1Char('N'));
    {
        Workbook book;
        QVERIFY_THROWS_EXCEPTION(Error, book.addSheet(QString()));
        QVERIFY_THROWS_EXCEPTION(Error, book.addSheet(QStringLiteral("a/b")));
        QVERIFY_THROWS_EXCEPTION(Error, book.addSheet(QString(32, QLatin1Char('x'))));
        book.addSheet(QStringLiteral("Izveštaj"));
        QVERIFY_THROWS_EXCEPTION(Error, book.addSheet(QStringLiteral("IZVEŠTAJ")));
        book.addSheet(longName);
        TableWriter first(book, QStringLiteral("Izveštaj"), {QStringLiteral("A")});
        TableWriter second(book, longName, {QStringLiteral("B")});
        QCOMPARE(book.sheetCount(), 4);
        book.save(file);
    }
    {
        Workbook empty;
        empty.save(path(QStringLiteral("empty.xls")));
    }
    const QJsonObject read = readBack(file);
    QVERIFY(!read.isEmpty());
    QCOMPARE(sheetOf(read, 0).value(QLatin1String("name")).toString(), QStringLiteral("Izveštaj"));
    QCOMPARE(sheetOf(read, 2).value(QLatin1String("name")).toString(),
             QStringLiteral("Izveštaj (2)"));
    QCOMPARE(sheetOf(read, 3).value(QLatin1String("name")).toString(),
             longName.left(27) + QStringLiteral(" (2)"));
    const QJsonObject emptyRead = readBack(path(QStringLiteral("empty.xls")));
    QCOMPARE(sheetOf(emptyRead, 0).value(QLatin1String("name")).toString(),
             QStringLiteral("Sheet1"));
    QCOMPARE(sheetOf(emptyRead, 0).value(QLatin1String("nrows")).toInt(), 0);
}

void TestXlsWriter::unwritablePath_data()
{
    QTest::addColumn<QString>("relative");
    QTest::newRow("missing folder") << QStringLiteral("nema/izvoz.xls");
    QTest::newRow("path is a folder") << QStringLiteral("folder");
}

void TestXlsWriter::unwritablePath()
{
    QFETCH(QString, relative);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const QString target = dir.filePath(relative);

    Workbook book;
    book.addSheet(QStringLiteral("Tarnwick")).setText(0, 0, Serbian);
    try {
        book.save(target);
        QFAIL("save reported success");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(target), qPrintable(e.message()));
    }
    // Nothing is left behind beside the target, and the folder stays a folder.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("folder")});
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
}

void TestXlsWriter::failedWriteLeavesNoFile()
{
    // A file-size limit makes writes fail the way a full disk does (EFBIG instead of ENOSPC).
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("izvoz.xls"));
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the previous export");
    }
    Workbook book;
    TableWriter table(book, QStringLiteral("Tarnwick"),
                      {QStringLiteral("Osoba"), QStringLiteral("Broj")});
    for (int i = 0; i < 50000; ++i)
        table.addRow({QStringLiteral("Šž %1").arg(i), i});

    struct Limit
    {
        rlimit saved{};
        void (*handler)(int) = nullptr;
        Limit()
        {
            getrlimit(RLIMIT_FSIZE, &saved);
            handler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = saved;
            small.rlim_cur = 256 * 1024;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~Limit()
        {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
        }
    };
    QString message;
    {
        Limit limit;
        try {
            book.save(target);
        } catch (const Error &e) {
            message = e.message();
        }
    }
    QVERIFY2(!message.isEmpty(), "save reported success");
    QVERIFY2(message.contains(target), qPrintable(message));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("izvoz.xls")});
    QFile old(target);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("the previous export"));
    old.close();

    // Without the limit the same workbook is written in full.
    book.save(target);
    const QJsonObject read = readBack(target, {QStringLiteral("--rows"), QStringLiteral("-1")});
    QCOMPARE(sheetOf(read, 0).value(QLatin1String("nrows")).toInt(), 50001);
}

void TestXlsWriter::opensInLibreOffice()
{
    QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        soffice = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed; the files were checked with xlrd only");

    const QString file = path(QStringLiteral("lo.xls"));
    {
        Workbook book;
        TableWriter table(
            book, QStringLiteral("Tarnwick"),
            {QStringLiteral("Vreme"), QStringLiteral("Osoba"), QStringLiteral("Broj")});
        table.addRow({QDateTime(QDate(2010, 2, 19), QTime(9, 57, 54)), Serbian, 42});
        book.save(file);
    }
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.path()); // a private LibreOffice profile
    p.setProcessEnvironment(env);
    p.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                      QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"),
                      QStringLiteral("--outdir"), m_dir.path(), file});
    QVERIFY(p.waitForFinished(240000));
    QFile csv(path(QStringLiteral("lo.csv")));
    QVERIFY2(csv.open(QIODevice::ReadOnly), p.readAllStandardError().constData());
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.at(0).trimmed(), QStringLiteral("Vreme,Osoba,Broj"));
    QCOMPARE(lines.at(1).trimmed(), QStringLiteral("19.02.2010 09:57:54,%1,42").arg(Serbian));
}

QTEST_GUILESS_MAIN(TestXlsWriter)
#include "tst_XlsWriter.moc"
