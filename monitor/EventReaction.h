#pragma once

#include "EventClass.h"

#include <QDateTime>
#include <QString>

namespace tarnwick {

class FormStorage;
class WavePlayer;

// Whatever shows an alert: the alert window fAlert, or a test's recorder.
class AlertTarget
{
public:
    virtual ~AlertTarget() = default;
    virtual void ShowAlert(const QString &title, const QString &text, const QDateTime &when) = 0;
};

// The reaction to one classified registration: when the class's alert switch is on, the alert;
// then the class's sound file (an empty one plays nothing). Both are read from the in-memory
// stored settings at every call, so a change in the settings dialog applies to the next
// registration. The alert does not depend on the sound, nor the sound on the alert.
//
// title is the code's name and text the terminal's configured event name (which may be empty);
// for Unknown both are "Nepoznata osoba" whatever is passed. when is the registration's
// controller time. None has no reaction.
void reactToClass(EventClass cls, const QString &title, const QString &text, const QDateTime &when,
                  const FormStorage &storage, WavePlayer &player, AlertTarget &alert);

} // namespace tarnwick
