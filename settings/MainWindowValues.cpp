#include "MainWindowValues.h"

#include "FormStorage.h"

namespace tarnwick::storedvalues {

const QStringList &classSuffixes()
{
    static const QStringList suffixes = {
        QStringLiteral("Unknown"),     QStringLiteral("Sensor"),     QStringLiteral("Egress"),
        QStringLiteral("DOTL"),        QStringLiteral("ForcedEntry"), QStringLiteral("TimeEvent"),
        QStringLiteral("DirCmd"),      QStringLiteral("VoltageFail"), QStringLiteral("VoltageOK"),
        QStringLiteral("CoverOpen"),   QStringLiteral("Alarm"),
    };
    return suffixes;
}

void declare(FormStorage &storage)
{
    storage.addStoredValue(MaxListItems, defaultMaxListItems);
    storage.addStoredValue(LocalIPPort, defaultLocalIPPort);
    storage.addStoredValue(ConnectionString, QString());
    for (const QString &suffix : classSuffixes())
        storage.addStoredValue(soundFileValue(suffix), QString());
    for (const QString &suffix : classSuffixes())
        storage.addStoredValue(alertSwitchValue(suffix), false);
    storage.addStoredValue(DirImages, QString());
}

} // namespace tarnwick::storedvalues
