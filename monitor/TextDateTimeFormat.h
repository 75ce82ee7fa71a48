#pragma once

#include <QDateTime>
#include <QString>

namespace tarnwick {

// Date-time formats in the notation that the program's texts (and their translations) use:
// d dd ddd dddd, m mm mmm mmmm (minutes right after an hour), yy yyyy, h hh, n nn, s ss, z zzz,
// am/pm, text in single or double quotes; any other character stands for itself.
// "dd.mm.yyyy. hh:nn:ss" -> "dd.MM.yyyy. HH:mm:ss".
QString qtFormatOfTextFormat(const QString &format);

// when written in such a format, with the default locale's month and day names.
QString formatTextDateTime(const QDateTime &when, const QString &format);

} // namespace tarnwick
