#include "graphics/URCEPixelate.h"

#include "graphics/URCustomShading.h"

#include <numbers>

using platform::render::ImageTile;
using platform::render::PixelF;
using platform::render::PointF;
using platform::render::RectL;
using platform::render::Vector2;
using platform::render::Vector4;

namespace {

void run(const void* buffer, std::span<const ImageTile> in, ImageTile& out) {
    const auto& b = ShaderBuffer<TCE_Pixelate_Buffer>(buffer);
    const int size = std::clamp(shading::wholeNumber(b.Size, 0), 0, 4096);
    shading::copy(in[0], out);
    if (size <= 1)
        return;
    RectL area = in[0].region;
    if (b.MaxWidth >= 1 && b.MaxHeight >= 1)
        area = area.intersected(RectL::covering({0, 0, b.MaxWidth, b.MaxHeight}));
    const RectL drawn = area.intersected(out.region);
    if (drawn.isEmpty())
        return;
    // Blocks are counted from the area's corner; each band of block rows is one task.
    const int32_t firstRow = (drawn.top - area.top) / size;
    const int32_t lastRow = (drawn.bottom - 1 - area.top) / size;
    const platform::render::TileReader src(in[0]);
    platform::render::parallelRows(
        lastRow - firstRow + 1, int(drawn.width()) * size, [&](int lo, int hi) {
            for (int32_t row = firstRow + lo; row < firstRow + hi; ++row)
                for (int32_t left = area.left + (drawn.left - area.left) / size * size;
                     left < drawn.right; left += size) {
                    const RectL block =
                        RectL{left, area.top + row * size, left + size, area.top + (row + 1) * size}
                            .intersected(area);
                    PixelF sum;
                    for (int32_t y = block.top; y < block.bottom; ++y)
                        for (int32_t x = block.left; x < block.right; ++x)
                            sum += src.at(x, y);
                    const uint32_t mean =
                        platform::render::packPixel(sum * (1.0f / float(block.area())));
                    const RectL target = block.intersected(out.region);
                    for (int32_t y = target.top; y < target.bottom; ++y)
                        std::fill_n(out.mutableRow(y) + (target.left - out.region.left),
                                    target.width(), mean);
                }
        });
}

} // namespace

const TRCustomEffectInfo& TRCEPixelate::Info() {
    static const TRCustomEffectInfo info{
        CLSID_CEPixelate,
        "Pixelate",
        QUuid(0xa55f392a, 0x1589, 0x4aea, 0xa4, 0xe6, 0x7f, 0x92, 0x61, 0xee, 0xc3, 0x56),
        "CE_Pixelate",
        1,
        sizeof(TCE_Pixelate_Buffer),
        {
            {"Size", "float", "1", offsetof(TCE_Pixelate_Buffer, Size),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxWidth", "float", "1", offsetof(TCE_Pixelate_Buffer, MaxWidth),
             0.0f}, // declared "1"; Initialize sets 0, which wins
            {"MaxHeight", "float", "1", offsetof(TCE_Pixelate_Buffer, MaxHeight),
             0.0f}, // declared "1"; Initialize sets 0, which wins
        },
        {{{0, 2.0f}}, {0xff808080u, 0xff808080u, 0xff808080u, 0xff808080u}}};
    return info;
}

TRPixelShader TRCEPixelate::Shader() {
    return {run, true};
}
