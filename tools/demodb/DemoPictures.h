#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace tarnwick::demo {

// Pictures drawn by the demo builder. Both draw text, so a QGuiApplication must exist.

// A passport-style portrait with the person's initials, 106 by 106 pixels (the size of the
// report's photo inset).
QImage drawPortrait(const QString &firstName, const QString &lastName, QColor background);

// A camera snapshot of a registration: a door scene with the time, the door's controller and
// the card printed on it, 192 by 144 pixels.
QImage drawSnapshot(const QString &timeText, const QString &terminalName, const QString &card,
                    int variant);

} // namespace tarnwick::demo
