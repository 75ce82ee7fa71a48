// The application object's share of error handling and of the regional formats. Needs its own
// main(): the application under test is the program's own application class.
#include "MessageBoxes.h"
#include "Startup.h"
#include "TarnwickApplication.h"
#include "Trace.h"

#include <QLocale>
#include <QtTest>

using namespace tarnwick;

namespace {

// An object whose event handler fails, as a handler does when the database has gone away.
class Failing : public QObject
{
public:
    int handled = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User) {
            ++handled;
            throw std::runtime_error("Veza sa bazom je prekinuta");
        }
        return QObject::event(e);
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uncaughtErrorsShowOneBoxAtATime();
    void regionalFormatsSurviveLang();
};

void TestApplication::uncaughtErrorsShowOneBoxAtATime()
{
    Failing failing;
    QStringList boxes, status, traces;
    setTraceListener([&](const QString &line) { traces << line; });
    MessageBoxes::setStatusLine([&](const QString &text) { status << text; });
    MessageBoxes::setInterceptor([&](const QString &caption, const QString &text, int icon) {
        boxes << QStringLiteral("%1|%2|%3").arg(caption, text).arg(icon);
        // While the operator reads the box, more handlers fail.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QVERIFY(MessageBoxes::generalErrorOpen());
    });
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(failing.handled, 4);
    QCOMPARE(boxes, QStringList{QStringLiteral("Tarnwick|Veza sa bazom je prekinuta|16")});
    QCOMPARE(status.size(), 3);
    QCOMPARE(status.first(), QStringLiteral("Veza sa bazom je prekinuta"));
    QCOMPARE(traces.filter(QStringLiteral("Veza sa bazom je prekinuta")).size(), 4);
    QVERIFY(!MessageBoxes::generalErrorOpen());

    // The program goes on: the next failure gets its box again.
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(boxes.size(), 5 - 3);
    MessageBoxes::setInterceptor({});
    MessageBoxes::setStatusLine({});
    setTraceListener({});
}

void TestApplication::regionalFormatsSurviveLang()
{
    qunsetenv("LC_ALL");
    qunsetenv("LC_TIME");
    qunsetenv("LC_NUMERIC");
    qputenv("LANG", "de_DE.UTF-8");
    const QString regional = pinRegionalFormats();
    QCOMPARE(regional, QStringLiteral("de_DE.UTF-8"));
    QCOMPARE(qgetenv("LC_TIME"), QByteArray("de_DE.UTF-8"));
    QCOMPARE(qgetenv("LC_NUMERIC"), QByteArray("de_DE.UTF-8"));
    qputenv("LANG", "sr"); // what the program sets for its translation
    QCOMPARE(QLocale(regional).dateFormat(QLocale::ShortFormat), QLocale(QLocale::German, QLocale::Germany).dateFormat(QLocale::ShortFormat));

    // An explicit LC_TIME is the user's choice and stays.
    qputenv("LC_TIME", "fr_FR.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    QCOMPARE(pinRegionalFormats(), QStringLiteral("fr_FR.UTF-8"));
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TarnwickApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Application.moc"
