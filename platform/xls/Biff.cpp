#include "Biff.h"

#include <QString>

namespace tarnwick::xls::biff {

QByteArray stringBody(const QString &text)
{
    const qsizetype n = text.size();
    bool narrow = true;
    for (QChar c : text) {
        if (c.unicode() > 0xFF) {
            narrow = false;
            break;
        }
    }
    QByteArray out;
    out.reserve(1 + n * (narrow ? 1 : 2));
    appendU8(out, narrow ? 0 : 1);
    for (QChar c : text) {
        if (narrow)
            appendU8(out, quint8(c.unicode()));
        else
            appendU16(out, c.unicode());
    }
    return out;
}

QByteArray shortString(const QString &text)
{
    QByteArray out;
    appendU8(out, quint8(text.size()));
    out.append(stringBody(text));
    return out;
}

QByteArray longString(const QString &text)
{
    QByteArray out;
    appendU16(out, quint16(text.size()));
    out.append(stringBody(text));
    return out;
}

} // namespace tarnwick::xls::biff
