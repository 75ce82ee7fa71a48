#pragma once

#include <QByteArray>
#include <QImage>

namespace tarnwick {

// The picture held in JPEG data. Data that is not a JPEG picture (empty, garbage, cut off before
// the picture begins, CMYK, or larger than the pixel limit) gives a null image, with no message:
// callers show a picture only when there is one. Data cut off inside the picture still decodes,
// with the missing part grey, as image viewers show it.
QImage decodeJpeg(const QByteArray &data);

// JPEG data of the image at the given quality (1 worst .. 100 best), 4:2:0 chroma. Transparent
// parts are laid over white. Throws Error for a null image or a quality outside 1..100.
QByteArray encodeJpeg(const QImage &image, int quality);

// Decoding refuses pictures with more pixels than this (about 100 megapixels), so that a damaged
// header cannot make it allocate gigabytes.
inline constexpr qint64 jpegMaxPixels = 100'000'000;

} // namespace tarnwick
