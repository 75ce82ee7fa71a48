#pragma once

#include <QString>
#include <QStringList>

namespace tarnwick {

class FormStorage;

// The main window's named settings, declared in this order with these defaults.
namespace storedvalues {
inline const QString MaxListItems = QStringLiteral("MaxListItems");
inline const QString LocalIPPort = QStringLiteral("LocalIPPort");
inline const QString ConnectionString = QStringLiteral("ConnectionString");
inline const QString DirImages = QStringLiteral("DirImages");

constexpr int defaultMaxListItems = 300;
constexpr int defaultLocalIPPort = 1972;

// The suffixes of the sound-file and alert-switch values, one per event class.
const QStringList &classSuffixes(); // Unknown, Sensor, Egress, DOTL, ForcedEntry, ...
inline QString soundFileValue(const QString &suffix) { return QStringLiteral("edtSoundFile") + suffix; }
inline QString alertSwitchValue(const QString &suffix) { return QStringLiteral("chkAlert") + suffix; }

// Declares the 26 values on the main window's storage.
void declare(FormStorage &storage);
} // namespace storedvalues

} // namespace tarnwick
