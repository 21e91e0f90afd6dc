#include "platform/imaging/ImageFile.h"

#include "platform/imaging/GifCodec.h"
#include "platform/imaging/HeifCodec.h"
#include "platform/imaging/IcoCodec.h"
#include "platform/imaging/WebPCodec.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>

namespace platform::imaging {

namespace {

// The Qt plugin name of the formats Qt writes itself.
const char* qtFormatName(ImageFormat format) {
    switch (format) {
    case ImageFormat::Bmp:
        return "bmp";
    case ImageFormat::Png:
        return "png";
    case ImageFormat::Jpeg:
        return "jpeg";
    case ImageFormat::Tiff:
        return "tiff";
    default:
        return nullptr;
    }
}

QString writeWithQt(const QString& fileName, const QImage& image, const char* format, int quality) {
    QImageWriter writer(fileName, format);
    // For PNG, Qt reads the quality as the inverse of the compression level: lossless formats
    // keep their default compression.
    if (qstrcmp(format, "jpeg") == 0)
        writer.setQuality(quality);
    if (writer.write(image))
        return {};
    return writer.errorString();
}

bool isIcon(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower() == QLatin1String("ico");
}

QImage decode(const QString& fileName, QString& cause) {
    if (isIcon(fileName))
        return readIco(fileName, cause);
    switch (formatForFileName(fileName).value_or(ImageFormat::Png)) {
    case ImageFormat::Heif:
        return readHeif(fileName, cause);
    case ImageFormat::WebP:
        return readWebP(fileName, cause);
    case ImageFormat::Gif:
        return readGif(fileName, cause);
    default:
        break;
    }
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull())
        cause = reader.errorString();
    return image;
}

QString cannotWrite(const QString& fileName, const QString& cause) {
    return QStringLiteral("Cannot write %1: %2").arg(fileName, cause);
}

} // namespace

std::optional<ImageFormat> formatForFileName(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    struct Entry {
        const char* ext;
        ImageFormat format;
    };
    static constexpr Entry table[] = {
        {"bmp", ImageFormat::Bmp},   {"png", ImageFormat::Png},   {"jpg", ImageFormat::Jpeg},
        {"jpeg", ImageFormat::Jpeg}, {"tif", ImageFormat::Tiff},  {"tiff", ImageFormat::Tiff},
        {"gif", ImageFormat::Gif},   {"heif", ImageFormat::Heif}, {"heic", ImageFormat::Heif},
        {"webp", ImageFormat::WebP},
    };
    for (const Entry& e : table) {
        if (ext == QLatin1String(e.ext))
            return e.format;
    }
    return std::nullopt;
}

QString writeImage(const QString& fileName, const QImage& image, int quality) {
    const std::optional<ImageFormat> format = formatForFileName(fileName);
    if (!format) {
        return cannotWrite(
            fileName,
            QStringLiteral("unknown image type \"%1\"").arg(QFileInfo(fileName).suffix()));
    }
    if (image.isNull())
        return cannotWrite(fileName, QStringLiteral("the picture is empty"));
    quality = std::clamp(quality, 0, 100);
    const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
    QString cause;
    switch (*format) {
    case ImageFormat::Gif:
        cause = writeGif(fileName, straight);
        break;
    case ImageFormat::Heif:
        cause = writeHeif(fileName, straight, quality);
        break;
    case ImageFormat::WebP:
        cause = writeWebP(fileName, straight, quality);
        break;
    case ImageFormat::Jpeg:
        // JPEG has no alpha: the colours are written opaque.
        cause =
            writeWithQt(fileName, straight.convertToFormat(QImage::Format_RGB32), "jpeg", quality);
        break;
    default:
        cause = writeWithQt(fileName, straight, qtFormatName(*format), quality);
        break;
    }
    return cause.isEmpty() ? QString() : cannotWrite(fileName, cause);
}

QImage readImage(const QString& fileName, QString* error) {
    QString cause;
    const QImage image = decode(fileName, cause);
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Cannot read %1: %2").arg(fileName, cause);
        return {};
    }
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

int imageFrameCount(const QString& fileName) {
    switch (formatForFileName(fileName).value_or(ImageFormat::Png)) {
    case ImageFormat::Gif:
        return gifFrameCount(fileName);
    case ImageFormat::WebP:
        return webPFrameCount(fileName);
    default:
        return 1;
    }
}

} // namespace platform::imaging
