// The timeline's hit test and mouse editing: playhead, End, insert-time handle, time selection,
// clip moves and trims, transition zones, keyframe animations, selection by click, Ctrl+click
// and rubber band, and the hover cursors and hint.

#include "core/URProject.h"
#include "core/URUtils.h"
#include "editor/ui/URTimeline.h"

#include <QMouseEvent>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

// Edges included; an empty rectangle (a part not painted) holds no point.
bool Inside(const QRectF& r, double x, double y) {
    return r.width() > 0 && r.height() > 0 && r.left() <= x && x <= r.right() && r.top() <= y &&
           y <= r.bottom();
}

// Horizontally with the edges, vertically strictly inside.
bool InsideBand(const QRectF& r, double x, double y) {
    return r.left() <= x && x <= r.right() && r.top() < y && y < r.bottom();
}

bool NearEdge(const QRectF& r, double edge, double x, double y) {
    return std::abs(x - edge) <= 3 && r.top() < y && y < r.bottom();
}

bool OnClip(TRHitTimeline hit) {
    return hit >= htObjectLeft && hit <= htObjTransfRight;
}

} // namespace

void TRTimeline::HelperLine(std::int32_t time) {
    FProject->ComputeTimeLineHelperLines(time);
}

void TRTimeline::HitTest(Qt::KeyboardModifiers, double x, double y) {
    hit = htNone;
    hitObject = nullptr;
    hitTime = TimeAt(x);
    hitTrack = TrackAt(y);
    if (!FProject)
        return;
    const QRectF& band = rectHitSelection;
    if (Inside(rectHitPlayhead, x, y))
        hit = htPlayhead;
    else if (Inside(rectHitEnd, x, y))
        hit = htEnd;
    else if (Inside(rectHitPlusMinus, x, y))
        hit = htPlusMinus;
    else if (LeftSpace <= x && x <= width() && 0 <= y && y <= TopSpace)
        hit = htRuler;
    else if (InsideBand(band, x, y))
        hit = htSelection;
    else if (NearEdge(band, band.left(), x, y))
        hit = htSelectionStart;
    else if (NearEdge(band, band.right(), x, y))
        hit = htSelectionEnd;
    if (hit != htNone)
        return;
    const auto& objects = FProject->Objects();
    for (auto object = objects.rbegin(); object != objects.rend(); ++object) {
        const TRHitTimeline answer = (*object)->TestHitOnTimeline(int(x), int(y));
        if (answer != htNone) {
            hit = answer;
            hitObject = object->get();
            return;
        }
    }
    if (InsideBand(rectHitLinePlayhead, x, y) && SelectionStart < 0 && SelectionEnd < 0)
        hit = htLinePlayhead;
}

// ---- mouse down ----

void TRTimeline::mousePressEvent(QMouseEvent* event) {
    if (!FProject || !FHost)
        return;
    const double x = event->position().x(), y = event->position().y();
    const Qt::KeyboardModifiers shift = event->modifiers();
    HitTest(shift, x, y);
    if (event->button() != Qt::LeftButton)
        return;
    drag = true;
    FDragGroupOpen = false;
    ClearHelperLines();
    const std::int32_t t = TimeAt(x);
    if (hit == htRuler && t <= ProjectEnd())
        FHost->SetPlayHead(t);
    else if ((hit == htPlayhead && CtrlHeld(shift)) || hit == htLinePlayhead)
        SelectionStart = SelectionEnd = PlayHead;
    else if (OnClip(hit) || hit == htSelectionStart || hit == htSelectionEnd)
        FHost->SetPlayHead(t);
    else if (hit == htSelection && SelectionStart >= 0)
        FHost->SetPlayHead(SelectionStart);
    if (!CtrlHeld(shift)) {
        if (OnClip(hit)) {
            if (FProject->HasMultiSelect() && hitObject->MultiSelect()) {
                drag = false;
                dragms = true;
            } else {
                FHost->SetSelectedObject(hitObject, true);
            }
        } else if (hit == htNone) {
            FHost->SetSelectedObject(nullptr, true);
            ClearSelection();
            dragmscreate = true;
            MultiSelectStart = MultiSelectEnd = QPointF(x, y);
            update();
        }
    } else if (hit == htObject) {
        hitObject->SetMultiSelect(!hitObject->MultiSelect());
        FProject->UpdateMultiSelect();
        drag = false;
        update();
    }
}

// ---- mouse move ----

void TRTimeline::mouseMoveEvent(QMouseEvent* event) {
    if (!FProject || !FHost)
        return;
    const double x = event->position().x(), y = event->position().y();
    setCursor(Qt::ArrowCursor);
    if (ClearHelperLines())
        update();
    // A clip that went away (undo, delete) since the press is no longer dragged.
    if (hitObject && FProject->IndexOfObject(hitObject) < 0) {
        hitObject = nullptr;
        drag = dragms = false;
    }
    if (dragmscreate) {
        MultiSelectEnd = QPointF(x, y);
        FProject->ComputeMultiSelectOnTimeline(GetRectMultiSelect());
        update();
    } else if (dragms) {
        const std::int32_t t = TimeAt(x), k = TrackAt(y);
        if ((t != hitTime || k != hitTrack) &&
            FProject->MoveMultiSelectOnTimeLine(t - hitTime, k - hitTrack,
                                                FDragGroupOpen ? undoCurrent : undoIncrement)) {
            FDragGroupOpen = true;
            hitTime = t;
            hitTrack = k;
            FHost->SetPlayHead(t);
            update();
        }
    } else if (drag) {
        DragStep(event->modifiers(), x, y);
    } else {
        Hover(x, y);
    }
}

void TRTimeline::DragStep(Qt::KeyboardModifiers shift, double x, double y) {
    const std::int32_t t = TimeAt(x);
    switch (hit) {
    case htPlayhead:
        DragPlayhead(shift, t);
        break;
    case htPlusMinus:
        DragPlusMinus(t);
        break;
    case htEnd:
        DragEnd(t);
        break;
    case htSelection:
    case htSelectionStart:
    case htSelectionEnd:
    case htLinePlayhead:
        DragSelection(t);
        break;
    case htObject:
        DragClip(y, t);
        break;
    case htObjectLeft:
    case htObjectRight:
        DragClipEdge(t);
        break;
    case htTrIn:
    case htTrOut:
    case htObjTransfLeft:
    case htObjTransf:
    case htObjTransfRight:
        DragClipZone(t);
        break;
    default:
        break;
    }
}

void TRTimeline::DragPlayhead(Qt::KeyboardModifiers shift, std::int32_t t) {
    t = std::min(std::max(t, StartTime), ProjectEnd());
    HelperLine(t);
    FHost->SetPlayHead(t);
    if (CtrlHeld(shift)) {
        if (SelectionStart == -1)
            SelectionStart = t;
        SelectionEnd = t;
    }
}

void TRTimeline::DragPlusMinus(std::int32_t t) {
    const std::int32_t difference = t - hitTime;
    if (t < StartTime || difference == 0)
        return;
    // The whole drag is one undo group: its first step opens it, the others join.
    FProject->InsertTime(PlayHead, difference, FDragGroupOpen ? undoCurrent : undoIncrement);
    FDragGroupOpen = true;
    FHost->SetPlayHead(t);
    if (difference < 0) {
        std::vector<std::int32_t> tracks;
        for (const auto& object : FProject->Objects())
            tracks.push_back(object->Track());
        if (FProject->CheckAndResolveOverlap()) {
            // The clip sent to another track belongs to the same undo group.
            for (std::size_t i = 0; i < tracks.size(); ++i)
                if (FProject->Objects()[i]->Track() != tracks[i])
                    FProject->History_AddModify(FProject->Objects()[i].get(), undoInsertTime,
                                                undoCurrent);
            update();
        }
    }
    hitTime = t;
    FHost->UpdateMAXTimelineHScrollbar();
}

void TRTimeline::DragEnd(std::int32_t t) {
    if (t < StartTime)
        return;
    FProject->SetModified(true);
    const std::int32_t last = FProject->GetMaxMediaTime();
    if (t < last) {
        t = last - 1;
        HelperLine(last);
    }
    FProject->SetTimeEnd(t);
    FHost->UpdateMAXTimelineHScrollbar();
    if (FProject->TimeEnd() < PlayHead)
        FHost->SetPlayHead(FProject->TimeEnd());
    else
        update();
    FHost->UpdateObjectTimes();
    FHost->UpdateLabelTime();
}

void TRTimeline::DragSelection(std::int32_t t) {
    const std::int32_t end = ProjectEnd();
    const auto clamp = [this, end](std::int32_t v) {
        return std::min(std::max(v, StartTime), end);
    };
    if (hit == htSelection) {
        std::int32_t d = t - hitTime;
        if (SelectionEnd + d > end)
            d = end - SelectionEnd;
        if (SelectionStart + d < 0)
            d = -SelectionStart;
        SelectionStart = SnapToFrame(SelectionStart + d);
        SelectionEnd = SnapToFrame(SelectionEnd + d);
        hitTime = t;
        FHost->SetPlayHead(SelectionStart);
    } else if (hit == htSelectionStart) {
        SelectionStart = clamp(t);
        FHost->SetPlayHead(SelectionStart);
    } else {
        SelectionEnd = clamp(t);
        FHost->SetPlayHead(SelectionEnd);
    }
}

void TRTimeline::DragClip(double y, std::int32_t t) {
    TRObject* clip = hitObject;
    const std::int32_t k = TrackAt(y);
    if (k >= 0 && k < NrTracks && k != clip->Track() && FProject->TestChangeObjectTrack(clip, k)) {
        clip->SetTrack(k);
        FProject->History_AddModify(clip, undohtObject, undoIncrement);
        update();
    }
    if (FProject->TestMoveObjectTimeline(clip, t - hitTime)) {
        clip->OffsetTime(t - hitTime);
        hitTime = t;
        FProject->History_AddModify(clip, undohtObject, undoIncrement);
        HelperLine(clip->TimeStart());
        HelperLine(clip->TimeEnd());
        update();
    }
    FHost->SetPlayHead(t);
    FHost->UpdateObjectTimes();
}

void TRTimeline::DragClipEdge(std::int32_t t) {
    TRObject* clip = hitObject;
    const std::int32_t offset = t - hitTime;
    if (hit == htObjectLeft) {
        if (!FProject->TestExtendLeftObjectTimeline(clip, offset))
            return;
        clip->SetTimeStart(t);
        HelperLine(t);
    } else {
        if (!FProject->TestExtendRightObjectTimeline(clip, offset))
            return;
        clip->SetTimeEnd(t);
        if (ProjectEnd() < t) {
            FProject->SetTimeEnd(t);
            FHost->UpdateMAXTimelineHScrollbar();
        }
        HelperLine(t);
    }
    hitTime = t;
    FHost->SetPlayHead(t);
    FHost->UpdateObjectTimes();
    FProject->History_AddModify(clip, hit == htObjectLeft ? undohtObjectLeft : undohtObjectRight,
                                undoIncrement);
}

void TRTimeline::DragClipZone(std::int32_t t) {
    TRObject* clip = hitObject;
    bool done = false;
    TUndoType kind = undohtTrIn;
    switch (hit) {
    case htTrIn:
        done = clip->TestAndSetTrInEndTime(t);
        break;
    case htTrOut:
        done = clip->TestAndSetTrOutStartTime(t);
        kind = undohtTrOut;
        break;
    case htObjTransfLeft:
        done = clip->TestAndSetTransfLeft(t);
        kind = undohtObjTransfLeft;
        break;
    case htObjTransfRight:
        done = clip->TestAndSetTransfRight(t);
        kind = undohtObjTransfRight;
        break;
    default:
        done = clip->TestAndMoveTransf(t - hitTime);
        kind = undohtObjTransf;
        break;
    }
    if (!done)
        return;
    hitTime = t;
    if (hit == htObjTransf && clip->hitTransfIndex >= 0 &&
        std::size_t(clip->hitTransfIndex) < clip->Transformations().size()) {
        const TRTransformation& key = clip->Transformations()[std::size_t(clip->hitTransfIndex)];
        HelperLine(clip->TimeStart() + key.Time);
        HelperLine(clip->TimeStart() + key.Time - key.AnimateDuration);
    } else {
        HelperLine(t);
    }
    FHost->SetPlayHead(t);
    if (hit != htTrIn && hit != htTrOut)
        FHost->UpdateObjectTimes();
    update();
    FProject->History_AddModify(clip, kind, undoIncrement);
}

// ---- hover ----

void TRTimeline::Hover(double x, double y) {
    if (Inside(rectHitPlayhead, x, y) || Inside(rectHitEnd, x, y) || Inside(rectHitPlusMinus, x, y))
        setCursor(Qt::PointingHandCursor);
    TRObject* candidate = nullptr;
    const auto& objects = FProject->Objects();
    for (auto object = objects.rbegin(); object != objects.rend() && !candidate; ++object) {
        const TRHitTimeline answer = (*object)->TestHitOnTimeline(int(x), int(y));
        if (answer == htNone)
            continue;
        candidate = object->get();
        const bool hand = FProject->HasMultiSelect() || answer == htObject || answer == htObjTransf;
        setCursor(hand ? Qt::PointingHandCursor : Qt::SizeHorCursor);
    }
    bool selectionHint = false;
    const QRectF& band = rectHitSelection;
    if (InsideBand(band, x, y)) {
        setCursor(Qt::PointingHandCursor);
        candidate = nullptr;
        selectionHint = true;
    } else if (NearEdge(band, band.left(), x, y) || NearEdge(band, band.right(), x, y)) {
        setCursor(Qt::SizeHorCursor);
        candidate = nullptr;
        selectionHint = true;
    } else if (InsideBand(rectHitLinePlayhead, x, y) && cursor().shape() == Qt::ArrowCursor) {
        setCursor(Qt::SizeHorCursor);
        candidate = nullptr;
        selectionHint = true;
    }
    FHost->SetMouseOverObject(candidate);
    const QPoint at = mapToGlobal(QPoint(int(x), int(y)));
    if (candidate)
        ShowHint(candidate->HintTimeline(), at);
    else if (selectionHint && SelectionStart != SelectionEnd)
        ShowHint("Timeline Selection\n\r" +
                     FormatTimeFrames(std::min(SelectionStart, SelectionEnd)) + " - " +
                     FormatTimeFrames(std::max(SelectionStart, SelectionEnd)),
                 at);
    else
        ShowHint(QString(), at);
}

void TRTimeline::ShowHint(const QString& text, const QPoint& at) {
    if (text == FHint)
        return;
    FHint = text;
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(at, QString(text).remove('\r'), this);
}

// ---- mouse up ----

void TRTimeline::mouseReleaseEvent(QMouseEvent*) {
    if (!FProject || !FHost)
        return;
    const bool wasPlayhead = drag && hit == htPlayhead;
    drag = dragmscreate = dragms = false;
    if (ClearRectMultiSelect() || ClearHelperLines())
        update();
    if (hitObject && FProject->IndexOfObject(hitObject) >= 0 && hitObject->hitTransfIndex != -1) {
        hitObject->hitTransfIndex = -1;
        update();
    }
    if (wasPlayhead)
        FHost->SetPlayHead(PlayHead);
    FHost->Stop();
}
