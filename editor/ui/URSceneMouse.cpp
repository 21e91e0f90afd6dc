// The canvas's mouse: a press hits the selection handles first, then the objects from the top
// of the paint order down, then the empty canvas; a move applies the drag that the press
// started, or shows what lies under the pointer; the release ends every drag.
#include "core/UREditorServices.h"
#include "core/URProject.h"
#include "editor/ui/URScene.h"

#include <QMouseEvent>
#include <cmath>

using namespace platform::render;

namespace {

// Steps smaller than this many scene units on both axes wait until the motion adds up.
constexpr float MinStep = 2;

bool Ctrl(const QMouseEvent* event) {
    return event->modifiers() & Qt::ControlModifier;
}

} // namespace

QPointF TRScene::ScenePoint(QPointF pixel) const {
    if (mtransform.m11 == 0)
        return pixel - QPointF(mtransform.dx, mtransform.dy);
    return QPointF((pixel.x() - mtransform.dx) / mtransform.m11,
                   (pixel.y() - mtransform.dy) / mtransform.m11);
}

void TRScene::Select(TRObject* object) {
    EditorServices().SetSelectedObject(object, true);
    FollowSelection();
}

void TRScene::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !FProject)
        return;
    mtransform = ViewTransform();
    FollowSelection();
    const int x = event->pos().x(), y = event->pos().y();
    const bool ctrl = Ctrl(event);
    setCursor(Qt::ArrowCursor);
    hit = hsNone;
    hitObject = nullptr;
    FProject->rectMultiSelect = QRectF();
    if (FSelectionTool.TestHitOnScene(x, y, mtransform) &&
        (!ctrl || FSelectionTool.ActiveHandleId() < RotationKnob)) {
        hit = hsSelection;
        drag = true;
        hitX = x, hitY = y;
        return;
    }
    const auto& objects = FProject->Objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const TRHitScene answer = (*it)->TestHitOnScene(x, y, &mtransform);
        if (answer == hsObject || answer == hsZoomSource) {
            PressObject(it->get(), answer, x, y, ctrl);
            return;
        }
    }
    PressEmpty(x, y, ctrl);
}

void TRScene::PressObject(TRObject* object, TRHitScene answer, int x, int y, bool ctrl) {
    hit = answer;
    hitObject = object;
    setCursor(Qt::PointingHandCursor);
    drag = true;
    hitX = x, hitY = y;
    if (answer == hsZoomSource) {
        Select(object);
    } else if (ctrl) {
        object->SetMultiSelect(!object->MultiSelect());
        FProject->UpdateMultiSelect();
        FollowSelection();
        drag = false;
    } else if (FProject->HasMultiSelect() && object->MultiSelect()) {
        drag = false;
        dragms = true;
    } else {
        Select(object);
        // A locked or animating object keeps hsObject and does not move.
        if (FSelectionTool.TestHitOnScene(x, y, mtransform))
            hit = hsSelection;
    }
    update();
}

void TRScene::PressEmpty(int x, int y, bool ctrl) {
    if (ctrl)
        return;
    Select(nullptr);
    drag = false;
    dragmscreate = true;
    const QPointF at = ScenePoint(QPointF(x, y));
    FProject->rectMultiSelect = QRectF(at, at);
    update();
}

void TRScene::mouseMoveEvent(QMouseEvent* event) {
    if (!FProject)
        return;
    mtransform = ViewTransform();
    const int x = event->pos().x(), y = event->pos().y();
    const float s = GetDesignScale();
    if (dragms) {
        const float dx = float(x - hitX) / s, dy = float(y - hitY) / s;
        if (std::abs(dx) >= MinStep || std::abs(dy) >= MinStep) {
            FProject->MoveMultiSelect(dx, dy);
            update();
            hitX = x, hitY = y;
        }
        return;
    }
    if (dragmscreate) {
        FProject->rectMultiSelect.setBottomRight(ScenePoint(QPointF(x, y)));
        FProject->ComputeMultiSelect();
        FollowSelection();
        update();
        return;
    }
    if (drag && DragStep(Ctrl(event), x, y))
        return;
    Hover(x, y);
}

// One step of a handle or zoom-source drag; false when the drag applies to nothing (a press on
// a locked object, or on one that is no longer selected), so the pointer just hovers.
bool TRScene::DragStep(bool ctrl, int x, int y) {
    if (FProject->MouseOverObject)
        EditorServices().SetMouseOverObject(nullptr);
    if (ClearHelperLines())
        update();
    TRObject* selected = FProject->SelectedObject;
    if (hit == hsSelection && selected && selected == FSelectionTool.ActiveObject()) {
        if (!FSelectionTool.MouseMove(ctrl, x, y, mtransform, hitX, hitY))
            return true;
        FSelectionTool.SetObject(selected);
        FProject->History_AddModify(selected, undoPlacement, undoIncrement);
        EditorServices().UpdatePlacementProperties();
        ComputeHelperLines();
    } else if (hit == hsZoomSource && selected && selected == hitObject) {
        const float s = GetDesignScale();
        const float dx = float(x - hitX) / s, dy = float(y - hitY) / s;
        if (std::abs(dx) < MinStep && std::abs(dy) < MinStep)
            return true;
        selected->MoveZoomSource(dx, dy);
        // The same kind of step the inspector records for the source.
        FProject->History_AddModify(selected, undoZoomSource, undoIncrement);
        EditorServices().UpdateZoomSourceProperties();
    } else {
        return false;
    }
    update();
    hitX = x, hitY = y;
    return true;
}

void TRScene::Hover(int x, int y) {
    setCursor(Qt::ArrowCursor);
    if (FSelectionTool.TestHitOnScene(x, y, mtransform))
        return;
    const auto& objects = FProject->Objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        const TRHitScene answer = (*it)->TestHitOnScene(x, y, &mtransform);
        if (answer == hsObject || answer == hsZoomSource) {
            hitObject = it->get();
            hit = answer;
            setCursor(Qt::PointingHandCursor);
            EditorServices().SetMouseOverObject(hitObject);
            return;
        }
    }
    EditorServices().SetMouseOverObject(nullptr);
}

void TRScene::mouseReleaseEvent(QMouseEvent*) {
    drag = false;
    dragms = false;
    if (dragmscreate && FProject) {
        FProject->rectMultiSelect = QRectF();
        update();
    }
    dragmscreate = false;
    if (ClearHelperLines())
        update();
    EditorServices().Stop();
}
