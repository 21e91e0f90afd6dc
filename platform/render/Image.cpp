#include "platform/render/Image.h"

#include "platform/render/Parallel.h"

#include <cstring>

namespace platform::render {

Image::~Image() = default;

ImageTile ImageTile::transparent(const RectL& region) {
    ImageTile tile{
        QImage(int(region.width()), int(region.height()), QImage::Format_ARGB32_Premultiplied),
        region};
    tile.pixels.fill(Qt::transparent);
    return tile;
}

ImageTile ImageTile::reuse(QImage& buffer, const RectL& region) {
    const QSize size(int(region.width()), int(region.height()));
    QImage pixels = std::move(buffer);
    buffer = QImage();
    if (pixels.size() != size || !pixels.isDetached())
        pixels = QImage(size, QImage::Format_ARGB32_Premultiplied);
    return {std::move(pixels), region};
}

const uint32_t* ImageTile::row(int32_t y) const {
    return reinterpret_cast<const uint32_t*>(pixels.constScanLine(y - region.top));
}

uint32_t* ImageTile::mutableRow(int32_t y) {
    return reinterpret_cast<uint32_t*>(pixels.scanLine(y - region.top));
}

uint32_t ImageTile::pixelAt(int32_t x, int32_t y) const {
    if (x < region.left || x >= region.right || y < region.top || y >= region.bottom)
        return 0;
    return row(y)[x - region.left];
}

void copyTileArea(const ImageTile& src, ImageTile& dst) {
    const RectL area = src.region.intersected(dst.region);
    if (area.isEmpty())
        return;
    for (int32_t y = area.top; y < area.bottom; ++y)
        std::memcpy(dst.mutableRow(y) + (area.left - dst.region.left),
                    src.row(y) + (area.left - src.region.left), size_t(area.width()) * 4);
}

void copyPadded(const ImageTile& in, ImageTile& out) {
    const RectL area = in.region.intersected(out.region);
    const int width = int(out.region.width());
    parallelRows(int(out.region.height()), width, [&](int first, int last) {
        for (int i = first; i < last; ++i) {
            const int32_t y = out.region.top + i;
            uint32_t* dst = out.mutableRow(y);
            if (y < area.top || y >= area.bottom || area.isEmpty()) {
                std::memset(dst, 0, size_t(width) * 4);
                continue;
            }
            std::memset(dst, 0, size_t(area.left - out.region.left) * 4);
            std::memcpy(dst + (area.left - out.region.left),
                        in.row(y) + (area.left - in.region.left), size_t(area.width()) * 4);
            std::memset(dst + (area.right - out.region.left), 0,
                        size_t(out.region.right - area.right) * 4);
        }
    });
}

} // namespace platform::render
