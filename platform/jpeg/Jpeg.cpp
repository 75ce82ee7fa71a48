#include "Jpeg.h"

#include "Error.h"

#include <QPainter>

#include <cstring>
#include <memory>
#include <turbojpeg.h>

namespace tarnwick {

namespace {

struct HandleCloser
{
    void operator()(void *handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct BufferFree
{
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};

} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    // Every JPEG stream starts with the SOI marker; checking it first keeps garbage away from
    // the decoder entirely.
    if (data.size() < 4 || static_cast<unsigned char>(data[0]) != 0xFF ||
        static_cast<unsigned char>(data[1]) != 0xD8)
        return {};

    Handle handle(tjInitDecompress());
    if (!handle)
        return {};
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    // A warning (for example stray bytes between markers) still fills in the header; a fatal
    // error that follows a warning is reported as a warning too, and is caught after decoding.
    if (tjDecompressHeader3(handle.get(), bytes, size, &width, &height, &subsampling,
                            &colourspace) != 0 &&
        tjGetErrorCode(handle.get()) != TJERR_WARNING)
        return {};
    if (width <= 0 || height <= 0 || qint64(width) * height > jpegMaxPixels)
        return {};
    // libjpeg cannot turn CMYK into RGB.
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK)
        return {};

    QImage image(width, height, QImage::Format_RGBX8888);
    if (image.isNull())
        return {};
    // The decoder sets the X byte of every pixel it delivers to 0xFF, so starting from zeros
    // tells a picture whose data ends early (a warning, every row still delivered, the rest
    // grey) from one that failed before its pixel data (TurboJPEG may then report the earlier
    // warning as the error code). QImage::fill would make RGBX pixels opaque, hence memset.
    std::memset(image.bits(), 0, static_cast<size_t>(image.sizeInBytes()));
    if (tjDecompress2(handle.get(), bytes, size, image.bits(), width,
                      static_cast<int>(image.bytesPerLine()), height, TJPF_RGBX, 0) != 0) {
        const uchar *lastPixel = image.constScanLine(height - 1) + 4 * (width - 1);
        if (tjGetErrorCode(handle.get()) != TJERR_WARNING || lastPixel[3] != 0xFF)
            return {};
    }
    return image;
}

QByteArray encodeJpeg(const QImage &image, int quality)
{
    if (image.isNull())
        throw Error(QStringLiteral("Cannot write an empty picture as JPEG"));
    if (quality < 1 || quality > 100)
        throw Error(QStringLiteral("JPEG quality %1 is outside 1..100").arg(quality));

    QImage rgb;
    if (image.hasAlphaChannel()) {
        rgb = QImage(image.size(), QImage::Format_RGBX8888);
        rgb.fill(Qt::white);
        QPainter painter(&rgb);
        painter.drawImage(0, 0, image);
    } else {
        rgb = image.convertToFormat(QImage::Format_RGBX8888);
    }

    Handle handle(tjInitCompress());
    if (!handle)
        throw Error(QStringLiteral("Cannot start the JPEG encoder"));
    unsigned char *output = nullptr;
    unsigned long outputSize = 0;
    const int rc = tjCompress2(handle.get(), rgb.constBits(), rgb.width(),
                               static_cast<int>(rgb.bytesPerLine()), rgb.height(), TJPF_RGBX,
                               &output, &outputSize, TJSAMP_420, quality, 0);
    std::unique_ptr<unsigned char, BufferFree> owned(output);
    if (rc != 0)
        throw Error(QStringLiteral("JPEG encoding failed: %1")
                        .arg(QString::fromLocal8Bit(tjGetErrorStr2(handle.get()))));
    return QByteArray(reinterpret_cast<const char *>(output), static_cast<qsizetype>(outputSize));
}

} // namespace tarnwick
