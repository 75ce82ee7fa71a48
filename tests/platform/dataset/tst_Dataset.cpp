// The dataset layer on a real SQLite file: typed fields, shared values, nulls, re-execution,
// calculated fields, failures; and the in-memory table the live list uses.
#include "Error.h"
#include "MemDataset.h"
#include "QueryDataset.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnwick;

class TestDataset : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fetchesTypedValues();
    void requeryAndCalculatedFields();
    void failuresAndClosedDataset();
    void memDatasetAppendsAndTrims();

private:
    QList<FieldDef> fields() const;
    std::unique_ptr<QueryDataset> query();
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void TestDataset::initTestCase()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dataset-test"));
    m_db.setDatabaseName(m_dir.filePath(QStringLiteral("t.db")));
    QVERIFY(m_db.open());
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("CREATE TABLE t (id INTEGER, name TEXT, price REAL, ok INTEGER, at TEXT, pic BLOB)")));
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?)")));
    const QVariantList rows[] = {
        {1, QStringLiteral("Šćekić"), 2.5, 1, QStringLiteral("2024-03-05 14:07:09"), QByteArray("\x00\xff\x10", 3)},
        {2, QStringLiteral("Đorđe"), QVariant(), 0, QStringLiteral("2024-03-05 14:07:09.250"), QByteArray("\x00\xff\x10", 3)},
        {3, QVariant(), -1.0, QVariant(), QVariant(), QVariant()},
        {4, QStringLiteral("Šćekić"), 0.0, 1, QStringLiteral("1999-12-31T23:59:59"), QByteArray(5000, 'x')},
    };
    for (const QVariantList &r : rows) {
        for (int i = 0; i < r.size(); ++i)
            q.bindValue(i, r[i]);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
}

QList<FieldDef> TestDataset::fields() const
{
    return {{QStringLiteral("id"), FieldType::Integer},    {QStringLiteral("name"), FieldType::Text, 50},
            {QStringLiteral("price"), FieldType::Float},   {QStringLiteral("ok"), FieldType::Boolean},
            {QStringLiteral("at"), FieldType::DateTime},   {QStringLiteral("pic"), FieldType::Blob},
            {QStringLiteral("label"), FieldType::Text, 100, false, true}};
}

std::unique_ptr<QueryDataset> TestDataset::query()
{
    auto d = std::make_unique<QueryDataset>(fields());
    d->setConnection([this] { return m_db; });
    d->setSql(QStringLiteral("SELECT * FROM t WHERE id >= :from ORDER BY id"));
    d->setParameter(QStringLiteral("from"), 1);
    return d;
}

void TestDataset::fetchesTypedValues()
{
    auto d = query();
    QAbstractItemModelTester tester(d.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    d->open();
    QCOMPARE(d->recordCount(), 4);
    QCOMPARE(d->value(0, QStringLiteral("id")), QVariant(1));
    QCOMPARE(d->value(0, QStringLiteral("name")), QVariant(QStringLiteral("Šćekić")));
    QCOMPARE(d->value(0, QStringLiteral("price")), QVariant(2.5));
    QCOMPARE(d->value(0, QStringLiteral("ok")), QVariant(true));
    QCOMPARE(d->value(1, QStringLiteral("ok")), QVariant(false));
    // Wall-clock date-times, fractions of a second kept, the ISO form accepted too.
    QCOMPARE(d->value(0, QStringLiteral("at")).toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC));
    QCOMPARE(d->value(1, QStringLiteral("at")).toDateTime().time(), QTime(14, 7, 9, 250));
    QCOMPARE(d->value(3, QStringLiteral("at")).toDateTime().date(), QDate(1999, 12, 31));
    QCOMPARE(d->value(0, QStringLiteral("pic")).toByteArray(), QByteArray("\x00\xff\x10", 3));
    QCOMPARE(d->value(3, QStringLiteral("pic")).toByteArray(), QByteArray(5000, 'x'));
    // Nulls stay null, whatever the type.
    for (const char *f : {"name", "ok", "at", "pic"})
        QVERIFY2(d->value(2, QString::fromLatin1(f)).isNull(), f);
    QVERIFY(d->value(1, QStringLiteral("price")).isNull());
    QVERIFY(!d->value(2, QStringLiteral("price")).isNull());
    // Equal values are one shared copy.
    QCOMPARE(d->value(0, QStringLiteral("pic")).toByteArray().constData(),
             d->value(1, QStringLiteral("pic")).toByteArray().constData());
    QCOMPARE(d->value(0, QStringLiteral("name")).toString().constData(),
             d->value(3, QStringLiteral("name")).toString().constData());
    // The table model: one column per field, field names in the header.
    QCOMPARE(d->columnCount(), 7);
    QCOMPARE(d->headerData(1, Qt::Horizontal, Dataset::FieldNameRole), QVariant(QStringLiteral("name")));
    QCOMPARE(d->data(d->index(0, 1), Qt::EditRole), QVariant(QStringLiteral("Šćekić")));
}

void TestDataset::requeryAndCalculatedFields()
{
    auto d = query();
    QAbstractItemModelTester tester(d.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    d->setCalcFields([](QueryDataset &ds, int row) {
        const QVariant name = ds.value(row, QStringLiteral("name"));
        ds.setCalculated(row, ds.fieldIndex(QStringLiteral("label")),
                         name.isNull() ? QVariant() : QVariant(name.toString() + QStringLiteral("!")));
    });
    QSignalSpy scrolled(d.get(), &Dataset::afterScroll);
    d->open();
    QCOMPARE(d->currentRow(), 0);
    QCOMPARE(scrolled.count(), 1);
    QCOMPARE(d->value(0, QStringLiteral("label")), QVariant(QStringLiteral("Šćekić!")));
    QVERIFY(d->value(2, QStringLiteral("label")).isNull());
    d->setCurrentRow(3);
    QCOMPARE(d->currentValue(QStringLiteral("id")), QVariant(4));

    d->setParameter(QStringLiteral(":from"), 3);
    d->requery();
    QCOMPARE(d->recordCount(), 2);
    QCOMPARE(d->currentRow(), 0); // the first row is current again
    QCOMPARE(d->value(0, QStringLiteral("id")), QVariant(3));
    QCOMPARE(d->value(1, QStringLiteral("label")), QVariant(QStringLiteral("Šćekić!")));

    d->setParameter(QStringLiteral(":from"), 99);
    d->requery();
    QCOMPARE(d->recordCount(), 0);
    QCOMPARE(d->currentRow(), -1);

    // A closed and reopened connection: the statement is prepared again.
    d->releasePrepared();
    m_db.close();
    QVERIFY(m_db.open());
    d->setParameter(QStringLiteral(":from"), 1);
    d->requery();
    QCOMPARE(d->recordCount(), 4);
}

void TestDataset::failuresAndClosedDataset()
{
    auto d = query();
    QVERIFY_THROWS_EXCEPTION(Error, d->recordCount());
    try {
        d->recordCount();
    } catch (const Error &e) {
        QCOMPARE(e.message(), QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
    d->open();
    // A failing re-execution leaves the dataset closed and says what the database said.
    d->setSql(QStringLiteral("SELECT * FROM missing_table"));
    try {
        d->requery();
        QFAIL("no error");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(QStringLiteral("missing_table")), qPrintable(e.message()));
    }
    QVERIFY(!d->isOpen());
    // A column the fields need but the query lacks.
    d->setSql(QStringLiteral("SELECT id FROM t"));
    QVERIFY_THROWS_EXCEPTION(Error, d->open());
    // No connection.
    QueryDataset none(fields());
    none.setSql(QStringLiteral("SELECT 1"));
    QVERIFY_THROWS_EXCEPTION(Error, none.open());
}

void TestDataset::memDatasetAppendsAndTrims()
{
    MemDataset list({{QStringLiteral("MediaID"), FieldType::Text, 4}, {QStringLiteral("EventID"), FieldType::Integer},
                     {QStringLiteral("NonID"), FieldType::Boolean}});
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY_THROWS_EXCEPTION(Error, list.appendRecord({}));
    list.open();
    for (const char *id : {"AAAAA", "B", "C", "D"}) {
        const int row = list.appendRecord({{QStringLiteral("MediaID"), QString::fromLatin1(id)},
                                           {QStringLiteral("EventID"), QStringLiteral("15")}});
        list.setCurrentRow(row);
    }
    QCOMPARE(list.value(0, QStringLiteral("MediaID")), QVariant(QStringLiteral("AAAA"))); // cut to the width
    QCOMPARE(list.value(0, QStringLiteral("EventID")), QVariant(15));
    QVERIFY(list.value(0, QStringLiteral("NonID")).isNull());
    list.removeFirst(1);
    QCOMPARE(list.recordCount(), 3);
    QCOMPARE(list.currentValue(QStringLiteral("MediaID")), QVariant(QStringLiteral("D")));
    list.setValue(0, QStringLiteral("NonID"), true);
    QCOMPARE(list.value(0, QStringLiteral("NonID")), QVariant(true));
    QVERIFY_THROWS_EXCEPTION(Error, list.appendRecord({{QStringLiteral("Nope"), 1}}));
    QCOMPARE(list.rowCount(), 3); // a refused record leaves the list as it was
}

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_Dataset.moc"
