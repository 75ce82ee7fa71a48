#include "ImageBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace tarnwick {

ImageBox::ImageBox(QWidget *parent) : QWidget(parent) {}

void ImageBox::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void ImageBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (autoFillBackground())
        painter.fillRect(rect(), palette().window());
    if (m_image.isNull())
        return;
    // From the top-left corner, where the holder's photo is laid over it.
    const QSize fitted = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint(0, 0), fitted);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}

void ImageBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    QWidget::mouseDoubleClickEvent(event);
}

} // namespace tarnwick
