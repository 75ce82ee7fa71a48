// bench_report_view: the program's report run (query, fetch, calculated texts, grid filled and
// painted) and the plain sqlite3 C API fetching the same SQL text, side by side in one run,
// alternating, on the same database and range; then the export of the result.
//
//   bench_report_view DATABASE [--rows N] [--repeat N] [--export FILE]

#include "ADOConnectionMSSQL.h"
#include "CApiFetch.h"
#include "DataGrid.h"
#include "FormStorage.h"
#include "MainWindowValues.h"
#include "QueryDataset.h"
#include "RegistryStore.h"
#include "ReportView.h"
#include "ResourcesInit.h"
#include "Styles.h"
#include "uDMMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QSet>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace tarnwick;

namespace {

long rssKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

QString scalar(sqlite3 *db, const QByteArray &sql)
{
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
    QString out;
    if (st && sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return out;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_report_view DATABASE [--rows N] [--repeat N] [--export FILE]\n");
        return 2;
    }
    const QString path = args.takeFirst();
    int rows = 100000, repeat = 5;
    QString exportPath;
    while (args.size() >= 2) {
        const QString option = args.takeFirst(), value = args.takeFirst();
        if (option == QLatin1String("--rows"))
            rows = value.toInt();
        else if (option == QLatin1String("--repeat"))
            repeat = std::max(1, value.toInt());
        else if (option == QLatin1String("--export"))
            exportPath = value;
    }

    // The plain C API side.
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const QString stop = scalar(db, "SELECT substr(max(TerminalskoVremeRegistracije), 1, 16) FROM tblReg");
    const QString start = scalar(db, QStringLiteral("SELECT substr(TerminalskoVremeRegistracije, 1, 16) FROM tblReg "
                                                    "ORDER BY julianday(TerminalskoVremeRegistracije) DESC LIMIT 1 OFFSET %1")
                                         .arg(rows - 1)
                                         .toUtf8());
    const QByteArray sql = sqlText(QStringLiteral("sqlite"), QStringLiteral("report")).toUtf8();
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "prepare: %s\n", sqlite3_errmsg(db));
        return 1;
    }
    const QByteArray startText = start.toUtf8(), stopText = stop.toUtf8();
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":pDTStart"), startText.constData(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, sqlite3_bind_parameter_index(st, ":pDTStop"), stopText.constData(), -1, SQLITE_STATIC);

    // The program's side: the report view in a window on screen, as in the main window.
    RegistryStore store(QStringLiteral("/dev/null/unused.reg"));
    FormStorage storForm(&store, QStringLiteral("fTarnwick\\"), nullptr);
    storedvalues::declare(storForm);
    Styles styles;
    TdmMain dm;
    dm.OpenConnection(QStringLiteral("Provider=SQLite;Data Source=") + path);
    QWidget window;
    window.resize(1280, 800);
    auto *layout = new QHBoxLayout(&window);
    auto *client = new QWidget(&window);
    client->setLayout(new QVBoxLayout);
    auto *photos = new QWidget(&window);
    photos->setFixedWidth(185);
    layout->addWidget(client, 1);
    layout->addWidget(photos);
    ReportView report(client, photos, &storForm, &styles, [&dm] { return dm.connMain; });
    client->layout()->addWidget(report.gridRep());
    window.show();
    QCoreApplication::processEvents();

    std::printf("range %s .. %s\n", startText.constData(), stopText.constData());
    const long rssBefore = rssKilobytes();
    std::vector<double> capi, program, firstPaint;
    long long count = 0;
    for (int run = 0; run < repeat; ++run) {
        const bench::CApiFetch f = bench::fetchAll(db, st);
        capi.push_back(f.seconds);
        count = f.rows;

        QElapsedTimer timer;
        timer.start();
        report.run(start, stop);
        const double queried = timer.nsecsElapsed() / 1e9;
        QTreeView *view = report.gridRep()->view();
        view->viewport()->repaint(); // the first screenful painted, synchronously
        const double s = timer.nsecsElapsed() / 1e9;
        std::printf("   (run %.3f s, paint %.3f s)\n", queried, s - queried);
        program.push_back(s);
        std::printf("run %d: C API %lld rows %.3f s | program %d rows %.3f s | ratio %.2f\n", run + 1, f.rows,
                    f.seconds, report.qryRepTW()->rowCount(), s, s / f.seconds);
    }
    const long rssAfter = rssKilobytes();
    const double c = median(capi), p = median(program);
    std::printf("median: C API %.3f s, program %.3f s, ratio %.2f (limit 1.30)\n", c, p, p / c);

    // Memory of the result held by the program, per row.
    const int n = report.qryRepTW()->rowCount();
    std::printf("memory: RSS %+ld kB after the runs (%.0f bytes per row); dataset about %.0f bytes per row\n",
                rssAfter - rssBefore, (rssAfter - rssBefore) * 1024.0 / std::max(1, n),
                double(report.qryRepTW()->approximateBytes()) / std::max(1, n));

    if (!exportPath.isEmpty()) {
        QElapsedTimer timer;
        timer.start();
        const QString written = exportGridToXls(*report.gridRep(), exportPath);
        std::printf("export: %d rows to %s in %.3f s\n", n, qPrintable(written), timer.nsecsElapsed() / 1e9);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    Q_UNUSED(count);
    return 0;
}
