#include "objects/URHTMLInteractivity.h"

#include "core/URProject.h"
#include "objects/URPropInteractivity.h"
#include "objects/URPropVideoAction.h"

#include <cmath>

namespace {

constexpr std::int32_t ActionGotoMarker = 2;
constexpr std::int32_t ActionOpenLink = 3;

// "gototime" for a jump to a marker, "url" and "window" for a link.
template <typename Group>
void addActionTarget(TROrderedJson& json, const Group& group, const TRProject& project,
                     std::int32_t timeStart) {
    if (group.FAction == ActionGotoMarker)
        json.Add("gototime", std::int64_t(project.GetMarkerTime(group.FMarkerCode)) - timeStart);
    else if (group.FAction == ActionOpenLink)
        json.Add("url", group.FURL).Add("window", group.FWindow);
}

// The outline's corners with the object at `time` (at a keyframe's start, its own placement).
TRTransformedPoints cornersAt(TRObject& object, std::int32_t time) {
    const std::int32_t playhead = object.TimePosition();
    object.SetTimePosition(time);
    const TRTransformedPoints points = object.GetTransformedPoints();
    object.SetTimePosition(playhead);
    return points;
}

void addCorners(TROrderedJson& json, const TRTransformedPoints& points,
                const platform::render::Matrix3x2& transform) {
    for (int corner = 1; corner <= 4; ++corner) {
        const platform::render::PointF page =
            transform.transformPoint({float(points[corner].x()), float(points[corner].y())});
        // Halves round to even, as the page's own arithmetic does.
        json.Add(QStringLiteral("x%1").arg(corner), std::int64_t(std::lrint(page.x)))
            .Add(QStringLiteral("y%1").arg(corner), std::int64_t(std::lrint(page.y)));
    }
}

// The end of keyframe `index`'s span: where the animation into the next one begins.
std::int32_t spanEnd(const TRObject& object, std::size_t index) {
    const TRTransformations& keyframes = object.Transformations();
    if (index + 1 >= keyframes.size())
        return object.TimeEnd();
    return object.TimeStart() + keyframes[index + 1].Time - keyframes[index + 1].AnimateDuration;
}

std::vector<TROrderedJson> videoActions(const TRProject& project, std::int32_t timeStart,
                                        std::int32_t timeEnd) {
    std::vector<TROrderedJson> actions;
    for (const auto& object : project.Objects()) {
        const auto* group = object->Get<TRPropVideoAction>(ptVideoAction);
        if (!group || group->FAction == 0)
            continue;
        const std::int64_t moment = (std::int64_t(object->TimeStart()) + object->TimeEnd()) / 2;
        if (moment < timeStart || moment > timeEnd)
            continue;
        TROrderedJson action;
        action.Add("time", moment - timeStart).Add("action", group->FAction);
        addActionTarget(action, *group, project, timeStart);
        actions.push_back(action);
    }
    return actions;
}

} // namespace

std::vector<TROrderedJson> GetObjectClickAreas(TRObject& object, std::int32_t timeStart,
                                               std::int32_t timeEnd,
                                               const platform::render::Matrix3x2& transform) {
    std::vector<TROrderedJson> areas;
    const TRTransformations& keyframes = object.Transformations();
    for (std::size_t i = 0; i < keyframes.size(); ++i) {
        const TRPropList* groups = keyframes[i].Properties.get();
        const auto* group = groups ? groups->Get<TRPropInteractivity>(ptInteractivity) : nullptr;
        if (!group || !group->Checked() || !groups->GetProperty(ptPlacement))
            continue;
        const std::int32_t start = object.TimeStart() + keyframes[i].Time;
        const std::int32_t end = spanEnd(object, i);
        if (start > timeEnd || end < timeStart)
            continue;
        TROrderedJson area;
        addCorners(area, cornersAt(object, start), transform);
        area.Add("timestart", std::int64_t(std::max(start - timeStart, 0)))
            .Add("timeend", std::int64_t(end) - timeStart)
            .Add("hand", group->FHandCursor)
            .Add("event", group->FEvent)
            .Add("action", group->FAction);
        if (object.Project())
            addActionTarget(area, *group, *object.Project(), timeStart);
        areas.push_back(area);
    }
    return areas;
}

QByteArray GetHTMLDataInteractivity(TRProject& project, std::int32_t timeStart,
                                    std::int32_t timeEnd,
                                    const platform::render::Matrix3x2& transform) {
    std::vector<TROrderedJson> areas;
    for (const auto& object : project.Objects())
        for (TROrderedJson& area : GetObjectClickAreas(*object, timeStart, timeEnd, transform))
            areas.push_back(std::move(area));
    const std::vector<TROrderedJson> actions = videoActions(project, timeStart, timeEnd);
    TROrderedJson data;
    if (!areas.empty())
        data.Add("clickareas", areas);
    if (!actions.empty())
        data.Add("videoactions", actions);
    return data.Members();
}
