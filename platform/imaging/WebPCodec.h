// WebP pictures through libwebp: still pictures, and the frames of animations.
#pragma once

#include <QImage>
#include <QString>

namespace platform::imaging {

/// Writes `image` (QImage::Format_ARGB32, straight alpha); `quality` 100 encodes losslessly,
/// lower values lossy at that quality. Returns an empty string on success, otherwise the cause.
QString writeWebP(const QString& fileName, const QImage& image, int quality);
/// The picture, or the first frame of an animation, as 32-bit BGRA (QImage::Format_ARGB32 or
/// QImage::Format_ARGB32_Premultiplied); a null image with `error` set on failure.
QImage readWebP(const QString& fileName, QString& error);
/// The number of frames of a WebP: 1 for a still picture; 0 when the file cannot be read.
int webPFrameCount(const QString& fileName);

} // namespace platform::imaging
