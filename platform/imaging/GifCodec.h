// GIF files through giflib (Qt reads GIF but cannot write it).
#pragma once

#include <QImage>
#include <QString>

namespace platform::imaging {

/// Writes `image` (QImage::Format_ARGB32, straight alpha) as a GIF. Up to 256 distinct colours
/// are kept exactly; more are reduced to a fixed 6x7x6 palette. Pixels with alpha below 128
/// become transparent. Returns an empty string on success, otherwise the cause.
QString writeGif(const QString& fileName, const QImage& image);

} // namespace platform::imaging
