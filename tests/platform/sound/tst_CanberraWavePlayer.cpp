#include "CanberraWavePlayer.h"

#include <QDataStream>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace tarnwick;

Q_DECLARE_METATYPE(tarnwick::CanberraWavePlayer::Source)

namespace {

// A mono 16-bit PCM WAV file with a short tone.
bool writeWav(const QString &path, int milliseconds)
{
    const quint32 rate = 8000;
    const quint32 frames = rate * quint32(milliseconds) / 1000;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&f);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = frames * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << quint32(rate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (quint32 i = 0; i < frames; ++i)
        out << qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
    return out.status() == QDataStream::Ok;
}

} // namespace

class TestCanberraWavePlayer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void playsAndFinishes_data();
    void playsAndFinishes();
    void emptyNamePlaysNothing();
    void twoSoundsInARow();

private:
    QTemporaryDir m_dir;
    QString m_wav;
};

void TestCanberraWavePlayer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // libcanberra's ALSA backend opens the PCM "default" (no device name is set); here it is the
    // null device, which takes every sample and needs no sound card. The configuration has to be
    // in place before the first ALSA call of the process.
    const QString conf = m_dir.filePath(QStringLiteral("asound.conf"));
    QFile c(conf);
    QVERIFY(c.open(QIODevice::WriteOnly));
    c.write("pcm.!default {\n  type null\n}\n");
    c.close();
    qputenv("ALSA_CONFIG_PATH", QFile::encodeName(conf));
    qputenv("CANBERRA_DRIVER", "alsa");

    m_wav = m_dir.filePath(QStringLiteral("tone.wav"));
    QVERIFY(writeWav(m_wav, 300));
}

void TestCanberraWavePlayer::playsAndFinishes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<CanberraWavePlayer::Source>("source");

    const QString notWav = m_dir.filePath(QStringLiteral("notes.wav"));
    QFile f(notWav);
    if (f.open(QIODevice::WriteOnly))
        f.write("this is not a sound\n");

    QTest::newRow("WAV file") << m_wav << CanberraWavePlayer::Source::File;
    QTest::newRow("missing file gives the default sound")
        << m_dir.filePath(QStringLiteral("missing.wav"))
        << CanberraWavePlayer::Source::DefaultSound;
    QTest::newRow("unplayable file gives the default sound")
        << notWav << CanberraWavePlayer::Source::DefaultSound;
    QTest::newRow("folder gives the default sound")
        << m_dir.path() << CanberraWavePlayer::Source::DefaultSound;
}

void TestCanberraWavePlayer::playsAndFinishes()
{
    QFETCH(QString, file);
    QFETCH(CanberraWavePlayer::Source, source);

    CanberraWavePlayer player;
    QSignalSpy finished(&player, &CanberraWavePlayer::finished);
    player.play(file);
    QCOMPARE(player.lastSource(), source);
    QCOMPARE(player.lastResult(), 0);
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).value<quint32>(), player.lastSoundId());
    QCOMPARE(finished.at(0).at(1).toInt(), 0); // played out
}

void TestCanberraWavePlayer::emptyNamePlaysNothing()
{
    CanberraWavePlayer player;
    QSignalSpy finished(&player, &CanberraWavePlayer::finished);
    player.play(QString());
    QCOMPARE(player.lastSource(), CanberraWavePlayer::Source::Nothing);
    QCOMPARE(player.lastSoundId(), 0u);
    QVERIFY(!finished.wait(300));
}

void TestCanberraWavePlayer::twoSoundsInARow()
{
    CanberraWavePlayer player;
    QSignalSpy finished(&player, &CanberraWavePlayer::finished);
    player.play(m_wav);
    const quint32 first = player.lastSoundId();
    player.play(m_wav);
    const quint32 second = player.lastSoundId();
    QVERIFY(second != first);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 5000);
    // Each sound reports its end once. The null device plays instantly, so the first may have
    // played out (0) before the second cancelled it (-11); the second always plays out.
    QHash<quint32, int> codes;
    for (const QList<QVariant> &args : finished)
        codes.insert(args.at(0).value<quint32>(), args.at(1).toInt());
    QVERIFY(codes.contains(first) && codes.contains(second));
    QVERIFY2(codes[first] == 0 || codes[first] == -11, qPrintable(QString::number(codes[first])));
    QCOMPARE(codes[second], 0);
}

QTEST_GUILESS_MAIN(TestCanberraWavePlayer)
#include "tst_CanberraWavePlayer.moc"
