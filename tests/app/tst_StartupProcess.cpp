// The start-up rules need real processes: one instance per user, settings saved when the session
// ends with a signal, untouched when the process is killed.
#include "RegistryStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tarnwick;

class TestStartupProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstRunWritesDefaultsOnTerm();
    void secondInstanceExitsSilently();
    void signalsSaveKillDoesNot_data();
    void signalsSaveKillDoesNot();
    void corruptStoreIsKeptAside();

private:
    QString storePath() const { return m_home->filePath(QStringLiteral("config/Brennix/Tarnwick.reg")); }
    void writeStore(const QByteArray &content);
    std::unique_ptr<QProcess> start();
    static bool waitForTrace(QProcess &p, const QString &line, int ms = 20000);
    void prepareDatabase(RegistryStore &store);

    std::unique_ptr<QTemporaryDir> m_home;
    QList<QProcess *> m_running;
};

void TestStartupProcess::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QDir(m_home->path()).mkpath(QStringLiteral("config/Brennix"));
    QDir(m_home->path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(m_home->filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestStartupProcess::cleanup()
{
    for (QProcess *p : m_running) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    qDeleteAll(m_running);
    m_running.clear();
}

void TestStartupProcess::writeStore(const QByteArray &content)
{
    QFile f(storePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void TestStartupProcess::prepareDatabase(RegistryStore &store)
{
    // An existing embedded database, so that start-up opens it without asking.
    const QString db = m_home->filePath(QStringLiteral("empty.db"));
    QFile f(db);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    store.setValue(QStringLiteral("fTarnwick"), QStringLiteral("ConnectionString"),
                   RegValue::string(QStringLiteral("Provider=SQLite;Data Source=") + db));
}

std::unique_ptr<QProcess> TestStartupProcess::start()
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home->filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("HOME"), m_home->path());
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->start(qEnvironmentVariable("TARNWICK_BINARY_DIR") + QStringLiteral("/app/tarnwick"), {});
    return p;
}

bool TestStartupProcess::waitForTrace(QProcess &p, const QString &line, int ms)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray seen;
    while (timer.elapsed() < ms && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(200);
        seen += p.readAll();
        if (QString::fromUtf8(seen).contains(line))
            return true;
    }
    qWarning().noquote() << "output so far:" << seen;
    return false;
}

void TestStartupProcess::firstRunWritesDefaultsOnTerm()
{
    auto p = start();
    QVERIFY(p->waitForStarted());
    QVERIFY(waitForTrace(*p, QStringLiteral("Glavni prozor prikazan")));
    ::kill(pid_t(p->processId()), SIGTERM);
    QVERIFY(p->waitForFinished(15000));
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 0);

    RegistryStore store(storePath());
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    QCOMPARE(store.value(QString(), QStringLiteral("Language"))->text, QStringLiteral("en"));
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems"))->dword, 300u);
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("ShowCmd"))->dword, 3u);
    QVERIFY(store.value(QStringLiteral("fTarnwick"), QStringLiteral("dtDateFrom_Date"))->isBinary());
}

void TestStartupProcess::secondInstanceExitsSilently()
{
    RegistryStore seed(storePath());
    prepareDatabase(seed);
    seed.setValue(QString(), QStringLiteral("Language"), RegValue::string(QStringLiteral("sr")));
    seed.save();

    auto first = start();
    QVERIFY(first->waitForStarted());
    QVERIFY(waitForTrace(*first, QStringLiteral("Glavni prozor prikazan")));
    QFile f(storePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    const QDateTime mtime = QFileInfo(storePath()).lastModified();

    QElapsedTimer timer;
    timer.start();
    auto second = start();
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY2(timer.elapsed() < 5000, "a second instance must end at once");
    QCOMPARE(second->readAll().contains("Glavni prozor prikazan"), false);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(QFileInfo(storePath()).lastModified(), mtime);
    QCOMPARE(first->state(), QProcess::Running); // the first instance is not disturbed
    ::kill(pid_t(first->processId()), SIGTERM);
    QVERIFY(first->waitForFinished(15000));
    RegistryStore after(storePath());
    after.load();
    QCOMPARE(after.value(QString(), QStringLiteral("Language"))->text, QStringLiteral("sr"));
}

void TestStartupProcess::signalsSaveKillDoesNot_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("saves");
    QTest::newRow("SIGTERM") << int(SIGTERM) << true;
    QTest::newRow("SIGINT") << int(SIGINT) << true;
    QTest::newRow("SIGHUP") << int(SIGHUP) << true;
    QTest::newRow("SIGKILL") << int(SIGKILL) << false;
}

void TestStartupProcess::signalsSaveKillDoesNot()
{
    QFETCH(int, signal);
    QFETCH(bool, saves);
    RegistryStore seed(storePath());
    prepareDatabase(seed);
    // A value in the old, wrong kind: any save rewrites it as a number.
    seed.setValue(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems"), RegValue::string(QStringLiteral("500")));
    seed.save();
    QFile f(storePath());
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    auto p = start();
    QVERIFY(p->waitForStarted());
    QVERIFY(waitForTrace(*p, QStringLiteral("Glavni prozor prikazan")));
    ::kill(pid_t(p->processId()), signal);
    QVERIFY(p->waitForFinished(15000));

    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    if (!saves) {
        QCOMPARE(after, before);
        return;
    }
    QCOMPARE(p->exitCode(), 0);
    RegistryStore store(storePath());
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    QCOMPARE(*store.value(QStringLiteral("fTarnwick"), QStringLiteral("MaxListItems")), RegValue::number(300));
    QVERIFY(store.value(QStringLiteral("fTarnwick"), QStringLiteral("NormPos")).has_value());
}

void TestStartupProcess::corruptStoreIsKeptAside()
{
    writeStore("\x01\x02 this is no registry export");
    auto p = start();
    QVERIFY(p->waitForStarted());
    QVERIFY(waitForTrace(*p, QStringLiteral("Glavni prozor prikazan")));
    const QStringList aside = QDir(QFileInfo(storePath()).absolutePath())
                                  .entryList({QStringLiteral("Tarnwick.reg.bad-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QFile kept(QFileInfo(storePath()).absolutePath() + u'/' + aside.first());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("\x01\x02 this is no registry export"));
    // The notice is modal; the end of the session closes it along with the window.
    ::kill(pid_t(p->processId()), SIGTERM);
    QVERIFY(p->waitForFinished(15000));
    RegistryStore store(storePath());
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    QCOMPARE(store.value(QStringLiteral("fTarnwick"), QStringLiteral("LocalIPPort"))->dword, 1972u);
}

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "tst_StartupProcess.moc"
