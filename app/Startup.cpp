#include "Startup.h"

#include "Error.h"
#include "MessageBoxes.h"
#include "NonIDEventNames.h"
#include "RegistryStore.h"
#include "SingleInstanceLock.h"
#include "TarnwickApplication.h"
#include "Trace.h"
#include "Translation.h"
#include "VersionText.h"
#include "uAlertForm.h"
#include "uTarnwick.h"

#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace tarnwick {

QString pinRegionalFormats()
{
    const QByteArray all = qgetenv("LC_ALL");
    const QByteArray lang = qgetenv("LANG");
    if (all.isEmpty() && !lang.isEmpty()) {
        for (const char *category : {"LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_COLLATE", "LC_MONETARY",
                                     "LC_PAPER", "LC_MEASUREMENT"}) {
            if (qgetenv(category).isEmpty())
                qputenv(category, lang);
        }
    }
    QByteArray time = all;
    if (time.isEmpty())
        time = qgetenv("LC_TIME");
    if (time.isEmpty())
        time = lang;
    return QString::fromLocal8Bit(time);
}

namespace {

void closeForLogoff(QPointer<TfTarnwick> window)
{
    // Modal boxes and dialogs go first, as a desktop logoff closes them, then the main window
    // closes the normal way and saves its settings.
    for (int guard = 0; guard < 32; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == window)
            break;
        modal->close();
        if (QApplication::activeModalWidget() == modal)
            modal->hide();
    }
    QTimer::singleShot(0, qApp, [window] {
        if (window)
            window->close();
        else
            QCoreApplication::quit();
    });
}

} // namespace

int runTarnwick(int argc, char **argv)
{
    // The per-user key. Reading it changes nothing: a second instance must leave the file as it is.
    RegistryStore store;
    const RegistryStore::LoadResult loaded = store.load();

    QString language = QStringLiteral("en");
    if (const std::optional<RegValue> stored = store.value(QString(), QStringLiteral("Language"));
        stored && stored->isString() && !stored->text.isEmpty())
        language = stored->text;

    // The controllers' event names are fixed before any translation starts.
    NonIDEventNames();

    const QString regional = pinRegionalFormats();
    qputenv("LANG", language.toLocal8Bit());
    i18n::start(language);

    if (!SingleInstanceLock::acquire())
        return 0;

    const QString version = fileVersion();

    TarnwickApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(version);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tarnwick.svg")));
    // The main window alone decides when the run ends (its close), not the last window on screen.
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(regional.isEmpty() || regional == "C" || regional == "POSIX" ? QLocale::c()
                                                                                        : QLocale(regional));

    QString setAside;
    QString setAsideError;
    if (loaded == RegistryStore::LoadResult::Corrupt) {
        try {
            setAside = store.setAsideCorruptFile();
        } catch (const Error &e) {
            setAsideError = e.message();
        }
        trace(QStringLiteral("Settings file %1 could not be read: %2").arg(store.filePath(), store.loadError()));
    }

    int result = 0;
    {
        auto window = std::make_unique<TfTarnwick>(&store, &language);
        auto alertWindow = std::make_unique<TfAlert>(&store);
        fAlert = alertWindow.get();

        QPointer<TfTarnwick> guard(window.get());
        app.onTerminationRequest([guard] { closeForLogoff(guard); });

        QTimer::singleShot(0, window.get(), [&] {
            window->showFirstTime();
            if (!setAside.isEmpty() || !setAsideError.isEmpty()) {
                const QString text =
                    setAside.isEmpty()
                        ? i18n::tr("Datoteka sa podešavanjima %1 nije ispravna (%2) i ne može da se premesti: %3")
                              .arg(store.filePath(), store.loadError(), setAsideError)
                        : i18n::tr("Datoteka sa podešavanjima nije ispravna (%1). Sačuvana je kao %2, a program "
                                   "počinje sa podrazumevanim podešavanjima.")
                              .arg(store.loadError(), setAside);
                ShowMessageBox(i18n::tr("Obaveštenje"), text, IconWarning);
            }
        });

        result = app.exec();

        store.setValue(QString(), QStringLiteral("Language"), RegValue::string(language));
        i18n::stop();
        fAlert = nullptr;
        alertWindow.reset();
        window.reset(); // stores what the window keeps until its destruction
        try {
            store.save();
        } catch (const Error &e) {
            trace(QStringLiteral("Settings not saved: %1").arg(e.message()));
        }
    }
    return result;
}

} // namespace tarnwick
