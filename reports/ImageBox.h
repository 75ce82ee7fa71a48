#pragma once

#include <QImage>
#include <QWidget>

namespace tarnwick {

// A picture shown inside the widget from its top-left corner, scaled to fit and keeping its
// proportions, on the widget's own background (which the owner sets). Double-clicking it is
// reported.
class ImageBox : public QWidget
{
    Q_OBJECT
public:
    explicit ImageBox(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    void clear() { setImage({}); }
    const QImage &image() const { return m_image; }
    bool isEmpty() const { return m_image.isNull(); }

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_image;
};

} // namespace tarnwick
