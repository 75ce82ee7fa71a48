#include "VersionText.h"

#include <QStringList>

namespace tarnwick {

QString fileVersion() { return QStringLiteral(TARNWICK_FILE_VERSION); }

QString versionText(const QString &fourNumbers)
{
    // Each part is shown as an unsigned decimal number, as the version resource holds them.
    QStringList parts = fourNumbers.split(u'.');
    while (parts.size() < 4)
        parts << QStringLiteral("0");
    QStringList numbers;
    for (int i = 0; i < 4; ++i)
        numbers << QString::number(parts[i].toUInt());
    const QString joined = numbers.join(u'.');
    return joined.left(joined.lastIndexOf(u'.'));
}

} // namespace tarnwick
