#include "DemoPictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace tarnwick::demo {

QImage drawPortrait(const QString &firstName, const QString &lastName, QColor background)
{
    QImage image(106, 106, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor skin(232, 196, 166);
    const QColor shirt = background.darker(180);
    p.setPen(Qt::NoPen);
    p.setBrush(shirt);
    p.drawEllipse(QRectF(13, 72, 80, 70)); // shoulders
    p.setBrush(skin);
    p.drawEllipse(QRectF(33, 18, 40, 50)); // head
    p.setBrush(background.darker(250));
    p.drawChord(QRectF(31, 14, 44, 34), 0, 180 * 16); // hair
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    const QString initials = firstName.left(1) + lastName.left(1);
    p.drawText(QRect(0, 84, 106, 20), Qt::AlignCenter, initials);
    return image;
}

QImage drawSnapshot(const QString &timeText, const QString &terminalName, const QString &card,
                    int variant)
{
    QImage image(192, 144, QImage::Format_RGB32);
    const QColor wall = QColor::fromHsv((variant * 37) % 360, 40, 150);
    image.fill(wall);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 60, 40));
    p.drawRect(70, 24, 52, 100); // door
    p.setBrush(QColor(200, 200, 170));
    p.drawEllipse(QPointF(112, 76), 3, 3); // handle
    if (variant % 3 != 0) {                // someone in front of the door
        p.setBrush(QColor(40, 40, 60));
        p.drawEllipse(QRectF(40 + variant % 50, 60, 36, 80));
        p.setBrush(QColor(225, 190, 160));
        p.drawEllipse(QRectF(48 + variant % 50, 36, 20, 26));
    }
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRect(0, 0, 192, 18);
    p.drawRect(0, 126, 192, 18);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(4, 0, 184, 18), Qt::AlignVCenter | Qt::AlignLeft, timeText);
    p.drawText(QRect(4, 126, 184, 18), Qt::AlignVCenter | Qt::AlignLeft,
               terminalName + QLatin1String("  ") + card);
    return image;
}

} // namespace tarnwick::demo
