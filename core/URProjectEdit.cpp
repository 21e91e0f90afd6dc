// Timeline editing of the project: paint order, tracks and overlaps, the timeline's drag tests,
// the inspector's length tests, inserting time, splitting, trimming and separating sound.

#include "core/URProjectEdit.h"

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/URUtils.h"

#include <QDomDocument>
#include <QPolygonF>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <set>

TRSelectObjectFn SelectObjectHook = nullptr;
TRSetPlayHeadFn SetPlayHeadHook = nullptr;
TREditWarningFn EditWarningHook = nullptr;

void SelectObject(TRProject& project, TRObject* object, bool unselect) {
    if (SelectObjectHook) {
        SelectObjectHook(project, object, unselect);
        return;
    }
    if (unselect)
        for (const auto& item : project.Objects())
            item->SetMultiSelect(false);
    project.SelectedObject = object ? object : &project;
    if (object)
        object->SetMultiSelect(true);
}

void SetPlayHead(TRProject& project, std::int32_t time) {
    if (SetPlayHeadHook)
        SetPlayHeadHook(project, time);
    else
        project.SetTimePosition(time);
}

void ShowEditWarning(const QString& text) {
    if (EditWarningHook)
        EditWarningHook(text);
}

QString NotEnoughRoomMessage(std::int32_t newEnd, std::int32_t blockingStart) {
    const std::int32_t seconds = (newEnd - blockingStart) / 1000 + 1;
    return QStringLiteral("There is not enough space on the timeline for this operation.\r"
                          "Please leave %1 seconds empty after the object.")
        .arg(seconds);
}

QString AnimationsTooCloseMessage() {
    return QStringLiteral("The animations are too close for this operation.\r"
                          "Please leave more space between them.");
}

namespace {

constexpr std::int32_t MinAnimationRemainder = 100;
constexpr std::int32_t MinKeyframeDistance = 150;

bool Overlap(const TRObject& a, const TRObject& b) {
    return std::max(a.TimeStart(), b.TimeStart()) < std::min(a.TimeEnd(), b.TimeEnd());
}

std::int32_t SearchedTrack(std::int32_t track) {
    return track >= 0 && track < SearchedTrackCount ? track : 0;
}

// The sum of the durations of the checked transition zones.
std::int32_t TransitionNeed(const TRObject& object) {
    std::int32_t need = 0;
    if (object.TrIn()->Checked())
        need += object.TrIn()->FDuration;
    if (object.TrOut()->Checked())
        need += object.TrOut()->FDuration;
    return need;
}

std::int32_t ScaledSnap(std::int32_t value, float factor) {
    return SnapToFrame(static_cast<std::int32_t>(std::nearbyint(double(value) * factor)));
}

} // namespace

QByteArray ObjectSnapshot(const TRObject& object) {
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("Objects"));
    document.appendChild(root);
    object.SaveToXML(root);
    return document.toByteArray(1);
}

std::unique_ptr<TRObject> CopyFromSnapshot(TRProject& project, const QByteArray& snapshot) {
    QDomDocument document;
    if (!document.setContent(snapshot))
        return nullptr;
    const QDomElement element =
        document.documentElement().firstChildElement(QStringLiteral("Object"));
    const int type = element.attribute(QStringLiteral("Type"), QStringLiteral("0")).toInt();
    std::unique_ptr<TRObject> copy = CreateObjectOfType(&project, type);
    if (!copy)
        return nullptr;
    const std::int32_t id = copy->ObjectId();
    const QString name = copy->ObjectName();
    copy->OpenFromXML(element);
    copy->SetObjectId(id);
    copy->SetObjectName(name);
    return copy;
}

// ---- consistency ----

QStringList TRProject::CheckConsistency() const {
    QStringList faults;
    std::set<std::pair<int, int>> ids;
    QSet<std::int32_t> uniques;
    for (std::size_t i = 0; i < FObjects.size(); ++i) {
        const TRObject& a = *FObjects[i];
        const QString name = a.ObjectName();
        if (a.TimeStart() < 0 || a.TimeEnd() < a.TimeStart() || a.TimeEnd() > FTimeEnd + 1)
            faults << QStringLiteral("%1: span %2..%3 outside 0..%4")
                          .arg(name)
                          .arg(a.TimeStart())
                          .arg(a.TimeEnd())
                          .arg(FTimeEnd);
        if (!ids.insert({a.ObjectType(), a.ObjectId()}).second || uniques.contains(a.UniqueID()))
            faults << QStringLiteral("%1: id used twice").arg(name);
        uniques.insert(a.UniqueID());
        const TRTransformations& keys = a.Transformations();
        if (keys.empty() || keys.front().Time != 0)
            faults << QStringLiteral("%1: first keyframe not at 0").arg(name);
        for (std::size_t k = 1; k < keys.size(); ++k)
            if (keys[k].Time < keys[k - 1].Time || keys[k].Time > a.TimeEnd() - a.TimeStart())
                faults << QStringLiteral("%1: keyframe %2 out of order").arg(name).arg(k);
        for (std::size_t j = 0; j < i; ++j)
            if (FObjects[j]->Track() == a.Track() && Overlap(a, *FObjects[j]))
                faults << QStringLiteral("%1 overlaps %2 on track %3")
                              .arg(name, FObjects[j]->ObjectName())
                              .arg(a.Track());
    }
    return faults;
}

// ---- paint order ----

namespace {

// The box around the object's outline in the scene: position, size, scale and rotation.
QRectF SceneBounds(TRObject& object) {
    const TRTransformedPoints p = object.GetTransformedPoints();
    return QPolygonF({p[1], p[2], p[3], p[4]}).boundingRect();
}

} // namespace

void TRProject::Arrange(std::int32_t type) {
    if (type < 0 || type > 3 || !SelectedObject || SelectedObject == this || FObjects.size() == 1)
        return;
    const std::int32_t i = IndexOfObject(SelectedObject);
    if (i < 0)
        return;
    const auto n = static_cast<std::int32_t>(FObjects.size());
    SetModified(true);
    std::int32_t target = i;
    if (type == 0)
        target = n - 1;
    else if (type == 3)
        target = 0;
    else if (SelectedObject->GetProperty(ptPlacement)) {
        // The next object above (below) whose outline overlaps this one in the scene, else one
        // place up (down): the order changes by one step the user can see.
        const QRectF a = SceneBounds(*SelectedObject);
        const int step = type == 1 ? 1 : -1;
        target = std::clamp(i + step, 0, n - 1);
        for (std::int32_t j = i + step; j >= 0 && j < n; j += step)
            if (FObjects[j]->GetProperty(ptPlacement) && a.intersects(SceneBounds(*FObjects[j]))) {
                target = j;
                break;
            }
    }
    if (target == i)
        return;
    MoveObjectTo(SelectedObject, target);
    History().AddArrange(SelectedObject, i);
}

void TRProject::HelperArrange(std::int32_t& pos, std::int32_t& total) {
    pos = -1;
    total = 0;
    for (const auto& object : FObjects)
        if (object->IsVisibleInScene()) {
            ++total;
            if (object.get() == SelectedObject)
                pos = total;
        }
}

// ---- tracks and overlaps ----

bool TRProject::CheckAndResolveOverlap() {
    for (auto i = static_cast<std::int32_t>(FObjects.size()) - 1; i >= 0; --i)
        for (std::int32_t j = i - 1; j >= 0; --j) {
            TRObject& a = *FObjects[i];
            if (a.Track() == FObjects[j]->Track() && Overlap(a, *FObjects[j])) {
                a.SetTrack(GetNextTrack(a.TimeStart(), a.TimeEnd()));
                return true;
            }
        }
    return false;
}

bool TRProject::TestChangeObjectTrack(const TRObject* object, std::int32_t newTrack) const {
    if (!object)
        return false;
    const std::int32_t s = object->TimeStart();
    const std::int32_t e = object->TimeEnd();
    const std::int32_t track = SearchedTrack(newTrack);
    for (const auto& other : FObjects) {
        if (SearchedTrack(other->Track()) != track)
            continue;
        const std::int32_t s2 = other->TimeStart();
        const std::int32_t e2 = other->TimeEnd();
        if ((s2 <= s && e2 >= e) || (s <= s2 && s2 <= e) || (s <= e2 && e2 <= e))
            return false;
    }
    return true;
}

namespace {

// The other clips on the object's track that lie wholly after (before) it.
template <class Fn>
bool NoneAfter(const std::vector<std::unique_ptr<TRObject>>& objects, const TRObject& clip,
               Fn blocks) {
    for (const auto& other : objects)
        if (other.get() != &clip && other->Track() == clip.Track() &&
            other->TimeStart() >= clip.TimeEnd() && blocks(*other))
            return false;
    return true;
}

template <class Fn>
bool NoneBefore(const std::vector<std::unique_ptr<TRObject>>& objects, const TRObject& clip,
                Fn blocks) {
    for (const auto& other : objects)
        if (other.get() != &clip && other->Track() == clip.Track() &&
            other->TimeEnd() <= clip.TimeStart() && blocks(*other))
            return false;
    return true;
}

} // namespace

bool TRProject::TestMoveObjectTimeline(const TRObject* object, std::int32_t offsetTime) const {
    if (!object || offsetTime == 0)
        return false;
    std::int32_t ns = object->TimeStart() + offsetTime;
    std::int32_t ne = object->TimeEnd() + offsetTime;
    if (ns < 0) {
        ne -= ns;
        ns = 0;
    }
    return NoneAfter(FObjects, *object, [ne](const TRObject& o) { return ne > o.TimeStart(); }) &&
           NoneBefore(FObjects, *object, [ns](const TRObject& o) { return ns < o.TimeEnd(); });
}

bool TRProject::TestExtendLeftObjectTimeline(const TRObject* object,
                                             std::int32_t offsetTime) const {
    if (!object || offsetTime == 0)
        return false;
    const std::int32_t ns = object->TimeStart() + offsetTime;
    if (ns < 0)
        return false;
    const std::int32_t first = object->GetFirstTransfStartTime();
    const std::int32_t limit = first > 0 ? object->TimeStart() + first : object->TimeEnd();
    if (limit - ns < MinAnimationRemainder || object->TimeEnd() - ns < TransitionNeed(*object))
        return false;
    return NoneBefore(FObjects, *object, [ns](const TRObject& o) { return ns < o.TimeEnd(); });
}

namespace {

bool RoomAfter(const std::vector<std::unique_ptr<TRObject>>& objects, const TRObject& object,
               std::int32_t ne) {
    if (ne - object.TimeStart() < TransitionNeed(object))
        return false;
    return NoneAfter(objects, object, [ne](const TRObject& o) { return o.TimeStart() < ne; });
}

} // namespace

bool TRProject::TestExtendRightObjectTimeline(const TRObject* object,
                                              std::int32_t offsetTime) const {
    if (!object || offsetTime == 0)
        return false;
    const std::int32_t ne = object->TimeEnd() + offsetTime;
    if (ne - (object->TimeStart() + object->GetLastTransfEndTime()) < MinAnimationRemainder)
        return false;
    return RoomAfter(FObjects, *object, ne);
}

bool TRProject::TestChangeSpeedObjectTimeline(const TRObject* object, std::int32_t offsetTime,
                                              std::int32_t& newSpeed) const {
    newSpeed = NormalMediaSpeed;
    if (!object || offsetTime == 0)
        return false;
    const std::int32_t length = object->TimeEnd() - object->TimeStart();
    const std::int32_t ne = object->TimeEnd() + offsetTime;
    if (length < MinAnimationRemainder || ne - object->TimeStart() < MinAnimationRemainder)
        return false;
    newSpeed = static_cast<std::int32_t>(std::int64_t{length} * object->MediaSpeed()->Speed() /
                                         (ne - object->TimeStart()));
    if (newSpeed < MinMediaSpeed || newSpeed > MaxMediaSpeed)
        return false;
    newSpeed = newSpeed / 10 * 10;
    return RoomAfter(FObjects, *object, ne);
}

namespace {

// Shows the not-enough-room warning for the first clip after `object` on its track that starts
// before `ne`; true when there is room.
bool RoomForEnd(const std::vector<std::unique_ptr<TRObject>>& objects, const TRObject& object,
                std::int32_t ne) {
    for (const auto& other : objects)
        if (other.get() != &object && other->Track() == object.Track() &&
            other->TimeStart() >= object.TimeEnd() && other->TimeStart() < ne) {
            ShowEditWarning(NotEnoughRoomMessage(ne, other->TimeStart()));
            return false;
        }
    return true;
}

} // namespace

bool TRProject::TestChangeSpeedObjectProperties(const TRObject* object,
                                                std::int32_t newSpeed) const {
    const std::int32_t speed = object ? object->MediaSpeed()->Speed() : 0;
    if (!object || newSpeed <= 0 || newSpeed == speed)
        return false;
    const auto r = static_cast<float>(double(speed) / newSpeed);
    const std::int32_t length = object->TimeEnd() - object->TimeStart();
    const std::int32_t nl = ScaledSnap(length, r);
    if (nl == length || nl < 500)
        return false;
    if (!RoomForEnd(FObjects, *object, object->TimeStart() + nl))
        return false;
    const TRTransformations& keys = object->Transformations();
    std::int32_t prev = 0;
    for (std::size_t k = 1; k < keys.size(); ++k) {
        const std::int32_t t = ScaledSnap(keys[k].Time, r);
        if (t - prev < MinKeyframeDistance) {
            ShowEditWarning(AnimationsTooCloseMessage());
            return false;
        }
        prev = t;
    }
    return true;
}

bool TRProject::TestChangeTTSText(const TRObject* object, std::int32_t newDuration) const {
    if (!object)
        return true;
    const std::int32_t ne =
        object->TimeStart() +
        static_cast<std::int32_t>(std::int64_t{newDuration} * 1000 / object->MediaSpeed()->Speed());
    return RoomForEnd(FObjects, *object, ne);
}

// ---- time and cuts ----

void TRProject::InsertTime(std::int32_t playHead, std::int32_t offset, TUndoIndex group) {
    if (group == undoIncrement)
        History_Increment();
    for (const auto& object : FObjects)
        if (object->TimeStart() >= playHead) {
            object->SetTimeStartField(object->TimeStart() + offset);
            object->SetTimeEnd(object->TimeEnd() + offset);
            History_AddModify(object.get(), undoInsertTime, undoCurrent);
        }
    SetTimeEnd(FTimeEnd + offset);
    UpdateTimeEnd();
}

void TRProject::SplitObject(TRObject* object, bool freeze) {
    const std::int32_t t = FTimePosition;
    if (!object || t < object->TimeStart() || t > object->TimeEnd())
        return;
    const std::int32_t hold = SettingsRecord.DefaultObjectDuration * 1000;
    if (freeze && !RoomForEnd(FObjects, *object, object->TimeEnd() + hold))
        return;
    try {
        const QByteArray snapshot = ObjectSnapshot(*object);
        const std::int32_t cut = t - object->TimeStart();
        object->SetTimePosition(t);
        object->TrimWithDeleteObject(cut, true);
        if (freeze)
            object->SetTimeEnd(object->TimeEnd() + hold);
        History_AddModify(object, undoSplit, undoCurrent);
        std::unique_ptr<TRObject> right = CopyFromSnapshot(*this, snapshot);
        if (!right)
            return;
        TRObject* added = AddObject(std::move(right));
        added->TrimWithDeleteObject(cut, false);
        if (freeze) {
            added->SetTimeStartField(added->TimeStart() + hold);
            added->SetTimeEnd(added->TimeEnd() + hold);
        }
        added->SetTimePosition(t);
        History_AddInsertDelete(added, undoInsert, undoCurrent);
    } catch (const std::exception&) {
        // A split that fails half-way keeps what was done.
    }
}

void TRProject::SplitAllObjects() {
    const std::size_t count = FObjects.size();
    for (std::size_t i = 0; i < count && i < FObjects.size(); ++i)
        if (FObjects[i]->CanSplitAtPlayhead())
            SplitObject(FObjects[i].get(), false);
}

bool TRProject::CanSplitAll(bool testSelection) const {
    if (FObjects.empty())
        return false;
    bool spans = false;
    for (const auto& object : FObjects) {
        if (!object->CanSplitAll(false))
            return false;
        spans =
            spans || (object->TimeStart() <= FTimePosition && FTimePosition <= object->TimeEnd());
    }
    return testSelection || spans;
}

bool TRProject::CanTrimEndAll() const {
    for (const auto& object : FObjects)
        if (!object->CanTrimEndAll())
            return false;
    return FTimePosition != FTimeEnd && FTimePosition >= 500;
}

bool TRProject::CanTrimFrontAll() const {
    for (const auto& object : FObjects)
        if (!object->CanTrimFrontAll())
            return false;
    return FTimePosition != 0 && FTimeEnd - FTimePosition >= 500;
}

void TRProject::TrimObject(TRObject* object, bool atEnd) {
    const std::int32_t t = FTimePosition;
    if (!object || t < object->TimeStart() || t >= object->TimeEnd())
        return;
    try {
        object->SetTimePosition(t);
        object->TrimWithDeleteObject(t - object->TimeStart(), atEnd);
        History_AddModify(object, atEnd ? undoTrimEnd : undoTrimFront, undoIncrement);
    } catch (const std::exception&) {
        // What was cut stays cut.
    }
}

namespace {

// Removes every object that `gone` picks, from the last to the first, recording each.
template <class Fn> void DeleteWhere(TRProject& project, Fn gone) {
    const auto& objects = project.Objects();
    for (auto i = static_cast<std::int32_t>(objects.size()) - 1; i >= 0; --i) {
        TRObject* object = objects[i].get();
        if (!gone(*object))
            continue;
        project.History_AddInsertDelete(object, undoDelete, undoCurrent);
        SelectObject(project, nullptr, true);
        project.DeleteObject(object);
    }
}

} // namespace

void TRProject::TrimProject(bool atEnd) {
    History_Increment();
    const std::int32_t t = FTimePosition;
    for (const auto& object : FObjects) {
        if (!(atEnd ? object->CanTrimEnd() : object->CanTrimFront()))
            continue;
        object->TrimWithDeleteObject(t - object->TimeStart(), atEnd);
        History_AddModify(object.get(), atEnd ? undoTrimEnd : undoTrimFront, undoCurrent);
    }
    if (atEnd) {
        DeleteWhere(*this, [t](const TRObject& o) { return o.TimeStart() >= t; });
        ShrinkTimeEnd();
        return;
    }
    DeleteWhere(*this, [t](const TRObject& o) { return o.TimeEnd() <= t; });
    for (const auto& object : FObjects) {
        object->OffsetTime(-t);
        History_AddModify(object.get(), undohtObject, undoCurrent);
    }
    FTimeEnd -= t;
    UpdateTimeEnd();
}

void TRProject::SeparateAudioVideo() {
    TRObject* video = SelectedObject;
    if (!video || video == this ||
        (video->ObjectType() != otVideo && video->ObjectType() != otScreenRecorder) ||
        video->AudioName().trimmed().isEmpty())
        return;
    std::unique_ptr<TRObject> audio = CreateObjectOfType(this, otAudio);
    if (!audio)
        return;
    audio->SetMediaName(video->AudioName());
    if (!audio->OpenMedia())
        return;
    audio->SetTimeStartField(video->TimeStart());
    audio->SetMediaOffset(video->MediaOffset());
    audio->SetMediaStart(video->MediaStart());
    audio->SetMediaEnd(video->MediaEnd());
    audio->SetTimeEnd(video->TimeEnd());
    audio->MediaSpeed()->SetSpeed(video->MediaSpeed()->Speed());
    audio->MediaSpeed()->SetPreservePitch(video->MediaSpeed()->PreservePitch());
    // The clip's own span decides its track, so it lands on a free one.
    audio->SetTrack(GetNextTrack(audio->TimeStart(), audio->TimeEnd()));
    TRObject* added = AddObject(std::move(audio));
    History_Increment();
    History_AddInsertDelete(added, undoInsert, undoCurrent);
    video->SetAudioName(QString());
    video->OpenMedia();
    History_AddModify(video, undoSeparate, undoCurrent);
    SelectObject(*this, added, true);
    SetModified(true);
}
