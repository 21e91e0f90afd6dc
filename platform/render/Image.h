// Image: anything the device context can draw with DrawImage and an effect can take as input:
// a bitmap or an effect's output. Images are evaluated lazily, one pixel region at a time.
#pragma once

#include "platform/render/Types.h"

#include <QImage>
#include <memory>

namespace platform::render {

/// A block of premultiplied BGRA pixels (QImage::Format_ARGB32_Premultiplied) covering
/// `region` of an image's pixel space. `pixels` may share memory with a bitmap: treat it as
/// read-only unless the producer handed it over.
struct ImageTile {
    QImage pixels;
    RectL region;

    /// A transparent tile of `region`'s size.
    static ImageTile transparent(const RectL& region);
    /// A writable tile of `region`'s size with undefined contents. It takes over `buffer`'s
    /// memory when that has the right size and nobody else holds it, else gets new memory;
    /// `buffer` is left null. Hand the pixels back (buffer = tile.pixels) once written, so the
    /// next frame can use the same memory again.
    static ImageTile reuse(QImage& buffer, const RectL& region);
    /// The pixel row `y` (absolute image coordinate) starting at column region.left.
    const uint32_t* row(int32_t y) const;
    /// A writable row. Safe from several threads only when no one else shares `pixels`
    /// (tiles from transparent() and reuse() are unshared until copied).
    uint32_t* mutableRow(int32_t y);
    /// The pixel at absolute image coordinates, transparent outside the tile.
    uint32_t pixelAt(int32_t x, int32_t y) const;
};

/// Copies the pixels where `src` and `dst` overlap (absolute coordinates) from `src` to `dst`.
void copyTileArea(const ImageTile& src, ImageTile& dst);

/// Fills `dst` with the pixels of `src` where they overlap and transparent elsewhere, in
/// parallel rows (`dst` must be unshared).
void copyPadded(const ImageTile& src, ImageTile& dst);

class Image : public std::enable_shared_from_this<Image> {
public:
    virtual ~Image();

    /// The region where the image may have non-transparent pixels, in image pixels. Generators
    /// answer RectL::infinite().
    virtual RectL bounds() const = 0;

    /// Produces the pixels of `region` (which must be finite and non-empty). Pixels outside
    /// bounds() are transparent. Only the region asked for is computed.
    virtual ImageTile render(const RectL& region) const = 0;

    /// True when `other` is this image or an image this one reads from (directly or through
    /// other effects); used to refuse cyclic effect graphs.
    virtual bool dependsOn(const Image* other) const { return other == this; }

protected:
    Image() = default;
};

using ImagePtr = std::shared_ptr<Image>;

} // namespace platform::render
