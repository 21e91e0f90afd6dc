// Deleting objects and time ranges, and the selection: single and multi-selection, the rubber
// bands of the scene and the timeline, and moving and aligning a multi-selection.

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URUtils.h"

#include <QPolygonF>
#include <algorithm>
#include <map>

namespace {

// Closes the gap of `length` ms that a removed clip left on `track` from `end` on.
void CloseGap(TRProject& project, std::int32_t track, std::int32_t end, std::int32_t length) {
    for (const auto& object : project.Objects())
        if (object->Track() == track && object->TimeStart() >= end) {
            object->SetTimeStartField(object->TimeStart() - length);
            object->SetTimeEnd(object->TimeEnd() - length);
            if (object->TimeStart() < 0) {
                object->SetTimeEnd(object->TimeEnd() - object->TimeStart());
                object->SetTimeStartField(0);
            }
            project.History_AddModify(object.get(), undohtObject, undoCurrent);
        }
}

} // namespace

void TRProject::DeleteObject(TRObject* object, bool ripple) {
    if (!object)
        return;
    SelectObject(*this, nullptr, true);
    if (!ripple) {
        DeleteObject(static_cast<const TRObject*>(object));
        return;
    }
    History_Increment();
    History_AddInsertDelete(object, undoDelete, undoCurrent);
    const std::int32_t s = object->TimeStart();
    const std::int32_t e = object->TimeEnd();
    const std::int32_t track = object->Track();
    DeleteObject(static_cast<const TRObject*>(object));
    CloseGap(*this, track, e, e - s);
    FTimeEnd -= e - s;
    UpdateTimeEnd();
    MouseOverObject = nullptr;
    ::SetPlayHead(*this, s);
}

void TRProject::DeleteMultiSelect(bool ripple) {
    History_Increment();
    // The time taken out of each track; the project shrinks by the largest.
    std::map<std::int32_t, std::int32_t> sums;
    std::int32_t first = INT32_MAX;
    for (auto i = static_cast<std::int32_t>(FObjects.size()) - 1; i >= 0; --i) {
        if (i >= static_cast<std::int32_t>(FObjects.size()) || !FObjects[i]->MultiSelect())
            continue;
        TRObject* object = FObjects[i].get();
        const std::int32_t s = object->TimeStart();
        const std::int32_t e = object->TimeEnd();
        const std::int32_t track = object->Track();
        History_AddInsertDelete(object, undoDelete, undoCurrent);
        DeleteObject(static_cast<const TRObject*>(object));
        if (!ripple)
            continue;
        sums[track] += e - s;
        first = std::min(first, s);
        CloseGap(*this, track, e, e - s);
    }
    if (!ripple || first == INT32_MAX)
        return;
    std::int32_t largest = 0;
    for (const auto& [track, sum] : sums)
        largest = std::max(largest, sum);
    FTimeEnd -= largest;
    UpdateTimeEnd();
    MouseOverObject = nullptr;
    ::SetPlayHead(*this, first);
}

void TRProject::DeleteSelection(std::int32_t selectionStart, std::int32_t selectionEnd,
                                bool ripple) {
    const std::int32_t a = std::min(selectionStart, selectionEnd);
    const std::int32_t b = std::max(selectionStart, selectionEnd);
    if (a < 0 || b > FTimeEnd)
        return;
    SetModified(true);
    History_Increment();
    if (b < FTimeEnd) {
        SetTimePosition(b);
        SplitAllObjects();
    }
    if (a > 0) {
        SetTimePosition(a);
        SplitAllObjects();
    }
    for (auto i = static_cast<std::int32_t>(FObjects.size()) - 1; i >= 0; --i) {
        TRObject* object = FObjects[i].get();
        if (object->TimeStart() < a || object->TimeEnd() > b)
            continue;
        History_AddInsertDelete(object, undoDelete, undoCurrent);
        SelectObject(*this, nullptr, true);
        DeleteObject(static_cast<const TRObject*>(object));
    }
    if (!ripple) {
        SetTimePosition(a);
        return;
    }
    for (const auto& object : FObjects)
        if (object->TimeStart() >= b) {
            object->OffsetTime(a - b);
            History_AddModify(object.get(), undohtObject, undoCurrent);
        }
    FTimeEnd -= b - a;
    UpdateTimeEnd();
    ::SetPlayHead(*this, a);
}

void TRProject::DeleteCaptions() {
    History_Increment();
    for (auto i = static_cast<std::int32_t>(FObjects.size()) - 1; i >= 0; --i)
        if (FObjects[i]->ObjectType() == otCaption) {
            History_AddInsertDelete(FObjects[i].get(), undoDelete, undoCurrent);
            DeleteObject(static_cast<const TRObject*>(FObjects[i].get()));
        }
}

// ---- selecting ----

namespace {

bool SpansPlayhead(const TRObject& object, std::int32_t t) {
    return object.TimeStart() <= t && t <= object.TimeEnd();
}

} // namespace

void TRProject::SelectAll() {
    for (const auto& object : FObjects)
        object->SetMultiSelect(SpansPlayhead(*object, FTimePosition));
    UpdateMultiSelect();
}

bool TRProject::UnSelectAll() {
    bool any = false;
    for (const auto& object : FObjects) {
        any = any || object->MultiSelect();
        object->SetMultiSelect(false);
    }
    return any;
}

bool TRProject::HasObjectToSelectAll() const {
    return std::any_of(FObjects.begin(), FObjects.end(),
                       [this](const auto& o) { return SpansPlayhead(*o, FTimePosition); });
}

bool TRProject::HasMultiSelect() const {
    return std::count_if(FObjects.begin(), FObjects.end(),
                         [](const auto& o) { return o->MultiSelect(); }) >= 2;
}

std::int32_t TRProject::UpdateMultiSelect() {
    std::int32_t n = 0;
    TRObject* single = nullptr;
    for (const auto& object : FObjects)
        if (object->MultiSelect()) {
            ++n;
            single = object.get();
        }
    SelectObject(*this, n == 1 ? single : nullptr, n < 2);
    return n;
}

namespace {

// The edge value of the inside test, each step rounded to Single.
float EdgeValue(const QPointF& c, const QPointF& pi, const QPointF& pj) {
    const auto f = [](double v) { return double(static_cast<float>(v)); };
    const double a = f(c.x() * f(pi.y() - pj.y()));
    const double b = f(c.y() * f(pi.x() - pj.x()));
    const double d = f(f(pi.x() * pj.y()) - f(pi.y() * pj.x()));
    return static_cast<float>(f(f(a - b) + d));
}

bool InsideQuad(const QPointF& c, const TRTransformedPoints& p) {
    int positive = 0;
    for (int i = 1; i <= 4; ++i)
        positive += EdgeValue(c, p[i], p[i == 4 ? 1 : i + 1]) >= 0 ? 1 : 0;
    return positive == 0 || positive == 4;
}

bool BandHits(const QRectF& band, const TRTransformedPoints& p) {
    for (const QPointF& point : p)
        if (point.x() >= band.left() && point.x() <= band.right() && point.y() >= band.top() &&
            point.y() <= band.bottom())
            return true;
    const QPointF corners[4] = {band.topLeft(), band.topRight(), band.bottomRight(),
                                band.bottomLeft()};
    return std::any_of(std::begin(corners), std::end(corners),
                       [&p](const QPointF& c) { return InsideQuad(c, p); });
}

} // namespace

void TRProject::ComputeMultiSelect() {
    // A band drawn from right to left or bottom to top selects like the other way round.
    const QRectF band = rectMultiSelect.normalized();
    for (const auto& object : FObjects) {
        object->SetMultiSelect(false);
        if (!object->HasPlacement() || !SpansPlayhead(*object, FTimePosition))
            continue;
        object->SetMultiSelect(BandHits(band, object->GetTransformedPoints()));
    }
    UpdateMultiSelect();
}

void TRProject::ComputeMultiSelectOnTimeline(const QRectF& rect) {
    const QRectF band = rect.normalized();
    for (const auto& object : FObjects) {
        const QRectF& clip = object->rectTimeline;
        const bool hit =
            std::max(clip.left(), band.left()) < std::min(clip.right(), band.right()) &&
            std::max(clip.top(), band.top()) < std::min(clip.bottom(), band.bottom());
        object->SetMultiSelect(hit);
    }
    UpdateMultiSelect();
}

void TRProject::CopyMultiSelect() {
    constexpr std::int32_t none = 100000000;
    PropertiesClipboard.EarliestStart = none;
    for (const auto& object : FObjects)
        if (object->MultiSelect()) {
            PropertiesClipboard.Objects.append(object.get());
            PropertiesClipboard.EarliestStart =
                std::min(PropertiesClipboard.EarliestStart, object->TimeStart());
        }
    if (PropertiesClipboard.EarliestStart == none)
        PropertiesClipboard.EarliestStart = 0;
}

void TRProject::MoveMultiSelect(float dx, float dy) {
    History_Increment();
    for (const auto& object : FObjects)
        if (object->MultiSelect()) {
            object->Move(dx, dy);
            History_AddModify(object.get(), undoPlacement, undoCurrent);
        }
}

bool TRProject::MoveMultiSelectOnTimeLine(std::int32_t dtime, std::int32_t dtrack,
                                          TUndoIndex group) {
    struct Span {
        std::int32_t Start, End, Track;
    };
    std::vector<Span> spans;
    spans.reserve(FObjects.size());
    for (const auto& object : FObjects) {
        const bool moves = object->MultiSelect();
        const Span span{object->TimeStart() + (moves ? dtime : 0),
                        object->TimeEnd() + (moves ? dtime : 0),
                        object->Track() + (moves ? dtrack : 0)};
        // Clips already below the shown tracks (old files) may stay there or move up; only a
        // move down past the last shown track is refused.
        if (span.Start < 0 || span.End < 0 || span.Track < 0 ||
            (moves && dtrack > 0 && span.Track >= TimelineTrackCount))
            return false;
        spans.push_back(span);
    }
    for (std::size_t i = 0; i < spans.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (spans[i].Track == spans[j].Track &&
                std::max(spans[i].Start, spans[j].Start) < std::min(spans[i].End, spans[j].End))
                return false;
    if (group == undoIncrement)
        History_Increment();
    for (const auto& object : FObjects)
        if (object->MultiSelect()) {
            object->OffsetTime(dtime);
            object->SetTrack(object->Track() + dtrack);
            History_AddModify(object.get(), undohtObject, undoCurrent);
        }
    return true;
}

void TRProject::AlignMultiSelect(std::uint8_t type, bool alignToSelection) {
    std::int32_t w = 0, h = 0;
    GetProjectSize(w, h);
    float targets[7] = {0, -w / 2.0f, 0, w / 2.0f, -h / 2.0f, 0, h / 2.0f};
    if (alignToSelection) {
        QRectF box;
        bool any = false;
        for (const auto& object : FObjects)
            if (object->MultiSelect() && object->HasPlacement()) {
                const TRTransformedPoints p = object->GetTransformedPoints();
                const QRectF corners = QPolygonF({p[1], p[2], p[3], p[4]}).boundingRect();
                box = any ? box.united(corners) : corners;
                any = true;
            }
        if (!any)
            return;
        const float cx = float((box.left() + box.right()) / 2);
        const float cy = float((box.top() + box.bottom()) / 2);
        const float fromBox[7] = {0,  float(box.left()),  cx, float(box.right()), float(box.top()),
                                  cy, float(box.bottom())};
        std::copy(std::begin(fromBox), std::end(fromBox), std::begin(targets));
    }
    History_Increment();
    for (const auto& object : FObjects)
        if (object->MultiSelect() && object->HasPlacement()) {
            if (type >= 1 && type <= 6)
                object->Align(type, targets[type]);
            History_AddModify(object.get(), undoPlacement, undoCurrent);
        }
}

void TRProject::ComputeMultiSelectProperties(TRPropertiesChecked& props) const {
    std::array<std::int32_t, PropertyTypeCount> count{};
    std::int32_t n = 0;
    for (const auto& object : FObjects) {
        if (!object->MultiSelect())
            continue;
        ++n;
        const TRPropertiesObject& row = ObjectPropertyGroups[object->ObjectType()];
        // The name (entry 0) is every object's own.
        for (std::size_t i = 1; i < row.size() && row[i] != ptBase; ++i)
            if (row[i] > 0 && row[i] < PropertyTypeCount)
                ++count[row[i]];
    }
    for (std::size_t t = 0; t < props.size(); ++t)
        props[t] = count[t] == n;
}

void TRProject::MultiSelectPastePropertiesFromClipboard(const TRPropertiesChecked& props) {
    History_Increment();
    for (const auto& object : FObjects)
        if (object->MultiSelect()) {
            object->PastePropertiesFromClipboard(props);
            History_AddModify(object.get(), undoPasteProperties, undoCurrent);
        }
}
