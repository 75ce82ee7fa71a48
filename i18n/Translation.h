#pragma once

#include <QString>

namespace tarnwick::i18n {

// The translation service. The interface is written in Serbian; other languages come from a
// message catalogue whose identifiers are the Serbian texts. Until catalogues are loaded,
// tr() gives the Serbian text unchanged.
void start(const QString &languageCode);
void stop();

// A Serbian program text (UTF-8 source literal), translated at the moment of use.
QString tr(const char *serbian);

} // namespace tarnwick::i18n
