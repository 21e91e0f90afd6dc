// GIF files through giflib.
#pragma once

#include <QImage>
#include <QString>

namespace platform::imaging {

/// Writes `image` (QImage::Format_ARGB32, straight alpha) as a GIF. Up to 256 distinct colours
/// are kept exactly; more are reduced to a fixed 6x7x6 palette. Pixels with alpha below 128
/// become transparent. Returns an empty string on success, otherwise the cause.
QString writeGif(const QString& fileName, const QImage& image);
/// The first frame of a GIF, still or animated, on its logical screen as
/// QImage::Format_ARGB32_Premultiplied (the screen outside the frame and its transparent pixels
/// are transparent); a null image with `error` set on failure.
QImage readGif(const QString& fileName, QString& error);
/// The number of frames of a GIF; 0 when the file cannot be read.
int gifFrameCount(const QString& fileName);

} // namespace platform::imaging
