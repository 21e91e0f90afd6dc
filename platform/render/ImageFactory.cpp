#include "platform/render/ImageFactory.h"

#include <QImageWriter>

namespace platform::render {

std::shared_ptr<ImageFactory> ImageFactory::create() {
    const QByteArrayList formats = QImageWriter::supportedImageFormats();
    if (!formats.contains("png") || !formats.contains("jpeg"))
        return nullptr;
    return std::shared_ptr<ImageFactory>(new ImageFactory);
}

QByteArrayList ImageFactory::writableFormats() const {
    return QImageWriter::supportedImageFormats();
}

} // namespace platform::render
