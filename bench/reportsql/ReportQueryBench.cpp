// bench_report_sql: runs the SQLite report text over a database through the plain sqlite3 C API
// and fetches every column of every row. This is the floor that the program's report (Qt SQL,
// datasets, grid) is measured against.
//
//   bench_report_sql DATABASE [--rows N | --start "yyyy-mm-dd hh:nn" --stop "yyyy-mm-dd hh:nn"]
//                    [--repeat N]
//
// --rows N picks the range that ends at the minute of the newest registration and starts at the
// minute of the N-th newest (default 100000).

#include "CApiFetch.h"
#include "ResourcesInit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what, sqlite3 *db)
{
    std::fprintf(stderr, "bench_report_sql: %s: %s\n", what, db ? sqlite3_errmsg(db) : "");
    std::exit(1);
}

QString minuteOf(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        fail("range", db);
    QString result;
    if (sqlite3_step(st) == SQLITE_ROW)
        result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        std::fprintf(
            stderr,
            "usage: bench_report_sql DATABASE [--rows N | --start S --stop S] [--repeat N]\n");
        return 2;
    }
    const QString path = args.takeFirst();
    QString start, stop;
    int rows = 100000, repeat = 3;
    while (!args.isEmpty()) {
        const QString option = args.takeFirst();
        if (args.isEmpty()) {
            std::fprintf(stderr, "bench_report_sql: %s wants a value\n", qPrintable(option));
            return 2;
        }
        const QString value = args.takeFirst();
        if (option == QLatin1String("--rows"))
            rows = value.toInt();
        else if (option == QLatin1String("--start"))
            start = value;
        else if (option == QLatin1String("--stop"))
            stop = value;
        else if (option == QLatin1String("--repeat"))
            repeat = std::max(1, value.toInt());
        else {
            std::fprintf(stderr, "bench_report_sql: unknown option %s\n", qPrintable(option));
            return 2;
        }
    }

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toLocal8Bit().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        fail("open", db);
    if (start.isEmpty() || stop.isEmpty()) {
        stop = minuteOf(db, "SELECT substr(max(TerminalskoVremeRegistracije), 1, 16) FROM tblReg");
        const QByteArray nth =
            QStringLiteral(
                "SELECT substr(TerminalskoVremeRegistracije, 1, 16) FROM tblReg "
                "ORDER BY julianday(TerminalskoVremeRegistracije) DESC LIMIT 1 OFFSET %1")
                .arg(rows - 1)
                .toUtf8();
        start = minuteOf(db, nth.constData());
    }

    const QByteArray sql =
        tarnwick::sqlText(QStringLiteral("sqlite"), QStringLiteral("report")).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        fail("prepare", db);
    const QByteArray startText = start.toUtf8(), stopText = stop.toUtf8();
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":pDTStart"), startText.constData(), -1,
                      SQLITE_STATIC);
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":pDTStop"), stopText.constData(), -1,
                      SQLITE_STATIC);
    const int columns = sqlite3_column_count(st);

    std::printf("range %s .. %s, %d columns\n", startText.constData(), stopText.constData(),
                columns);
    std::vector<double> seconds;
    for (int run = 0; run < repeat; ++run) {
        const tarnwick::bench::CApiFetch f = tarnwick::bench::fetchAll(db, st);
        seconds.push_back(f.seconds);
        std::printf("run %d: %lld rows, %lld bytes, %lld nulls, %.3f s, %.0f rows/s\n", run + 1,
                    f.rows, f.bytes, f.nulls, f.seconds, f.rows / f.seconds);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("median %.3f s\n", seconds[seconds.size() / 2]);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return 0;
}
