#pragma once
// What the project's editing operations need from the editor: selecting an object, moving the
// playhead and telling the user why an edit is refused. The editor installs the hooks; without
// them the project keeps its own selection and playhead and refuses silently.

#include <QPointF>
#include <QString>
#include <cstdint>

class TRObject;
class TRProject;

// The number of tracks the timeline shows.
inline constexpr std::int32_t TimelineTrackCount = 20;

// Selects `object` (nullptr: none); with `unselect` every multi-selection flag is cleared first.
using TRSelectObjectFn = void (*)(TRProject& project, TRObject* object, bool unselect);
extern TRSelectObjectFn SelectObjectHook;
using TRSetPlayHeadFn = void (*)(TRProject& project, std::int32_t time);
extern TRSetPlayHeadFn SetPlayHeadHook;
// Shows a warning about a refused edit.
using TREditWarningFn = void (*)(const QString& text);
extern TREditWarningFn EditWarningHook;

// A snap guide of the scene from `From` to `To` (project pixels); `Selected` marks the guides
// to the selected object's own keyframes.
struct TRSceneHelperLine {
    QPointF From, To;
    float SnapX = 0, SnapY = 0;
    bool Selected = false;
};
using TRSceneHelperLineFn = void (*)(TRProject& project, const TRSceneHelperLine& line);
extern TRSceneHelperLineFn SceneHelperLineHook;
// A snap guide of the timeline at a project time.
using TRTimelineHelperLineFn = void (*)(TRProject& project, std::int32_t time);
extern TRTimelineHelperLineFn TimelineHelperLineHook;

// Through the hooks, or the project's own state without them.
void SelectObject(TRProject& project, TRObject* object, bool unselect);
void SetPlayHead(TRProject& project, std::int32_t time);
void ShowEditWarning(const QString& text);

// The refusal when a clip would run into the clip starting at `blockingStart`.
QString NotEnoughRoomMessage(std::int32_t newEnd, std::int32_t blockingStart);
QString AnimationsTooCloseMessage();

#include <QByteArray>
#include <memory>

// A copy of an object from a snapshot ("Objects" holding its "Object" element), with a fresh
// id and the kind's default name, not yet in any list; nullptr when it names no kind. Throws
// TRDamagedProject for a damaged element.
std::unique_ptr<TRObject> CopyFromSnapshot(TRProject& project, const QByteArray& snapshot);
// The object written into a fresh "Objects" document.
QByteArray ObjectSnapshot(const TRObject& object);
