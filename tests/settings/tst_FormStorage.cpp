#include "FormStorage.h"
#include "MainWindowValues.h"
#include "RegistryStore.h"
#include "StoredEncodings.h"

#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtTest>
#include <atomic>

using namespace tarnwick;

Q_DECLARE_METATYPE(tarnwick::RegValue)

class TestFormStorage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void storedValueReading_data();
    void storedValueReading();
    void colourWriting_data();
    void colourWriting();
    void extendedFloats_data();
    void extendedFloats();
    void pickerProperties();
    void firstRunDefaultsAndSave();
    void negativeFormVersionSkipsRestore();
    void placementRoundTrip();
    void readsFromAnotherThread();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegistryStore> m_store;
};

void TestFormStorage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<RegistryStore>(m_dir->filePath(QStringLiteral("Tarnwick.reg")));
}

void TestFormStorage::storedValueReading_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<RegValue>("stored");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<RegValue>("savedAs");

    const QString sensor = QStringLiteral("chkAlertSensor");
    QTest::newRow("yes reads true, saved TRUE") << sensor << RegValue::string(QStringLiteral("yes")) << QVariant(true)
                                                << RegValue::string(QStringLiteral("TRUE"));
    QTest::newRow("Y any case") << sensor << RegValue::string(QStringLiteral("y")) << QVariant(true)
                                << RegValue::string(QStringLiteral("TRUE"));
    QTest::newRow("No reads false") << sensor << RegValue::string(QStringLiteral("No")) << QVariant(false)
                                    << RegValue::string(QStringLiteral("FALSE"));
    QTest::newRow("switch as number") << sensor << RegValue::number(7) << QVariant(true)
                                      << RegValue::string(QStringLiteral("TRUE"));
    QTest::newRow("switch as text number") << sensor << RegValue::string(QStringLiteral("0")) << QVariant(false)
                                           << RegValue::string(QStringLiteral("FALSE"));
    QTest::newRow("switch nonsense keeps default") << sensor << RegValue::string(QStringLiteral("perhaps"))
                                                   << QVariant(false) << RegValue::string(QStringLiteral("FALSE"));
    QTest::newRow("MaxListItems as text reads 300") << QStringLiteral("MaxListItems") << RegValue::string(QStringLiteral("500"))
                                                    << QVariant(300) << RegValue::number(300);
    QTest::newRow("MaxListItems as number") << QStringLiteral("maxlistitems") << RegValue::number(500) << QVariant(500)
                                            << RegValue::number(500);
    QTest::newRow("text as number keeps default") << QStringLiteral("DirImages") << RegValue::number(5) << QVariant(QString())
                                                  << RegValue::string(QString());
    QTest::newRow("text kept") << QStringLiteral("ConnectionString")
                               << RegValue::string(QStringLiteral("Provider=SQLite;Data Source=/tmp/č.db"))
                               << QVariant(QStringLiteral("Provider=SQLite;Data Source=/tmp/č.db"))
                               << RegValue::string(QStringLiteral("Provider=SQLite;Data Source=/tmp/č.db"));
}

void TestFormStorage::storedValueReading()
{
    QFETCH(QString, name);
    QFETCH(RegValue, stored);
    QFETCH(QVariant, expected);
    QFETCH(RegValue, savedAs);

    m_store->setValue(QStringLiteral("fTarnwick"), name, stored);
    QWidget form;
    form.setObjectName(QStringLiteral("fTarnwick"));
    FormStorage storage(m_store.get(), QStringLiteral("fTarnwick\\"), &form);
    storedvalues::declare(storage);
    storage.restore();
    QCOMPARE(storage.readValue(name), expected);
    storage.save();

    RegistryStore reread(m_store->filePath());
    QCOMPARE(reread.load(), RegistryStore::LoadResult::Loaded);
    QCOMPARE(*reread.value(QStringLiteral("fTarnwick"), name), savedAs);
}

void TestFormStorage::colourWriting_data()
{
    QTest::addColumn<uint>("colour");
    QTest::addColumn<RegValue>("written");
    QTest::newRow("pure red by name") << 0x0000FFu << RegValue::string(QStringLiteral("clRed"));
    QTest::newRow("gray by name") << 0x808080u << RegValue::string(QStringLiteral("clGray"));
    QTest::newRow("0x123456 as number") << 0x123456u << RegValue::number(0x123456);
    QTest::newRow("sensor default as number") << 0x80FFFFu << RegValue::number(0x80FFFF);
}

void TestFormStorage::colourWriting()
{
    QFETCH(uint, colour);
    QFETCH(RegValue, written);
    QCOMPARE(encodings::writeColour(colour), written);
    QCOMPARE(encodings::readColour(written), std::optional<quint32>(colour));
    QCOMPARE(encodings::readColour(RegValue::string(QStringLiteral("clinfobk"))), std::optional<quint32>(0xE1FFFF));
    QCOMPARE(encodings::readColour(RegValue::string(QStringLiteral("notacolour"))), std::nullopt);
}

void TestFormStorage::extendedFloats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("bytes");
    // Reference encodings of the x87 extended format.
    QTest::newRow("zero") << 0.0 << QByteArray::fromHex("00000000000000000000");
    QTest::newRow("one") << 1.0 << QByteArray::fromHex("0000000000000080ff3f");
    QTest::newRow("minus two") << -2.0 << QByteArray::fromHex("000000000000008000c0");
    QTest::newRow("half") << 0.5 << QByteArray::fromHex("0000000000000080fe3f");
    QTest::newRow("2010-02-01") << 40210.0 << QByteArray::fromHex("000000000000129d0e40");
}

void TestFormStorage::extendedFloats()
{
    QFETCH(double, value);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodings::encodeExtended(value), bytes);
    QCOMPARE(encodings::decodeExtended(bytes), std::optional<double>(value));
}

void TestFormStorage::pickerProperties()
{
    QDate date(2000, 1, 1);
    QTime time(12, 0);
    auto declare = [&](FormStorage &s) {
        s.addStoredProperty(
            QStringLiteral("dtDateFrom_Date"), FormStorage::Kind::PickerDate, [&] { return QVariant(date); },
            [&](const QVariant &v) { date = v.toDate(); });
        s.addStoredProperty(
            QStringLiteral("dtTimeTo_Time"), FormStorage::Kind::PickerTime, [&] { return QVariant(time); },
            [&](const QVariant &v) { time = v.toTime(); });
    };
    // Days since 30 December 1899 with the time as fraction: 19 February 2010 09:57:54.
    const double days = encodings::dateTimeToDays(QDate(2010, 2, 19), QTime(9, 57, 54));
    QVERIFY(qAbs(days - 40228.4152083333) < 1e-9);
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("dtDateFrom_Date"),
                      RegValue::binary(encodings::encodeExtended(days)));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("dtTimeTo_Time"), RegValue::number(3));
    {
        FormStorage storage(m_store.get(), QStringLiteral("fTarnwick\\"), nullptr);
        declare(storage);
        storage.restore();
        QCOMPARE(date, QDate(2010, 2, 19));
        QCOMPARE(time, QTime(12, 0)); // a number of another type leaves the picker unchanged
        time = QTime(23, 59, 59, 999);
        storage.save();
    }
    RegistryStore reread(m_store->filePath());
    reread.load();
    const RegValue t = *reread.value(QStringLiteral("fTarnwick"), QStringLiteral("dtTimeTo_Time"));
    QCOMPARE(t.bytes.size(), 10);
    QCOMPARE(encodings::timeOfDays(*encodings::decodeExtended(t.bytes)), QTime(23, 59, 59, 999));
    const RegValue d = *reread.value(QStringLiteral("fTarnwick"), QStringLiteral("dtDateFrom_Date"));
    QCOMPARE(*encodings::decodeExtended(d.bytes), 40228.0);
}

void TestFormStorage::firstRunDefaultsAndSave()
{
    QWidget form;
    form.setObjectName(QStringLiteral("fTarnwick"));
    FormStorage storage(m_store.get(), QStringLiteral("fTarnwick\\"), &form, true);
    storedvalues::declare(storage);
    bool handlerRan = false;
    storage.setAfterRestore([&] { handlerRan = true; });
    storage.restore();
    QVERIFY(handlerRan);
    QVERIFY(form.windowState() & Qt::WindowMaximized);
    QCOMPARE(storage.readValue(QStringLiteral("MaxListItems")), QVariant(300));
    QCOMPARE(storage.readValue(QStringLiteral("LocalIPPort")), QVariant(1972));
    QCOMPARE(storage.readValue(QStringLiteral("chkAlertAlarm")), QVariant(false));
    QCOMPARE(storage.readValue(QStringLiteral("edtSoundFileAlarm")), QVariant(QString()));
    QVERIFY(storage.readValue(QStringLiteral("NoSuchValue")).isNull());
    storage.writeValue(QStringLiteral("newvalue"), 5);
    QCOMPARE(storage.readValue(QStringLiteral("NEWVALUE")), QVariant(5));
    storage.save();

    RegistryStore reread(m_store->filePath());
    QCOMPARE(reread.load(), RegistryStore::LoadResult::Loaded);
    const QStringList names = reread.valueNames(QStringLiteral("fTarnwick"));
    for (const QString &n : {QStringLiteral("FormVersion"), QStringLiteral("ShowCmd"), QStringLiteral("Flags"),
                             QStringLiteral("PixelsPerInch"), QStringLiteral("MinMaxPos"), QStringLiteral("NormPos")})
        QVERIFY2(names.contains(n), qPrintable(n));
    for (const QString &n : storage.valueNames())
        QVERIFY2(names.contains(n), qPrintable(n));
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("ShowCmd"))->dword, 3u);
    QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("chkAlertUnknown"))->text, QStringLiteral("FALSE"));
}

void TestFormStorage::negativeFormVersionSkipsRestore()
{
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("FormVersion"), RegValue::number(quint32(-1)));
    m_store->setValue(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems"), RegValue::number(50));
    FormStorage storage(m_store.get(), QStringLiteral("fTarnwick\\"), nullptr);
    storedvalues::declare(storage);
    bool handlerRan = false;
    storage.setAfterRestore([&] { handlerRan = true; });
    storage.restore();
    QVERIFY(!handlerRan);
    QVERIFY(!storage.isRestored());
    QCOMPARE(storage.readValue(QStringLiteral("MaxListItems")), QVariant(300));
    // Not restored: a save writes the settings version only.
    storage.save();
    QCOMPARE(m_store->value(QStringLiteral("fTarnwick"), QStringLiteral("FormVersion"))->dword, 0u);
    QCOMPARE(m_store->value(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems"))->dword, 50u);
}

void TestFormStorage::placementRoundTrip()
{
    {
        QWidget form(nullptr, Qt::Tool);
        form.setObjectName(QStringLiteral("fAlert"));
        FormStorage storage(m_store.get(), QStringLiteral("%FORM_NAME%\\"), &form);
        QCOMPARE(storage.storagePath(), QStringLiteral("fAlert"));
        storage.restore();
        QCOMPARE(form.windowState(), Qt::WindowNoState); // not a main window: normal by default
        form.setGeometry(120, 90, 384, 279);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        storage.save();
    }
    QCOMPARE(m_store->value(QStringLiteral("fAlert"), QStringLiteral("NormPos"))->text, QStringLiteral("120,90,504,369"));
    QCOMPARE(m_store->value(QStringLiteral("fAlert"), QStringLiteral("ShowCmd"))->dword, 1u);

    RegistryStore reread(m_store->filePath());
    reread.load();
    QWidget again(nullptr, Qt::Tool);
    again.setObjectName(QStringLiteral("fAlert"));
    FormStorage storage(&reread, QStringLiteral("%FORM_NAME%\\"), &again);
    storage.restore();
    QCOMPARE(again.geometry(), QRect(120, 90, 384, 279));

    // A stored placement from a screen of another resolution is not applied.
    reread.setValue(QStringLiteral("fAlert"), QStringLiteral("PixelsPerInch"), RegValue::number(144));
    reread.setValue(QStringLiteral("fAlert"), QStringLiteral("NormPos"), RegValue::string(QStringLiteral("1,2,300,400")));
    QWidget third(nullptr, Qt::Tool);
    third.setObjectName(QStringLiteral("fAlert"));
    third.setGeometry(10, 10, 50, 50);
    FormStorage storage3(&reread, QStringLiteral("%FORM_NAME%\\"), &third);
    storage3.restore();
    QCOMPARE(third.geometry(), QRect(10, 10, 50, 50));
}

void TestFormStorage::readsFromAnotherThread()
{
    FormStorage storage(m_store.get(), QStringLiteral("fTarnwick\\"), nullptr);
    storedvalues::declare(storage);
    std::atomic<bool> stop = false;
    std::atomic<int> bad = 0;
    QThread *reader = QThread::create([&] {
        while (!stop) {
            const int port = storage.readValue(QStringLiteral("LocalIPPort")).toInt();
            if (port != 1972 && port != 15000)
                ++bad;
        }
    });
    reader->start();
    for (int i = 0; i < 20000; ++i) {
        storage.writeValue(QStringLiteral("LocalIPPort"), i % 2 ? 15000 : 1972);
        storage.writeValue(QStringLiteral("DirImages"), QString(i % 50, u'x')); // reallocates the list
    }
    stop = true;
    reader->wait();
    delete reader;
    QCOMPARE(bad.load(), 0);
}

QTEST_MAIN(TestFormStorage)
#include "tst_FormStorage.moc"
