#include "objects/URTransition.h"

#include "core/UREasing.h"
#include "core/URProject.h"
#include "core/URPropTransition.h"
#include "core/URScenePaint.h"
#include "graphics/URCEOpacity.h"
#include "platform/render/ContextState.h"
#include "platform/render/DeviceContext.h"

#include <QSet>
#include <cmath>

using namespace platform::render;

namespace {

enum class Blending { None, TransformIncoming, TransformOutgoing, Masks, Halves };

Blending BlendingOf(const QString& name) {
    static const QSet<QString> masks = {
        QStringLiteral("Circle Open"),  QStringLiteral("Rectangle Open"),
        QStringLiteral("Circle Close"), QStringLiteral("Rectangle Close"),
        QStringLiteral("Reveal"),       QStringLiteral("Slide"),
        QStringLiteral("Dissolve")};
    static const QSet<QString> halves = {
        QStringLiteral("Pixelate"),    QStringLiteral("Magnify"),   QStringLiteral("Swirl"),
        QStringLiteral("Radial Blur"), QStringLiteral("Spin Blur"), QStringLiteral("Fisheye Lens"),
        QStringLiteral("Genie"),       QStringLiteral("Flip")};
    if (name == QLatin1String("Custom In"))
        return Blending::TransformIncoming;
    if (name == QLatin1String("Custom Out"))
        return Blending::TransformOutgoing;
    if (masks.contains(name))
        return Blending::Masks;
    return halves.contains(name) ? Blending::Halves : Blending::None;
}

// Which pictures a blend type takes: the span's first, the scene now, the span's last.
struct TRNeededImages {
    bool First, Current, Last;
};
TRNeededImages NeededImages(std::int32_t type) {
    switch (type) {
    case 1:
        return {true, true, false};
    case 2:
        return {false, true, true};
    case 3:
        return {false, true, false};
    default:
        return {true, false, true};
    }
}

std::uint64_t ProjectVersion(TRProject& project) {
    return project.History().Changes();
}

} // namespace

TRTransition::TRTransition(TRProject* project, TRObjectType type) : TRObject(project, type) {
    FObjectName = QStringLiteral("Video Transition ") + QString::number(FObjectId);
    SetFlags(false, FCanResizeTimeline, false, false);
    TrIn()->SetChecked(false);
    TrOut()->SetChecked(false);
}

bool TRTransition::EnsureImage(TRSceneImage& image, const TRFrameGeometry& frame) const {
    const SizeU size{frame.Width, frame.Height};
    if (image.Image && image.Image->pixelSize() == size)
        return true;
    image = TRSceneImage{};
    image.Image = Bitmap::create(
        size, BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    return image.Image != nullptr;
}

void TRTransition::PaintProjectOnImage(const BitmapPtr& image, const TRFrameGeometry& frame,
                                       std::int32_t time, bool background) const {
    DeviceContext* dc = SceneContext();
    if (!image || !dc || !FProject)
        return;
    std::int32_t pw = 0, ph = 0;
    FProject->GetProjectSize(pw, ph);
    if (pw <= 0 || ph <= 0)
        return;
    ContextStateGuard guard(*dc);
    dc->setTarget(image);
    dc->setTransform(
        Matrix3x2::scale(float(frame.Width) / float(pw), float(frame.Height) / float(ph)) *
        Matrix3x2::translation(float(frame.Width / 2), float(frame.Height / 2)));
    dc->beginDraw();
    FProject->PaintOnTransition(time, background);
    dc->endDraw();
}

void TRTransition::RenderEnd(TRSceneImage& image, const TRFrameGeometry& frame, std::int32_t time,
                             bool background) {
    if (!EnsureImage(image, frame))
        return;
    const std::uint64_t version = ProjectVersion(*FProject);
    if (image.Time == time && image.Background == background && image.Version == version)
        return;
    PaintProjectOnImage(image.Image, frame, time, background);
    image.Time = time;
    image.Background = background;
    image.Version = version;
    ++FEndRenders;
}

void TRTransition::RenderCurrent(const TRFrameGeometry& frame, bool includeBack) {
    if (!EnsureImage(FCurrent, frame))
        return;
    if (!includeBack) {
        PaintProjectOnImage(FCurrent.Image, frame, FTimePosition, false);
        return;
    }
    // The scene as drawn so far on the target.
    const DeviceContext* dc = SceneContext();
    FCurrent.Image->image().fill(Qt::transparent);
    dc->copyFromTarget(*FCurrent.Image, PointL{0, 0},
                       RectL{frame.CornerPx.x, frame.CornerPx.y,
                             frame.CornerPx.x + std::int32_t(frame.Width),
                             frame.CornerPx.y + std::int32_t(frame.Height)});
}

void TRTransition::PaintOnScene(bool, bool) {
    DeviceContext* dc = SceneContext();
    if (!dc || !FProject || FTimePosition < FTimeStart || FTimePosition > FTimeEnd ||
        !(ScenePlaybackActive() || FProject->Exporting))
        return;
    const auto* group = dynamic_cast<const TRPropTransition*>(GetProperty(ptTransitionObj));
    if (!group)
        return;
    std::int32_t pw = 0, ph = 0;
    FProject->GetProjectSize(pw, ph);
    // The project frame as drawn on the target, in device pixels.
    const Matrix3x2 device = dc->deviceTransform();
    const PointF a = device.transformPoint({-pw / 2.0f, -ph / 2.0f});
    const PointF b = device.transformPoint({pw / 2.0f, -ph / 2.0f});
    const PointF c = device.transformPoint({pw / 2.0f, ph / 2.0f});
    const double w = std::trunc(b.x - a.x), h = std::trunc(c.y - b.y);
    if (!(w >= 1 && h >= 1))
        return;
    const SizeU target = dc->targetPixelSize();
    const float perDip = dc->pixelsPerDip();
    TRFrameGeometry frame;
    frame.Scene = dc->transform();
    frame.Width = std::uint32_t(w);
    frame.Height = std::uint32_t(h);
    frame.CornerPx = PointL{std::int32_t(std::trunc(a.x)), std::int32_t(std::trunc(a.y))};
    // One picture pixel on one device pixel, centred on the target.
    frame.Centre = Matrix3x2::translation(float(target.width / 2), float(target.height / 2)) *
                   Matrix3x2::scale(1 / perDip, 1 / perDip);

    // An unknown blend type (a damaged file) blends first and last.
    const std::int32_t type = group->TType() >= 0 && group->TType() <= 3 ? group->TType() : 0;
    const TRNeededImages needed = NeededImages(type);
    const bool back = group->IncludeBack();
    if (needed.Current)
        RenderCurrent(frame, back);
    if (needed.First)
        RenderEnd(FFirst, frame, FTimeStart, back);
    if (needed.Last)
        RenderEnd(FLast, frame, FTimeEnd, back);

    dc->clear(ColorF{0, 0, 0, 0});
    FProject->PaintBackGroundOnTransition();
    Blend(*group, frame, type >= 2 ? FCurrent.Image : FFirst.Image,
          type == 1 || type == 3 ? FCurrent.Image : FLast.Image);
    dc->setTransform(frame.Scene);
}

void TRTransition::Blend(const TRPropTransition& group, const TRFrameGeometry& frame,
                         const BitmapPtr& outgoing, const BitmapPtr& incoming) {
    // A span of no length shows its end.
    const float t = FTimeEnd > FTimeStart
                        ? float(FTimePosition - FTimeStart) / float(FTimeEnd - FTimeStart)
                        : 1.0f;
    const auto eased = [&group](double x) { return float(Ease(x, group.Ease(), 0, 1)); };
    switch (BlendingOf(group.FName)) {
    case Blending::TransformIncoming:
        DrawSide(group, ptTrOut, outgoing, eased(t), frame, false, true, Interpolation::Cubic);
        DrawSide(group, ptTrIn, incoming, eased(t), frame, true, true, Interpolation::Cubic);
        break;
    case Blending::TransformOutgoing:
        DrawSide(group, ptTrIn, incoming, eased(t), frame, false, true, Interpolation::Cubic);
        DrawSide(group, ptTrOut, outgoing, eased(t), frame, true, true, Interpolation::Linear);
        break;
    case Blending::Masks:
        DrawSide(group, ptTrOut, outgoing, eased(t), frame, false, false, Interpolation::Cubic);
        DrawSide(group, ptTrIn, incoming, eased(t), frame, false, false, Interpolation::Cubic);
        break;
    case Blending::Halves:
        // The effect builds up on the old picture, then fades away from the new one.
        if (t <= 0.5f)
            DrawSide(group, ptTrOut, outgoing, eased(2 * t), frame, false, false,
                     Interpolation::Cubic);
        else
            DrawSide(group, ptTrIn, incoming, eased(2 * t - 1), frame, false, false,
                     Interpolation::Cubic);
        break;
    case Blending::None:
        break;
    }
}

void TRTransition::DrawSide(const TRPropTransition& group, TRPropertyType side,
                            const BitmapPtr& image, float progress, const TRFrameGeometry& frame,
                            bool transformed, bool withOpacity, Interpolation interpolation) {
    DeviceContext* dc = SceneContext();
    if (!image || !dc)
        return;
    const float w = float(frame.Width), h = float(frame.Height);
    const TRTransitionInput input{image, 0, 0, w, h, w, h};
    TRTransitionStep step;
    step.Output = image;
    if (TransitionDrawHook)
        TransitionDrawHook(group, side, progress, input, step);
    ImagePtr output = step.Output;
    if (!output)
        return;
    if (withOpacity && step.Opacity != 1) {
        if (!FOpacityEffect)
            FOpacityEffect = dc->createEffect(CLSID_CEOpacity);
        if (FOpacityEffect) {
            FOpacityEffect->setInput(0, output);
            FOpacityEffect->setValue(0, step.Opacity);
            output = FOpacityEffect;
        }
    }
    dc->setTransform(transformed ? step.Transform * frame.Centre : frame.Centre);
    dc->drawImage(*output, PointF{-float(frame.Width / 2), -float(frame.Height / 2)}, {},
                  interpolation);
}

void RegisterTransitionKind() {
    RegisterObjectKind(otTransition, [](TRProject* project, TRObjectType type) {
        return std::unique_ptr<TRObject>(std::make_unique<TRTransition>(project, type));
    });
}
