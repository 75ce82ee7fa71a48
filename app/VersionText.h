#pragma once

#include <QString>

namespace tarnwick {

// The program's four-number file version ("2.3.1.45").
QString fileVersion();
// A four-number version cut just before its last "." ("2.3.1.45" gives "2.3.1").
QString versionText(const QString &fourNumbers);
inline QString VersionText() { return versionText(fileVersion()); }

} // namespace tarnwick
