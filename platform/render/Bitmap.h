// Bitmap: a block of premultiplied 32-bit BGRA pixels (QImage::Format_ARGB32_Premultiplied on
// little-endian machines) with a DPI, usable as drawing target, drawing source and effect input.
#pragma once

#include "platform/render/Image.h"

#include <QImage>
#include <memory>
#include <optional>

namespace platform::render {

enum class BitmapOptions : uint32_t {
    None = 0,
    Target = 1,     ///< may be the target of a device context
    CannotDraw = 2, ///< may not be drawn from (DrawBitmap, DrawImage, brushes, effect input)
    CpuRead = 4,    ///< may be mapped for reading; such bitmaps are copies, not targets
};
constexpr BitmapOptions operator|(BitmapOptions a, BitmapOptions b) {
    return BitmapOptions(uint32_t(a) | uint32_t(b));
}
constexpr bool hasOption(BitmapOptions set, BitmapOptions o) {
    return (uint32_t(set) & uint32_t(o)) != 0;
}

/// How the alpha byte is read. Ignore: the bitmap is opaque whatever its alpha bytes say;
/// clearing it to a colour writes the colour's RGB with full alpha.
enum class AlphaMode { Premultiplied, Ignore };

struct BitmapProperties {
    AlphaMode alphaMode = AlphaMode::Premultiplied;
    float dpiX = 96;
    float dpiY = 96;
    BitmapOptions options = BitmapOptions::None;
};

/// Read access to a mapped bitmap's pixels.
struct MappedRect {
    const uchar* bits = nullptr;
    int pitch = 0;
};

class Bitmap : public Image {
public:
    /// A new bitmap of `pixelSize`, transparent black unless `data` (rows of `pitch` bytes in
    /// the bitmap's format) is given. Returns nullptr for an empty or absurd size, or when
    /// `data` is given with a pitch smaller than width * 4.
    static std::shared_ptr<Bitmap> create(SizeU pixelSize, const BitmapProperties& props = {},
                                          const void* data = nullptr, int pitch = 0);
    /// A bitmap holding a copy of `image` converted to premultiplied BGRA; nullptr when null.
    static std::shared_ptr<Bitmap> fromImage(const QImage& image,
                                             const BitmapProperties& props = {});

    SizeU pixelSize() const { return {uint32_t(image_.width()), uint32_t(image_.height())}; }
    /// The size in DIPs: pixels * 96 / dpi.
    SizeF size() const;
    float dpiX() const { return props_.dpiX; }
    float dpiY() const { return props_.dpiY; }
    AlphaMode alphaMode() const { return props_.alphaMode; }
    BitmapOptions options() const { return props_.options; }
    bool canDraw() const { return !hasOption(props_.options, BitmapOptions::CannotDraw); }

    /// Copies `srcRect` (pixels; the whole source when absent) of `src` to `dest` in this bitmap.
    /// Parts outside either bitmap are left out. False when nothing could be copied.
    bool copyFromBitmap(PointL dest, const Bitmap& src, std::optional<RectL> srcRect = {});
    /// Copies rows of `pitch` bytes into `dstRect` (the whole bitmap when absent). To copy from
    /// what a context has drawn so far, use DeviceContext::copyFromTarget().
    bool copyFromMemory(const void* data, int pitch, std::optional<RectL> dstRect = {});

    /// Maps a CpuRead bitmap for reading; nullopt when the bitmap lacks CpuRead or is mapped.
    std::optional<MappedRect> map();
    /// Ends a map(); false when the bitmap was not mapped.
    bool unmap();
    bool isMapped() const { return mapped_; }

    /// The pixels. Draw into them only through a DeviceContext.
    const QImage& image() const { return image_; }
    QImage& image() { return image_; }

    RectL bounds() const override;
    ImageTile render(const RectL& region) const override;

private:
    Bitmap(QImage image, const BitmapProperties& props);

    QImage image_;
    BitmapProperties props_;
    bool mapped_ = false;
};

using BitmapPtr = std::shared_ptr<Bitmap>;

} // namespace platform::render
