#include "objects/URShapeIcons.h"

#include "graphics/URDX12Base.h"
#include "objects/URPropShape.h"
#include "objects/URShapeKinds.h"
#include "platform/render/Brush.h"
#include "platform/render/ContextState.h"

#include <QImage>
#include <QPixmap>
#include <cstring>

using namespace platform::render;

namespace {

bool OutlineOnly(const char* name) {
    return std::strcmp(name, "Line") == 0 || std::strcmp(name, "Arrow") == 0;
}

// The mapped read-back copy as an image of its own (rows top-down, as the bitmap holds them).
QImage ReadBack(Bitmap& copy, int width, int height) {
    const std::optional<MappedRect> mapped = copy.map();
    if (!mapped)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), mapped->bits + std::ptrdiff_t(y) * mapped->pitch,
                    std::size_t(width) * 4);
    copy.unmap();
    return image;
}

} // namespace

void RenderShapeIcons(QList<QIcon>& list, int width, int height, bool filled, QColor back) {
    if (!D2DContext || width <= 0 || height <= 0)
        return;
    const SizeU size{uint32_t(width), uint32_t(height)};
    // Opaque bitmaps: the alpha of the background colour is ignored.
    const BitmapPtr target =
        Bitmap::create(size, {AlphaMode::Ignore, 96, 96, BitmapOptions::Target});
    const BitmapPtr copy = Bitmap::create(
        size, {AlphaMode::Ignore, 96, 96, BitmapOptions::CpuRead | BitmapOptions::CannotDraw});
    if (!target || !copy)
        return;
    DeviceContext& context = *D2DContext;
    ContextStateGuard guard(context);
    context.setTarget(target);
    context.setTransform({});
    const auto fillBrush = SolidColorBrush::create({1, 1, 1, 1}, 0.5f);
    const auto lineBrush = SolidColorBrush::create({1, 1, 1, 1}, 0.7f);
    const ColorF background{float(back.redF()), float(back.greenF()), float(back.blueF()), 0};
    const QRectF rect(QPointF(1, 1), QPointF(width - 1, height - 1));
    TRPropShape shape;
    for (const TRShapeKind& kind : ShapeKinds) {
        context.beginDraw();
        context.clear(background);
        shape.FShapeName = QString::fromLatin1(kind.Name);
        shape.FRoundness = kind.DefaultAdjust;
        const GeometryPtr outline = shape.GetGeometry(rect, -1);
        if (filled && !OutlineOnly(kind.Name))
            context.fillGeometry(*outline, *fillBrush);
        context.drawGeometry(*outline, *lineBrush, 2);
        context.endDraw();
        copy->copyFromBitmap({0, 0}, *target);
        list.append(QIcon(QPixmap::fromImage(ReadBack(*copy, width, height))));
    }
}
