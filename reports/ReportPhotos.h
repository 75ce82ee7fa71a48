#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QVariant>

namespace tarnwick::report {

// The snapshot of a registration: <folder>/<yyyy-mm-dd>/<yyyymmdd-hhnnss>-<card>.jpg. The folder
// is used as stored: no separator is added to or removed from it.
QString ReportPhotoFileName(const QString &folder, const QDateTime &when, const QVariant &mediaId);

// The picture file, its type chosen by its extension; a null image when it is missing or cannot
// be read as a picture.
QImage loadSnapshot(const QString &path);

} // namespace tarnwick::report
