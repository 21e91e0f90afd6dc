// Editing one object: the split and trim tests, the cut itself, the speed change, the drags of
// transition zones and keyframe animations on the timeline, and moving, resizing and aligning
// the placement on the canvas. The caller records the undo step and repaints.

#include "core/URObject.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t MinPiece = 500;
constexpr std::int32_t MinZone = 100;
constexpr std::int32_t KeyframeGap = 30;

// Rounds to the nearest whole number, halves to even, then onto the frame grid.
std::int32_t ScaleToFrame(std::int32_t value, float factor) {
    return SnapToFrame(static_cast<std::int32_t>(std::nearbyint(double(value) * factor)));
}

// A media length played at `speed` per mille over `position` ms of project time.
std::int32_t MediaSpan(std::int32_t position, std::int32_t speed) {
    return static_cast<std::int32_t>(std::int64_t{position} * speed / 1000);
}

} // namespace

// ---- split and trim tests ----

bool TRObject::CanSplitAtPlayhead() const {
    const std::int32_t t = FTimePosition;
    return FTimeStart <= t && t <= FTimeEnd && !FInAnimation && FCanSplit &&
           t - FTimeStart >= MinPiece && FTimeEnd - t >= MinPiece;
}

bool TRObject::CanTrimEnd() const {
    const std::int32_t t = FTimePosition;
    return FTimeStart <= t && t < FTimeEnd && !FInAnimation && FCanSplit &&
           t - FTimeStart >= MinPiece;
}

bool TRObject::CanTrimFront() const {
    const std::int32_t t = FTimePosition;
    return FTimeStart < t && t <= FTimeEnd && !FInAnimation && FCanSplit &&
           FTimeEnd - t >= MinPiece;
}

bool TRObject::CanSplitAll(bool) const {
    const std::int32_t t = FTimePosition;
    if (t <= FTimeStart || t >= FTimeEnd)
        return true;
    return !FInAnimation && FCanSplit && t - FTimeStart >= MinPiece && FTimeEnd - t >= MinPiece;
}

bool TRObject::CanTrimEndAll() const {
    const std::int32_t t = FTimePosition;
    if (t <= FTimeStart || t >= FTimeEnd)
        return true;
    return !FInAnimation && FCanSplit && t - FTimeStart >= MinPiece;
}

bool TRObject::CanTrimFrontAll() const {
    const std::int32_t t = FTimePosition;
    if (t <= FTimeStart || t > FTimeEnd)
        return true;
    return !FInAnimation && FCanSplit && FTimeEnd - t >= MinPiece;
}

void TRObject::SplitObject(TRObject*, bool) {}

void TRObject::TrimObject(TRObject*, bool) {}

// ---- the cut ----

void TRObject::TrimWithDeleteObject(std::int32_t position, bool atEnd) {
    const std::int32_t speed = FMediaSpeed->Speed();
    if (atEnd) {
        FTimeEnd = FTimeStart + position;
        FTrOut->SetChecked(false);
        const auto keep = static_cast<std::size_t>(std::max(FTransformationsIndex, 0)) + 1;
        if (FTransformations.size() > keep)
            FTransformations.resize(keep);
        FMediaEnd =
            std::max(std::min(FMediaStart + MediaSpan(position, speed), FMediaEnd), FMediaStart);
        return;
    }
    SetTimePosition(FTimeStart + position);
    const auto k = static_cast<std::size_t>(std::max(FTransformationsIndex, 0));
    FTimeStart += position;
    FTrIn->SetChecked(false);
    FTransformations[k].AnimateDuration = 0;
    FTransformations.erase(FTransformations.begin(),
                           FTransformations.begin() + static_cast<std::ptrdiff_t>(k));
    for (TRTransformation& keyframe : FTransformations)
        keyframe.Time -= position;
    FTransformations.front().Time = 0;
    FTransformationsIndex = 0;
    if (FMediaOffset > 0 && position < FMediaOffset) {
        FMediaOffset -= position;
    } else {
        FMediaStart = std::min(FMediaStart + MediaSpan(position - FMediaOffset, speed), FMediaEnd);
        FMediaOffset = 0;
    }
}

// ---- speed ----

void TRObject::ChangeSpeedFromProperties(std::int32_t newSpeed) {
    if (newSpeed <= 0)
        return;
    const auto factor = static_cast<float>(double(FMediaSpeed->Speed()) / newSpeed);
    FTimeEnd = FTimeStart + ScaleToFrame(FTimeEnd - FTimeStart, factor);
    for (TRPropTransition* zone : {static_cast<TRPropTransition*>(FTrIn.get()),
                                   static_cast<TRPropTransition*>(FTrOut.get())})
        if (zone->Checked())
            zone->FDuration = std::max(ScaleToFrame(zone->FDuration, factor), MinZone);
    for (std::size_t i = 1; i < FTransformations.size(); ++i) {
        TRTransformation& keyframe = FTransformations[i];
        keyframe.Time = ScaleToFrame(keyframe.Time, factor);
        keyframe.AnimateDuration =
            std::max(ScaleToFrame(keyframe.AnimateDuration, factor), MinZone);
    }
    if (FProject && FProject != this)
        FProject->UpdateTimeEnd();
}

// ---- transition zones ----

bool TRObject::TestAndSetTrInEndTime(std::int32_t endTime) {
    if (!FTrIn->Checked() || endTime - FTimeStart < MinZone || endTime > FTimeEnd)
        return false;
    if (FTrOut->Checked() && endTime >= FTimeEnd - FTrOut->FDuration)
        return false;
    FTrIn->FDuration = endTime - FTimeStart;
    return true;
}

bool TRObject::TestAndSetTrOutStartTime(std::int32_t startTime) {
    if (!FTrOut->Checked() || FTimeEnd - startTime < MinZone || startTime < FTimeStart)
        return false;
    if (FTrIn->Checked() && startTime <= FTimeStart + FTrIn->FDuration)
        return false;
    FTrOut->FDuration = FTimeEnd - startTime;
    return true;
}

// ---- keyframe drags ----

bool TRObject::TestAndMoveTransf(std::int32_t offsetTime) {
    const std::int32_t k = hitTransfIndex;
    const auto count = static_cast<std::int32_t>(FTransformations.size());
    if (k < 0 || k >= count)
        return false;
    const auto at = [this](std::int32_t j) { return FTimeStart + FTransformations[j].Time; };
    const auto anim = [this](std::int32_t j) { return FTransformations[j].AnimateDuration; };
    const std::int32_t n = at(k) + offsetTime;
    const std::int32_t animStart = n - anim(k);
    if (animStart <= FTimeStart + KeyframeGap || n >= FTimeEnd - KeyframeGap)
        return false;
    if (k >= 1 && animStart <= at(k - 1) + KeyframeGap)
        return false;
    if (k + 1 < count && n >= at(k + 1) - anim(k + 1) - KeyframeGap)
        return false;
    FTransformations[k].Time += offsetTime;
    return true;
}

bool TRObject::TestAndSetTransfLeft(std::int32_t leftTime) {
    const std::int32_t k = hitTransfIndex;
    if (k < 0 || k >= static_cast<std::int32_t>(FTransformations.size()))
        return false;
    const std::int32_t d = FTimeStart + FTransformations[k].Time - leftTime;
    if (d < MinZone || leftTime <= FTimeStart)
        return false;
    if (k >= 1 && leftTime <= FTimeStart + FTransformations[k - 1].Time + KeyframeGap)
        return false;
    FTransformations[k].AnimateDuration = d;
    return true;
}

bool TRObject::TestAndSetTransfRight(std::int32_t rightTime) {
    const std::int32_t k = hitTransfIndex;
    const auto count = static_cast<std::int32_t>(FTransformations.size());
    if (k < 0 || k >= count)
        return false;
    TRTransformation& keyframe = FTransformations[k];
    const std::int32_t d = rightTime - (FTimeStart + keyframe.Time - keyframe.AnimateDuration);
    if (d < MinZone || rightTime >= FTimeEnd)
        return false;
    if (k + 1 < count) {
        const TRTransformation& next = FTransformations[k + 1];
        if (rightTime >= FTimeStart + next.Time - next.AnimateDuration - KeyframeGap)
            return false;
    }
    keyframe.Time = rightTime - FTimeStart;
    keyframe.AnimateDuration = d;
    return true;
}

// ---- the placement ----

void TRObject::Move(float dx, float dy) {
    if (FInAnimation || !FHasPlacement)
        return;
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!placement || placement->Locked())
        return;
    const QPointF p = placement->Position();
    placement->SetPosition(QPointF(double(float(p.x() + dx)), double(float(p.y() + dy))));
}

namespace {

// How one handle changes the size: the signs of dx and dy in width and height (0: that side
// stays). Without Ctrl the centre follows by half the change on the axes the handle moves.
struct TRHandle {
    int WidthSign, HeightSign;
};
constexpr TRHandle Handles[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0},
                                 {1, 1},   {0, 1},  {-1, 1}, {-1, 0}};

} // namespace

void TRObject::Resize(std::uint8_t type, float dx, float dy, bool ctrl) {
    if (type > 7 || FTransformations.empty())
        return;
    TRPropBase* group = FTransformations[std::clamp<std::size_t>(FTransformationsIndex, 0,
                                                                 FTransformations.size() - 1)]
                            .Properties->GetProperty(ptPlacement);
    auto* placement = dynamic_cast<TRPlacementSource*>(group);
    if (!placement)
        return;
    const TRHandle handle = Handles[type];
    const double grow = ctrl ? 2.0 : 1.0;
    const QPointF oldPos = placement->Position();
    QPointF pos = oldPos;
    QSizeF size = placement->ScaledSize();
    if (handle.WidthSign != 0) {
        size.setWidth(size.width() + handle.WidthSign * grow * dx);
        if (!ctrl)
            pos.rx() += dx / 2.0;
    }
    if (handle.HeightSign != 0) {
        size.setHeight(size.height() + handle.HeightSign * grow * dy);
        if (!ctrl)
            pos.ry() += dy / 2.0;
    }
    const QSizeF original = placement->OriginalSize();
    // A picture without an original size keeps its height instead of dividing by zero.
    if (handle.HeightSign == 0 && placement->KeepsAspectRatio() && original.width() != 0)
        size.setHeight(size.width() * original.height() / original.width());
    // The zoom area's source region follows the area (the kind does it).
    if (FObjectType == otZoomArea)
        MoveZoomSource(static_cast<float>(pos.x() - oldPos.x()),
                       static_cast<float>(pos.y() - oldPos.y()));
    placement->SetPosition(pos);
    placement->SetScaledSizeTo(size);
}

namespace {

// The edge of the outline that Align measures, and the far side of its search range.
struct TRAlignAxis {
    bool Vertical;
    bool Low; // left or top: every corner must lie at or beyond the target
};

double EdgeOf(const TRTransformedPoints& points, const TRAlignAxis& axis) {
    double edge = axis.Low ? 1e30 : -1e30;
    for (int i = 1; i <= 4; ++i) {
        const double v = axis.Vertical ? points[i].y() : points[i].x();
        edge = axis.Low ? std::min(edge, v) : std::max(edge, v);
    }
    return edge;
}

} // namespace

void TRObject::Align(std::uint8_t type, float target) {
    if (!FHasPlacement || type < 1 || type > 6)
        return;
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!placement || placement->Locked())
        return;
    QPointF pos = placement->Position();
    if (type == 2 || type == 5) {
        (type == 2 ? pos.rx() : pos.ry()) = target;
        placement->SetPosition(pos);
        return;
    }
    const TRAlignAxis axis{type == 4 || type == 6, type == 1 || type == 4};
    std::int32_t w = 0, h = 0;
    if (FProject)
        FProject->GetProjectSize(w, h);
    const double extent = 10.0 * (axis.Vertical ? h : w);
    double lo = target;
    double hi = axis.Low ? extent : -extent;
    for (int step = 0; step < 51; ++step) {
        const double mid = std::trunc((lo + hi) / 2);
        (axis.Vertical ? pos.ry() : pos.rx()) = mid;
        placement->SetPosition(pos);
        const double edge = EdgeOf(GetTransformedPoints(), axis);
        const bool inside = axis.Low ? edge >= target : edge <= target;
        if (!inside) {
            lo = axis.Low ? mid + 1 : mid - 1;
            continue;
        }
        if (std::abs(edge - target) < 1)
            return;
        hi = axis.Low ? mid - 1 : mid + 1;
    }
}
