#include "platform/imaging/WebPCodec.h"

#include "platform/media/MediaType.h"
#include "platform/media/WebPAnimation.h"

#include <QFile>
#include <webp/decode.h>
#include <webp/encode.h>

namespace platform::imaging {

namespace {

std::string localPath(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

QByteArray readAll(const QString& fileName, QString& error) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return {};
    }
    return file.readAll();
}

bool readFeatures(const QByteArray& data, WebPBitstreamFeatures& features) {
    return WebPGetFeatures(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()),
                           &features) == VP8_STATUS_OK;
}

// Each side of a WebP is below 16384 already; a picture that large must also come from a file
// large enough to hold it, so that a few bytes cannot ask for a gigabyte.
bool plausibleSize(const WebPBitstreamFeatures& features, qint64 fileBytes) {
    return qint64(features.width) * features.height <=
           media::MaxFreePixels + fileBytes * media::MaxPixelsPerFileByte;
}

QImage decodeStill(const QByteArray& data, const WebPBitstreamFeatures& features, QString& error) {
    if (!plausibleSize(features, data.size())) {
        error = QStringLiteral("the file declares more picture than it can hold");
        return {};
    }
    QImage image(features.width, features.height, QImage::Format_ARGB32);
    if (image.isNull() ||
        !WebPDecodeBGRAInto(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()),
                            image.bits(), size_t(image.sizeInBytes()), int(image.bytesPerLine()))) {
        error = QStringLiteral("damaged WebP picture");
        return {};
    }
    return image;
}

QImage firstFrame(const QString& fileName, QString& error) {
    try {
        media::WebPAnimation animation(localPath(fileName));
        QImage image(animation.width(), animation.height(), QImage::Format_ARGB32_Premultiplied);
        if (!image.isNull() && animation.decodeFrame(0, image.bits(), int(image.bytesPerLine())))
            return image;
        error = QStringLiteral("damaged WebP animation");
    } catch (const media::MediaError& e) {
        error = QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

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
    const QByteArray data = readAll(fileName, error);
    WebPBitstreamFeatures features;
    if (!error.isEmpty() || !readFeatures(data, features)) {
        if (error.isEmpty())
            error = QStringLiteral("not a WebP picture");
        return {};
    }
    return features.has_animation ? firstFrame(fileName, error)
                                  : decodeStill(data, features, error);
}

int webPFrameCount(const QString& fileName) {
    QString error;
    WebPBitstreamFeatures features;
    if (!readFeatures(readAll(fileName, error), features))
        return 0;
    if (!features.has_animation)
        return 1;
    try {
        return int(media::WebPAnimation(localPath(fileName)).durations().size());
    } catch (const media::MediaError&) {
        return 0;
    }
}

} // namespace platform::imaging
