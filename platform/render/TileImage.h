// TileImage: an Image made of one already computed tile, so that a kernel can feed the pixels
// it was handed into a small effect graph of its own without copying them.
#pragma once

#include "platform/render/Image.h"

namespace platform::render {

class TileImage : public Image {
public:
    /// An image whose pixels are `tile` and whose bounds are `bounds` (pixels of `bounds`
    /// outside the tile read as transparent).
    static std::shared_ptr<TileImage> create(ImageTile tile, const RectL& bounds);

    RectL bounds() const override { return bounds_; }
    ImageTile render(const RectL& region) const override;

private:
    TileImage(ImageTile tile, const RectL& bounds) : tile_(std::move(tile)), bounds_(bounds) {}
    ImageTile tile_;
    RectL bounds_;
};

} // namespace platform::render
