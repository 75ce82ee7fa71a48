// bench_xls_export: 100,000 report-like rows of 19 columns written by our .xls writer and by
// python3-xlwt side by side, then both files read back completely by xlrd and compared.
//
//   bench_xls_export [--rows N] [--keep DIR] [--ours-only]
//
// The rows are built first and held in memory, as the grid's dataset holds them. Our time covers
// copying each row's 19 values into a fresh QVariantList (as an export through the grid's model
// does), the table writer and save(); xlwt's covers its writing and save() only (loading its
// input is not timed either).

#include "TableWriter.h"
#include "Workbook.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <vector>

using namespace tarnwick::xls;

namespace {

const QStringList captions{
    QStringLiteral("Vreme"),     QStringLiteral("Ime"),       QStringLiteral("Prezime"),
    QStringLiteral("Odeljenje"), QStringLiteral("Vrata"),     QStringLiteral("Zona"),
    QStringLiteral("Aktivnost"), QStringLiteral("Događaj"),   QStringLiteral("Kartica"),
    QStringLiteral("Terminal"),  QStringLiteral("Kontroler"), QStringLiteral("COM port"),
    QStringLiteral("Računar"),   QStringLiteral("IP adresa"), QStringLiteral("Izvor"),
    QStringLiteral("ID"),        QStringLiteral("Napomena"),  QStringLiteral("Kod događaja"),
    QStringLiteral("Broj osobe")};

const QStringList firstNames{
    QStringLiteral("Đorđe"),   QStringLiteral("Milica"), QStringLiteral("Dušan"),
    QStringLiteral("Jelena"),  QStringLiteral("Živko"),  QStringLiteral("Ljiljana"),
    QStringLiteral("Nikola"),  QStringLiteral("Tamara"), QStringLiteral("Čedomir"),
    QStringLiteral("Snežana"), QStringLiteral("Marko"),  QStringLiteral("Ana")};
const QStringList lastNames{QStringLiteral("Petrović"),  QStringLiteral("Đukić"),
                            QStringLiteral("Živković"),  QStringLiteral("Šarić"),
                            QStringLiteral("Jovanović"), QStringLiteral("Čolić"),
                            QStringLiteral("Nikolić"),   QStringLiteral("Ćosić"),
                            QStringLiteral("Marković"),  QStringLiteral("Lukić")};
const QStringList departments{QStringLiteral("Računovodstvo"), QStringLiteral("Održavanje"),
                              QStringLiteral("Proizvodnja"),   QStringLiteral("Uprava"),
                              QStringLiteral("Obezbeđenje"),   QStringLiteral("Magacin")};
const QStringList doors{QStringLiteral("Glavni ulaz"),    QStringLiteral("Magacin - istok"),
                        QStringLiteral("Kancelarija 12"), QStringLiteral("Garaža"),
                        QStringLiteral("Server soba"),    QStringLiteral("Zadnji izlaz")};
const QStringList zones{QStringLiteral("Prizemlje"), QStringLiteral("Sprat 1"),
                        QStringLiteral("Sprat 2"), QStringLiteral("Dvorište")};
const QStringList activities{QStringLiteral("Ulaz"), QStringLiteral("Izlaz"),
                             QStringLiteral("Službeni izlaz"), QStringLiteral("Pauza"),
                             QStringLiteral("Privatni izlaz")};
const QStringList events{QStringLiteral("Registracija kartice"),
                         QStringLiteral("Nepoznata kartica"),
                         QStringLiteral("Vrata otvorena predugo"), QStringLiteral("Nasilan ulaz"),
                         QStringLiteral("Izlazni taster")};

QVariantList reportRow(int i)
{
    static const QDateTime newest(QDate(2010, 2, 19), QTime(9, 57, 54));
    auto pick = [](const QStringList &pool, int k) { return pool.at(k % pool.size()); };
    return {newest.addSecs(-37 * qint64(i)),
            pick(firstNames, i * 7),
            pick(lastNames, i * 3 + i / 11),
            pick(departments, i / 5),
            pick(doors, i),
            pick(zones, i / 2),
            pick(activities, i * 5 / 3),
            pick(events, i / 7),
            QStringLiteral("%1").arg(1000000 + (i * 7919) % 5000, 10, 10, QLatin1Char('0')),
            1 + i % 64,
            i % 16,
            1 + i % 4,
            QStringLiteral("RAČUNAR-%1").arg(i % 5),
            QStringLiteral("192.168.1.%1").arg(10 + i % 40),
            i % 3,
            i + 1,
            i % 10 == 0 ? QVariant(QStringLiteral("Proveriti – ćšž")) : QVariant(),
            (i * 13) % 98,
            i % 20 == 0 ? QVariant() : QVariant(1000 + i % 5000)};
}

// Peak and current resident memory of this process in KiB (VmHWM, VmRSS).
QPair<qint64, qint64> memoryKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    qint64 peak = 0, now = 0;
    if (f.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toLongLong();
            else if (line.startsWith("VmRSS:"))
                now = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return {peak, now};
}

QJsonObject runPython(const QString &script, const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral(TARNWICK_XLS_BENCH_DIR "/") + script} + args);
    if (!p.waitForFinished(1800000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(script));
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int rows = 100000;
    QString keep;
    const bool oursOnly = args.contains(QLatin1String("--ours-only"));
    for (int a = 1; a < args.size(); ++a) {
        if (args.at(a) == QLatin1String("--rows") && a + 1 < args.size())
            rows = args.at(++a).toInt();
        else if (args.at(a) == QLatin1String("--keep") && a + 1 < args.size())
            keep = args.at(++a);
    }
    QTemporaryDir temp;
    const QString dir = keep.isEmpty() ? temp.path() : keep;
    QDir().mkpath(dir);
    const QString ours = dir + QStringLiteral("/tarnwick.xls");
    const QString theirs = dir + QStringLiteral("/xlwt.xls");
    const QString tsv = dir + QStringLiteral("/rows.tsv");

    std::vector<QVariantList> dataset;
    dataset.reserve(size_t(rows));
    for (int i = 0; i < rows; ++i)
        dataset.push_back(reportRow(i));

    const auto before = memoryKiB();
    QElapsedTimer clock;
    clock.start();
    qint64 saveMs = 0;
    int sheets = 0;
    {
        Workbook book;
        TableWriter table(book, QStringLiteral("Tarnwick"), captions);
        QVariantList row;
        for (const QVariantList &record : dataset) {
            row.clear();
            for (const QVariant &value : record)
                row.append(value);
            table.addRow(row);
        }
        sheets = table.sheetCount();
        QElapsedTimer saving;
        saving.start();
        book.save(ours);
        saveMs = saving.elapsed();
    }
    const double oursSeconds = clock.nsecsElapsed() / 1e9;
    const auto after = memoryKiB();
    const qint64 oursSize = QFileInfo(ours).size();
    if (oursOnly) {
        std::printf("tarnwick_xls: %.3f s (save %.3f s), %.1f MB, peak RSS +%.1f MB\n", oursSeconds,
                    saveMs / 1000.0, oursSize / 1e6, (after.first - before.second) / 1024.0);
        return 0;
    }

    {
        QFile out(tsv);
        out.open(QIODevice::WriteOnly);
        QTextStream s(&out);
        s.setEncoding(QStringConverter::Utf8);
        s << captions.join(QLatin1Char('\t')) << '\n';
        // d: date-time, s: text, i: integer, after the first value of the column that is not null
        QStringList types;
        for (int c = 0; c < captions.size(); ++c) {
            QString t = QStringLiteral("s");
            for (const QVariantList &record : dataset) {
                if (record.at(c).isNull())
                    continue;
                const int id = record.at(c).typeId();
                t = id == QMetaType::QDateTime ? QStringLiteral("d")
                    : id == QMetaType::Int     ? QStringLiteral("i")
                                               : QStringLiteral("s");
                break;
            }
            types << t;
        }
        s << types.join(QLatin1Char('\t')) << '\n';
        for (const QVariantList &record : dataset) {
            QStringList fields;
            for (const QVariant &v : record) {
                if (v.isNull())
                    fields << QString();
                else if (v.typeId() == QMetaType::QDateTime)
                    fields << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                else
                    fields << v.toString();
            }
            s << fields.join(QLatin1Char('\t')) << '\n';
        }
    }
    const QJsonObject xlwt = runPython(QStringLiteral("xlwt_export.py"), {tsv, theirs});
    const double xlwtSeconds = xlwt.value(QLatin1String("seconds")).toDouble();
    const qint64 xlwtSize = QFileInfo(theirs).size();

    const QJsonObject back = runPython(QStringLiteral("xlrd_readback.py"), {ours, theirs});
    const QJsonArray files = back.value(QLatin1String("files")).toArray();

    std::printf("rows: %d x %lld columns, %d sheet(s)\n", rows, qlonglong(captions.size()), sheets);
    std::printf("tarnwick_xls: %.3f s (save %.3f s), %.1f MB, peak RSS %.1f MB over %.1f MB "
                "before (+%.1f MB)\n",
                oursSeconds, saveMs / 1000.0, oursSize / 1e6, after.first / 1024.0,
                before.second / 1024.0, (after.first - before.second) / 1024.0);
    std::printf("xlwt:         %.3f s, %.1f MB, peak RSS %.1f MB (input loaded)\n", xlwtSeconds,
                xlwtSize / 1e6, xlwt.value(QLatin1String("maxRssKiB")).toDouble() / 1024.0);
    std::printf("speed-up:     %.1fx (requirement: at least 5x)\n",
                oursSeconds > 0 ? xlwtSeconds / oursSeconds : 0.0);
    for (const QJsonValue &f : files) {
        const QJsonObject o = f.toObject();
        std::printf(
            "xlrd read %-14s %.3f s, %d sheet(s), %d rows, %d cells\n",
            qPrintable(QFileInfo(o.value(QLatin1String("path")).toString()).fileName()),
            o.value(QLatin1String("seconds")).toDouble(), o.value(QLatin1String("sheets")).toInt(),
            o.value(QLatin1String("rows")).toInt(), o.value(QLatin1String("cells")).toInt());
    }
    const QJsonArray differences = back.value(QLatin1String("differences")).toArray();
    std::printf("cells compared: %s\n", files.size() == 2 && differences.isEmpty()
                                            ? "identical types and values"
                                            : "DIFFERENT");
    for (const QJsonValue &d : differences)
        std::printf("  %s\n", qPrintable(d.toString()));
    return files.size() == 2 && differences.isEmpty() ? 0 : 1;
}
