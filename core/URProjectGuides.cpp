// The snap guides the editor shows while an object is dragged: in the scene towards the
// selected object's neighbouring keyframes and towards objects lined up with it, on the
// timeline at the edges of the other clips.

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URPropTransition.h"
#include "core/URScenePaint.h"

#include <algorithm>
#include <cmath>

TRSceneHelperLineFn SceneHelperLineHook = nullptr;
TRTimelineHelperLineFn TimelineHelperLineHook = nullptr;

namespace {

// A guide from `from` to `to` snapping by `p` - `q`, in whole pixels (halves to even).
void AddSceneGuide(TRProject& project, QPointF from, QPointF to, QPointF p, QPointF q,
                   bool selected) {
    if (!SceneHelperLineHook)
        return;
    const TRSceneHelperLine line{from, to, float(std::nearbyint(p.x() - q.x())),
                                 float(std::nearbyint(p.y() - q.y())), selected};
    SceneHelperLineHook(project, line);
}

const TRPlacementSource* PlacementOf(TRObject& object) {
    return dynamic_cast<const TRPlacementSource*>(object.GetProperty(ptPlacement));
}

// Whether `time` meets an edge of the object: its ends, the ends of its transitions, or a
// keyframe animation's start or end.
bool HasEdgeAt(const TRObject& object, std::int32_t time) {
    const std::int32_t s = object.TimeStart(), e = object.TimeEnd();
    if (s == time || e == time ||
        (object.TrIn()->Checked() && s + object.TrIn()->FDuration == time) ||
        (object.TrOut()->Checked() && e - object.TrOut()->FDuration == time))
        return true;
    const TRTransformations& keys = object.Transformations();
    for (std::size_t i = 1; i < keys.size(); ++i) {
        const std::int32_t k = s + keys[i].Time;
        if (k - keys[i].AnimateDuration == time || k == time)
            return true;
    }
    return false;
}

} // namespace

void TRProject::ComputeSceneHelperLines() {
    TRObject* selected = SelectedObject;
    if (!selected || selected == this || !selected->HasPlacement())
        return;
    const TRPlacementSource* own = PlacementOf(*selected);
    if (!own)
        return;
    const QPointF p = own->Position();
    QPointF q;
    if (selected->GetPreviousPosition(q))
        AddSceneGuide(*this, q, p, p, q, true);
    if (selected->GetNextPosition(q))
        AddSceneGuide(*this, p, q, p, q, true);
    for (const auto& object : FObjects) {
        if (!object->IsVisibleInScene())
            continue;
        const TRPlacementSource* other = PlacementOf(*object);
        if (!other)
            continue;
        q = other->Position();
        if (std::abs(std::nearbyint(p.x() - q.x())) <= 20 ||
            std::abs(std::nearbyint(p.y() - q.y())) <= 20)
            AddSceneGuide(*this, p, q, p, q, false);
    }
}

void TRProject::ComputeTimeLineHelperLines(std::int32_t time) {
    // The timeline keeps each time once: one guide however many clips meet it.
    if (TimelineHelperLineHook &&
        std::any_of(FObjects.begin(), FObjects.end(), [this, time](const auto& object) {
            return object.get() != SelectedObject && HasEdgeAt(*object, time);
        }))
        TimelineHelperLineHook(*this, time);
}
