#include "DemoDatabase.h"

#include "DemoPictures.h"
#include "DemoRandom.h"
#include "Error.h"
#include "Jpeg.h"
#include "SqlScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace tarnwick::demo {

namespace {

// ---- sqlite3 C API, thinly wrapped --------------------------------------------------------

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw Error(
                QStringLiteral("Demo database: %1").arg(QString::fromUtf8(sqlite3_errmsg(db))));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &text(int index, const QByteArray &value)
    {
        sqlite3_bind_text(m_stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &text(int index, const QString &value) { return text(index, value.toUtf8()); }
    Statement &text(int index, const char *value, int size)
    {
        sqlite3_bind_text(m_stmt, index, value, size, SQLITE_TRANSIENT);
        return *this;
    }
    Statement &integer(int index, qint64 value)
    {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    Statement &null(int index)
    {
        sqlite3_bind_null(m_stmt, index);
        return *this;
    }
    Statement &blob(int index, const QByteArray &value)
    {
        sqlite3_bind_blob(m_stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            sqlite3_reset(m_stmt);
            throw Error(QStringLiteral("Demo database: %1").arg(message));
        }
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

class Connection
{
public:
    explicit Connection(const QString &path)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            const QString message =
                QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
            sqlite3_close(m_db);
            m_db = nullptr;
            throw Error(QStringLiteral("Cannot create %1: %2").arg(path, message));
        }
    }
    ~Connection() { close(); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    void exec(const char *sql)
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
            sqlite3_free(message);
            throw Error(QStringLiteral("Demo database: %1").arg(text));
        }
    }
    void close()
    {
        if (m_db && sqlite3_close(m_db) != SQLITE_OK)
            throw Error(
                QStringLiteral("Demo database: %1").arg(QString::fromUtf8(sqlite3_errmsg(m_db))));
        m_db = nullptr;
    }

private:
    sqlite3 *m_db = nullptr;
};

// Removes the temporary database unless the build got to the end.
class TemporaryFile
{
public:
    explicit TemporaryFile(QString path) : m_path(std::move(path)) { QFile::remove(m_path); }
    ~TemporaryFile()
    {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }
    const QString &path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

// ---- the installation -----------------------------------------------------------------------

const char *const firstNamesMale[] = {"Đorđe",     "Željko", "Živko", "Dušan",   "Miloš",
                                      "Čedomir",   "Radoš",  "Uroš",  "Božidar", "Nikola",
                                      "Stevan",    "Zoran",  "Goran", "Bojan",   "Vuk",
                                      "Dragoljub", "Srđan",  "Nenad", "Predrag", "Lazar"};
const char *const firstNamesFemale[] = {"Nataša",  "Snežana", "Slađana", "Ljiljana", "Đurđa",
                                        "Jelena",  "Milica",  "Vesna",   "Dragana",  "Mirjana",
                                        "Tijana",  "Žaklina", "Marija",  "Ana",      "Ivana",
                                        "Gordana", "Tatjana", "Jasmina", "Biljana",  "Mileva"};
const char *const lastNames[] = {"Petrović", "Jovanović", "Đorđević",  "Nikolić",   "Marković",
                                 "Živković", "Kovačević", "Šarić",     "Čolić",     "Mićić",
                                 "Đurić",    "Tošić",     "Stanković", "Ćirić",     "Šćepanović",
                                 "Vučković", "Božović",   "Milošević", "Lukić",     "Pešić",
                                 "Žarković", "Đukić",     "Radić",     "Simić",     "Ilić",
                                 "Kostić",   "Gajić",     "Mitrović",  "Obradović", "Todorović"};
const char *const departments[] = {"Uprava",
                                   "Računovodstvo",
                                   "Proizvodnja",
                                   "Održavanje",
                                   "Magacin",
                                   "Obezbeđenje",
                                   "Prodaja",
                                   "Informacione tehnologije",
                                   "Kontrola kvaliteta",
                                   "Nabavka"};

struct TerminalInfo
{
    int id;
    const char *name;
    bool reg2;
};
const TerminalInfo terminals[] = {
    {1, "Glavni ulaz", false},           {2, "Sporedni ulaz", false},  {3, "Magacin", false},
    {4, "Kancelarije, 1. sprat", false}, {5, "Serverska soba", false}, {6, "Menza", false},
    {10, "Kapija sever", true},          {11, "Kapija jug", true},     {12, "Garaža", true},
};

struct NamedRow
{
    const char *id;
    const char *name;
};
const NamedRow doors[] = {
    {"V01", "Glavni ulaz"}, {"V02", "Sporedni ulaz"},  {"V03", "Magacin"},
    {"V04", "Kancelarije"}, {"V05", "Serverska soba"}, {"V06", "Menza"},
    {"V07", "Garaža"},      {"V08", "Laboratorija"},   {"V09", "Kapija sever"},
    {"V10", "Kapija jug"},  {"V11", "Rampa garaže"},
};
const NamedRow zones[] = {
    {"1", "Prizemlje"},    {"2", "Prvi sprat"},         {"3", "Obezbeđena zona"},
    {"4", "Spoljni krug"}, {"5", "Magacinski prostor"},
};
// The server room lies in two zones, so its registrations are listed once per zone.
const NamedRow doorZones[] = {
    {"V01", "1"}, {"V02", "1"}, {"V06", "1"}, {"V04", "2"}, {"V05", "2"}, {"V05", "3"},
    {"V08", "3"}, {"V03", "5"}, {"V07", "4"}, {"V09", "4"}, {"V10", "4"}, {"V11", "4"},
};
const NamedRow activities[] = {
    {"DOL", "Dolazak"},          {"ODL", "Odlazak"}, {"SLU", "Službeni izlazak"},
    {"PRI", "Privatni izlazak"}, {"PAU", "Pauza"},
};
struct CodeName
{
    int code;
    const char *name;
};
const CodeName eventCodeNames[] = {
    {1, "Ulaz"},
    {2, "Izlaz"},
    {3, "Službeni izlaz"},
    {4, "Privatni izlaz"},
    {15, "Događaj kontrolera"},
    {127, "Prolaz"},
};
struct TerminalEvent
{
    int terminal;
    const char *eventId;
    const char *name;
};
const TerminalEvent reg1EventNames[] = {
    {1, "80", "Senzor glavnih vrata otvoren"},
    {1, "81", "Senzor glavnih vrata zatvoren"},
    {1, "88", "Taster za izlaz, glavni ulaz"},
    {1, "96", "Provala na glavnom ulazu"},
    {1, "A6", "Taster portirnice"},
    {2, "9A", "Sporedni ulaz predugo otvoren"},
    {3, "94", "Kutija čitača magacina otvorena"},
    {3, "95", "Kutija čitača magacina zatvorena"},
    {4, "AA", "Daljinsko otključavanje kancelarija"},
    {4, "B0", "Zaključavanje kancelarija"},
    {5, "90", "Nestanak napajanja serverske sobe"},
    {5, "91", "Povratak napajanja serverske sobe"},
};
const TerminalEvent reg2EventNames[] = {
    {10, "AE", "Alarm perimetra sever"}, {10, "AF", "Alarm perimetra sever prestao"},
    {11, "8A", "Egres kapije jug"},      {11, "96", "Nasilan prolaz kroz kapiju jug"},
    {12, "90", "Nestanak napona rampe"}, {12, "A6", "Podizanje rampe sa portirnice"},
};

QString activityOfCode(int code)
{
    switch (code) {
    case 1:
    case 127:
        return QStringLiteral("DOL");
    case 2:
        return QStringLiteral("ODL");
    case 3:
        return QStringLiteral("SLU");
    case 4:
        return QStringLiteral("PRI");
    default:
        return {};
    }
}

QByteArray hex2(int code)
{
    return QByteArray::number(code, 16).toUpper().rightJustified(2, '0');
}

// ---- people and cards -------------------------------------------------------------------------

struct Card
{
    QByteArray idNo; // as stored in MediaID
    QByteArray key;  // what a controller sends for it: characters 3..10 of a 12-character number
    int person;
    bool inForce;
};

struct Person
{
    QString id, firstName, lastName;
    int department;
    int card = -1; // the card in force
};

// ---- registrations ----------------------------------------------------------------------------

enum class Kind : std::uint8_t
{
    KnownCard,
    OldCard,
    UnknownCard,
    Reg1Event,
    Reg2Event
};

struct Planned
{
    Kind kind;
    int code = -1;      // event code; -1: chosen at random
    int cardLength = 0; // KnownCard: length of the card number; 0: any
};

// Registrations are denser on working days and in working hours.
double timeWeight(int dayOfWeek, int hour)
{
    static const double hours[24] = {0.1, 0.1, 0.1, 0.1, 0.1, 0.2, 0.6, 1.5, 1.5, 0.9, 0.6, 0.6,
                                     0.8, 0.7, 0.8, 1.2, 1.4, 0.6, 0.3, 0.2, 0.2, 0.1, 0.1, 0.1};
    return hours[hour] * (dayOfWeek >= 6 ? 0.25 : 1.0);
}

struct Assignment
{
    int uid;
    int terminal;
    int code;
    QByteArray vaziOd;
    const char *door;
};

class Builder
{
public:
    Builder(const DemoOptions &options, sqlite3 *db)
        : m_options(options), m_db(db), m_rng(options.seed),
          m_pictureRng(options.seed ^ 0x5DEECE66Dull)
    {
        m_endDate = options.until.isValid() ? options.until : QDate::currentDate();
        m_endSecond =
            options.until.isValid() ? 86399 : QTime::currentTime().msecsSinceStartOfDay() / 1000;
        m_startDate = m_endDate.addMonths(-options.months);
        m_days = int(m_startDate.daysTo(m_endDate)) + 1;
    }

    DemoSummary build()
    {
        insertFixedTables();
        insertPeople();
        insertAssignments();
        insertRegistrations();
        return m_summary;
    }

private:
    QByteArray dayText(qint64 day) const
    {
        return m_startDate.addDays(day).toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    }
    QByteArray moment(qint64 day, int second) const
    {
        char time[10];
        std::snprintf(time, sizeof time, " %02d:%02d:%02d", second / 3600, second / 60 % 60,
                      second % 60);
        return dayText(day) + time;
    }

    void insertFixedTables()
    {
        {
            Statement st(m_db, "INSERT INTO Sektor (IDSektora, NazivSektora) VALUES (?, ?)");
            int id = 0;
            for (const char *name : departments)
                st.integer(1, ++id).text(2, QString::fromUtf8(name)).run();
            m_summary.departments = id;
        }
        {
            Statement st(m_db, "INSERT INTO Terminal (IDTerminala, OpisTerminala) VALUES (?, ?)");
            for (const TerminalInfo &t : terminals) {
                st.integer(1, t.id).text(2, QString::fromUtf8(t.name)).run();
                (t.reg2 ? m_reg2Terminals : m_reg1Terminals).push_back(t);
            }
            m_summary.terminals = int(std::size(terminals));
        }
        {
            Statement st(m_db, "INSERT INTO TerminalHACT (IDHACT, OpisHACT) VALUES (?, ?)");
            for (const CodeName &c : eventCodeNames)
                st.integer(1, c.code).text(2, QString::fromUtf8(c.name)).run();
        }
        {
            Statement st(m_db, "INSERT INTO tblDoors (IDVrata, NazivVrata) VALUES (?, ?)");
            for (const NamedRow &d : doors)
                st.text(1, QByteArray(d.id)).text(2, QString::fromUtf8(d.name)).run();
            m_summary.doors = int(std::size(doors));
        }
        {
            Statement st(m_db, "INSERT INTO tblZone (IDZone, NazivZone) VALUES (?, ?)");
            for (const NamedRow &z : zones)
                st.integer(1, QByteArray(z.id).toInt()).text(2, QString::fromUtf8(z.name)).run();
            m_summary.zones = int(std::size(zones));
        }
        {
            Statement st(m_db, "INSERT INTO tblZoneVrata (IDVrata, IDZone) VALUES (?, ?)");
            for (const NamedRow &dz : doorZones)
                st.text(1, QByteArray(dz.id)).integer(2, QByteArray(dz.name).toInt()).run();
        }
        {
            Statement st(m_db, "INSERT INTO LogickaAktivnost (IdLogickeAktivnosti, OpisLogAkt) "
                               "VALUES (?, ?)");
            for (const NamedRow &a : activities)
                st.text(1, QByteArray(a.id)).text(2, QString::fromUtf8(a.name)).run();
        }
        {
            Statement st(
                m_db, "INSERT INTO tblNonIDEvents (TermID, EventID, EventName) VALUES (?, ?, ?)");
            for (const TerminalEvent &e : reg1EventNames)
                st.integer(1, e.terminal)
                    .text(2, QByteArray(e.eventId))
                    .text(3, QString::fromUtf8(e.name))
                    .run();
        }
        {
            Statement st(
                m_db, "INSERT INTO tblNonIDEvents2 (TermID, EventID, EventName) VALUES (?, ?, ?)");
            for (const TerminalEvent &e : reg2EventNames)
                st.integer(1, e.terminal)
                    .text(2, QByteArray(e.eventId))
                    .text(3, QString::fromUtf8(e.name))
                    .run();
        }
        {
            Statement st(m_db,
                         "INSERT INTO tblPorvik (Computer, IPPort, ComPort) VALUES (?, ?, ?)");
            st.text(1, QByteArray("PORVIK-UPRAVA")).integer(2, 15027).integer(3, 1).run();
            st.text(1, QByteArray("PORVIK-MAGACIN")).integer(2, 15027).integer(3, 2).run();
            st.text(1, QByteArray("PORVIK-KAPIJA")).integer(2, 15028).integer(3, 1).run();
        }
    }

    QByteArray newKey()
    {
        for (;;) {
            QByteArray key = QByteArray::number(m_rng.next() & 0xFFFFFFFFull, 16).toUpper();
            key = key.rightJustified(8, '0');
            // Keys made of zeros and two digits look like REG1 controller events.
            if (!key.startsWith("000000") && !m_keys.contains(key)) {
                m_keys.insert(key);
                return key;
            }
        }
    }

    // The card number for a key: 8 characters as they are; 10 characters add two after it; 12
    // characters put two before and two after, so the key is characters 3 to 10.
    QByteArray cardNumber(const QByteArray &key, int length)
    {
        if (length == 10)
            return key + hex2(m_rng.below(256));
        if (length == 12)
            return hex2(m_rng.below(256)) + key + hex2(m_rng.below(256));
        return key;
    }

    QByteArray dateText(const QDate &d) const
    {
        return d.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    }

    void insertPeople()
    {
        Statement person(m_db, "INSERT INTO Zaposleni (IDZaposlenog, Prezime, Ime, IDSektora, "
                               "Fotografija) VALUES (?, ?, ?, ?, ?)");
        Statement card(m_db, "INSERT INTO MediaID (IDNo, IDZaposlenog, VaziOd, VaziDo, Aktivna) "
                             "VALUES (?, ?, ?, ?, ?)");
        const int lengths[] = {8, 10, 12};
        for (int i = 0; i < m_options.people; ++i) {
            Person p;
            p.id = QStringLiteral("Z%1").arg(i + 1, 4, 10, QLatin1Char('0'));
            const bool female = m_rng.chance(0.5);
            p.firstName = QString::fromUtf8(
                female ? firstNamesFemale[m_rng.below(int(std::size(firstNamesFemale)))]
                       : firstNamesMale[m_rng.below(int(std::size(firstNamesMale)))]);
            p.lastName = QString::fromUtf8(lastNames[m_rng.below(int(std::size(lastNames)))]);
            p.department = 1 + m_rng.below(int(std::size(departments)));
            const bool hasPhoto = m_rng.chance(0.85);
            const QColor background =
                QColor::fromHsv(m_rng.below(360), 90 + m_rng.below(80), 150 + m_rng.below(80));
            person.text(1, p.id).text(2, p.lastName).text(3, p.firstName).integer(4, p.department);
            if (hasPhoto)
                person.blob(5, encodeJpeg(drawPortrait(p.firstName, p.lastName, background), 85));
            else
                person.null(5);
            person.run();

            const int personIndex = int(m_people.size());
            // The card in force: every length in turn, so all three kinds are common.
            {
                Card c{cardNumber(newKey(), lengths[i % 3]), {}, personIndex, true};
                c.key = c.idNo.length() == 12 ? c.idNo.mid(2, 8) : c.idNo.left(8);
                // Issued before the period (and before today, should the period lie ahead).
                const QDate issued = std::min(m_startDate, QDate::currentDate());
                card.text(1, c.idNo)
                    .text(2, p.id)
                    .text(3, dateText(issued.addDays(-30 - m_rng.below(900))))
                    .null(4)
                    .integer(5, 1)
                    .run();
                p.card = int(m_cards.size());
                m_cards.push_back(c);
            }
            // Some have an expired card, a few a withdrawn one: their reads show no person.
            if (m_rng.chance(0.25)) {
                Card c{cardNumber(newKey(), lengths[m_rng.below(3)]), {}, personIndex, false};
                c.key = c.idNo.length() == 12 ? c.idNo.mid(2, 8) : c.idNo.left(8);
                const QDate to = m_startDate.addDays(-1 - m_rng.below(200));
                card.text(1, c.idNo)
                    .text(2, p.id)
                    .text(3, dateText(to.addYears(-3)))
                    .text(4, dateText(to))
                    .integer(5, 1)
                    .run();
                m_oldCards.push_back(int(m_cards.size()));
                m_cards.push_back(c);
            } else if (m_rng.chance(0.06)) {
                Card c{cardNumber(newKey(), lengths[m_rng.below(3)]), {}, personIndex, false};
                c.key = c.idNo.length() == 12 ? c.idNo.mid(2, 8) : c.idNo.left(8);
                card.text(1, c.idNo)
                    .text(2, p.id)
                    .text(3, dateText(m_startDate.addYears(-2)))
                    .null(4)
                    .integer(5, 0)
                    .run();
                m_oldCards.push_back(int(m_cards.size()));
                m_cards.push_back(c);
            }
            m_people.push_back(p);
        }
        for (int i = 0; i < 60; ++i)
            m_unknownKeys.push_back(newKey());
        m_summary.people = int(m_people.size());
        m_summary.cards = int(m_cards.size());
    }

    void insertAssignments()
    {
        // Assignments made long before the period, except: controller 3 is moved from the
        // warehouse to the laboratory during the period, controller 12 from the garage to its
        // barrier, and controller 6 gets its first assignment only after the period began, so
        // its earlier registrations have no door.
        const QByteArray longAgo = dateText(m_startDate.addYears(-1)) + " 00:00:00";
        const QByteArray moved3 = moment(qint64(m_days * 0.45), 12 * 3600);
        const QByteArray moved12 = moment(qint64(m_days * 0.7), 6 * 3600 + 30 * 60);
        const QByteArray first6 = moment(qint64(m_days * 0.2), 8 * 3600);
        const char *doorOf[13] = {};
        doorOf[1] = "V01";
        doorOf[2] = "V02";
        doorOf[3] = "V03";
        doorOf[4] = "V04";
        doorOf[5] = "V05";
        doorOf[6] = "V06";
        doorOf[10] = "V09";
        doorOf[11] = "V10";
        doorOf[12] = "V07";

        std::vector<Assignment> rows;
        int uid = 0;
        auto add = [&](int terminal, int code) {
            if (terminal == 6) {
                rows.push_back({++uid, terminal, code, first6, doorOf[terminal]});
                return;
            }
            rows.push_back({++uid, terminal, code, longAgo, doorOf[terminal]});
            if (terminal == 3)
                rows.push_back({++uid, terminal, code, moved3, "V08"});
            if (terminal == 12)
                rows.push_back({++uid, terminal, code, moved12, "V11"});
        };
        for (const TerminalInfo &t : terminals) {
            for (int code : {1, 2, 3, 4})
                add(t.id, code);
            if (t.reg2) {
                add(t.id, 127);
                for (int code = 128; code <= 177; ++code)
                    add(t.id, code);
            } else {
                add(t.id, 15);
            }
        }

        Statement det(m_db, "INSERT INTO tblDoorsDet (UID, IDTerminala, IDHACT, VaziOd, IDVrata) "
                            "VALUES (?, ?, ?, ?, ?)");
        Statement detTime(m_db,
                          "INSERT INTO tblDoorsDetTime (FKUID, IDLogickeAktivnosti) VALUES (?, ?)");
        for (const Assignment &a : rows) {
            det.integer(1, a.uid)
                .integer(2, a.terminal)
                .integer(3, a.code)
                .text(4, a.vaziOd)
                .text(5, QByteArray(a.door))
                .run();
            const QString activity = activityOfCode(a.code);
            if (!activity.isEmpty())
                detTime.integer(1, a.uid).text(2, activity).run();
        }
    }

    std::vector<qint64> registrationTimes()
    {
        // Rejection sampling over the period by day of week and hour.
        std::vector<int> dayOfWeek(static_cast<std::size_t>(m_days));
        for (int d = 0; d < m_days; ++d)
            dayOfWeek[std::size_t(d)] = m_startDate.addDays(d).dayOfWeek();
        const double maxWeight = 1.5;
        std::vector<qint64> times;
        times.reserve(std::size_t(m_options.registrations));
        while (int(times.size()) < m_options.registrations) {
            const int day = m_rng.below(m_days);
            const int second = m_rng.below(86400);
            if (day == m_days - 1 && second > m_endSecond)
                continue;
            if (m_rng.unit() * maxWeight >= timeWeight(dayOfWeek[std::size_t(day)], second / 3600))
                continue;
            times.push_back(qint64(day) * 86400 + second);
        }
        std::sort(times.begin(), times.end());
        return times;
    }

    std::vector<Planned> plannedKinds()
    {
        // Every controller event code of both formats at least once, the codes below 128 that
        // still count as events, and each length of card; the rest drawn at random.
        std::vector<Planned> plan;
        for (int code = 128; code <= 177; ++code) {
            plan.push_back({Kind::Reg1Event, code});
            plan.push_back({Kind::Reg2Event, code});
        }
        plan.push_back({Kind::Reg1Event, 0x7F});
        plan.push_back({Kind::Reg1Event, 0x15});
        plan.push_back({Kind::KnownCard, 127});
        plan.push_back({Kind::KnownCard, -1, 8});
        plan.push_back({Kind::KnownCard, -1, 10});
        plan.push_back({Kind::KnownCard, -1, 12});
        plan.push_back({Kind::UnknownCard});
        if (!m_oldCards.empty())
            plan.push_back({Kind::OldCard});
        while (int(plan.size()) < m_options.registrations) {
            const double r = m_rng.unit();
            if (r < 0.72)
                plan.push_back({Kind::KnownCard});
            else if (r < 0.75 && !m_oldCards.empty())
                plan.push_back({Kind::OldCard});
            else if (r < 0.80)
                plan.push_back({Kind::UnknownCard});
            else if (r < 0.90)
                plan.push_back({Kind::Reg1Event});
            else
                plan.push_back({Kind::Reg2Event});
        }
        m_rng.shuffle(plan);
        plan.resize(std::size_t(m_options.registrations));
        return plan;
    }

    int cardCodeAt(int hour)
    {
        if (hour < 11)
            return m_rng.chance(0.85) ? 1 : 3;
        if (hour >= 14)
            return m_rng.chance(0.85) ? 2 : 4;
        return m_rng.between(1, 4);
    }

    void insertRegistrations()
    {
        const std::vector<qint64> times = registrationTimes();
        const std::vector<Planned> plan = plannedKinds();
        Statement reg(m_db, "INSERT INTO tblReg (IDNo, TerminalskoVremeRegistracije, IDHACT, "
                            "IDHACTHex, RegType, IDTerminala, IDLogickeAktivnosti) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?)");
        std::vector<int> cardsOfLength[13];
        for (const Person &p : m_people)
            cardsOfLength[m_cards[std::size_t(p.card)].idNo.size()].push_back(p.card);

        const bool pictures = !m_options.photoDir.isEmpty() && m_options.snapshotPercent > 0;
        QSet<qint64> daysWithFolder;
        qint64 cachedDay = -1;
        QByteArray cachedDayText;
        for (std::size_t i = 0; i < times.size(); ++i) {
            const qint64 day = times[i] / 86400;
            const int second = int(times[i] % 86400);
            if (day != cachedDay) {
                cachedDay = day;
                cachedDayText = dayText(day);
            }
            char when[20];
            std::snprintf(when, sizeof when, "%s %02d:%02d:%02d", cachedDayText.constData(),
                          second / 3600, second / 60 % 60, second % 60);

            const Planned &p = plan[i];
            QByteArray idNo;
            int code = 0;
            bool reg2 = false;
            const TerminalInfo *terminal = nullptr;
            QString activity;
            switch (p.kind) {
            case Kind::KnownCard:
            case Kind::OldCard:
            case Kind::UnknownCard: {
                if (p.kind == Kind::UnknownCard) {
                    idNo = m_rng.pick(m_unknownKeys);
                } else if (p.kind == Kind::OldCard) {
                    idNo = m_cards[std::size_t(m_rng.pick(m_oldCards))].key;
                } else {
                    const std::vector<int> *pool = &cardsOfLength[p.cardLength];
                    if (p.cardLength == 0 || pool->empty())
                        idNo = m_cards[std::size_t(
                                           m_people[std::size_t(m_rng.below(int(m_people.size())))]
                                               .card)]
                                   .key;
                    else
                        idNo = m_cards[std::size_t(m_rng.pick(*pool))].key;
                }
                // Some controllers pad the number with blanks; the report trims them.
                if (m_rng.chance(0.08))
                    idNo += "  ";
                reg2 = p.code == 127 || m_rng.chance(0.3);
                terminal = &m_rng.pick(reg2 ? m_reg2Terminals : m_reg1Terminals);
                code = p.code == 127 ? 127 : cardCodeAt(second / 3600);
                activity = activityOfCode(code);
                break;
            }
            case Kind::Reg1Event:
                terminal = &m_rng.pick(m_reg1Terminals);
                code = p.code >= 0 ? p.code : (m_rng.chance(0.03) ? 0x7F : m_rng.between(128, 177));
                // A REG1 controller reports its events as code 15, with the event number in the
                // last two characters of the identifier.
                idNo = "000000" + hex2(code);
                break;
            case Kind::Reg2Event:
                reg2 = true;
                terminal = &m_rng.pick(m_reg2Terminals);
                code = p.code >= 0 ? p.code : m_rng.between(128, 177);
                idNo = "00000000";
                break;
            }
            const int idhact = p.kind == Kind::Reg1Event ? 15 : code;
            reg.text(1, idNo)
                .text(2, when, 19)
                .integer(3, idhact)
                .text(4, hex2(idhact))
                .integer(5, reg2 ? 1 : 0)
                .integer(6, terminal->id);
            if (activity.isEmpty())
                reg.null(7);
            else
                reg.text(7, activity);
            reg.run();

            if (pictures && m_pictureRng.below(100) < m_options.snapshotPercent) {
                const QString folder =
                    m_options.photoDir + QLatin1Char('/') + QString::fromLatin1(cachedDayText);
                if (!daysWithFolder.contains(day)) {
                    if (!QDir().mkpath(folder))
                        throw Error(
                            QStringLiteral("Cannot create the photo folder %1").arg(folder));
                    daysWithFolder.insert(day);
                }
                const QString card = QString::fromLatin1(idNo.trimmed());
                const QString stamp = QString::fromLatin1(when, 19);
                QString name = stamp;
                name.remove(QLatin1Char('-'))
                    .remove(QLatin1Char(':'))
                    .replace(QLatin1Char(' '), QLatin1Char('-'));
                const QString path = folder + QLatin1Char('/') + name + QLatin1Char('-') + card +
                                     QLatin1String(".jpg");
                const QByteArray jpeg =
                    encodeJpeg(drawSnapshot(stamp, QString::fromUtf8(terminal->name), card,
                                            m_pictureRng.below(1000)),
                               80);
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
                    throw Error(
                        QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
                ++m_summary.snapshots;
            }
        }
        m_summary.registrations = qint64(times.size());
        if (!times.empty()) {
            auto toDateTime = [&](qint64 t) {
                return QDateTime(m_startDate.addDays(t / 86400),
                                 QTime(0, 0).addSecs(int(t % 86400)));
            };
            m_summary.first = toDateTime(times.front());
            m_summary.last = toDateTime(times.back());
        }
    }

    const DemoOptions &m_options;
    sqlite3 *m_db;
    DemoRandom m_rng;
    DemoRandom m_pictureRng; // separate, so that the database is the same with or without pictures
    QDate m_startDate, m_endDate;
    int m_endSecond = 86399;
    int m_days = 1;
    std::vector<TerminalInfo> m_reg1Terminals, m_reg2Terminals;
    std::vector<Person> m_people;
    std::vector<Card> m_cards;
    std::vector<int> m_oldCards;
    std::vector<QByteArray> m_unknownKeys;
    QSet<QByteArray> m_keys;
    DemoSummary m_summary;
};

void checkOptions(const DemoOptions &o)
{
    if (o.outputFile.isEmpty())
        throw Error(QStringLiteral("No output file given"));
    if (o.people < 1 || o.people > 100000)
        throw Error(
            QStringLiteral("The number of people must lie in 1..100000, not %1").arg(o.people));
    if (o.registrations < 1 || o.registrations > 50000000)
        throw Error(QStringLiteral("The number of registrations must lie in 1..50000000, not %1")
                        .arg(o.registrations));
    if (o.months < 1 || o.months > 120)
        throw Error(
            QStringLiteral("The number of months must lie in 1..120, not %1").arg(o.months));
    if (o.snapshotPercent < 0 || o.snapshotPercent > 100)
        throw Error(
            QStringLiteral("The snapshot share must lie in 0..100, not %1").arg(o.snapshotPercent));
}

} // namespace

DemoSummary buildDemoDatabase(const DemoOptions &options)
{
    checkOptions(options);
    const QFileInfo output(options.outputFile);
    if (output.exists() && !options.replace)
        throw Error(QStringLiteral("%1 already exists (give --replace to replace it)")
                        .arg(options.outputFile));
    if (output.exists() && !output.isFile())
        throw Error(QStringLiteral("%1 is not a file").arg(options.outputFile));
    if (!output.absoluteDir().exists())
        throw Error(QStringLiteral("The folder %1 does not exist").arg(output.absolutePath()));
    if (!options.photoDir.isEmpty() && !QDir().mkpath(options.photoDir))
        throw Error(QStringLiteral("Cannot create the photo folder %1").arg(options.photoDir));

    TemporaryFile temporary(output.absolutePath() + QLatin1String("/.") + output.fileName() +
                            QLatin1String(".partial-") + QString::number(::getpid()));
    DemoSummary summary;
    {
        Connection db(temporary.path());
        db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA foreign_keys = ON; "
                "PRAGMA cache_size = -65536; PRAGMA locking_mode = EXCLUSIVE");
        createSchema(db.handle());
        db.exec("BEGIN");
        summary = Builder(options, db.handle()).build();
        db.exec("COMMIT");
        db.close();
    }
    if (std::rename(QFile::encodeName(temporary.path()).constData(),
                    QFile::encodeName(output.absoluteFilePath()).constData()) != 0)
        throw Error(QStringLiteral("Cannot write %1: %2")
                        .arg(options.outputFile, QString::fromLocal8Bit(std::strerror(errno))));
    temporary.release();
    return summary;
}

} // namespace tarnwick::demo
