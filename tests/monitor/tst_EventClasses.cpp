#include "Error.h"
#include "EventClass.h"
#include "NonIDEventNames.h"
#include "RowColourRules.h"
#include "Styles.h"

#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QtTest>

using namespace tarnwick;

Q_DECLARE_METATYPE(tarnwick::EventClass)
Q_DECLARE_METATYPE(tarnwick::MessageFormat)

namespace tarnwick {
char *toString(EventClass cls)
{
    return qstrdup(eventClassName(cls).toLatin1().constData());
}
} // namespace tarnwick

namespace {

using C = EventClass;

struct CodeRow
{
    int format; // 1 REG1, 2 REG2
    int code;
    const char *name;
    EventClass sound;
    EventClass liveColour;
    EventClass reportColour;
};

// Every code from 127 to 178 of both formats: the event's name, its sound-and-alert class and the
// colour class of its row in the live list and in the report.
const CodeRow codeRows[] = {
    {1, 127, "", C::None, C::None, C::None},
    {1, 128, "Senzor1 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 129, "Senzor1 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 130, "Senzor2 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 131, "Senzor2 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 132, "Senzor3 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 133, "Senzor3 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 134, "Senzor4 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 135, "Senzor4 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {1, 136, "Egres1 otvoren", C::Egress, C::Egress, C::Egress},
    {1, 137, "Egres1 zatvoren", C::Egress, C::Egress, C::Egress},
    {1, 138, "Egres2 otvoren", C::Egress, C::Egress, C::Egress},
    {1, 139, "Egres2 zatvoren", C::Egress, C::Egress, C::Egress},
    {1, 140, "Egres3 otvoren", C::Egress, C::Egress, C::Egress},
    {1, 141, "Egres3 zatvoren", C::Egress, C::Egress, C::Egress},
    {1, 142, "Egres4 otvoren", C::Egress, C::Egress, C::Egress},
    {1, 143, "Egres4 zatvoren", C::Egress, C::Egress, C::Egress},
    {1, 144, "Nestanak napona 1", C::VoltageFail, C::VoltageFail, C::VoltageFail},
    {1, 145, "Dolazak napona 1", C::VoltageOK, C::VoltageOK, C::VoltageOK},
    {1, 146, "Nestanak napona 2", C::VoltageFail, C::VoltageFail, C::VoltageFail},
    {1, 147, "Dolazak napona 2", C::VoltageOK, C::VoltageOK, C::VoltageOK},
    {1, 148, "Otvorena kutija", C::CoverOpen, C::CoverOpen, C::CoverOpen},
    {1, 149, "Zatvorena kutija", C::CoverOpen, C::CoverOpen, C::CoverOpen},
    {1, 150, "Nasilan ulazak 1", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {1, 151, "Nasilan ulazak 2", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {1, 152, "Nasilan ulazak 3", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {1, 153, "Nasilan ulazak 4", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {1, 154, "Predugo otvorena vrata 1", C::DOTL, C::DOTL, C::DOTL},
    {1, 155, "Predugo otvorena vrata 2", C::DOTL, C::DOTL, C::DOTL},
    {1, 156, "Predugo otvorena vrata 3", C::DOTL, C::DOTL, C::DOTL},
    {1, 157, "Predugo otvorena vrata 4", C::DOTL, C::DOTL, C::DOTL},
    {1, 158, "Vremenski događaj 1", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 159, "Vremenski događaj 2", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 160, "Vremenski događaj 3", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 161, "Vremenski događaj 4", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 162, "Vremenski događaj 5", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 163, "Vremenski događaj 6", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 164, "Vremenski događaj 7", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 165, "Vremenski događaj 8", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {1, 166, "Slučajan događaj 1", C::None, C::DirCmd, C::DirCmd},
    {1, 167, "Slučajan događaj 2", C::None, C::DirCmd, C::DirCmd},
    {1, 168, "Slučajan događaj 3", C::None, C::DirCmd, C::DirCmd},
    {1, 169, "Slučajan događaj 4", C::None, C::DirCmd, C::DirCmd},
    {1, 170, "Direktna komanda 1", C::DirCmd, C::DirCmd, C::DirCmd},
    {1, 171, "Direktna komanda 2", C::DirCmd, C::DirCmd, C::DirCmd},
    {1, 172, "Direktna komanda 3", C::DirCmd, C::DirCmd, C::DirCmd},
    {1, 173, "Direktna komanda 4", C::DirCmd, C::DirCmd, C::DirCmd},
    {1, 174, "Direktna komanda 5", C::DirCmd, C::None, C::None},
    {1, 175, "Direktna komanda 6", C::DirCmd, C::None, C::None},
    {1, 176, "Direktna komanda 7", C::DirCmd, C::None, C::None},
    {1, 177, "Direktna komanda 8", C::DirCmd, C::None, C::None},
    {1, 178, "", C::None, C::None, C::None},
    {2, 127, "", C::None, C::None, C::None},
    {2, 128, "Senzor1 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 129, "Senzor1 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 130, "Senzor2 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 131, "Senzor2 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 132, "Senzor3 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 133, "Senzor3 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 134, "Senzor4 otvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 135, "Senzor4 zatvoren", C::Sensor, C::Sensor, C::Sensor},
    {2, 136, "Egres1 otvoren", C::Egress, C::Egress, C::Egress},
    {2, 137, "Egres1 zatvoren", C::Egress, C::Egress, C::Egress},
    {2, 138, "Egres2 otvoren", C::Egress, C::Egress, C::Egress},
    {2, 139, "Egres2 zatvoren", C::Egress, C::Egress, C::Egress},
    {2, 140, "Egres3 otvoren", C::Egress, C::Egress, C::Egress},
    {2, 141, "Egres3 zatvoren", C::Egress, C::Egress, C::Egress},
    {2, 142, "Egres4 otvoren", C::Egress, C::Egress, C::Egress},
    {2, 143, "Egres4 zatvoren", C::Egress, C::Egress, C::Egress},
    {2, 144, "Nestanak napona 1", C::VoltageFail, C::VoltageFail, C::VoltageFail},
    {2, 145, "Dolazak napona 1", C::VoltageOK, C::VoltageOK, C::VoltageOK},
    {2, 146, "Nestanak napona 2", C::VoltageFail, C::VoltageFail, C::VoltageFail},
    {2, 147, "Dolazak napona 2", C::VoltageOK, C::VoltageOK, C::VoltageOK},
    {2, 148, "Otvorena kutija", C::CoverOpen, C::CoverOpen, C::CoverOpen},
    {2, 149, "Zatvorena kutija", C::CoverOpen, C::CoverOpen, C::CoverOpen},
    {2, 150, "Nasilan ulazak 1", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {2, 151, "Nasilan ulazak 2", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {2, 152, "Nasilan ulazak 3", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {2, 153, "Nasilan ulazak 4", C::ForcedEntry, C::ForcedEntry, C::ForcedEntry},
    {2, 154, "Predugo otvorena vrata 1", C::DOTL, C::DOTL, C::DOTL},
    {2, 155, "Predugo otvorena vrata 2", C::DOTL, C::DOTL, C::DOTL},
    {2, 156, "Predugo otvorena vrata 3", C::DOTL, C::DOTL, C::DOTL},
    {2, 157, "Predugo otvorena vrata 4", C::DOTL, C::DOTL, C::DOTL},
    {2, 158, "Vremenski događaj 1", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 159, "Vremenski događaj 2", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 160, "Vremenski događaj 3", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 161, "Vremenski događaj 4", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 162, "Vremenski događaj 5", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 163, "Vremenski događaj 6", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 164, "Vremenski događaj 7", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 165, "Vremenski događaj 8", C::TimeEvent, C::TimeEvent, C::TimeEvent},
    {2, 166, "Direktna komanda 1", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 167, "Direktna komanda 2", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 168, "Direktna komanda 3", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 169, "Direktna komanda 4", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 170, "Direktna komanda 5", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 171, "Direktna komanda 6", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 172, "Direktna komanda 7", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 173, "Direktna komanda 8", C::DirCmd, C::DirCmd, C::DirCmd},
    {2, 174, "Alarm otvoren", C::Alarm, C::Alarm, C::Alarm},
    {2, 175, "Alarm zatvoren", C::Alarm, C::Alarm, C::Alarm},
    {2, 176, "", C::None, C::None, C::None},
    {2, 177, "", C::None, C::None, C::None},
    {2, 178, "", C::None, C::None, C::None},
};

} // namespace

class TestEventClasses : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void codeTable_data();
    void codeTable();
    void otherFormatHasNoNameOrClass();
    void classNames_data();
    void classNames();
    void identification_data();
    void identification();
    void liveRowSpecialRows_data();
    void liveRowSpecialRows();
    void reportRowSpecialRows_data();
    void reportRowSpecialRows();
    void styleDefaults_data();
    void styleDefaults();
    void classStyleLookup();
    void colourChanges();
    void storedStyles();
};

void TestEventClasses::codeTable_data()
{
    QTest::addColumn<MessageFormat>("format");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<EventClass>("sound");
    QTest::addColumn<EventClass>("liveColour");
    QTest::addColumn<EventClass>("reportColour");
    for (const CodeRow &r : codeRows) {
        const MessageFormat format = r.format == 1 ? MessageFormat::Reg1 : MessageFormat::Reg2;
        QTest::addRow("REG%d %d", r.format, r.code) << format << r.code << QString::fromUtf8(r.name)
                                                    << r.sound << r.liveColour << r.reportColour;
    }
}

void TestEventClasses::codeTable()
{
    QFETCH(MessageFormat, format);
    QFETCH(int, code);
    QFETCH(QString, name);
    QFETCH(EventClass, sound);
    QFETCH(EventClass, liveColour);
    QFETCH(EventClass, reportColour);

    QCOMPARE(nonIdEventName(format, code), name);
    if (!name.isEmpty()) {
        const int index = (format == MessageFormat::Reg1 ? 0 : 50) + code - 128;
        QCOMPARE(NonIDEventNames().at(index), name);
    }
    QCOMPARE(soundAlertClass(format, code), sound);

    const int regType = format == MessageFormat::Reg1 ? 0 : 1;
    // The live row holds the code as a number; EmpID is empty, as for every controller event.
    QCOMPARE(liveRowColourClass(QVariant(true), QVariant(regType), QVariant(code), QVariant()),
             liveColour);
    QCOMPARE(liveRowColourClass(true, regType, code, true), liveColour);

    // The report holds it as two hexadecimal digits; both letter cases are read.
    const QString hex = QString::number(code, 16).rightJustified(2, u'0');
    const QString hexText = format == MessageFormat::Reg1 ? hex.toUpper() : hex.toLower();
    QCOMPARE(reportRowColourClass(QVariant(1), QVariant(regType), QVariant(hexText), QVariant()),
             reportColour);
}

void TestEventClasses::otherFormatHasNoNameOrClass()
{
    QCOMPARE(NonIDEventNames().size(), 98);
    for (int code = 0; code < 256; ++code) {
        QVERIFY2(nonIdEventName(MessageFormat::Other, code).isEmpty(),
                 qPrintable(QString::number(code)));
        QCOMPARE(soundAlertClass(MessageFormat::Other, code), EventClass::None);
    }
    QVERIFY(nonIdEventName(MessageFormat::Reg2, 9).isEmpty());
    QCOMPARE(soundAlertClass(MessageFormat::Reg2, 9), EventClass::None);
    QCOMPARE(messageFormatOf(1), MessageFormat::Reg1);
    QCOMPARE(messageFormatOf(2), MessageFormat::Reg2);
    QCOMPARE(messageFormatOf(3), MessageFormat::Other);
}

void TestEventClasses::classNames_data()
{
    QTest::addColumn<EventClass>("cls");
    QTest::addColumn<QString>("alertSwitch");
    QTest::addColumn<QString>("soundFile");
    QTest::addColumn<QString>("rowStyle");
    const auto row = [](const char *tag, EventClass cls, const char *alertSwitch,
                        const char *soundFile, const char *style) {
        QTest::newRow(tag) << cls << QString::fromLatin1(alertSwitch)
                           << QString::fromLatin1(soundFile) << QString::fromLatin1(style);
    };
    row("Unknown", C::Unknown, "chkAlertUnknown", "edtSoundFileUnknown", "stUnknownPerson");
    row("Sensor", C::Sensor, "chkAlertSensor", "edtSoundFileSensor", "stSensor");
    row("Egress", C::Egress, "chkAlertEgress", "edtSoundFileEgress", "stEgress");
    row("VoltageFail", C::VoltageFail, "chkAlertVoltageFail", "edtSoundFileVoltageFail",
        "stVoltageFail");
    row("VoltageOK", C::VoltageOK, "chkAlertVoltageOK", "edtSoundFileVoltageOK", "stVoltageOK");
    row("CoverOpen", C::CoverOpen, "chkAlertCoverOpen", "edtSoundFileCoverOpen", "stBoxCover");
    row("ForcedEntry", C::ForcedEntry, "chkAlertForcedEntry", "edtSoundFileForcedEntry",
        "stForcedEntry");
    row("DOTL", C::DOTL, "chkAlertDOTL", "edtSoundFileDOTL", "stDoorTooLong");
    row("TimeEvent", C::TimeEvent, "chkAlertTimeEvent", "edtSoundFileTimeEvent", "stTimeEvent");
    row("DirCmd", C::DirCmd, "chkAlertDirCmd", "edtSoundFileDirCmd", "stDirectCmd");
    row("Alarm", C::Alarm, "chkAlertAlarm", "edtSoundFileAlarm", "stAlarm");
    row("None", C::None, "", "", "");
}

void TestEventClasses::classNames()
{
    QFETCH(EventClass, cls);
    QFETCH(QString, alertSwitch);
    QFETCH(QString, soundFile);
    QFETCH(QString, rowStyle);
    QCOMPARE(alertSwitchName(cls), alertSwitch);
    QCOMPARE(soundFileName(cls), soundFile);
    QCOMPARE(rowStyleName(cls), rowStyle);
}

void TestEventClasses::identification_data()
{
    QTest::addColumn<MessageFormat>("format");
    QTest::addColumn<QString>("empId");
    QTest::addColumn<EventClass>("expected");
    QTest::newRow("REG1 unknown card") << MessageFormat::Reg1 << QString() << C::Unknown;
    QTest::newRow("REG2 unknown card") << MessageFormat::Reg2 << QString() << C::Unknown;
    QTest::newRow("REG1 known person") << MessageFormat::Reg1 << QStringLiteral("0042") << C::None;
    QTest::newRow("REG2 known person") << MessageFormat::Reg2 << QStringLiteral("0042") << C::None;
    QTest::newRow("other format never") << MessageFormat::Other << QString() << C::None;
}

void TestEventClasses::identification()
{
    QFETCH(MessageFormat, format);
    QFETCH(QString, empId);
    QFETCH(EventClass, expected);
    QCOMPARE(identificationClass(format, empId), expected);
}

void TestEventClasses::liveRowSpecialRows_data()
{
    QTest::addColumn<QVariant>("nonId");
    QTest::addColumn<QVariant>("regType");
    QTest::addColumn<QVariant>("nonIdCode");
    QTest::addColumn<QVariant>("empId");
    QTest::addColumn<EventClass>("expected");
    const QVariant null;
    const QVariant nullText = QVariant(QMetaType::fromType<QString>());
    QTest::newRow("REG1 identification, no EmpID")
        << QVariant(false) << QVariant(0) << QVariant(0) << null << C::Unknown;
    QTest::newRow("REG2 identification, empty EmpID")
        << QVariant(false) << QVariant(1) << QVariant(0) << QVariant(QString()) << C::Unknown;
    QTest::newRow("identification, null text EmpID")
        << QVariant(false) << QVariant(1) << QVariant(0) << nullText << C::Unknown;
    QTest::newRow("identification, known person") << QVariant(false) << QVariant(0) << QVariant(0)
                                                  << QVariant(QStringLiteral("17")) << C::None;
    QTest::newRow("other format, no EmpID") << null << QVariant(-1) << null << null << C::Unknown;
    QTest::newRow("other format, known person")
        << null << QVariant(-1) << null << QVariant(QStringLiteral("17")) << C::None;
    QTest::newRow("other format event 174 is an alarm")
        << QVariant(true) << QVariant(-1) << QVariant(174) << null << C::Alarm;
    QTest::newRow("event without code") << QVariant(true) << QVariant(1) << null << null << C::None;
    QTest::newRow("code not a number")
        << QVariant(true) << QVariant(1) << QVariant(QStringLiteral("AE")) << null << C::None;
    QTest::newRow("RegType not a number")
        << QVariant(true) << QVariant(QStringLiteral("x")) << QVariant(130) << null << C::None;
    QTest::newRow("RegType missing") << QVariant(false) << null << QVariant(0) << null << C::None;
}

void TestEventClasses::liveRowSpecialRows()
{
    QFETCH(QVariant, nonId);
    QFETCH(QVariant, regType);
    QFETCH(QVariant, nonIdCode);
    QFETCH(QVariant, empId);
    QFETCH(EventClass, expected);
    QCOMPARE(liveRowColourClass(nonId, regType, nonIdCode, empId), expected);
}

void TestEventClasses::reportRowSpecialRows_data()
{
    QTest::addColumn<QVariant>("nonId");
    QTest::addColumn<QVariant>("regType");
    QTest::addColumn<QVariant>("nonIdCode");
    QTest::addColumn<QVariant>("empId");
    QTest::addColumn<EventClass>("expected");
    const QVariant null;
    const QVariant nullText =
        QVariant(QMetaType::fromType<QString>()); // a NULL as the database gives it
    const auto text = [](const char *s) { return QVariant(QString::fromLatin1(s)); };
    QTest::newRow("identification, card matched no medium")
        << QVariant(0) << QVariant(0) << nullText << nullText << C::Unknown;
    QTest::newRow("identification, matched card")
        << QVariant(0) << QVariant(1) << nullText << text("0042") << C::None;
    QTest::newRow("identification, empty but not null EmpID")
        << QVariant(0) << QVariant(0) << nullText << text("") << C::None;
    QTest::newRow("REG2 AE alarm")
        << QVariant(1) << QVariant(1) << text("AE") << nullText << C::Alarm;
    QTest::newRow("NonID from SQLite as 64-bit")
        << QVariant(qlonglong(1)) << QVariant(qlonglong(1)) << text("af") << nullText << C::Alarm;
    QTest::newRow("code as bytes")
        << QVariant(1) << QVariant(1) << QVariant(QByteArray("8a")) << nullText << C::Egress;
    QTest::newRow("REG1 B0 uncoloured")
        << QVariant(1) << QVariant(0) << text("B0") << nullText << C::None;
    QTest::newRow("REG1 AE uncoloured")
        << QVariant(1) << QVariant(0) << text("AE") << nullText << C::None;
    QTest::newRow("code 7F below 128")
        << QVariant(1) << QVariant(1) << text("7F") << nullText << C::None;
    QTest::newRow("REG1 code 15") << QVariant(1) << QVariant(0) << text("15") << nullText
                                  << C::None;
    QTest::newRow("code not hexadecimal")
        << QVariant(1) << QVariant(1) << text("ZZ") << nullText << C::None;
    QTest::newRow("code with a blank")
        << QVariant(1) << QVariant(1) << text(" A") << nullText << C::None;
    QTest::newRow("code empty") << QVariant(1) << QVariant(1) << text("") << nullText << C::None;
    QTest::newRow("code null") << QVariant(1) << QVariant(1) << nullText << nullText << C::None;
    QTest::newRow("RegType null reads as not REG2")
        << QVariant(1) << null << text("AE") << nullText << C::None;
    QTest::newRow("RegType not a number")
        << QVariant(1) << text("x") << text("A6") << nullText << C::None;
    QTest::newRow("NonID not a number")
        << text("x") << QVariant(1) << text("A6") << nullText << C::None;
    QTest::newRow("NonID 2 is an identification")
        << QVariant(2) << QVariant(1) << text("A6") << null << C::Unknown;
}

void TestEventClasses::reportRowSpecialRows()
{
    QFETCH(QVariant, nonId);
    QFETCH(QVariant, regType);
    QFETCH(QVariant, nonIdCode);
    QFETCH(QVariant, empId);
    QFETCH(EventClass, expected);
    QCOMPARE(reportRowColourClass(nonId, regType, nonIdCode, empId), expected);
}

void TestEventClasses::styleDefaults_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<uint>("stored");
    QTest::addColumn<QColor>("colour");
    const auto row = [](const char *name, uint stored, int r, int g, int b) {
        QTest::newRow(name) << QString::fromLatin1(name) << stored << QColor(r, g, b);
    };
    row("stUnknownPerson", 8421504, 128, 128, 128);
    row("stSensor", 8454143, 255, 255, 128);
    row("stEgress", 10469119, 255, 190, 159);
    row("stVoltageFail", 15172079, 239, 129, 231);
    row("stVoltageOK", 15172079, 239, 129, 231);
    row("stBoxCover", 47031, 183, 183, 0);
    row("stForcedEntry", 255, 255, 0, 0);
    row("stDoorTooLong", 11263149, 173, 220, 171);
    row("stTimeEvent", 16777147, 187, 255, 255);
    row("stDirectCmd", 16760704, 128, 191, 255);
    row("stAlarm", 255, 255, 0, 0);
    row("stEven", 0xFFFFFF, 255, 255, 255);
    row("stOdd", 15790320, 240, 240, 240);
}

void TestEventClasses::styleDefaults()
{
    QFETCH(QString, style);
    QFETCH(uint, stored);
    QFETCH(QColor, colour);
    Styles styles;
    QCOMPARE(styles.colour(style), colour);
    QCOMPARE(styles.storedColour(style), stored);
    QCOMPARE(Styles::defaultColour(style), colour);
    QCOMPARE(Styles::toStoredColour(colour), stored);
    QCOMPARE(Styles::fromStoredColour(stored), colour);
}

void TestEventClasses::classStyleLookup()
{
    Styles styles;
    for (int i = 0; i < eventClassCount; ++i) {
        const auto cls = EventClass(i);
        const std::optional<QColor> c = styles.classColour(cls);
        if (cls == EventClass::None) {
            QVERIFY(!c);
            continue;
        }
        QVERIFY(c);
        QCOMPARE(*c, styles.colour(rowStyleName(cls)));
    }
    QCOMPARE(*styles.classColour(EventClass::CoverOpen), QColor(183, 183, 0));
    QCOMPARE(*styles.classColour(EventClass::DirCmd), QColor(128, 191, 255));
    // The selection style follows the system's tooltip background.
    QCOMPARE(styles.colour(QStringLiteral("stSelected")),
             QGuiApplication::palette().color(QPalette::Active, QPalette::ToolTipBase));
}

void TestEventClasses::colourChanges()
{
    Styles styles;
    QSignalSpy spy(&styles, &Styles::colourChanged);
    styles.setStoredColour(QStringLiteral("STBOXCOVER"), 0x123456);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("stBoxCover"));
    QCOMPARE(spy.at(0).at(1).value<QColor>(), QColor(0x56, 0x34, 0x12));
    QCOMPARE(styles.storedColour(QStringLiteral("stBoxCover")), 0x123456u);
    QCOMPARE(*styles.classColour(EventClass::CoverOpen), QColor(0x56, 0x34, 0x12));

    // The same colour again changes nothing and repaints nothing.
    styles.setColour(QStringLiteral("stBoxCover"), QColor(0x56, 0x34, 0x12));
    QCOMPARE(spy.size(), 1);

    // Changing the alarm colour leaves the forced-entry colour (same default) alone.
    styles.setColour(QStringLiteral("stAlarm"), QColor(Qt::blue));
    QCOMPARE(*styles.classColour(EventClass::Alarm), QColor(Qt::blue));
    QCOMPARE(*styles.classColour(EventClass::ForcedEntry), QColor(Qt::red));
    QCOMPARE(spy.size(), 2);

    QVERIFY_THROWS_EXCEPTION(Error, styles.colour(QStringLiteral("stNoSuch")));
    QVERIFY_THROWS_EXCEPTION(Error, styles.setColour(QStringLiteral("stNoSuch"), Qt::red));
}

void TestEventClasses::storedStyles()
{
    const QStringList stored = Styles::storedStyleNames();
    QCOMPARE(stored.size(), 12);
    QVERIFY(!stored.contains(QStringLiteral("stAlarm")));
    QVERIFY(!stored.contains(QStringLiteral("stSelected")));
    QVERIFY(stored.contains(QStringLiteral("stEven")) && stored.contains(QStringLiteral("stOdd")));
    for (const QString &name : stored)
        QVERIFY2(Styles().hasStyle(name), qPrintable(name));
    QCOMPARE(Styles::storedValueName(QStringLiteral("stBoxCover")),
             QStringLiteral("stBoxCover_Color"));
    QCOMPARE(Styles::styleNames().size(), 14);
}

QTEST_MAIN(TestEventClasses)
#include "tst_EventClasses.moc"
