// HEIF files through libheif (HEVC, or AV1 where no HEVC encoder is present).
#pragma once

#include <QImage>
#include <QString>

namespace platform::imaging {

/// Writes `image` (QImage::Format_ARGB32, straight alpha) at `quality` 0..100. Returns an empty
/// string on success, otherwise the cause.
QString writeHeif(const QString& fileName, const QImage& image, int quality);
/// The primary picture as QImage::Format_ARGB32; a null image with `error` set on failure.
QImage readHeif(const QString& fileName, QString& error);

} // namespace platform::imaging
