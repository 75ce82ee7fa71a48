#include "EventReaction.h"

#include "FormStorage.h"
#include "Translation.h"
#include "WavePlayer.h"

namespace tarnwick {

void reactToClass(EventClass cls, const QString &title, const QString &text, const QDateTime &when,
                  const FormStorage &storage, WavePlayer &player, AlertTarget &alert)
{
    if (cls == EventClass::None)
        return;

    if (storage.readValue(alertSwitchName(cls)).toBool()) {
        if (cls == EventClass::Unknown) {
            const QString unknown = i18n::tr("Nepoznata osoba");
            alert.ShowAlert(unknown, unknown, when);
        } else {
            alert.ShowAlert(title, text, when);
        }
    }

    // An empty name plays nothing, so a sound still playing from an earlier registration goes on.
    const QString sound = storage.readValue(soundFileName(cls)).toString();
    if (!sound.isEmpty())
        player.play(sound);
}

} // namespace tarnwick
