#include "Error.h"
#include "RegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace tarnwick;

class TestRegistryStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsWindowsExport();
    void roundTripKeepsUnknownEntries();
    void namesIgnoreCase();
    void malformedFiles_data();
    void malformedFiles();
    void corruptFileIsSetAside();
    void saveIsPrivateAndAtomic();
    void defaultPathFollowsXdg();
};

static QByteArray utf16Export(const QString &text)
{
    QStringEncoder enc(QStringConverter::Utf16LE);
    QByteArray bytes("\xFF\xFE", 2);
    QString crlf = text;
    crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    bytes += enc(crlf);
    return bytes;
}

void TestRegistryStore::readsWindowsExport()
{
    // What the Windows registry editor writes: UTF-16LE with a BOM, CRLF, wrapped binary values.
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Brennix\\Tarnwick]\n"
        "\"Language\"=\"sr\"\n\n"
        "[HKEY_CURRENT_USER\\Software\\Brennix\\Tarnwick\\fTarnwick]\n"
        "\"MaxListItems\"=dword:000001f4\n"
        "\"DirImages\"=\"D:\\\\Foto\\\\Šabac \\\"ulaz\\\"\"\n"
        "\"dtDateFrom_Date\"=hex:00,00,00,00,00,00,15,b5,0e,\\\n  40\n"
        "\"Odd\"=hex(2):25,00,50,00,00,00\n");
    RegistryStore store;
    store.parse(utf16Export(text));
    QCOMPARE(store.value(QString(), QStringLiteral("Language"))->text, QStringLiteral("sr"));
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems"))->dword, 500u);
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("DirImages"))->text,
             QStringLiteral("D:\\Foto\\Šabac \"ulaz\""));
    const RegValue bin = *store.value(QStringLiteral("fTarnwick"), QStringLiteral("dtDateFrom_Date"));
    QVERIFY(bin.isBinary());
    QCOMPARE(bin.bytes, QByteArray::fromHex("0000000000 0015b50e40"));
    const RegValue odd = *store.value(QStringLiteral("fTarnwick"), QStringLiteral("Odd"));
    QCOMPARE(odd.type, RegValue::Type::Raw);
    QCOMPARE(odd.rawType, 2);
}

void TestRegistryStore::roundTripKeepsUnknownEntries()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tarnwick.reg"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n\n"
            "[HKEY_CURRENT_USER\\Software\\Brennix\\Tarnwick\\Grids\\GridEvents\\vwRep]\n"
            "\"Width\"=dword:00000080\n\"Multi\"=hex(7):41,00,00,00,00,00\n@=\"default\"\n");
    f.close();

    RegistryStore store(path);
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    store.setValue(QStringLiteral("fTarnwick"), QStringLiteral("Blob"), RegValue::binary(QByteArray(40, '\x7f')));
    store.save();

    RegistryStore again(path);
    QCOMPARE(again.load(), RegistryStore::LoadResult::Loaded);
    QCOMPARE(again.serialize(), store.serialize());
    QVERIFY(QString::fromUtf8(again.serialize()).startsWith(QStringLiteral("Windows Registry Editor Version 5.00")));
    QCOMPARE(again.value(QStringLiteral("Grids\\GridEvents\\vwRep"), QStringLiteral("Multi"))->rawType, 7);
    QCOMPARE(again.value(QStringLiteral("Grids\\GridEvents\\vwRep"), QString())->text, QStringLiteral("default"));
    QCOMPARE(again.value(QStringLiteral("fTarnwick"), QStringLiteral("Blob"))->bytes, QByteArray(40, '\x7f'));
    QVERIFY(QString::fromUtf8(again.serialize()).contains(QStringLiteral("[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"")));
    QCOMPARE(again.subKeys(QStringLiteral("Grids")), QStringList{QStringLiteral("GridEvents")});
}

void TestRegistryStore::namesIgnoreCase()
{
    RegistryStore store;
    store.setValue(QStringLiteral("fTarnwick\\\\"), QStringLiteral("MaxListItems"), RegValue::number(10));
    store.setValue(QStringLiteral("FTARNWICK"), QStringLiteral("maxlistitems"), RegValue::number(20));
    QCOMPARE(store.valueNames(QStringLiteral("ftarnwick")), QStringList{QStringLiteral("MaxListItems")});
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("MAXLISTITEMS"))->dword, 20u);
    QCOMPARE(RegistryStore::splitPath(QStringLiteral("fTarnwick\\\\MaxListItems")),
             std::make_pair(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems")));
    store.removeKey(QStringLiteral("FTarnwick"));
    QVERIFY(!store.hasKey(QStringLiteral("fTarnwick")));
}

void TestRegistryStore::malformedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no header") << QByteArray("[HKEY_CURRENT_USER\\x]\n\"a\"=\"b\"\n");
    QTest::newRow("value outside a key") << QByteArray("REGEDIT4\n\"a\"=\"b\"\n");
    QTest::newRow("bad dword") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=dword:xyz\n");
    QTest::newRow("open quote") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=\"b\n");
    QTest::newRow("bad hex") << QByteArray("REGEDIT4\n[HKEY_CURRENT_USER\\x]\n\"a\"=hex:0g\n");
    QTest::newRow("binary garbage") << QByteArray("\x00\x01\x02\xff garbage", 12);
    QTest::newRow("empty") << QByteArray();
}

void TestRegistryStore::malformedFiles()
{
    QFETCH(QByteArray, content);
    RegistryStore store;
    QVERIFY_THROWS_EXCEPTION(Error, store.parse(content));
}

void TestRegistryStore::corruptFileIsSetAside()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tarnwick.reg"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("this is not a registry file");
    f.close();

    RegistryStore store(path);
    QCOMPARE(store.load(), RegistryStore::LoadResult::Corrupt);
    QVERIFY(!store.loadError().isEmpty());
    QVERIFY(!store.hasKey(QString()));
    const QString aside = store.setAsideCorruptFile();
    QVERIFY(aside.startsWith(path + QStringLiteral(".bad-")));
    QVERIFY(!QFile::exists(path));
    QFile kept(aside);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("this is not a registry file"));
}

void TestRegistryStore::saveIsPrivateAndAtomic()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sub/Tarnwick.reg"));
    RegistryStore store(path);
    QCOMPARE(store.load(), RegistryStore::LoadResult::Missing);
    store.setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"),
                   RegValue::string(QStringLiteral("Provider=SQLOLEDB.1;Password=secret")));
    ::umask(022);
    store.save();
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    // Nothing is left beside the file.
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{QStringLiteral("Tarnwick.reg")});

    // A folder that cannot be written: the old file stays whole and the error says where.
    QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    store.setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"), RegValue::string(QStringLiteral("x")));
    if (::geteuid() != 0) {
        QVERIFY_THROWS_EXCEPTION(Error, store.save());
        RegistryStore reread(path);
        QCOMPARE(reread.load(), RegistryStore::LoadResult::Loaded);
        QCOMPARE(reread.value(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"))->text,
                 QStringLiteral("Provider=SQLOLEDB.1;Password=secret"));
    }
    QFile::setPermissions(QFileInfo(path).absolutePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestRegistryStore::defaultPathFollowsXdg()
{
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    QCOMPARE(RegistryStore::defaultPath(), QStringLiteral("/some/where/Brennix/Tarnwick.reg"));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(RegistryStore::defaultPath(), QDir::homePath() + QStringLiteral("/.config/Brennix/Tarnwick.reg"));
    qputenv("XDG_CONFIG_HOME", old);
}

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_RegistryStore.moc"
