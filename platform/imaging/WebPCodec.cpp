#include "platform/imaging/WebPCodec.h"

#include <QFile>
#include <webp/decode.h>
#include <webp/encode.h>

namespace platform::imaging {

QString writeWebP(const QString& fileName, const QImage& image, int quality) {
    uint8_t* output = nullptr;
    const size_t size =
        quality >= 100 ? WebPEncodeLosslessBGRA(image.constBits(), image.width(), image.height(),
                                                int(image.bytesPerLine()), &output)
                       : WebPEncodeBGRA(image.constBits(), image.width(), image.height(),
                                        int(image.bytesPerLine()), float(quality), &output);
    if (size == 0) {
        WebPFree(output);
        return QStringLiteral("the WebP encoder failed");
    }
    QFile file(fileName);
    QString cause;
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(output), qint64(size)) != qint64(size))
        cause = file.errorString();
    WebPFree(output);
    return cause;
}

QImage readWebP(const QString& fileName, QString& error) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return {};
    }
    const QByteArray data = file.readAll();
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    int width = 0, height = 0;
    if (!WebPGetInfo(bytes, size_t(data.size()), &width, &height)) {
        error = QStringLiteral("not a WebP picture");
        return {};
    }
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull() ||
        !WebPDecodeBGRAInto(bytes, size_t(data.size()), image.bits(), size_t(image.sizeInBytes()),
                            int(image.bytesPerLine()))) {
        error = QStringLiteral("damaged WebP picture");
        return {};
    }
    return image;
}

} // namespace platform::imaging
