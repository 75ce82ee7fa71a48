#include "Error.h"
#include "Jpeg.h"

#include <QPainter>
#include <QtTest>

using namespace tarnwick;

class TestJpeg : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTripKeepsThePicture();
    void qualityTradesSizeForFidelity();
    void transparencyIsLaidOverWhite();
    void notAPicture_data();
    void notAPicture();
    void damagedButDecodable_data();
    void damagedButDecodable();
    void encodeRefusesBadInput_data();
    void encodeRefusesBadInput();
};

// Four flat quadrants: flat areas survive JPEG almost exactly, so colours can be checked.
static QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(200, 30, 30));
    painter.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(30, 160, 40));
    painter.fillRect(0, height / 2, width / 2, height - height / 2, QColor(20, 40, 210));
    painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2,
                     QColor(240, 240, 240));
    return image;
}

static int colourDistance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

void TestJpeg::roundTripKeepsThePicture()
{
    const QImage original = quadrants(97, 61); // odd sizes: partial MCUs at the edges
    const QByteArray bytes = encodeJpeg(original, 90);
    QVERIFY(bytes.startsWith("\xFF\xD8"));
    QVERIFY(bytes.endsWith("\xFF\xD9"));

    const QImage decoded = decodeJpeg(bytes);
    QVERIFY(!decoded.isNull());
    QCOMPARE(decoded.size(), original.size());
    // The centre of each quadrant keeps its colour.
    const QList<QPoint> centres{{24, 15}, {72, 15}, {24, 45}, {72, 45}};
    for (const QPoint &p : centres)
        QVERIFY2(colourDistance(decoded.pixel(p), original.pixel(p)) <= 12,
                 qPrintable(QStringLiteral("at %1,%2").arg(p.x()).arg(p.y())));
}

void TestJpeg::qualityTradesSizeForFidelity()
{
    // A gradient has detail that low quality throws away.
    QImage image(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 2, (x * y) % 256));
    const QByteArray low = encodeJpeg(image, 10);
    const QByteArray high = encodeJpeg(image, 95);
    QVERIFY2(low.size() < high.size() / 2,
             qPrintable(QStringLiteral("%1 vs %2").arg(low.size()).arg(high.size())));

    auto error = [&](const QByteArray &bytes) {
        const QImage decoded = decodeJpeg(bytes);
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sum += colourDistance(decoded.pixel(x, y), image.pixel(x, y));
        return sum;
    };
    QVERIFY(error(high) < error(low));
}

void TestJpeg::transparencyIsLaidOverWhite()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const QImage decoded = decodeJpeg(encodeJpeg(image, 90));
    QVERIFY(colourDistance(decoded.pixel(8, 8), qRgb(255, 255, 255)) <= 6);
}

void TestJpeg::notAPicture_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = encodeJpeg(quadrants(64, 48), 85);

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("this is not a picture, only some text bytes");
    QTest::newRow("png signature") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    QTest::newRow("marker only") << QByteArray("\xFF\xD8", 2);
    QTest::newRow("marker then garbage") << QByteArray("\xFF\xD8\xFF\xE0garbage-garbage-garbage");
    QTest::newRow("cut inside the header") << good.left(100);
    // Header complete, but cut before the pixel data starts (start-of-scan, FF DA).
    const qsizetype sos = good.indexOf(QByteArray("\xFF\xDA", 2));
    QVERIFY(sos > 100);
    QTest::newRow("cut before the pixel data") << good.left(sos);
    // Stray bytes before the start-of-scan (a warning) and then a scan that names Huffman tables
    // the file never defines (fatal): TurboJPEG reports the warning as the error code here.
    QByteArray undefinedTables = good;
    undefinedTables[sos + 6] = char(0x33);
    undefinedTables.insert(sos, QByteArray("\x01\x02\x03", 3));
    QTest::newRow("warning then fatal error") << undefinedTables;
    QByteArray huge = good;
    // The frame header (SOF0, FF C0) holds height and width as big-endian 16-bit numbers after
    // its length and precision; claim 65000 by 65000 pixels.
    const qsizetype sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    QVERIFY(sof > 0);
    huge[sof + 5] = char(0xFD);
    huge[sof + 6] = char(0xE8);
    huge[sof + 7] = char(0xFD);
    huge[sof + 8] = char(0xE8);
    QTest::newRow("more pixels than the limit") << huge;
}

void TestJpeg::notAPicture()
{
    QFETCH(QByteArray, data);
    QVERIFY(decodeJpeg(data).isNull());
}

void TestJpeg::damagedButDecodable_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray good = encodeJpeg(quadrants(64, 64), 85);
    const qsizetype sos = good.indexOf(QByteArray("\xFF\xDA", 2));
    QVERIFY(sos > 0);
    QTest::newRow("cut half way into the pixel data") << good.left(sos + (good.size() - sos) / 2);
    QByteArray stray = good;
    stray.insert(sos, QByteArray("\x01\x02\x03", 3));
    QTest::newRow("stray bytes before the scan") << stray;
}

void TestJpeg::damagedButDecodable()
{
    // What viewers show: the picture, with whatever could not be read grey.
    QFETCH(QByteArray, data);
    const QImage original = quadrants(64, 64);
    const QImage decoded = decodeJpeg(data);
    QVERIFY(!decoded.isNull());
    QCOMPARE(decoded.size(), original.size());
    QVERIFY(colourDistance(decoded.pixel(16, 4), original.pixel(16, 4)) <= 12);
}

void TestJpeg::encodeRefusesBadInput_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("quality");
    QTest::addColumn<QString>("message");
    QTest::newRow("null image") << QImage() << 80
                                << QStringLiteral("Cannot write an empty picture as JPEG");
    QTest::newRow("quality 0") << quadrants(8, 8) << 0
                               << QStringLiteral("JPEG quality 0 is outside 1..100");
    QTest::newRow("quality 101") << quadrants(8, 8) << 101
                                 << QStringLiteral("JPEG quality 101 is outside 1..100");
}

void TestJpeg::encodeRefusesBadInput()
{
    QFETCH(QImage, image);
    QFETCH(int, quality);
    QFETCH(QString, message);
    try {
        encodeJpeg(image, quality);
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.message(), message);
    }
}

QTEST_GUILESS_MAIN(TestJpeg)
#include "tst_Jpeg.moc"
