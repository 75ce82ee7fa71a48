#include "ReportSample.h"

#include "DataGrid.h"

#include <QDateTime>
#include <random>

namespace tarnwick {

std::unique_ptr<MemDataset> makeReportSample(int rows)
{
    const QList<FieldDef> fields{
        {"TerminalskoVremeRegistracije", FieldType::DateTime},
        {"LastName", FieldType::Text, 50},
        {"FirstName", FieldType::Text, 50},
        {"LogActNameMix", FieldType::Text, 50},
        {"MediaID", FieldType::Text, 50},
        {"EventID", FieldType::Integer},
        {"EventName", FieldType::Text, 50},
        {"TermID", FieldType::Integer},
        {"TermName", FieldType::Text, 50},
        {"DoorID", FieldType::Integer},
        {"LogActID", FieldType::Text, 10},
        {"EmpID", FieldType::Text, 50},
        {"RegType", FieldType::Integer},
        {"NonID", FieldType::Integer},
        {"NonIDCode", FieldType::Text, 2},
        {"EventDescription", FieldType::Text, 100},
        {"DoorName", FieldType::Text, 100},
        {"NazivSektora", FieldType::Text, 100},
        {"NazivZone", FieldType::Text, 100},
    };
    auto ds = std::make_unique<MemDataset>(fields);
    ds->open();

    const QStringList first{"Ana",    "Bojan",   "Čedomir", "Dragana", "Đorđe",
                            "Jelena", "Marko",   "Milica",  "Nikola",  "Ognjen",
                            "Petar",  "Snežana", "Vesna",   "Željko"};
    const QStringList roots{"Petrov", "Jovanov",   "Nikol",   "Marković", "Ilić",
                            "Đurić",  "Stanković", "Pavlov",  "Kostić",   "Lukić",
                            "Šarac",  "Živković",  "Tomić",   "Vasić",    "Popov",
                            "Savić",  "Babić",     "Milošev", "Ristić",   "Čolić"};
    const QStringList suffix{"",       "ić", "ski", "ac",         "ović", "in", "ev",
                             "ljević", "ar", "ek",  "ović-Babić", "ov",   "ak", "anin",
                             "ica",    "ko", "ač",  "ović-Ilić",  "ušić", "ean"};
    const QStringList activities{"Ulaz",           "Izlaz", "Službeni izlaz", "Pauza",
                                 "Privatni izlaz", "Lekar", "Teren"};
    const QStringList zones{"Zgrada A",     "Zgrada B", "Magacin", "Parking",
                            "Laboratorija", "Uprava",   "Kapija",  "Restoran"};
    const QStringList sectors{
        "Prodaja",       "Nabavka",   "Računovodstvo", "Proizvodnja", "Održavanje",
        "Obezbeđenje",   "IT",        "Uprava",        "Logistika",   "Kvalitet",
        "Pravna služba", "Marketing", "Razvoj",        "Kadrovska",   "Magacin"};
    std::mt19937 rng(42);
    auto pick = [&](const QStringList &l) { return l[int(rng() % uint(l.size()))]; };
    const QDateTime newest(QDate(2024, 6, 30), QTime(18, 0, 0));

    for (int i = 0; i < rows; ++i) {
        const bool event = rng() % 10 == 0; // a controller event, not a card
        const bool unknown = !event && rng() % 25 == 0;
        const int door = int(rng() % 60);
        const int term = door / 2 + 1;
        const int person = int(rng() % 400);
        QVariantHash r;
        r.insert("TerminalskoVremeRegistracije", newest.addSecs(-30 * qint64(i)));
        r.insert("TermID", term);
        r.insert("TermName", QString("Kontroler %1").arg(term));
        r.insert("DoorID", door);
        r.insert("DoorName", QString("%1 - vrata %2").arg(zones[door % zones.size()]).arg(door));
        r.insert("NazivZone", zones[door % zones.size()]);
        r.insert("RegType", int(rng() % 2));
        if (event) {
            const int code = 128 + int(rng() % 48);
            r.insert("NonID", 1);
            r.insert("NonIDCode", QString::number(code, 16).toUpper());
            r.insert("EventID", code);
            r.insert("EventName", "Događaj kontrolera");
            r.insert("EventDescription", QString("Događaj %1").arg(code));
            r.insert("LogActNameMix", QString("Događaj %1").arg(code));
        } else {
            const QString act = pick(activities);
            r.insert("NonID", 0);
            r.insert("NonIDCode",
                     QString::number(int(rng() % 16), 16).toUpper().rightJustified(2, '0'));
            r.insert("EventID", 1);
            r.insert("EventName", "Registracija");
            r.insert("MediaID", QString::number(10000000 + person * 37 + int(rng() % 5)));
            r.insert("LogActID", QString::number(activities.indexOf(act) + 1));
            r.insert("LogActNameMix", act);
            r.insert("EventDescription", unknown ? "Nepoznata kartica" : "Prolaz");
            if (!unknown) {
                r.insert("EmpID", QString::number(1000 + person));
                r.insert("LastName",
                         QString(roots[person % roots.size()] + suffix[person / roots.size()]));
                r.insert("FirstName", first[(person * 5 + person / 14) % first.size()]);
                r.insert("NazivSektora", sectors[person % sectors.size()]);
            }
        }
        ds->appendRecord(r);
    }
    return ds;
}

QList<GridColumn> reportColumns()
{
    auto col = [](const char *field, const QString &caption, bool shown, int width) {
        return GridColumn::make(QString("vwRep") + field, field, caption, shown, width);
    };
    return {col("TerminalskoVremeRegistracije", "Datum i vreme", true, 128),
            col("LastName", "Prezime ", true, 80),
            col("FirstName", "Ime ", true, 80),
            col("LogActNameMix", "Aktivnost", true, 96),
            col("MediaID", "", false, 0),
            col("EventID", "ID događaja", false, 0),
            col("EventName", "Događaj", false, 0),
            col("TermID", "ID kontrolera", false, 0),
            col("TermName", "Kontroler", false, 0),
            col("DoorID", "ID vrata", false, 0),
            col("LogActID", "ID aktivnosti", false, 0),
            col("EmpID", "ID zaposlenog", false, 0),
            col("RegType", "Tip", false, 0),
            col("NonID", "", false, 0),
            col("NonIDCode", "", false, 87),
            col("EventDescription", "Opis aktivnosti", true, 120),
            col("DoorName", "Vrata", true, 96),
            GridColumn::make("vwRepColumnDep", "NazivSektora", "Department", false, 120),
            GridColumn::make("vwRepColumnZone", "NazivZone", "Zone", false, 120)};
}

std::optional<QColor> reportRowColour(const DataGrid &grid, int sourceRow)
{
    if (grid.value(sourceRow, "vwRepNonID").toInt() == 1) {
        bool ok = false;
        const int code = grid.value(sourceRow, "vwRepNonIDCode").toString().toInt(&ok, 16);
        const int regType = grid.value(sourceRow, "vwRepRegType").toInt();
        if (!ok || code < 128 || code > (regType == 1 ? 175 : 173))
            return std::nullopt;
        static const QColor colours[] = {QColor(255, 255, 160), QColor(190, 230, 255),
                                         QColor(255, 200, 150), QColor(200, 255, 200),
                                         QColor(230, 200, 255), QColor(255, 170, 170)};
        return colours[(code - 128) / 8];
    }
    if (grid.value(sourceRow, "vwRepEmpID").isNull())
        return QColor(255, 120, 120); // a card that matched nobody
    return std::nullopt;
}

} // namespace tarnwick
