#include "TextDateTimeFormat.h"
#include "EventClass.h"
#include "EventReaction.h"
#include "FormStorage.h"
#include "MainWindowValues.h"
#include "NonIDEventNames.h"
#include "RegistryStore.h"
#include "WavePlayer.h"
#include "uAlertForm.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnwick;

Q_DECLARE_METATYPE(tarnwick::EventClass)

namespace {

// Stands in for the sound card: remembers every file it was asked to play.
class RecordingPlayer : public WavePlayer
{
public:
    void play(const QString &fileName) override { played << fileName; }
    QStringList played;
};

const QDateTime whenA(QDate(2024, 3, 5), QTime(14, 7, 9));
const QDateTime whenB(QDate(2024, 3, 5), QTime(14, 7, 11));

} // namespace

class TestAlertWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void windowAsDesigned();
    void headerAndTexts_data();
    void headerAndTexts();
    void reaction_data();
    void reaction();
    void settingsReadAtEveryRegistration();
    void twoAlarmsInARow();
    void longTextWrapsWithoutResizing();
    void closeHidesAndNextAlertShows();
    void placementSurvivesRestart();
    void storedMinimisedStateDoesNotHideAlerts();
    void dateFormats_data();
    void dateFormats();

private:
    QString storePath() const { return m_dir->filePath(QStringLiteral("Tarnwick.reg")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegistryStore> m_store;
    std::unique_ptr<FormStorage> m_settings; // the main window's stored values
    std::unique_ptr<TfAlert> m_alert;
    RecordingPlayer m_player;
};

void TestAlertWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<RegistryStore>(storePath());
    m_settings =
        std::make_unique<FormStorage>(m_store.get(), QStringLiteral("fTarnwick\\"), nullptr);
    storedvalues::declare(*m_settings);
    m_alert = std::make_unique<TfAlert>(m_store.get());
    m_player.played.clear();
}

void TestAlertWindow::cleanup()
{
    m_alert.reset();
    m_settings.reset();
    m_store.reset();
    m_dir.reset();
}

void TestAlertWindow::windowAsDesigned()
{
    TfAlert &w = *m_alert;
    QCOMPARE(w.objectName(), QStringLiteral("fAlert"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarnwick obaveštenje"));
    QVERIFY(w.windowFlags().testFlag(Qt::Tool));
    QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!w.isVisible()); // hidden until the first alert
    QCOMPARE(w.size(), QSize(384, 279));
    QCOMPARE(w.storage()->storagePath(), QStringLiteral("fAlert"));

    auto *top = w.findChild<QLabel *>(QStringLiteral("lblTop"));
    auto *client = w.findChild<QLabel *>(QStringLiteral("lblClient"));
    QVERIFY(top && client);
    QCOMPARE(top->maximumHeight(), 31);
    QCOMPARE(top->minimumHeight(), 31);
    QCOMPARE(top->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
    QVERIFY(top->wordWrap());
    QVERIFY(top->font().bold());
    QCOMPARE(top->font().pointSize(), 8);
    QCOMPARE(top->font().family(), QStringLiteral("Tahoma"));

    QCOMPARE(client->alignment(), Qt::AlignCenter);
    QVERIFY(client->wordWrap());
    QVERIFY(client->font().bold());
    QCOMPARE(client->font().pixelSize(), 48);
    QCOMPARE(client->font().family(), QStringLiteral("Arial"));
    QCOMPARE(client->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::red));
    // Arial itself is not installed here; its metric twin stands in.
    QCOMPARE(QFontInfo(client->font()).family(), QStringLiteral("Liberation Sans"));
}

void TestAlertWindow::headerAndTexts_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("header");
    QTest::newRow("unknown person")
        << QStringLiteral("Nepoznata osoba") << QStringLiteral("Nepoznata osoba")
        << QStringLiteral("05.03.2024. 14:07:09 - Nepoznata osoba");
    QTest::newRow("alarm without configured name")
        << QStringLiteral("Alarm otvoren") << QString()
        << QStringLiteral("05.03.2024. 14:07:09 - Alarm otvoren");
}

void TestAlertWindow::headerAndTexts()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, header);
    m_alert->ShowAlert(title, text, whenA);
    QVERIFY(m_alert->isVisible());
    QCOMPARE(m_alert->findChild<QLabel *>(QStringLiteral("lblTop"))->text(), header);
    QCOMPARE(m_alert->findChild<QLabel *>(QStringLiteral("lblClient"))->text(), text);
    QTRY_VERIFY(m_alert->isActiveWindow());
}

void TestAlertWindow::reaction_data()
{
    QTest::addColumn<EventClass>("cls");
    QTest::addColumn<bool>("alertOn");
    QTest::addColumn<QString>("soundFile");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("alertShown");
    QTest::addColumn<QString>("shownHeader");
    QTest::addColumn<QString>("shownText");
    QTest::addColumn<QStringList>("played");

    const QString wav = QStringLiteral("/sounds/alarm.wav");
    const QString header = QStringLiteral("05.03.2024. 14:07:09 - ");
    QTest::newRow("switch on, file empty: alert alone")
        << soundAlertClass(MessageFormat::Reg1, 170) << true << QString()
        << QStringLiteral("Direktna komanda 1") << QStringLiteral("Kapija") << true
        << header + QStringLiteral("Direktna komanda 1") << QStringLiteral("Kapija")
        << QStringList();
    QTest::newRow("switch off, file set: sound alone")
        << soundAlertClass(MessageFormat::Reg2, 174) << false << wav
        << QStringLiteral("Alarm otvoren") << QStringLiteral("Magacin") << false << QString()
        << QString() << QStringList{wav};
    QTest::newRow("REG2 174 alarm and sound")
        << soundAlertClass(MessageFormat::Reg2, 174) << true << wav
        << QStringLiteral("Alarm otvoren") << QStringLiteral("Magacin") << true
        << header + QStringLiteral("Alarm otvoren") << QStringLiteral("Magacin")
        << QStringList{wav};
    QTest::newRow("unknown person: its own title and text")
        << identificationClass(MessageFormat::Reg1, QString()) << true << wav << QString()
        << QString() << true << header + QStringLiteral("Nepoznata osoba")
        << QStringLiteral("Nepoznata osoba") << QStringList{wav};
    QTest::newRow("known person: nothing")
        << identificationClass(MessageFormat::Reg2, QStringLiteral("0042")) << true << wav
        << QString() << QString() << false << QString() << QString() << QStringList();
    QTest::newRow("REG1 167 random event: nothing")
        << soundAlertClass(MessageFormat::Reg1, 167) << true << wav
        << QStringLiteral("Slučajan događaj 2") << QString() << false << QString() << QString()
        << QStringList();
}

void TestAlertWindow::reaction()
{
    QFETCH(EventClass, cls);
    QFETCH(bool, alertOn);
    QFETCH(QString, soundFile);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(bool, alertShown);
    QFETCH(QString, shownHeader);
    QFETCH(QString, shownText);
    QFETCH(QStringList, played);

    // Every class is switched on the same way, so that a row of class None proves that nothing
    // reacts to it whatever the settings say.
    for (int i = 0; i < eventClassCount - 1; ++i) {
        m_settings->writeValue(alertSwitchName(EventClass(i)), alertOn);
        m_settings->writeValue(soundFileName(EventClass(i)), soundFile);
    }

    reactToClass(cls, title, text, whenA, *m_settings, m_player, *m_alert);

    QCOMPARE(m_alert->isVisible(), alertShown);
    if (alertShown) {
        QCOMPARE(m_alert->lblTop()->text(), shownHeader);
        QCOMPARE(m_alert->lblClient()->text(), shownText);
    }
    QCOMPARE(m_player.played, played);
}

void TestAlertWindow::settingsReadAtEveryRegistration()
{
    const QString sound = soundFileName(EventClass::Sensor);
    m_settings->writeValue(alertSwitchName(EventClass::Sensor), true);
    m_settings->writeValue(sound, QStringLiteral("/a.wav"));
    reactToClass(EventClass::Sensor, QStringLiteral("Senzor1 otvoren"), QString(), whenA,
                 *m_settings, m_player, *m_alert);
    QVERIFY(m_alert->isVisible());
    m_alert->hide();

    // Changed between two registrations, as the settings dialog does.
    m_settings->writeValue(alertSwitchName(EventClass::Sensor), false);
    m_settings->writeValue(sound, QStringLiteral("/b.wav"));
    reactToClass(EventClass::Sensor, QStringLiteral("Senzor1 zatvoren"), QString(), whenB,
                 *m_settings, m_player, *m_alert);
    QVERIFY(!m_alert->isVisible());
    QCOMPARE(m_player.played, (QStringList{QStringLiteral("/a.wav"), QStringLiteral("/b.wav")}));
}

void TestAlertWindow::twoAlarmsInARow()
{
    m_settings->writeValue(QStringLiteral("chkAlertAlarm"), true);
    m_settings->writeValue(QStringLiteral("edtSoundFileAlarm"),
                           QStringLiteral("/sounds/alarm.wav"));

    reactToClass(soundAlertClass(MessageFormat::Reg2, 174),
                 nonIdEventName(MessageFormat::Reg2, 174), QStringLiteral("Ulaz sever"), whenA,
                 *m_settings, m_player, *m_alert);
    m_settings->writeValue(QStringLiteral("edtSoundFileAlarm"),
                           QStringLiteral("/sounds/alarm2.wav"));
    reactToClass(soundAlertClass(MessageFormat::Reg2, 175),
                 nonIdEventName(MessageFormat::Reg2, 175), QStringLiteral("Ulaz jug"), whenB,
                 *m_settings, m_player, *m_alert);

    QCOMPARE(m_alert->lblTop()->text(), QStringLiteral("05.03.2024. 14:07:11 - Alarm zatvoren"));
    QCOMPARE(m_alert->lblClient()->text(), QStringLiteral("Ulaz jug"));
    QCOMPARE(m_player.played.size(), 2);
    QCOMPARE(m_player.played.last(), QStringLiteral("/sounds/alarm2.wav"));
    QTRY_VERIFY(m_alert->isActiveWindow());

    // Still the one alert window.
    int alertWindows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        alertWindows += w->objectName() == QStringLiteral("fAlert") && w->isVisible();
    QCOMPARE(alertWindows, 1);
}

void TestAlertWindow::longTextWrapsWithoutResizing()
{
    m_alert->ShowAlert(QStringLiteral("Alarm otvoren"), QStringLiteral("x"), whenA);
    const QSize before = m_alert->size();
    const QString longText = QStringLiteral("Protivpožarna vrata u podrumu zgrade B su otvorena");
    m_alert->ShowAlert(QStringLiteral("Alarm otvoren ") + QString(200, u'y'), longText, whenA);
    QCoreApplication::processEvents();
    QCOMPARE(m_alert->size(), before);
    QCOMPARE(m_alert->lblClient()->text(), longText);
    const QFontMetrics fm(m_alert->lblClient()->font());
    QVERIFY(fm.horizontalAdvance(longText) > m_alert->lblClient()->width()); // it has to wrap
    QVERIFY(m_alert->lblClient()->wordWrap());
}

void TestAlertWindow::closeHidesAndNextAlertShows()
{
    m_alert->ShowAlert(QStringLiteral("Alarm otvoren"), QStringLiteral("A"), whenA);
    QVERIFY(m_alert->close());
    QVERIFY(!m_alert->isVisible());
    // Closing wrote the placement to the settings file.
    RegistryStore fromFile(storePath());
    QCOMPARE(fromFile.load(), RegistryStore::LoadResult::Loaded);
    QVERIFY(fromFile.value(QStringLiteral("fAlert"), QStringLiteral("NormPos")).has_value());

    m_alert->ShowAlert(QStringLiteral("Alarm zatvoren"), QStringLiteral("B"), whenB);
    QVERIFY(m_alert->isVisible());
    QCOMPARE(m_alert->lblClient()->text(), QStringLiteral("B"));
}

void TestAlertWindow::placementSurvivesRestart()
{
    const QRect placed(140, 90, 520, 330);
    m_alert->ShowAlert(QStringLiteral("Alarm otvoren"), QString(), whenA);
    m_alert->setGeometry(placed);
    QTRY_COMPARE(m_alert->geometry(), placed);
    QVERIFY(m_alert->close());
    m_alert.reset();
    m_settings.reset();
    m_store.reset();

    // The next run: a new store read from the file, a new window.
    RegistryStore store(storePath());
    QCOMPARE(store.load(), RegistryStore::LoadResult::Loaded);
    TfAlert again(&store);
    QCOMPARE(again.size(), QSize(384, 279)); // nothing is restored before the first showing
    again.ShowAlert(QStringLiteral("Nepoznata osoba"), QStringLiteral("Nepoznata osoba"), whenB);
    QCOMPARE(again.geometry(), placed);
    QCOMPARE(again.windowState(), Qt::WindowNoState);
}

void TestAlertWindow::storedMinimisedStateDoesNotHideAlerts()
{
    m_store->setValue(QStringLiteral("fAlert"), QStringLiteral("FormVersion"), RegValue::number(0));
    m_store->setValue(QStringLiteral("fAlert"), QStringLiteral("ShowCmd"), RegValue::number(2));
    m_alert->ShowAlert(QStringLiteral("Alarm otvoren"), QStringLiteral("A"), whenA);
    QVERIFY(m_alert->storage()->isRestored());
    QVERIFY(m_alert->isVisible());
    QVERIFY(!m_alert->isMinimized());
}

void TestAlertWindow::dateFormats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("alert header") << QStringLiteral("dd.mm.yyyy. hh:nn:ss")
                                  << QStringLiteral("05.03.2024. 14:07:09");
    QTest::newRow("unpadded") << QStringLiteral("d.m.yy h:n:s") << QStringLiteral("5.3.24 14:7:9");
    QTest::newRow("m after h is minutes") << QStringLiteral("hh:mm") << QStringLiteral("14:07");
    QTest::newRow("twelve-hour") << QStringLiteral("mm/dd/yyyy hh:nn AM/PM")
                                 << QStringLiteral("03/05/2024 02:07 PM");
    QTest::newRow("quoted text") << QStringLiteral("'dan' d, \"sat\" h")
                                 << QStringLiteral("dan 5, sat 14");
    QTest::newRow("upper case letters")
        << QStringLiteral("DD.MM.YYYY") << QStringLiteral("05.03.2024");
}

void TestAlertWindow::dateFormats()
{
    QFETCH(QString, format);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(formatTextDateTime(whenA, format), expected);
}

QTEST_MAIN(TestAlertWindow)
#include "tst_AlertWindow.moc"
