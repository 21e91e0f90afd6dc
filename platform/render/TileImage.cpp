#include "platform/render/TileImage.h"

namespace platform::render {

std::shared_ptr<TileImage> TileImage::create(ImageTile tile, const RectL& bounds) {
    return std::shared_ptr<TileImage>(new TileImage(std::move(tile), bounds));
}

ImageTile TileImage::render(const RectL& region) const {
    if (region == tile_.region)
        return tile_;
    ImageTile out = ImageTile::transparent(region);
    if (!tile_.pixels.isNull())
        copyTileArea(tile_, out);
    return out;
}

} // namespace platform::render
