// tarnwick-demo-db: builds the demo access-control database (see --help).

#include "DemoDatabase.h"
#include "Error.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

#include <optional>

using namespace tarnwick;

namespace {

int usageError(const QString &message)
{
    QTextStream(stderr) << "tarnwick-demo-db: " << message << "\n"
                        << "Try tarnwick-demo-db --help\n";
    return 2;
}

// The value of a numeric option, or an error text.
std::optional<qint64> number(const QCommandLineParser &parser, const QString &name, qint64 lowest,
                             qint64 highest, QString *error)
{
    bool ok = false;
    const QString text = parser.value(name);
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < lowest || value > highest) {
        *error = QStringLiteral("--%1 wants a whole number in %2..%3, not \"%4\"")
                     .arg(name)
                     .arg(lowest)
                     .arg(highest)
                     .arg(text);
        return std::nullopt;
    }
    return value;
}

} // namespace

int main(int argc, char **argv)
{
    // The pictures are drawn with QPainter, which needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tarnwick-demo-db"));

    const demo::DemoOptions defaults;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Builds a demo access-control database (SQLite) for Tarnwick: departments, employees "
        "with photos, cards, REG1 and REG2 controllers, doors, zones, door assignments, event "
        "names, communication services and stored registrations over the last months, with "
        "snapshot pictures. The same options and seed give the same content.\n\n"
        "OUTPUT.db must not exist unless --replace is given. The database is built in a "
        "temporary file beside it and renamed over it at the end, so a failed build leaves "
        "the old file (or none) in place. Snapshots are written as "
        "DIR/yyyy-MM-dd/yyyyMMdd-HHmmss-<card>.jpg; files of the same name are overwritten, "
        "other files in DIR are left alone."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("OUTPUT.db"),
                                 QStringLiteral("The database file to create."));
    parser.addOptions({
        {QStringLiteral("photos"),
         QStringLiteral("Folder for the snapshot pictures (default: none are drawn)."),
         QStringLiteral("DIR")},
        {QStringLiteral("people"),
         QStringLiteral("Number of employees (default %1).").arg(defaults.people),
         QStringLiteral("N"), QString::number(defaults.people)},
        {QStringLiteral("registrations"),
         QStringLiteral("Number of stored registrations (default %1).").arg(defaults.registrations),
         QStringLiteral("N"), QString::number(defaults.registrations)},
        {QStringLiteral("months"),
         QStringLiteral("Months of registrations before the end (default %1).")
             .arg(defaults.months),
         QStringLiteral("N"), QString::number(defaults.months)},
        {QStringLiteral("until"),
         QStringLiteral("Last day of registrations, YYYY-MM-DD (default: today, up to the "
                        "current time)."),
         QStringLiteral("YYYY-MM-DD")},
        {QStringLiteral("seed"),
         QStringLiteral("Seed of the generator (default %1).").arg(defaults.seed),
         QStringLiteral("N"), QString::number(defaults.seed)},
        {QStringLiteral("snapshots"),
         QStringLiteral("Percentage of registrations with a snapshot picture when --photos is "
                        "given (default %1).")
             .arg(defaults.snapshotPercent),
         QStringLiteral("PERCENT"), QString::number(defaults.snapshotPercent)},
        {QStringLiteral("replace"), QStringLiteral("Replace OUTPUT.db when it exists.")},
    });

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("no output file given"));
    if (positional.size() > 1)
        return usageError(QStringLiteral("one output file expected, got %1 arguments: %2")
                              .arg(positional.size())
                              .arg(positional.join(QLatin1Char(' '))));

    demo::DemoOptions options;
    options.outputFile = positional.first();
    options.photoDir = parser.value(QStringLiteral("photos"));
    options.replace = parser.isSet(QStringLiteral("replace"));
    QString error;
    const auto people = number(parser, QStringLiteral("people"), 1, 100000, &error);
    const auto registrations = number(parser, QStringLiteral("registrations"), 1, 50000000, &error);
    const auto months = number(parser, QStringLiteral("months"), 1, 120, &error);
    const auto seed =
        number(parser, QStringLiteral("seed"), 0, std::numeric_limits<qint64>::max(), &error);
    const auto snapshots = number(parser, QStringLiteral("snapshots"), 0, 100, &error);
    if (!error.isEmpty())
        return usageError(error);
    options.people = int(*people);
    options.registrations = int(*registrations);
    options.months = int(*months);
    options.seed = std::uint64_t(*seed);
    options.snapshotPercent = int(*snapshots);
    if (parser.isSet(QStringLiteral("until"))) {
        const QString text = parser.value(QStringLiteral("until"));
        options.until = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (!options.until.isValid())
            return usageError(
                QStringLiteral("--until wants a date as YYYY-MM-DD, not \"%1\"").arg(text));
    }

    try {
        QElapsedTimer timer;
        timer.start();
        const demo::DemoSummary s = demo::buildDemoDatabase(options);
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        QTextStream(stdout) << options.outputFile << ": " << s.registrations
                            << " registrations from " << s.first.toString(format) << " to "
                            << s.last.toString(format) << ", " << s.people << " people, " << s.cards
                            << " cards, " << s.terminals << " controllers, " << s.doors
                            << " doors, " << s.zones << " zones, " << s.snapshots
                            << " snapshot pictures; "
                            << QString::number(timer.elapsed() / 1000.0, 'f', 1) << " s\n";
    } catch (const std::exception &e) {
        QTextStream(stderr) << "tarnwick-demo-db: " << messageOf(e) << "\n";
        return 1;
    }
    return 0;
}
