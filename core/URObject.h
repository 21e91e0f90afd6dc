#pragma once
// The timeline object base: identity, time span and track, the media window, the keyframes
// (each a complete property list) with their eased interpolation, the object-level transition,
// sound and media-speed groups, and the object's XML element. Every object kind and the
// project itself derive from TRObject.

#include "core/URPropBase.h"
#include "core/URScenePaint.h"
#include "platform/render/Types.h"

#include <QDomElement>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

class TRProject;
class TRPropTransitionIn;
class TRPropTransitionOut;
class TRPropMediaSpeed;
class TRPropTransition;
class TRObject;
class TRAudioExporter; // the audio mix-down of a video export (media layer)

// Draws an object's text laid out in the rectangle (object pixels); installed by the text
// layer, empty until then (the text is left out).
extern std::function<void(TRObject&, const platform::render::RectF&)> ObjectTextPainter;

// Where and how an object's image is drawn during its transition in or out.
struct TRTransitionStep {
    platform::render::Matrix3x2 Transform;
    float Opacity = 1;
    float Rotation = 0;
    platform::render::ImagePtr Output;
};
// The image of an object during a transition and where it lies.
struct TRTransitionInput {
    platform::render::ImagePtr Image;
    float PosX = 0, PosY = 0, Width = 0, Height = 0;
    float ProjectWidth = 0, ProjectHeight = 0;
};
// Runs a transition group's effect chain at `position` (0..1) into `step`; installed by the
// graphics layer that builds the chains. While none is installed the image passes unchanged.
using TRTransitionDrawFn = void (*)(const TRPropTransition& group, TRPropertyType type,
                                    float position, const TRTransitionInput& input,
                                    TRTransitionStep& step);
extern TRTransitionDrawFn TransitionDrawHook;

// The result of a hit test on the timeline.
enum TRHitTimeline : std::uint8_t {
    htNone,
    htPlayhead,
    htRuler,
    htEnd,
    htObjectLeft,
    htObject,
    htObjectRight,
    htTrIn,
    htTrOut,
    htObjTransfLeft,
    htObjTransf,
    htObjTransfRight,
    htPlusMinus,
    htSelection,
    htSelectionStart,
    htSelectionEnd,
    htLinePlayhead
};

// The result of a hit test in the scene.
enum TRHitScene : std::uint8_t { hsNone, hsObject, hsSelection, hsZoomSource };

// One keyframe. Times are ms from the object's start; the animation into the keyframe runs
// for AnimateDuration and ends at Time.
struct TRTransformation {
    std::int32_t Time = 0;
    std::int32_t AnimateDuration = 0;
    std::int32_t Ease = 0;
    std::unique_ptr<TRPropList> Properties;
    QRectF rectTransf;
};
using TRTransformations = std::vector<TRTransformation>;

// A description that cannot be taken as it stands (a media name with a folder part, an element
// that is not an object): the whole read is refused.
class TRDamagedProject : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True for a name of a file inside the project's folder: no separator, drive or "..".
bool IsPlainFileName(const QString& name);

// The latest time (ms) an object, keyframe or media span keeps when read from a file: about six
// days, far enough below the integer limit for sums of a few times.
inline constexpr std::int32_t MaxStoredTimeMs = INT32_MAX / 4;

// The length of the animation into a keyframe cut down to whole frames of a 30 fps grid.
std::int32_t AnimationWindow(std::int32_t animateDuration);

class TRObject {
public:
    // `project` may be null (an object outside any project, or the project itself while it is
    // being built).
    TRObject(TRProject* project, TRObjectType objectType);
    virtual ~TRObject();
    TRObject(const TRObject&) = delete;
    TRObject& operator=(const TRObject&) = delete;

    // ---- identity ----
    TRObjectType ObjectType() const { return FObjectType; }
    std::int32_t ObjectId() const { return FObjectId; }
    void SetObjectId(std::int32_t id) { FObjectId = id; }
    const QString& ObjectName() const { return FObjectName; }
    void SetObjectName(const QString& name) { FObjectName = name; }
    bool Marker() const { return FMarker; }
    void SetMarker(bool value) { FMarker = value; }
    bool Visibility() const { return FVisibility; }
    void SetVisibility(bool value) { FVisibility = value; }
    TRProject* Project() const { return FProject; }
    std::int32_t UniqueID() const { return FUniqueID; }

    // ---- time span and track ----
    std::int32_t TimeStart() const { return FTimeStart; }
    void SetTimeStartField(std::int32_t value) { FTimeStart = value; }
    std::int32_t TimeEnd() const { return FTimeEnd; }
    // Stores the end on the frame grid.
    void SetTimeEnd(std::int32_t value);
    std::int32_t Track() const { return FTrack; }
    void SetTrack(std::int32_t value) { FTrack = value; }
    // Moves the start on the frame grid; later keyframes keep their project times.
    void SetTimeStart(std::int32_t startTime);
    // Moves the whole clip; a clip pushed before 0 starts at 0 with its length kept.
    void OffsetTime(std::int32_t value);

    // ---- media ----
    const QString& MediaName() const { return FMediaName; }
    void SetMediaName(const QString& name) { FMediaName = name; }
    std::int32_t MediaOffset() const { return FMediaOffset; }
    void SetMediaOffset(std::int32_t value) { FMediaOffset = value; }
    std::int32_t MediaStart() const { return FMediaStart; }
    void SetMediaStart(std::int32_t value) { FMediaStart = value; }
    std::int32_t MediaEnd() const { return FMediaEnd; }
    void SetMediaEnd(std::int32_t value) { FMediaEnd = value; }
    const QString& CursorName() const { return FCursorName; }
    void SetCursorName(const QString& name) { FCursorName = name; }
    const QString& AudioName() const { return FAudioName; }
    void SetAudioName(const QString& name) { FAudioName = name; }
    // The length of the media window played at the object's speed (per mille arithmetic).
    std::int32_t MediaDuration() const;
    bool CanUseSpeed() const;
    std::int32_t GetMinDuration() const { return 500; }

    // ---- flags ----
    bool HasPlacement() const { return FHasPlacement; }
    bool CanResizeTimeline() const { return FCanResizeTimeline; }
    bool CanAddAnimation() const { return FCanAddAnimation; }
    bool CanSplit() const { return FCanSplit; }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value) { FMultiSelect = value; }

    // ---- object-level groups ----
    TRPropTransitionIn* TrIn() const { return FTrIn.get(); }
    TRPropTransitionOut* TrOut() const { return FTrOut.get(); }
    // The sound group (TRPropAudioV once its kind is registered).
    TRPropBase* AudioV() const { return FAudioV.get(); }
    TRPropMediaSpeed* MediaSpeed() const { return FMediaSpeed.get(); }

    // ---- keyframes ----
    const TRTransformations& Transformations() const { return FTransformations; }
    // One keyframe to edit in place (its timing and groups); throws for an index out of range.
    TRTransformation& TransformationAt(std::size_t index) { return FTransformations.at(index); }
    std::int32_t TransformationsIndex() const { return FTransformationsIndex; }
    bool InAnimation() const { return FInAnimation; }
    std::int32_t TimePosition() const { return FTimePosition; }
    // The group of that type valid at TimePosition: interpolated during an animation into a
    // keyframe unless `forShowProperties`; nullptr when the object's type has no such group.
    // An interpolated result is valid until the next GetProperty of that type on this object.
    TRPropBase* GetProperty(TRPropertyType type, bool forShowProperties = false);
    template <class T> T* Get(TRPropertyType type, bool forShowProperties = false) {
        return dynamic_cast<T*>(GetProperty(type, forShowProperties));
    }
    // Inserts a keyframe at `time` (ms from TimeStart) as a copy of the keyframe before it.
    void AddNewTransformation(std::int32_t time);
    bool CanAddTransformation() const;
    // Deletes the keyframe being animated into; nothing outside an animation.
    void DeleteCurrentTransformation();
    void ClearTransformations();
    std::int32_t GetCurrentTransformationEase() const;
    void SetCurrentTransformationEase(std::int32_t ease);
    std::int32_t GetCurrentTransfTimeStart() const;
    std::int32_t GetFirstTransfStartTime() const;
    std::int32_t GetLastTransfEndTime() const;
    QString GetCurrentIndexTimeSpan() const;
    // The ptCursor group of the keyframe span that holds `time` (ms from TimeStart), not
    // interpolated; nullptr when the type has none.
    TRPropBase* GetCursorPropertyAtTime(std::int32_t time) const;

    // ---- virtual operations ----
    // Stores the time and finds the current keyframe and animation state.
    virtual void SetTimePosition(std::int32_t value);
    virtual void UpdateMediaFrame() {}
    virtual bool OpenMedia() { return true; }
    virtual bool LoadMedia(const QString& fileName, std::int32_t& width, std::int32_t& height,
                           const QString& audioFileName);
    // The camera recording of the project's temporary folder, with `audioFileName` as its
    // sound; with a screen size (not 0) an overlay in the screen's bottom-right corner.
    // `width` and `height` receive the camera picture size. Only camera kinds load one.
    virtual bool LoadCamera(std::int32_t& /*width*/, std::int32_t& /*height*/,
                            std::int32_t /*screenWidth*/, std::int32_t /*screenHeight*/,
                            const QString& /*audioFileName*/) {
        return false;
    }
    virtual QString SaveToFile(const QString& fileName);
    virtual QDomElement SaveToXML(QDomNode parent) const;
    // The element TRObject::SaveToXML makes, written keyframe by keyframe: an object of many
    // keyframes is never held as one document. Numbers use `decimal`.
    void WriteXml(QXmlStreamWriter& writer, QChar decimal) const;
    virtual QString OpenFromFile(const QString& fileName);
    // Throws TRDamagedProject for a media, cursor or audio name that is not a plain file name.
    virtual void OpenFromXML(const QDomElement& element);
    // An element read as a stream hands its keyframes over one at a time, before the rest of
    // it: BeginStreamedRead drops the object's keyframes, ReadKeyframe reads each, and the
    // next OpenFromXML reads the rest of the element and keeps them.
    void BeginStreamedRead();
    void ReadKeyframe(const QDomElement& item);
    // The media, cursor and audio files the object names that are missing from `folder`.
    QStringList MissingMediaFiles(const QString& folder) const;
    // False when the last OpenFromXML could not open the object's media.
    bool MediaOpened() const { return FMediaOpened; }

    // ---- properties clipboard ----
    // Copies the current keyframe's own groups (not an interpolation), the object-level groups
    // and the marker flag into PropertiesClipboard.
    void CopyCurrentPropertiesToClipBoard() const;
    // Takes the selected groups from PropertiesClipboard into the current keyframe and the
    // object; nothing before the first copy. The keyframe keeps this object's type.
    void PastePropertiesFromClipboard(const TRPropertiesChecked& props);
    virtual bool HasAudio() const { return false; }
    virtual void PlayAudio() {}
    virtual void StopAudio() {}
    virtual void PrepareAudioToPlay(std::int32_t) {}
    virtual bool CanUseLoudness() const { return false; }
    virtual float GetLoudness() const { return -70.0f; }
    virtual std::int32_t GetMaxGainVolume() const { return 200; }
    virtual float GetVolume() const { return 1.0f; }
    // Writes the object's sound alone to a file; true when it was written.
    virtual bool ExportAudio(const QString&) { return false; }
    virtual std::int32_t GetMediaTime(std::int32_t) const { return 0; }
    // Adds the object's sound to the mix-down of a video export; kinds without sound add none.
    virtual void AddAudioToVideoExporter(TRAudioExporter&) {}
    // The text the object shows: its text group's when it has one and it is checked, else
    // empty. Kinds with a text of their own (captions) override it.
    virtual QString GetText() const;
    // The placement position stored in the keyframe before (after) the current one, not
    // interpolated; false at the first (last) keyframe or without a placement there.
    bool GetPreviousPosition(QPointF& position) const;
    bool GetNextPosition(QPointF& position) const;
    // The picture of the media at TimePosition (fill brushes draw it); null when there is none.
    platform::render::BitmapPtr MediaBitmap() const { return FMediaBitmap; }
    virtual std::int32_t GetVideoAction() const { return 0; }

    // ---- editing one object (URObjectEdit.cpp); the caller records undo and repaints ----
    // Whether the playhead cuts the object with at least 500 ms on the kept side(s), outside an
    // animation, for an object that may be split.
    bool CanSplitAtPlayhead() const;
    bool CanTrimEnd() const;
    bool CanTrimFront() const;
    // As one of many: true as well when the playhead does not cut the object.
    virtual bool CanSplitAll(bool testSelection) const;
    virtual bool CanTrimFrontAll() const;
    virtual bool CanTrimEndAll() const;
    // Project-level cuts at the playhead; nothing for an object.
    virtual void SplitObject(TRObject* object, bool freeze);
    virtual void SplitAllObjects() {}
    virtual void TrimObject(TRObject* object, bool atEnd);
    virtual void TrimProject(bool) {}
    virtual void MoveZoomSource(float, float) {}
    // Cuts the object `position` ms after its start, keeping the front part (`atEnd`) or the
    // back part; uses the keyframe index of the last SetTimePosition.
    void TrimWithDeleteObject(std::int32_t position, bool atEnd);
    // Rescales the timing from the current speed to `newSpeed` (per mille); nothing for a
    // speed that is not positive.
    void ChangeSpeedFromProperties(std::int32_t newSpeed);
    bool TestAndSetTrInEndTime(std::int32_t endTime);
    bool TestAndSetTrOutStartTime(std::int32_t startTime);
    // Keyframe drags of keyframe hitTransfIndex (project times).
    bool TestAndMoveTransf(std::int32_t offsetTime);
    bool TestAndSetTransfLeft(std::int32_t leftTime);
    bool TestAndSetTransfRight(std::int32_t rightTime);
    void Move(float dx, float dy);
    // Handles 0..7 clockwise from the top-left corner; `ctrl` keeps the centre.
    void Resize(std::uint8_t type, float dx, float dy, bool ctrl);
    // 1 left, 2 horizontal centre, 3 right, 4 top, 5 vertical centre, 6 bottom.
    void Align(std::uint8_t type, float target);

    // ---- the clip on the timeline (URTimelineClip.cpp) ----
    // Draws the clip through the installed timeline control; nothing without one.
    virtual void PaintOnTimeline(bool mouseOver);
    // The waveform of sound kinds inside the clip body.
    virtual void PaintWaveForm() {}
    // The media times of the mouse clicks of the object's cursor track, in ascending order;
    // the clip shows a dot for each one inside its media window.
    virtual std::span<const std::int32_t> CursorClickTimes() const { return {}; }
    TRHitTimeline TestHitOnTimeline(int x, int y);
    QString HintTimeline() const;

    // ---- scene painting (into SceneContext(), inside the caller's drawing pass) ----
    // Draws the object at TimePosition; with `mouseOver` also its hover outline. Kinds draw.
    virtual void PaintOnScene(bool mouseOver, bool paintAll);
    // The outline of a multi-selected object, at a constant screen width; true when drawn.
    virtual bool PaintMultiSelectOnScene();
    // The hover outline, 2 pixels outside the drawing, in the coordinates the kind has set for
    // the object (origin at its centre); nothing for the selected object.
    void PaintMouseOverRectangle(const platform::render::Brush& brush, float strokeWidth);
    // hsObject when the scene point lies inside the object's outline while it is shown at
    // TimePosition (a hidden object is not hit); `matrix` is applied after the placement.
    virtual TRHitScene TestHitOnScene(int x, int y, const platform::render::Matrix3x2* matrix);
    // TimeStart <= TimePosition <= TimeEnd, HasPlacement and Visibility.
    virtual bool IsVisibleInScene() const;
    // How far the drawing reaches outside the placement's rectangle.
    float GetDeltaBorder();
    // Centre and corners of the outline in scene coordinates; five zero points without a
    // placement.
    TRTransformedPoints GetTransformedPoints();
    // Sizes FBitmap (and FBitmapBorder when there is a border, FMediaBitmap when asked) to the
    // scaled placement plus twice the border size, reusing them while the pixel size stays.
    // Returns the border size.
    float CreateBitmaps(bool mediaBitmap);
    // Draws the border into FBitmapBorder: the outline of `rect` (object pixels, corner at the
    // origin) grown by the border's inflation, from `shape` when it is a checked shape group,
    // else a rectangle. Outside a drawing pass; the caller sets its own target again.
    void UpdateBitmapBorder(const QRectF& rect, TRPropBase* shape);
    // Recreates FBitmapBorder for the current placement and border and draws the border into
    // it, in the middle of the caller's drawing pass (which goes on afterwards).
    void CreateAndUpdateBitmapBorder();
    // Draws the object's text in `layoutRect` through ObjectTextPainter.
    void PaintText(const platform::render::RectF& layoutRect);
    // The transition step of the object's image at TimePosition: the in-transition while its
    // time runs, else the out-transition, else the image unchanged.
    TRTransitionStep ApplyTransitionInOut(const TRTransitionInput& input);

    platform::render::BitmapPtr FBitmap;
    platform::render::BitmapPtr FBitmapBorder;
    platform::render::BitmapPtr FMediaBitmap;

    // Keyframe index whose values the inspector last loaded; -1 forces a reload.
    std::int32_t LastIndexShowProperties = -1;
    std::int32_t hitTransfIndex = -1;
    std::int32_t LastIndexForHandles = -1;
    bool LoopAnimation = false;
    QRectF rectMultiSelect;
    QRectF rectTimeline;
    QRectF rectTrIn;
    QRectF rectTrOut;

protected:
    void SetFlags(bool hasPlacement, bool canResizeTimeline, bool canAddAnimation, bool canSplit);
    std::unique_ptr<TRPropList> NewPropertyList() const;

    TRObjectType FObjectType;
    std::int32_t FObjectId = 1;
    QString FObjectName;
    bool FMarker = false;
    bool FVisibility = true;
    TRTransformations FTransformations;
    std::unique_ptr<TRPropTransitionIn> FTrIn;
    std::unique_ptr<TRPropTransitionOut> FTrOut;
    std::unique_ptr<TRPropBase> FAudioV;
    std::unique_ptr<TRPropMediaSpeed> FMediaSpeed;
    std::int32_t FTimeStart = 0;
    std::int32_t FTimeEnd = 0;
    std::int32_t FTrack = 0;
    QString FMediaName;
    std::int32_t FMediaOffset = 0;
    std::int32_t FMediaStart = 0;
    std::int32_t FMediaEnd = 0;
    QString FCursorName;
    QString FAudioName;
    TRProject* FProject;
    bool FHasPlacement = true;
    bool FCanResizeTimeline = true;
    bool FCanAddAnimation = true;
    bool FCanSplit = true;
    bool FMultiSelect = false;
    std::int32_t FTimePosition = 0;
    std::int32_t FTransformationsIndex = 0;
    bool FInAnimation = false;
    std::unique_ptr<TRPropList> m_animation_prop;
    std::int32_t FUniqueID;
    bool FMediaOpened = true;
    bool FStreamedRead = false; // keyframes were read ahead of the element's rest

private:
    TRTransformation& CurrentTransformation();
    const TRTransformation& CurrentTransformation() const;
    // The keyframe whose span holds `rel` (ms from TimeStart): the last one for a time at or
    // after its Time, the first one for a time before 0.
    std::int32_t KeyframeAt(std::int32_t rel) const;
    void ReadAttributes(const QDomElement& element);
    void ReadObjectGroups(const QDomElement& element);
    void ReadTransformations(const QDomElement& transformations);
    QDomElement SaveOwnPartsToXML(QDomNode parent) const;
    void SanitizeTimes();
};
