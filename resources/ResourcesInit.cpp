#include "ResourcesInit.h"

#include <QFile>
#include "Error.h"

namespace tarnwick {

QString sqlText(const QString &dialect, const QString &name)
{
    QFile file(QStringLiteral(":/sql/%1/%2.sql").arg(dialect, name));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("No SQL text %1 for %2").arg(name, dialect));
    return QString::fromUtf8(file.readAll());
}

} // namespace tarnwick
