// Raises one alert the way registration processing does, over another window, so that the alert
// window can be looked at on a real X display:
//   alert-demo [--quit-after <ms>]
// It keeps its settings in a scratch folder and never touches the user's own.

#include "EventClass.h"
#include "EventReaction.h"
#include "FormStorage.h"
#include "MainWindowValues.h"
#include "NonIDEventNames.h"
#include "RegistryStore.h"
#include "WavePlayer.h"
#include "uAlertForm.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The demo stays silent: it says on the terminal what it would have played.
class SilentPlayer : public tarnwick::WavePlayer
{
public:
    void play(const QString &fileName) override { qInfo("would play %s", qPrintable(fileName)); }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                 QStringLiteral("Quit after <ms> milliseconds."),
                                 QStringLiteral("ms"));
    parser.addOption(quitAfter);
    parser.addHelpOption();
    parser.process(app);

    using namespace tarnwick;
    NonIDEventNames();

    QTemporaryDir scratch;
    RegistryStore store(scratch.filePath(QStringLiteral("Tarnwick.reg")));
    FormStorage settings(&store, QStringLiteral("fTarnwick\\"), nullptr);
    storedvalues::declare(settings);
    settings.writeValue(alertSwitchName(EventClass::Alarm), true);
    settings.writeValue(soundFileName(EventClass::Alarm),
                        QStringLiteral("/usr/share/sounds/alarm.wav"));

    // Some other program's window, over which the alert has to appear.
    QLabel other(QStringLiteral("Drugi program"));
    other.setObjectName(QStringLiteral("otherWindow"));
    other.setAlignment(Qt::AlignCenter);
    other.setStyleSheet(QStringLiteral("background: #2f4f6f; color: white; font-size: 28px;"));
    other.setGeometry(0, 0, 800, 600);
    other.show();

    TfAlert alert(&store);
    fAlert = &alert;
    SilentPlayer player;

    QTimer::singleShot(500, &app, [&] {
        // A REG2 alarm input opened (code 174) at a terminal whose event is named "Magacin sever".
        const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
        reactToClass(soundAlertClass(MessageFormat::Reg2, 174),
                     nonIdEventName(MessageFormat::Reg2, 174), QStringLiteral("Magacin sever"),
                     when, settings, player, alert);
    });
    if (parser.isSet(quitAfter))
        QTimer::singleShot(parser.value(quitAfter).toInt(), &app, &QCoreApplication::quit);
    const int result = app.exec();
    fAlert = nullptr;
    return result;
}
