#include "objects/kinds/URZoomArea.h"

#include "core/UREasing.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URTimelineClip.h"
#include "graphics/URPropEffect.h"
#include "objects/URPropPlacement.h"
#include "objects/URPropShape.h"
#include "objects/URPropZoomSource.h"
#include "objects/kinds/URKindHelpers.h"
#include "platform/render/ContextState.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace platform::render;

namespace {

const QColor SourceOutlineColor(255, 0, 0);
constexpr float SourceOutlineOpacity = 0.7f;

// The new area's source centre keeps this many project pixels from the top-left corner.
constexpr double NewSourceInsetX = 120;
constexpr double NewSourceInsetY = 67.5;

// A zoom factor of 0 magnifies nothing: it counts as 1.
float Magnification(float zoom) {
    return zoom == 0 ? 1.0f : zoom;
}

// The source region's centre in scene coordinates (origin at the canvas centre).
PointF SourceCentre(const TRPropZoomSource& source, QSize project) {
    return {source.FCenterX * float(project.width()) / 2,
            source.FCenterY * float(project.height()) / 2};
}

// The same in the pixels of the project's re-render.
PointF SourcePixel(const TRPropZoomSource& source, QSize project) {
    const PointF c = SourceCentre(source, project);
    return {c.x + float(project.width()) / 2, c.y + float(project.height()) / 2};
}

// The effect's intensity multiplied by a factor for one scope, put back however it ends.
class ScaledIntensity {
public:
    ScaledIntensity(TRPropEffect& effect, float factor)
        : effect_(effect), saved_(effect.FIntensity) {
        if (factor != 1)
            effect_.FIntensity *= factor;
    }
    ~ScaledIntensity() { effect_.FIntensity = saved_; }
    ScaledIntensity(const ScaledIntensity&) = delete;
    ScaledIntensity& operator=(const ScaledIntensity&) = delete;

private:
    TRPropEffect& effect_;
    float saved_;
};

bool Inside(const std::array<PointF, 4>& corners, float x, float y) {
    for (std::size_t i = 0; i < 4; ++i) {
        const PointF a = corners[i], b = corners[(i + 1) % 4];
        if (x * (a.y - b.y) - y * (a.x - b.x) + a.x * b.y - a.y * b.x < 0)
            return false;
    }
    return true;
}

} // namespace

TRZoomArea::TRZoomArea(TRProject* project, TRObjectType type) : TRDrawable(project, type) {
    FObjectName = QStringLiteral("Zoom Area ") + QString::number(FObjectId);
    if (TRPropBase* border = GetProperty(ptBackgroundBorder, true))
        border->SetChecked(true);
    if (auto* shape = Get<TRPropShape>(ptShape, true))
        shape->FRoundness = 0;
    const QSize size = ProjectSize();
    auto* source = Get<TRPropZoomSource>(ptZoomSource, true);
    if (source && size.width() != 0 && size.height() != 0) {
        const double w = size.width(), h = size.height();
        source->FCenterX = float(-std::trunc((w - NewSourceInsetX) * 100 / w) / 100);
        source->FCenterY = float(-std::trunc((h - NewSourceInsetY) * 100 / h) / 100);
    }
    FTrIn->FName = QStringLiteral("Zoom In");
    FTrOut->FName = QStringLiteral("Zoom Out");
}

QSize TRZoomArea::ProjectSize() const {
    std::int32_t w = 0, h = 0;
    if (FProject)
        FProject->GetProjectSize(w, h);
    return QSize(w, h);
}

TRZoomArea::Zone TRZoomArea::CurrentZone() const {
    Zone zone;
    const double t = FTimePosition;
    if (FTrIn->Checked() && FTrIn->FDuration > 0 && t < double(FTimeStart) + FTrIn->FDuration) {
        zone = {FTrIn.get(), FTrIn->FName == QStringLiteral("Zoom In"), true,
                (t - FTimeStart) / FTrIn->FDuration};
    } else if (FTrOut->Checked() && FTrOut->FDuration > 0 &&
               t > double(FTimeEnd) - FTrOut->FDuration) {
        zone = {FTrOut.get(), FTrOut->FName == QStringLiteral("Zoom Out"), false,
                (t - (double(FTimeEnd) - FTrOut->FDuration)) / FTrOut->FDuration};
    }
    return zone;
}

float TRZoomArea::EffectProgress() const {
    const Zone zone = CurrentZone();
    if (!zone.Zoom)
        return 1;
    const auto eased = float(Ease(zone.Q, zone.Group->FEase, 0, 1));
    return zone.In ? eased : 1 - eased;
}

TRTransitionStep TRZoomArea::SceneTransition(const TRTransitionInput& input) {
    const Zone zone = CurrentZone();
    if (!zone.Zoom)
        return ApplyTransitionInOut(input);
    TRTransitionStep step;
    step.Output = input.Image;
    const auto* source = Get<TRPropZoomSource>(ptZoomSource);
    if (!source)
        return step;
    const float p = EffectProgress();
    const float z = 1 / Magnification(source->FZoom);
    const float k = z + p * (1 - z);
    const float back = 1 - p;
    step.Rotation = source->FRotation * back;
    step.Transform =
        Matrix3x2::rotation(step.Rotation) * Matrix3x2::scale(k, k) *
        Matrix3x2::translation((source->FCenterX * input.ProjectWidth / 2 - input.PosX) * back,
                               (source->FCenterY * input.ProjectHeight / 2 - input.PosY) * back);
    return step;
}

ImagePtr TRZoomArea::FamilySteps(ImagePtr image, float, float) {
    CreateAndUpdateBitmapBorder();
    if (auto* border = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder));
        border && FBitmapBorder)
        image = border->DrawBlurAndComposite(image, FBitmapBorder);
    return image;
}

void TRZoomArea::PaintOnScene(bool mouseOver, bool) {
    DeviceContext* dc = SceneContext();
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!dc || !placement || FTimePosition < FTimeStart || FTimePosition > FTimeEnd)
        return;
    const Matrix3x2 s = dc->transform();
    const Matrix3x2 placed = placement->GetTransformMatrix() * s;
    const QSize size = ProjectSize();
    if (mouseOver) {
        dc->setTransform(placed);
        PaintHoverOutline();
        PaintSourceOutline(*dc, s);
    } else if (ReRender(*dc, size)) {
        PaintBackgroundEffect(*dc, s, size);
        if (Magnify(*dc, *placement, size)) {
            dc->setTransform(placed);
            PaintComposite(*dc, placed);
            if (FProject->SelectedObject == this && !ScenePlaybackActive() && !FProject->Exporting)
                PaintSourceOutline(*dc, s);
        }
    }
    dc->setTransform(s);
}

bool TRZoomArea::ReRender(DeviceContext& dc, QSize size) {
    if (!FProject || size.width() <= 0 || size.height() <= 0 ||
        !EnsureTargetBitmap(FMediaBitmap,
                            SizeU{std::uint32_t(size.width()), std::uint32_t(size.height())}))
        return false;
    const ContextStateGuard guard(dc);
    dc.setTarget(FMediaBitmap);
    dc.beginDraw();
    dc.setTransform(Matrix3x2::translation(float(size.width() / 2), float(size.height() / 2)));
    // With the frame's background: the magnified region and the processed frame show it too.
    FProject->PaintOnScene(false, false, true, this);
    dc.endDraw();
    return true;
}

void TRZoomArea::PaintBackgroundEffect(DeviceContext& dc, const Matrix3x2& s, QSize size) {
    auto* effect = Get<TRPropEffect>(ptEffect);
    const auto* source = Get<TRPropZoomSource>(ptZoomSource);
    if (!effect || !effect->Checked() || !source)
        return;
    const PointF centre = SourcePixel(*source, size);
    ImagePtr processed;
    {
        const ScaledIntensity faded(*effect, EffectProgress());
        processed = effect->Draw(FMediaBitmap, TREffectPlace{centre.x, centre.y, false, 0, 0});
    }
    if (!processed)
        return;
    if (effect->FEffectName != QStringLiteral("Colorize"))
        dc.clear({0, 0, 0, 0});
    dc.setTransform(s);
    dc.drawImage(*processed, {-float(size.width() / 2), -float(size.height() / 2)}, {},
                 Interpolation::Cubic);
}

bool TRZoomArea::Magnify(DeviceContext& dc, const TRPropPlacement& placement, QSize size) {
    const float bs = CreateBitmaps(false);
    const auto* source = Get<TRPropZoomSource>(ptZoomSource);
    if (!FBitmap || !source)
        return false;
    const SizeU b = FBitmap->pixelSize();
    const PointF centre = SourcePixel(*source, size);
    const float zoom = Magnification(source->FZoom);
    const ContextStateGuard guard(dc);
    dc.setTarget(FBitmap);
    dc.beginDraw();
    dc.clear({0, 0, 0, 0});
    dc.setTransform(Matrix3x2::translation(bs, bs));
    dc.pushLayer(LayerParameters{RectF::infinite(),
                                 ShapeOutline(*this, placement.GetZeroBoundsRect()),
                                 AntialiasMode::Aliased,
                                 {},
                                 1});
    // The source centre lands in the middle of the bitmap, magnified and turned upright.
    dc.setTransform(Matrix3x2::translation(std::trunc(-centre.x), std::trunc(-centre.y)) *
                    Matrix3x2::rotation(-source->FRotation) * Matrix3x2::scale(zoom, zoom) *
                    Matrix3x2::translation(float(b.width / 2), float(b.height / 2)));
    dc.drawImage(*FMediaBitmap, {}, {}, Interpolation::Cubic);
    dc.popLayer();
    dc.endDraw();
    return true;
}

void TRZoomArea::PaintSourceOutline(DeviceContext& dc, const Matrix3x2& s) {
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    const auto* source = Get<TRPropZoomSource>(ptZoomSource);
    if (!TimelineControl() || !placement || !source)
        return;
    const float z = Magnification(source->FZoom);
    const QSizeF half = placement->GetScaledSize() / (2 * double(z));
    const PointF c = SourceCentre(*source, ProjectSize());
    const QRectF region(c.x - half.width() - 1, c.y - half.height() - 1, 2 * half.width() + 2,
                        2 * half.height() + 2);
    dc.setTransform(Matrix3x2::rotation(source->FRotation, c) * s);
    dc.drawGeometry(*ShapeOutline(*this, region),
                    *SolidBrush(SourceOutlineColor, SourceOutlineOpacity), 3 / SceneDesignScale());
}

TRHitScene TRZoomArea::TestHitOnScene(int x, int y, const Matrix3x2* matrix) {
    auto* placement = Get<TRPropPlacement>(ptPlacement);
    if (!placement || FTimePosition < FTimeStart || FTimePosition > FTimeEnd || !FVisibility)
        return hsNone;
    if (TRDrawable::TestHitOnScene(x, y, matrix) == hsObject)
        return hsObject;
    const auto* source = Get<TRPropZoomSource>(ptZoomSource, true);
    if (!source)
        return hsNone;
    const QSizeF scaled = placement->GetScaledSize() / double(Magnification(source->FZoom));
    const float hw = float(scaled.width() / 2), hh = float(scaled.height() / 2);
    const PointF c = SourceCentre(*source, ProjectSize());
    const Matrix3x2 m = Matrix3x2::rotation(source->FRotation) * Matrix3x2::translation(c.x, c.y) *
                        (matrix ? *matrix : Matrix3x2{});
    const std::array<PointF, 4> corners{m.transformPoint({-hw, -hh}), m.transformPoint({hw, -hh}),
                                        m.transformPoint({hw, hh}), m.transformPoint({-hw, hh})};
    return Inside(corners, float(x), float(y)) ? hsZoomSource : hsNone;
}

void TRZoomArea::MoveZoomSource(float dx, float dy) {
    auto* source = Get<TRPropZoomSource>(ptZoomSource, true);
    const QSize size = ProjectSize();
    if (FInAnimation || !source || size.width() <= 0 || size.height() <= 0)
        return;
    source->FCenterX = std::clamp(source->FCenterX + dx * 2 / float(size.width()), -1.0f, 1.0f);
    source->FCenterY = std::clamp(source->FCenterY + dy * 2 / float(size.height()), -1.0f, 1.0f);
}
