#include "platform/render/BuiltinEffects.h"

#include "platform/render/Blend.h"
#include "platform/render/Parallel.h"
#include "platform/render/StandardEffects.h"

#include <QPainter>
#include <cmath>
#include <cstring>

namespace platform::render::effects {

namespace {

class CropKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector4 r = std::get<Vector4>(p[CropRect]);
        rect_ = RectL::covering({r.x, r.y, r.z, r.w});
    }
    RectL outputBounds(std::span<const RectL> in) const override {
        return in[0].intersected(rect_);
    }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = out.intersected(rect_);
    }
    std::optional<ImageTile> passThrough(std::span<const ImageTile> in,
                                         const RectL& out) const override {
        if (in[0].region == out)
            return in[0];
        return std::nullopt;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        copyPadded(in[0], out);
    }

private:
    RectL rect_;
};

class OffsetKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector2 v = std::get<Vector2>(p[OffsetAmount]);
        dx_ = int32_t(std::lround(v.x));
        dy_ = int32_t(std::lround(v.y));
    }
    RectL outputBounds(std::span<const RectL> in) const override {
        return in[0].translated(dx_, dy_);
    }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        in[0] = out.translated(-dx_, -dy_);
    }
    // The input tile is exactly the output shifted back: move its region, keep its pixels.
    std::optional<ImageTile> passThrough(std::span<const ImageTile> in,
                                         const RectL&) const override {
        return ImageTile{in[0].pixels, in[0].region.translated(dx_, dy_)};
    }
    void render(std::span<const ImageTile>, ImageTile&) const override {} // never: see above

private:
    int32_t dx_ = 0, dy_ = 0;
};

class CompositeKernel : public EffectKernel {
public:
    RectL outputBounds(std::span<const RectL> in) const override {
        RectL all;
        for (const RectL& r : in)
            all = all.united(r);
        return all;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        const int width = int(out.region.width());
        parallelRows(int(out.region.height()), width, [&](int first, int last) {
            for (int i = first; i < last; ++i) {
                const int32_t y = out.region.top + i;
                uint32_t* dst = out.mutableRow(y);
                const uint32_t* below = in[0].row(y);
                for (size_t k = 1; k < in.size(); ++k) {
                    const uint32_t* src = in[k].row(y);
                    for (int x = 0; x < width; ++x)
                        dst[x] = sourceOver(src[x], below[x]);
                    below = dst;
                }
                if (in.size() < 2)
                    std::memcpy(dst, below, size_t(width) * 4);
            }
        });
    }
};

class AffineTransformKernel : public EffectKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        matrix_ = std::get<Matrix3x2>(p[AffineMatrix]);
        smooth_ = std::get<uint32_t>(p[AffineInterpolation]) != uint32_t(Interpolation::Nearest);
    }
    RectL outputBounds(std::span<const RectL> in) const override {
        if (in[0].isEmpty() || !matrix_.isInvertible())
            return {};
        return RectL::covering(matrix_.transformRect(in[0].toRectF()));
    }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        Matrix3x2 inverse;
        matrix_.invert(inverse);
        // One pixel more on every side for the filter's neighbours.
        in[0] = RectL::covering(inverse.transformRect(out.toRectF())).inflated(1);
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        out.pixels.fill(Qt::transparent);
        const int width = int(out.region.width());
        parallelRows(int(out.region.height()), width, [&](int first, int last) {
            QImage band(out.pixels.scanLine(first), width, last - first, out.pixels.bytesPerLine(),
                        QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&band);
            painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
            painter.setTransform(
                matrix_.toQTransform() *
                QTransform::fromTranslate(-out.region.left, -(out.region.top + first)));
            painter.drawImage(QPointF(in[0].region.left, in[0].region.top), in[0].pixels);
        });
    }

private:
    Matrix3x2 matrix_;
    bool smooth_ = true;
};

template <class Kernel> std::function<std::unique_ptr<EffectKernel>()> maker() {
    return [] { return std::make_unique<Kernel>(); };
}

} // namespace

std::vector<EffectClass> builtinClasses() {
    const float big = RectF::infinite().right;
    std::vector<EffectClass> out;
    out.push_back(
        {Crop, "Crop", 1, {{"Rect", Vector4{-big, -big, big, big}}}, maker<CropKernel>()});
    out.push_back({Offset, "Offset", 1, {{"Offset", Vector2{}}}, maker<OffsetKernel>()});
    out.push_back({Composite, "Composite", 2, {}, maker<CompositeKernel>()});
    out.push_back(
        {AffineTransform2D,
         "2D Affine Transform",
         1,
         {{"InterpolationMode", uint32_t(Interpolation::Linear)}, {"TransformMatrix", Matrix3x2{}}},
         maker<AffineTransformKernel>()});
    for (EffectClass& cls : standardClasses())
        out.push_back(std::move(cls));
    return out;
}

} // namespace platform::render::effects
