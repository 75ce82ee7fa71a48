#include "ReportPhotos.h"

#include <QFileInfo>
#include <QImageReader>

namespace tarnwick::report {

QString ReportPhotoFileName(const QString &folder, const QDateTime &when, const QVariant &mediaId)
{
    const QString id = mediaId.isNull() ? QString() : mediaId.toString();
    return folder + u'/' + when.toString(QStringLiteral("yyyy-MM-dd")) + u'/' +
           when.toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'-' + id + QStringLiteral(".jpg");
}

QImage loadSnapshot(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    QImageReader reader(path, info.suffix().toLatin1());
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    return image;
}

} // namespace tarnwick::report
