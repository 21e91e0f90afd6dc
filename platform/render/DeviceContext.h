// DeviceContext: draws into a target Bitmap with a 3x2 transform, a DPI, axis-aligned clips and
// layers. Coordinates are DIPs: one DIP is dpi/96 pixels of the target, and the device transform
// is the context transform followed by that DPI scale.
//
// Drawing happens between beginDraw() and endDraw(). A pass may be ended, the target changed
// and a new pass begun, then the old target set back and drawing resumed:
//     saved = ctx.target(); ctx.endDraw(); ctx.setTarget(other); ctx.beginDraw(); ...;
//     ctx.endDraw(); ctx.setTarget(saved); ctx.beginDraw();
// Misuse (drawing outside a pass or without a target, drawing a bitmap that cannot be drawn,
// unbalanced layers) draws nothing and makes the next endDraw() return false.
//
// Large primitives are painted in horizontal bands on every core. Use from one thread at a time.
#pragma once

#include "platform/render/Bitmap.h"
#include "platform/render/Brush.h"
#include "platform/render/Effect.h"
#include "platform/render/Factory.h"
#include "platform/render/Geometry.h"
#include "platform/render/StrokeStyle.h"
#include "platform/render/TextLayout.h"
#include "platform/render/Types.h"

#include <QImage>
#include <QPainter>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform::render {

enum class AntialiasMode { PerPrimitive, Aliased };

/// A layer: everything drawn until popLayer() is composited onto what lies below, limited to
/// the geometric mask and multiplied by the opacity.
struct LayerParameters {
    RectF contentBounds = RectF::infinite(); ///< DIPs, under the transform at push time
    GeometryPtr geometricMask;               ///< nullptr: no mask
    AntialiasMode maskAntialiasMode = AntialiasMode::PerPrimitive;
    Matrix3x2 maskTransform; ///< applied to the mask before the transform at push time
    float opacity = 1;
};

class DeviceContext {
public:
    /// A context without target, identity transform, 96 DPI, creating effects with `factory`.
    static std::shared_ptr<DeviceContext> create(FactoryPtr factory);

    const FactoryPtr& factory() const { return factory_; }

    // --- Passes and target ---------------------------------------------------------------
    void beginDraw();
    /// Ends the pass. False when something failed since beginDraw() (the pass is ended anyway,
    /// open layers and clips are dropped).
    bool endDraw();
    bool isDrawing() const { return drawing_; }
    /// The bitmap drawn into (nullptr: none). Setting a bitmap takes over its DPI. The bitmap
    /// needs the Target option. Open layers and clips are dropped (an error during a pass).
    void setTarget(BitmapPtr target);
    const BitmapPtr& target() const { return target_; }
    SizeU targetPixelSize() const;
    /// The target's size in DIPs.
    SizeF size() const;

    // --- Transform and DPI ---------------------------------------------------------------
    void setTransform(const Matrix3x2& m) { transform_ = m; }
    const Matrix3x2& transform() const { return transform_; }
    void setDpi(float dpiX, float dpiY);
    float dpiX() const { return dpiX_; }
    float dpiY() const { return dpiY_; }
    /// Pixels per DIP (dpiX / 96).
    float pixelsPerDip() const { return dpiX_ / 96; }
    /// The context transform followed by the DPI scale: DIPs to target pixels.
    Matrix3x2 deviceTransform() const;
    void setAntialiasMode(AntialiasMode mode) { antialias_ = mode; }
    AntialiasMode antialiasMode() const { return antialias_; }

    // --- Drawing ---------------------------------------------------------------------------
    /// Sets every pixel inside the current clip (of the current layer) to `color`, ignoring the
    /// transform. On an alpha-ignoring target the colour is written opaque.
    void clear(const ColorF& color);
    void fillRectangle(const RectF& rect, const Brush& brush);
    void drawRectangle(const RectF& rect, const Brush& brush, float width = 1,
                       const StrokeStyle* style = nullptr);
    void fillRoundedRectangle(const RoundedRect& rect, const Brush& brush);
    void drawRoundedRectangle(const RoundedRect& rect, const Brush& brush, float width = 1,
                              const StrokeStyle* style = nullptr);
    void fillEllipse(const Ellipse& ellipse, const Brush& brush);
    void drawEllipse(const Ellipse& ellipse, const Brush& brush, float width = 1,
                     const StrokeStyle* style = nullptr);
    void drawLine(PointF p0, PointF p1, const Brush& brush, float width = 1,
                  const StrokeStyle* style = nullptr);
    void fillGeometry(const Geometry& geometry, const Brush& brush);
    void drawGeometry(const Geometry& geometry, const Brush& brush, float width = 1,
                      const StrokeStyle* style = nullptr);

    /// Draws `sourceRect` (DIPs of the bitmap; all of it when absent) into `destRect` (DIPs; the
    /// bitmap's own size at the origin when absent).
    void drawBitmap(const Bitmap& bitmap, std::optional<RectF> destRect = {}, float opacity = 1,
                    Interpolation interpolation = Interpolation::Linear,
                    std::optional<RectF> sourceRect = {});
    /// Draws an image (a bitmap or an effect output) source-over, its pixel (0,0) at `offset`
    /// (DIPs; one image pixel per DIP), limited to `imageRect` (image pixels) when given. Only
    /// the part of the image that lands inside the target and the clips is evaluated.
    void drawImage(const Image& image, PointF offset = {}, std::optional<RectL> imageRect = {},
                   Interpolation interpolation = Interpolation::Linear);
    /// Draws a laid-out text with its top-left at `origin`.
    void drawTextLayout(PointF origin, const TextLayout& layout, const Brush& brush,
                        bool clip = false);

    /// Runs Qt painting under the current transform, clips and layer (for the text and SVG
    /// layers). `boundsHint` (DIPs) must cover everything `paint` touches. `paint` may run on
    /// several threads at once, each with its own painter on a band of the target.
    void paintWith(const RectF& boundsHint, const std::function<void(QPainter&)>& paint);

    // --- Layers and clips --------------------------------------------------------------------
    void pushLayer(const LayerParameters& params);
    void popLayer();
    /// Limits drawing to `rect` (DIPs under the current transform; a rotated rectangle clips to
    /// its bounding box). Clips are snapped to whole pixels.
    void pushAxisAlignedClip(const RectF& rect, AntialiasMode mode = AntialiasMode::PerPrimitive);
    void popAxisAlignedClip();

    // --- Resources ---------------------------------------------------------------------------
    /// An effect of a class registered with the factory; nullptr when unknown.
    EffectPtr createEffect(const QUuid& classId) const { return factory_->createEffect(classId); }
    /// Copies `srcRect` (target pixels) of the current target into `dest` at `destPoint`.
    bool copyFromTarget(Bitmap& dest, PointL destPoint, const RectL& srcRect) const;

private:
    struct Surface {
        QImage* pixels = nullptr;
        QPoint origin; // device position of pixel (0,0)
    };
    struct StackEntry {
        bool isLayer = false;
        RectL clip;         // device pixels (clip entries)
        QImage layerPixels; // layer entries
        QPoint layerOrigin;
        QPainterPath mask; // device space; empty: none
        AntialiasMode maskAntialias = AntialiasMode::PerPrimitive;
        float opacity = 1;
    };

    explicit DeviceContext(FactoryPtr factory) : factory_(std::move(factory)) {}
    bool canDraw();
    Surface surface();
    RectL surfaceBounds();
    RectL currentClip() const;
    void paint(const Matrix3x2& userToDevice, const RectF& deviceHint,
               const std::function<void(QPainter&)>& work);
    void fillPath(const QPainterPath& path, const Brush& brush);
    void strokePath(const QPainterPath& path, const Brush& brush, float width,
                    const StrokeStyle* style);
    void compositeLayer(StackEntry& layer);
    void dropStack();

    FactoryPtr factory_;
    BitmapPtr target_;
    Matrix3x2 transform_;
    float dpiX_ = 96, dpiY_ = 96;
    AntialiasMode antialias_ = AntialiasMode::PerPrimitive;
    bool drawing_ = false;
    bool failed_ = false;
    std::vector<StackEntry> stack_;
};

using DeviceContextPtr = std::shared_ptr<DeviceContext>;

} // namespace platform::render
