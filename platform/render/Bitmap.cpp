#include "platform/render/Bitmap.h"

#include <cstring>

namespace platform::render {

namespace {

// Larger bitmaps than this (per side) are refused as damaged input rather than allocated.
constexpr uint32_t kMaxSide = 32768;

QImage::Format pixelFormat() {
    return QImage::Format_ARGB32_Premultiplied;
}

} // namespace

Bitmap::Bitmap(QImage image, const BitmapProperties& props)
    : image_(std::move(image)), props_(props) {
    if (props_.dpiX <= 0 || props_.dpiY <= 0)
        props_.dpiX = props_.dpiY = 96;
}

std::shared_ptr<Bitmap> Bitmap::create(SizeU size, const BitmapProperties& props, const void* data,
                                       int pitch) {
    if (size.width == 0 || size.height == 0 || size.width > kMaxSide || size.height > kMaxSide)
        return nullptr;
    if (data && pitch < int(size.width) * 4)
        return nullptr;
    QImage image(int(size.width), int(size.height), pixelFormat());
    if (image.isNull())
        return nullptr;
    image.fill(Qt::transparent);
    std::shared_ptr<Bitmap> bitmap(new Bitmap(std::move(image), props));
    if (data)
        bitmap->copyFromMemory(data, pitch);
    return bitmap;
}

std::shared_ptr<Bitmap> Bitmap::fromImage(const QImage& image, const BitmapProperties& props) {
    if (image.isNull())
        return nullptr;
    return std::shared_ptr<Bitmap>(new Bitmap(image.convertToFormat(pixelFormat()), props));
}

SizeF Bitmap::size() const {
    return {image_.width() * 96.0f / props_.dpiX, image_.height() * 96.0f / props_.dpiY};
}

bool Bitmap::copyFromBitmap(PointL dest, const Bitmap& src, std::optional<RectL> srcRect) {
    RectL from = srcRect.value_or(src.bounds()).intersected(src.bounds());
    // Clip against this bitmap, keeping source and destination aligned.
    const RectL to = from.translated(dest.x - from.left, dest.y - from.top).intersected(bounds());
    if (to.isEmpty())
        return false;
    from = to.translated(from.left - dest.x, from.top - dest.y);
    for (int32_t y = 0; y < to.height(); ++y)
        std::memcpy(image_.scanLine(to.top + y) + to.left * 4,
                    src.image_.constScanLine(from.top + y) + from.left * 4, size_t(to.width()) * 4);
    return true;
}

bool Bitmap::copyFromMemory(const void* data, int pitch, std::optional<RectL> dstRect) {
    const RectL to = dstRect.value_or(bounds());
    if (!data || to.isEmpty() || !bounds().contains(to) || pitch < to.width() * 4)
        return false;
    const auto* bytes = static_cast<const uchar*>(data);
    for (int32_t y = 0; y < to.height(); ++y)
        std::memcpy(image_.scanLine(to.top + y) + to.left * 4, bytes + size_t(y) * size_t(pitch),
                    size_t(to.width()) * 4);
    return true;
}

std::optional<MappedRect> Bitmap::map() {
    if (!hasOption(props_.options, BitmapOptions::CpuRead) || mapped_)
        return std::nullopt;
    mapped_ = true;
    return MappedRect{image_.constBits(), int(image_.bytesPerLine())};
}

bool Bitmap::unmap() {
    const bool was = mapped_;
    mapped_ = false;
    return was;
}

RectL Bitmap::bounds() const {
    return {0, 0, image_.width(), image_.height()};
}

ImageTile Bitmap::render(const RectL& region) const {
    if (bounds().contains(region) && props_.alphaMode == AlphaMode::Premultiplied) {
        // A view onto our own pixels: no copy.
        const uchar* start = image_.constScanLine(region.top) + region.left * 4;
        return {QImage(start, int(region.width()), int(region.height()), image_.bytesPerLine(),
                       pixelFormat()),
                region};
    }
    ImageTile tile = ImageTile::transparent(region);
    copyTileArea({image_, bounds()}, tile);
    if (props_.alphaMode == AlphaMode::Ignore) {
        const RectL area = region.intersected(bounds());
        for (int32_t y = area.top; y < area.bottom; ++y) {
            uint32_t* row = tile.mutableRow(y);
            for (int32_t x = area.left; x < area.right; ++x)
                row[x - region.left] |= 0xff000000u;
        }
    }
    return tile;
}

} // namespace platform::render
