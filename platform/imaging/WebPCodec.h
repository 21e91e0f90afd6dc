// WebP still pictures through libwebp.
#pragma once

#include <QImage>
#include <QString>

namespace platform::imaging {

/// Writes `image` (QImage::Format_ARGB32, straight alpha); `quality` 100 encodes losslessly,
/// lower values lossy at that quality. Returns an empty string on success, otherwise the cause.
QString writeWebP(const QString& fileName, const QImage& image, int quality);
/// The picture as QImage::Format_ARGB32; a null image with `error` set on failure.
QImage readWebP(const QString& fileName, QString& error);

} // namespace platform::imaging
