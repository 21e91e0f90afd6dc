#include "platform/render/DeviceContext.h"

#include "platform/render/Parallel.h"

#include <algorithm>
#include <cmath>

namespace platform::render {

namespace {

QPainterPath rectPath(const RectF& r) {
    QPainterPath path;
    path.addRect(r.toQRectF());
    return path;
}

// QPainterPath caches derived data lazily in its shared part; painters on other threads get
// a copy that shares nothing.
QPainterPath unshared(const QPainterPath& path) {
    QPainterPath copy;
    copy.setFillRule(path.fillRule());
    copy.addPath(path);
    return copy;
}

float maxScale(const Matrix3x2& m) {
    return std::max(std::hypot(m.m11, m.m12), std::hypot(m.m21, m.m22));
}

// How far a stroke of `width` may reach beyond its path, in device pixels.
float strokeReach(float width, const StrokeStyle* style, const Matrix3x2& toDevice) {
    const float miter = style ? std::max(style->properties().miterLimit, 1.0f) : 10.0f;
    const bool fixed = style && style->properties().transformType != StrokeTransformType::Normal;
    const float w = fixed ? std::max(width, 1.0f) : width * maxScale(toDevice);
    return w * std::max(miter, 1.5f) / 2 + 2;
}

RectF inflate(const RectF& r, float by) {
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

} // namespace

TextLayout::~TextLayout() = default;

std::shared_ptr<DeviceContext> DeviceContext::create(FactoryPtr factory) {
    if (!factory)
        return nullptr;
    return std::shared_ptr<DeviceContext>(new DeviceContext(std::move(factory)));
}

void DeviceContext::beginDraw() {
    drawing_ = true;
    failed_ = false;
}

bool DeviceContext::endDraw() {
    if (!stack_.empty()) {
        failed_ = true;
        dropStack();
    }
    const bool ok = drawing_ && !failed_;
    drawing_ = false;
    failed_ = false;
    return ok;
}

void DeviceContext::setTarget(BitmapPtr target) {
    if (!stack_.empty()) {
        failed_ = drawing_ || failed_;
        dropStack();
    }
    if (target && !hasOption(target->options(), BitmapOptions::Target)) {
        failed_ = true;
        target = nullptr;
    }
    target_ = std::move(target);
    if (target_)
        setDpi(target_->dpiX(), target_->dpiY());
}

SizeU DeviceContext::targetPixelSize() const {
    return target_ ? target_->pixelSize() : SizeU{};
}

SizeF DeviceContext::size() const {
    const SizeU px = targetPixelSize();
    return {px.width * 96.0f / dpiX_, px.height * 96.0f / dpiY_};
}

void DeviceContext::setDpi(float dpiX, float dpiY) {
    if (dpiX > 0 && dpiY > 0) {
        dpiX_ = dpiX;
        dpiY_ = dpiY;
    }
}

Matrix3x2 DeviceContext::deviceTransform() const {
    return transform_ * Matrix3x2::scale(dpiX_ / 96, dpiY_ / 96);
}

bool DeviceContext::canDraw() {
    if (!drawing_ || !target_)
        failed_ = true;
    return drawing_ && target_;
}

DeviceContext::Surface DeviceContext::surface() {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if (it->isLayer)
            return {&it->layerPixels, it->layerOrigin};
    return {&target_->image(), QPoint(0, 0)};
}

RectL DeviceContext::surfaceBounds() {
    const Surface s = surface();
    return RectL::fromXYWH(s.origin.x(), s.origin.y(), s.pixels->width(), s.pixels->height());
}

RectL DeviceContext::currentClip() const {
    RectL clip = target_ ? target_->bounds() : RectL{};
    for (const StackEntry& e : stack_)
        if (!e.isLayer)
            clip = clip.intersected(e.clip);
    return clip;
}

void DeviceContext::paint(const Matrix3x2& userToDevice, const RectF& deviceHint,
                          const std::function<void(QPainter&)>& work) {
    const Surface s = surface();
    const RectL clip = currentClip().intersected(surfaceBounds());
    const RectL area = clip.intersected(RectL::covering(deviceHint));
    if (area.isEmpty())
        return;
    const bool antialias = antialias_ == AntialiasMode::PerPrimitive;
    const QTransform toDevice = userToDevice.toQTransform();
    const QRect clipRect = clip.toQRect();
    const bool wholeSurface = clip == surfaceBounds();
    const qsizetype pitch = s.pixels->bytesPerLine();
    const int width = s.pixels->width();
    uchar* bits = s.pixels->bits(); // detached here, on this thread
    const int firstRow = area.top - s.origin.y();
    parallelRows(int(area.height()), int(area.width()), [&](int first, int last) {
        const int top = firstRow + first;
        QImage band(bits + top * pitch, width, last - first, pitch,
                    QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&band);
        painter.setRenderHint(QPainter::Antialiasing, antialias);
        const QTransform toBand = QTransform::fromTranslate(-s.origin.x(), -(s.origin.y() + top));
        if (!wholeSurface) { // clipping costs time and changes edge rounding: only when needed
            painter.setTransform(toBand);
            painter.setClipRect(clipRect);
        }
        painter.setTransform(toDevice * toBand);
        work(painter);
    });
}

void DeviceContext::clear(const ColorF& color) {
    if (!canDraw())
        return;
    ColorF c = color;
    if (target_->alphaMode() == AlphaMode::Ignore &&
        !std::any_of(stack_.begin(), stack_.end(), [](const StackEntry& e) { return e.isLayer; }))
        c.a = 1;
    const QColor qc = toQColor(c);
    const RectL clip = currentClip();
    paint({}, RectF::infinite(), [&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(clip.toQRect(), qc);
    });
}

void DeviceContext::fillPath(const QPainterPath& path, const Brush& brush) {
    if (!canDraw())
        return;
    const Matrix3x2 toDevice = deviceTransform();
    const QBrush qbrush = brush.toQBrush();
    paint(toDevice, inflate(toDevice.transformRect(RectF::fromQRectF(path.controlPointRect())), 1),
          [&](QPainter& p) {
              p.setOpacity(brush.opacity());
              p.fillPath(unshared(path), qbrush);
          });
}

void DeviceContext::strokePath(const QPainterPath& path, const Brush& brush, float width,
                               const StrokeStyle* style) {
    const Matrix3x2 toDevice = deviceTransform();
    if (style && style->needsOutline(width * std::sqrt(std::abs(toDevice.determinant())))) {
        fillPath(style->outline(path, width), brush);
        return;
    }
    if (!canDraw())
        return;
    const QBrush qbrush = brush.toQBrush();
    const QPen pen =
        style ? style->toQPen(qbrush, width, pixelsPerDip()) : defaultPen(qbrush, width);
    const RectF reach = inflate(toDevice.transformRect(RectF::fromQRectF(path.controlPointRect())),
                                strokeReach(width, style, toDevice));
    paint(toDevice, reach, [&](QPainter& p) {
        p.setOpacity(brush.opacity());
        p.strokePath(unshared(path), pen);
    });
}

void DeviceContext::fillRectangle(const RectF& rect, const Brush& brush) {
    fillPath(rectPath(rect), brush);
}

void DeviceContext::drawRectangle(const RectF& rect, const Brush& brush, float width,
                                  const StrokeStyle* style) {
    strokePath(rectPath(rect), brush, width, style);
}

void DeviceContext::fillRoundedRectangle(const RoundedRect& rect, const Brush& brush) {
    fillPath(Geometry::roundedRectangle(rect)->path(), brush);
}

void DeviceContext::drawRoundedRectangle(const RoundedRect& rect, const Brush& brush, float width,
                                         const StrokeStyle* style) {
    strokePath(Geometry::roundedRectangle(rect)->path(), brush, width, style);
}

void DeviceContext::fillEllipse(const Ellipse& ellipse, const Brush& brush) {
    fillPath(Geometry::ellipse(ellipse)->path(), brush);
}

void DeviceContext::drawEllipse(const Ellipse& ellipse, const Brush& brush, float width,
                                const StrokeStyle* style) {
    strokePath(Geometry::ellipse(ellipse)->path(), brush, width, style);
}

void DeviceContext::drawLine(PointF p0, PointF p1, const Brush& brush, float width,
                             const StrokeStyle* style) {
    QPainterPath path(QPointF(p0.x, p0.y));
    path.lineTo(p1.x, p1.y);
    strokePath(path, brush, width, style);
}

void DeviceContext::fillGeometry(const Geometry& geometry, const Brush& brush) {
    fillPath(geometry.path(), brush);
}

void DeviceContext::drawGeometry(const Geometry& geometry, const Brush& brush, float width,
                                 const StrokeStyle* style) {
    strokePath(geometry.strokePath(), brush, width, style);
}

void DeviceContext::drawBitmap(const Bitmap& bitmap, std::optional<RectF> destRect, float opacity,
                               Interpolation interpolation, std::optional<RectF> sourceRect) {
    if (!canDraw())
        return;
    if (!bitmap.canDraw() || &bitmap == target_.get()) {
        failed_ = true;
        return;
    }
    const SizeF dips = bitmap.size();
    const RectF dest = destRect.value_or(RectF{0, 0, dips.width, dips.height});
    const RectF src = sourceRect.value_or(RectF{0, 0, dips.width, dips.height});
    const Matrix3x2 toPixels = Matrix3x2::scale(bitmap.dpiX() / 96, bitmap.dpiY() / 96);
    const QImage pixels = bitmap.alphaMode() == AlphaMode::Ignore
                              ? bitmap.render(bitmap.bounds()).pixels
                              : bitmap.image();
    const Matrix3x2 toDevice = deviceTransform();
    paint(toDevice, inflate(toDevice.transformRect(dest), 1), [&](QPainter& p) {
        p.setOpacity(std::clamp(opacity, 0.0f, 1.0f));
        p.setRenderHint(QPainter::SmoothPixmapTransform, interpolation != Interpolation::Nearest);
        p.drawImage(dest.toQRectF(), pixels, toPixels.transformRect(src).toQRectF());
    });
}

void DeviceContext::drawImage(const Image& image, PointF offset, std::optional<RectL> imageRect,
                              Interpolation interpolation) {
    if (!canDraw())
        return;
    if (&image == target_.get()) {
        failed_ = true;
        return;
    }
    const Matrix3x2 toDevice = Matrix3x2::translation(offset.x, offset.y) * deviceTransform();
    Matrix3x2 fromDevice;
    if (!toDevice.invert(fromDevice))
        return;
    RectL wanted = image.bounds();
    if (imageRect)
        wanted = wanted.intersected(*imageRect);
    // Only what can land on the visible part of the surface, plus the filter's neighbours
    // unless the image lands on whole pixels unscaled.
    const RectL visible = currentClip().intersected(surfaceBounds());
    const bool whole = toDevice.m11 == 1 && toDevice.m22 == 1 && toDevice.m12 == 0 &&
                       toDevice.m21 == 0 && toDevice.dx == std::round(toDevice.dx) &&
                       toDevice.dy == std::round(toDevice.dy);
    wanted = wanted.intersected(
        RectL::covering(fromDevice.transformRect(visible.toRectF())).inflated(whole ? 0 : 2));
    if (wanted.isEmpty() || wanted.isInfinite())
        return;
    const ImageTile tile = image.render(wanted);
    paint(toDevice, inflate(toDevice.transformRect(wanted.toRectF()), 1), [&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, interpolation != Interpolation::Nearest);
        p.drawImage(QPointF(wanted.left, wanted.top), tile.pixels);
    });
}

void DeviceContext::drawTextLayout(PointF origin, const TextLayout& layout, const Brush& brush,
                                   bool clip) {
    if (canDraw())
        layout.draw(*this, origin, brush, clip);
}

void DeviceContext::paintWith(const RectF& boundsHint, const std::function<void(QPainter&)>& work) {
    if (!canDraw())
        return;
    const Matrix3x2 toDevice = deviceTransform();
    paint(toDevice, inflate(toDevice.transformRect(boundsHint), 1), work);
}

void DeviceContext::pushLayer(const LayerParameters& params) {
    if (!canDraw())
        return;
    const Matrix3x2 toDevice = deviceTransform();
    StackEntry layer;
    layer.isLayer = true;
    layer.opacity = std::clamp(params.opacity, 0.0f, 1.0f);
    layer.maskAntialias = params.maskAntialiasMode;
    RectL area = currentClip().intersected(surfaceBounds());
    if (params.contentBounds != RectF::infinite())
        area = area.intersected(RectL::covering(toDevice.transformRect(params.contentBounds)));
    if (params.geometricMask) {
        layer.mask =
            (params.maskTransform * toDevice).toQTransform().map(params.geometricMask->path());
        area = area.intersected(
            RectL::covering(RectF::fromQRectF(layer.mask.boundingRect())).inflated(1));
    }
    if (!area.isEmpty()) {
        layer.layerPixels =
            QImage(int(area.width()), int(area.height()), QImage::Format_ARGB32_Premultiplied);
        layer.layerPixels.fill(Qt::transparent);
    } else {
        area = {};
        layer.layerPixels = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        layer.layerPixels.fill(Qt::transparent);
        layer.opacity = 0;
    }
    layer.layerOrigin = QPoint(area.left, area.top);
    stack_.push_back(std::move(layer));
}

void DeviceContext::popLayer() {
    if (!drawing_ || stack_.empty() || !stack_.back().isLayer) {
        failed_ = true;
        return;
    }
    StackEntry layer = std::move(stack_.back());
    stack_.pop_back();
    compositeLayer(layer);
}

void DeviceContext::compositeLayer(StackEntry& layer) {
    if (layer.opacity <= 0)
        return;
    const RectF where = RectF::fromXYWH(layer.layerOrigin.x(), layer.layerOrigin.y(),
                                        layer.layerPixels.width(), layer.layerPixels.height());
    const bool maskAntialias = layer.maskAntialias == AntialiasMode::PerPrimitive;
    paint({}, where, [&](QPainter& p) {
        if (!layer.mask.isEmpty()) {
            p.setRenderHint(QPainter::Antialiasing, maskAntialias);
            p.setClipPath(unshared(layer.mask), Qt::IntersectClip);
        }
        p.setOpacity(layer.opacity);
        p.drawImage(layer.layerOrigin, layer.layerPixels);
    });
}

void DeviceContext::pushAxisAlignedClip(const RectF& rect, AntialiasMode) {
    if (!canDraw())
        return;
    const RectF device = deviceTransform().transformRect(rect);
    StackEntry clip;
    clip.clip = {int32_t(std::lround(device.left)), int32_t(std::lround(device.top)),
                 int32_t(std::lround(device.right)), int32_t(std::lround(device.bottom))};
    stack_.push_back(std::move(clip));
}

void DeviceContext::popAxisAlignedClip() {
    if (!drawing_ || stack_.empty() || stack_.back().isLayer) {
        failed_ = true;
        return;
    }
    stack_.pop_back();
}

void DeviceContext::dropStack() {
    stack_.clear();
}

bool DeviceContext::copyFromTarget(Bitmap& dest, PointL destPoint, const RectL& srcRect) const {
    return target_ && dest.copyFromBitmap(destPoint, *target_, srcRect);
}

} // namespace platform::render
