#pragma once

#include <QString>

namespace tarnwick {

// The text of a compiled-in SQL statement: resources/sql/<dialect>/<name>.sql.
// Throws Error when there is no such statement.
QString sqlText(const QString &dialect, const QString &name);

} // namespace tarnwick
