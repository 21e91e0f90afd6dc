// Still-image files: writing a picture as BMP, PNG, JPEG, TIFF, GIF, HEIF or WebP, chosen by the
// file name's extension, and reading such files back (and icons).
#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace platform::imaging {

enum class ImageFormat { Bmp, Png, Jpeg, Tiff, Gif, Heif, WebP };

/// The format named by the extension of `fileName`, in any letter case (".jpg" and ".jpeg",
/// ".tif" and ".tiff", ".heif" and ".heic"); nullopt for any other extension.
std::optional<ImageFormat> formatForFileName(const QString& fileName);

/// Writes `image` (any QImage format; premultiplied pixels are converted) to `fileName` in the
/// format its extension names. `quality` (0..100) steers the lossy formats; 100 writes WebP
/// losslessly. Returns an empty string on success, otherwise a message naming the file and the
/// cause. An unknown extension is refused and nothing is written.
[[nodiscard]] QString writeImage(const QString& fileName, const QImage& image, int quality = 100);

/// Reads an image file of one of the formats above or an icon (".ico", its largest picture);
/// the result is premultiplied 32-bit BGRA (QImage::Format_ARGB32_Premultiplied). Of an animated
/// GIF or WebP only the first frame is read. A null image with `error` set on failure.
QImage readImage(const QString& fileName, QString* error = nullptr);

/// The number of frames of a ".gif" or ".webp" file (1 for a still picture), 0 when it cannot be
/// read. Files of any other extension hold one picture: 1 without opening the file.
int imageFrameCount(const QString& fileName);

} // namespace platform::imaging
