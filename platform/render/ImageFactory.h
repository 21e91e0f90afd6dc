// ImageFactory: the process-wide entry to still-image encoders and decoders. The imaging layer
// builds on it; today it answers which formats Qt's image plugins can write.
#pragma once

#include <QByteArrayList>
#include <memory>

namespace platform::render {

class ImageFactory {
public:
    /// nullptr when PNG and JPEG cannot both be written (frames and thumbnails need them).
    static std::shared_ptr<ImageFactory> create();
    /// Lower-case format names ("png", "jpeg", ...) that can be written.
    QByteArrayList writableFormats() const;

private:
    ImageFactory() = default;
};

} // namespace platform::render
