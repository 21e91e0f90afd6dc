#include "core/URObject.h"

#include "core/UREasing.h"
#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URPropTransition.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "core/URXmlValues.h"
#include "platform/render/ContextState.h"

#include <QFileInfo>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::int32_t CreationCounter = 1;

constexpr int AnimationFramesPerSecond = 30;

// A media, cursor or audio name read from a file must name a file of the project's folder:
// anything else could make the package collect files from outside it.
void ReadFileName(const QDomElement& element, const QString& attribute, QString& name) {
    QString value;
    if (!XmlReadText(element, attribute, value))
        return;
    if (!value.isEmpty() && !IsPlainFileName(value))
        throw TRDamagedProject("\"" + attribute.toStdString() +
                               "\" is not a plain file name: " + value.toStdString());
    name = value;
}

// Loads `group` from the first "Property" child of `container`, whatever its type.
void ReadFirstGroup(const QDomElement& container, TRPropBase* group) {
    const QDomElement child = container.firstChildElement();
    if (group && !child.isNull())
        group->OpenFromXML(child, false);
}

} // namespace

bool IsPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QChar('/')) && !name.contains(QChar('\\')) &&
           !name.contains(QChar(':')) && name != QStringLiteral("..") &&
           name != QStringLiteral(".");
}

std::int32_t AnimationWindow(std::int32_t animateDuration) {
    const std::int64_t frames = std::int64_t{animateDuration} * AnimationFramesPerSecond / 1000;
    return static_cast<std::int32_t>(frames * 1000 / AnimationFramesPerSecond);
}

TRObject::TRObject(TRProject* project, TRObjectType objectType)
    : FObjectType(objectType), FProject(project), FUniqueID(CreationCounter++) {
    const bool inProject = project && objectType != otProject;
    if (inProject)
        FObjectId = project->GetNextId(objectType);
    AddNewTransformation(0);
    const std::int32_t start = inProject ? project->TimePosition() : 0;
    FTimeStart = start;
    FTimeEnd = start + SettingsRecord.DefaultObjectDuration * 1000;
    if (inProject)
        FTrack = project->GetNextTrack(FTimeStart, FTimeEnd);
    FTimePosition = start;
    FTrIn = std::make_unique<TRPropTransitionIn>();
    FTrOut = std::make_unique<TRPropTransitionOut>();
    FAudioV = CreatePropertyGroup(ptAudioV);
    FMediaSpeed = std::make_unique<TRPropMediaSpeed>();
    m_animation_prop = NewPropertyList();
}

TRObject::~TRObject() = default;

std::unique_ptr<TRPropList> TRObject::NewPropertyList() const {
    auto list = std::make_unique<TRPropList>();
    list->CreateObjectProperties(ObjectPropertyGroups[FObjectType], FObjectType);
    return list;
}

void TRObject::SetFlags(bool hasPlacement, bool canResizeTimeline, bool canAddAnimation,
                        bool canSplit) {
    FHasPlacement = hasPlacement;
    FCanResizeTimeline = canResizeTimeline;
    FCanAddAnimation = canAddAnimation;
    FCanSplit = canSplit;
}

// ---- time span ----

void TRObject::SetTimeEnd(std::int32_t value) {
    FTimeEnd = SnapToFrame(value);
}

void TRObject::SetTimeStart(std::int32_t startTime) {
    if (startTime == FTimeStart)
        return;
    const std::int32_t old = FTimeStart;
    FTimeStart = SnapToFrame(startTime);
    for (std::size_t i = 1; i < FTransformations.size(); ++i)
        FTransformations[i].Time = SnapToFrame(old + FTransformations[i].Time - startTime);
}

void TRObject::OffsetTime(std::int32_t value) {
    FTimeStart = SnapToFrame(FTimeStart + value);
    FTimeEnd = SnapToFrame(FTimeEnd + value);
    if (FTimeStart < 0) {
        FTimeEnd = SnapToFrame(FTimeEnd - FTimeStart);
        FTimeStart = 0;
    }
    if (FProject)
        FProject->UpdateTimeEnd();
}

std::int32_t TRObject::MediaDuration() const {
    return FMediaSpeed->ScaleDuration(FMediaEnd - FMediaStart);
}

bool TRObject::CanUseSpeed() const {
    return FObjectType == otVideo || FObjectType == otScreenRecorder || FObjectType == otAudio ||
           FObjectType == otAudioTTS;
}

// ---- keyframes ----

std::int32_t TRObject::KeyframeAt(std::int32_t rel) const {
    const auto count = static_cast<std::int32_t>(FTransformations.size());
    for (std::int32_t i = 1; i < count; ++i)
        if (FTransformations[i - 1].Time <= rel && rel < FTransformations[i].Time)
            return i - 1;
    return rel < 0 ? 0 : std::max(count - 1, 0);
}

void TRObject::SetTimePosition(std::int32_t value) {
    FTimePosition = value;
    const std::int32_t rel = std::max(value - FTimeStart, 0);
    FTransformationsIndex = KeyframeAt(rel);
    const auto next = static_cast<std::size_t>(FTransformationsIndex) + 1;
    FInAnimation = next < FTransformations.size() &&
                   rel >= FTransformations[next].Time -
                              AnimationWindow(FTransformations[next].AnimateDuration);
}

TRPropBase* TRObject::GetCursorPropertyAtTime(std::int32_t time) const {
    if (FTransformations.empty())
        return nullptr;
    return FTransformations[KeyframeAt(time)].Properties->GetProperty(ptCursor);
}

TRPropBase* TRObject::GetProperty(TRPropertyType type, bool forShowProperties) {
    if (FTransformations.empty())
        return nullptr;
    const auto last = static_cast<std::int32_t>(FTransformations.size()) - 1;
    FTransformationsIndex = std::clamp(FTransformationsIndex, 0, last);
    const std::int32_t index = FTransformationsIndex;
    TRPropBase* cur = FTransformations[index].Properties->GetProperty(type);
    if (!FInAnimation || forShowProperties || type == ptDrawing || index == last)
        return cur;
    const TRTransformation& target = FTransformations[index + 1];
    TRPropBase* next = target.Properties->GetProperty(type);
    TRPropBase* dst = m_animation_prop->GetProperty(type);
    if (!cur || !next || !dst)
        return cur;
    const std::int32_t duration = target.AnimateDuration;
    float pos = 0;
    if (duration != 0)
        pos = static_cast<float>(
            double(std::int64_t{FTimePosition} - FTimeStart - target.Time + duration) / duration);
    const auto eased = static_cast<float>(Ease(pos, target.Ease, 0.0, 1.0));
    // A group without a check box reports itself checked whatever is stored.
    const bool inForce = cur->Checked() || next->Checked();
    dst->SetChecked(inForce);
    if (inForce)
        cur->EaseTo(eased, next, dst);
    return dst;
}

void TRObject::AddNewTransformation(std::int32_t time) {
    const auto n = static_cast<std::int32_t>(FTransformations.size());
    // In 64 bits: a damaged element read before its times are sanitized can span the whole
    // integer range.
    auto at = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        time, 0, std::max<std::int64_t>(std::int64_t{FTimeEnd} - FTimeStart, 0)));
    std::int32_t index = n;
    if (n == 0) {
        at = 0;
    } else if (n > 1) {
        // Keyframe 0 never moves; an equal time goes after the existing keyframe.
        index = 1;
        for (std::int32_t j = n - 1; j >= 1; --j)
            if (at >= FTransformations[j].Time) {
                index = j + 1;
                break;
            }
    }
    TRTransformation keyframe;
    keyframe.Time = at;
    keyframe.AnimateDuration = SettingsRecord.DefaultAnimationDuration;
    keyframe.Ease = ecLinear;
    keyframe.Properties = NewPropertyList();
    if (index > 0)
        keyframe.Properties->CopyFrom(FTransformations[index - 1].Properties.get());
    FTransformations.insert(FTransformations.begin() + index, std::move(keyframe));
}

bool TRObject::CanAddTransformation() const {
    if (!FCanAddAnimation || FInAnimation || FTransformations.empty())
        return false;
    const std::int32_t index = std::clamp(FTransformationsIndex, 0,
                                          static_cast<std::int32_t>(FTransformations.size()) - 1);
    return double(FTimePosition - FTimeStart - FTransformations[index].Time) >=
           double(SettingsRecord.DefaultAnimationDuration) + 33;
}

namespace {

bool AnimatingInto(bool inAnimation, std::int32_t index, std::size_t count) {
    return inAnimation && index >= 0 && index + 2 <= static_cast<std::int32_t>(count);
}

} // namespace

void TRObject::DeleteCurrentTransformation() {
    if (!AnimatingInto(FInAnimation, FTransformationsIndex, FTransformations.size()))
        return;
    FTransformations.erase(FTransformations.begin() + FTransformationsIndex + 1);
    SetTimePosition(FTimePosition);
}

void TRObject::ClearTransformations() {
    FTransformations.clear();
}

std::int32_t TRObject::GetCurrentTransformationEase() const {
    if (!AnimatingInto(FInAnimation, FTransformationsIndex, FTransformations.size()))
        return 0;
    return FTransformations[FTransformationsIndex + 1].Ease;
}

void TRObject::SetCurrentTransformationEase(std::int32_t ease) {
    if (AnimatingInto(FInAnimation, FTransformationsIndex, FTransformations.size()))
        FTransformations[FTransformationsIndex + 1].Ease = ease;
}

std::int32_t TRObject::GetCurrentTransfTimeStart() const {
    if (FTransformations.empty())
        return FTimeStart;
    const std::int32_t index = std::clamp(FTransformationsIndex, 0,
                                          static_cast<std::int32_t>(FTransformations.size()) - 1);
    return FTimeStart + FTransformations[index].Time;
}

std::int32_t TRObject::GetFirstTransfStartTime() const {
    if (FTransformations.size() < 2)
        return 0;
    return FTransformations[1].Time - FTransformations[1].AnimateDuration;
}

std::int32_t TRObject::GetLastTransfEndTime() const {
    return FTransformations.empty() ? 0 : FTransformations.back().Time;
}

QString TRObject::GetCurrentIndexTimeSpan() const {
    const std::int32_t start = GetCurrentTransfTimeStart();
    const auto next = static_cast<std::size_t>(std::max(FTransformationsIndex, 0)) + 1;
    const std::int32_t end =
        next >= FTransformations.size()
            ? FTimeEnd
            : FTimeStart + FTransformations[next].Time - FTransformations[next].AnimateDuration;
    return FormatTimeFrames(start) + QStringLiteral(" - ") + FormatTimeFrames(end);
}

// ---- media and files ----

bool TRObject::LoadMedia(const QString&, std::int32_t&, std::int32_t&, const QString&) {
    return true;
}

QString TRObject::SaveToFile(const QString&) {
    return QString();
}

QString TRObject::OpenFromFile(const QString&) {
    return QString();
}

// ---- XML ----

// Everything of the object element but its keyframes, which come last.
QDomElement TRObject::SaveOwnPartsToXML(QDomNode parent) const {
    QDomElement element = XmlAppendChild(parent, QStringLiteral("Object"));
    XmlSetInt(element, QStringLiteral("Version"), 1);
    XmlSetInt(element, QStringLiteral("Type"), FObjectType);
    XmlSetInt(element, QStringLiteral("Id"), FObjectId);
    XmlSetText(element, QStringLiteral("Name"), FObjectName);
    XmlSetBool(element, QStringLiteral("Marker"), FMarker);
    XmlSetBool(element, QStringLiteral("Visibility"), FVisibility);
    XmlSetInt(element, QStringLiteral("TimeStart"), FTimeStart);
    XmlSetInt(element, QStringLiteral("TimeEnd"), FTimeEnd);
    XmlSetInt(element, QStringLiteral("Track"), FTrack);
    XmlSetText(element, QStringLiteral("MediaName"), FMediaName);
    XmlSetInt(element, QStringLiteral("MediaOffset"), FMediaOffset);
    XmlSetInt(element, QStringLiteral("MediaStart"), FMediaStart);
    XmlSetInt(element, QStringLiteral("MediaEnd"), FMediaEnd);
    XmlSetText(element, QStringLiteral("CursorName"), FCursorName);
    XmlSetText(element, QStringLiteral("AudioName"), FAudioName);
    const QDomElement transitions = XmlAppendChild(element, QStringLiteral("Transitions"));
    FTrIn->SaveToXML(transitions);
    FTrOut->SaveToXML(transitions);
    const QDomElement audio = XmlAppendChild(element, QStringLiteral("Audio"));
    if (FAudioV)
        FAudioV->SaveToXML(audio);
    FMediaSpeed->SaveToXML(XmlAppendChild(element, QStringLiteral("MediaSpeed")));
    return element;
}

namespace {

const QString KeyframesElement = QStringLiteral("Transformations");

QDomElement SaveKeyframeToXML(QDomNode parent, const TRTransformation& keyframe) {
    QDomElement item = XmlAppendChild(parent, QStringLiteral("Transformation"));
    XmlSetInt(item, QStringLiteral("Time"), keyframe.Time);
    XmlSetInt(item, QStringLiteral("Duration"), keyframe.AnimateDuration);
    XmlSetInt(item, QStringLiteral("Ease"), keyframe.Ease);
    keyframe.Properties->SaveToXML(item);
    return item;
}

} // namespace

QDomElement TRObject::SaveToXML(QDomNode parent) const {
    QDomElement element = SaveOwnPartsToXML(parent);
    const QDomElement keyframes = XmlAppendChild(element, KeyframesElement);
    for (const TRTransformation& keyframe : FTransformations)
        SaveKeyframeToXML(keyframes, keyframe);
    return element;
}

void TRObject::WriteXml(QXmlStreamWriter& writer, QChar decimal) const {
    const QDomDocument head = XmlNewDocument(QStringLiteral("Part"), decimal);
    const QDomElement element = SaveOwnPartsToXML(head.documentElement());
    XmlWriteStartElement(writer, element);
    for (QDomNode part = element.firstChild(); !part.isNull(); part = part.nextSibling())
        XmlWriteElement(writer, part);
    writer.writeStartElement(KeyframesElement);
    for (const TRTransformation& keyframe : FTransformations) {
        const QDomDocument piece = XmlNewDocument(QStringLiteral("Part"), decimal);
        XmlWriteElement(writer, SaveKeyframeToXML(piece.documentElement(), keyframe));
    }
    writer.writeEndElement();
    writer.writeEndElement();
}

void TRObject::ReadAttributes(const QDomElement& element) {
    // The type is fixed by the class the factory made for the element's "Type": a different
    // value here would leave keyframes built for another kind.
    XmlReadInt(element, QStringLiteral("Id"), FObjectId);
    XmlReadText(element, QStringLiteral("Name"), FObjectName);
    XmlReadBool(element, QStringLiteral("Marker"), FMarker);
    XmlReadBool(element, QStringLiteral("Visibility"), FVisibility);
    XmlReadInt(element, QStringLiteral("TimeStart"), FTimeStart);
    XmlReadInt(element, QStringLiteral("TimeEnd"), FTimeEnd);
    XmlReadInt(element, QStringLiteral("Track"), FTrack);
    ReadFileName(element, QStringLiteral("MediaName"), FMediaName);
    XmlReadInt(element, QStringLiteral("MediaOffset"), FMediaOffset);
    XmlReadInt(element, QStringLiteral("MediaStart"), FMediaStart);
    XmlReadInt(element, QStringLiteral("MediaEnd"), FMediaEnd);
    ReadFileName(element, QStringLiteral("CursorName"), FCursorName);
    ReadFileName(element, QStringLiteral("AudioName"), FAudioName);
}

void TRObject::ReadObjectGroups(const QDomElement& element) {
    const QDomElement transitions = element.firstChildElement(QStringLiteral("Transitions"));
    for (QDomElement child = transitions.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        std::int32_t type = 0;
        if (!XmlReadInt(child, QStringLiteral("Type"), type))
            continue;
        if (type == ptTrIn)
            FTrIn->OpenFromXML(child, false);
        else if (type == ptTrOut)
            FTrOut->OpenFromXML(child, false);
    }
    ReadFirstGroup(element.firstChildElement(QStringLiteral("Audio")), FAudioV.get());
    ReadFirstGroup(element.firstChildElement(QStringLiteral("MediaSpeed")), FMediaSpeed.get());
}

void TRObject::ReadKeyframe(const QDomElement& item) {
    TRTransformation keyframe;
    XmlReadInt(item, QStringLiteral("Time"), keyframe.Time);
    XmlReadInt(item, QStringLiteral("Duration"), keyframe.AnimateDuration);
    XmlReadInt(item, QStringLiteral("Ease"), keyframe.Ease);
    keyframe.Properties = NewPropertyList();
    keyframe.Properties->OpenFromXML(item);
    FTransformations.push_back(std::move(keyframe));
}

void TRObject::ReadTransformations(const QDomElement& transformations) {
    for (QDomElement child = transformations.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        ReadKeyframe(child);
}

void TRObject::BeginStreamedRead() {
    ClearTransformations();
    FStreamedRead = true;
}

// Damaged files must not break the keyframe and time invariants that every reader relies on:
// keyframes sorted with the first at 0, no negative durations, a clip that starts at or after 0
// and ends after it starts, a track that exists. Times are kept far enough from the integer
// limits that sums of a few of them (start plus keyframe, end plus a minimum) cannot overflow.
void TRObject::SanitizeTimes() {
    const auto time = [](std::int32_t value) { return std::clamp(value, 0, MaxStoredTimeMs); };
    for (TRTransformation& keyframe : FTransformations) {
        keyframe.Time = time(keyframe.Time);
        keyframe.AnimateDuration = time(keyframe.AnimateDuration);
    }
    std::stable_sort(
        FTransformations.begin(), FTransformations.end(),
        [](const TRTransformation& a, const TRTransformation& b) { return a.Time < b.Time; });
    FTransformations.front().Time = 0;
    FTimeStart = time(FTimeStart);
    FTimeEnd = time(FTimeEnd);
    if (FTimeEnd <= FTimeStart)
        FTimeEnd = FTimeStart + GetMinDuration();
    FTrack = std::max(FTrack, 0);
    FMediaOffset = time(FMediaOffset);
    FMediaStart = time(FMediaStart);
    FMediaEnd = std::clamp(FMediaEnd, FMediaStart, MaxStoredTimeMs);
}

void TRObject::OpenFromXML(const QDomElement& element) {
    if (element.isNull())
        return;
    if (!std::exchange(FStreamedRead, false))
        ClearTransformations();
    ReadAttributes(element);
    ReadObjectGroups(element);
    m_animation_prop = NewPropertyList();
    ReadTransformations(element.firstChildElement(KeyframesElement));
    if (FTransformations.empty())
        AddNewTransformation(0);
    SanitizeTimes();
    // The media are opened whether or not keyframes were stored: an element without them still
    // names its files, and a failure is kept for the caller to report.
    FMediaOpened = OpenMedia();
}

QStringList TRObject::MissingMediaFiles(const QString& folder) const {
    QStringList missing;
    for (const QString* name : {&FMediaName, &FCursorName, &FAudioName})
        if (!name->isEmpty() && !missing.contains(*name) && !QFileInfo::exists(folder + *name))
            missing.append(*name);
    return missing;
}

// ---- properties clipboard ----

TRTransformation& TRObject::CurrentTransformation() {
    const auto last = static_cast<std::int32_t>(FTransformations.size()) - 1;
    return FTransformations.at(std::clamp(FTransformationsIndex, 0, last));
}

const TRTransformation& TRObject::CurrentTransformation() const {
    return const_cast<TRObject*>(this)->CurrentTransformation();
}

namespace {

template <class T> void CopyGroupInto(std::shared_ptr<T>& copy, const TRPropBase& source) {
    if (!copy)
        copy = std::make_shared<T>();
    copy->CopyFrom(source);
}

void CopyVolumeInto(std::shared_ptr<TRPropBase>& copy, const TRPropBase* source) {
    if (!copy)
        copy = CreatePropertyGroup(ptAudioV);
    if (source)
        copy->CopyFrom(*source);
}

void PasteGroup(TRPropBase* target, const TRPropBase& copy, const TRPropertiesChecked& props) {
    if (target && props[target->PropType()])
        target->CopyFrom(copy);
}

} // namespace

void TRObject::CopyCurrentPropertiesToClipBoard() const {
    TRPropertiesClipboard& clipboard = PropertiesClipboard;
    std::shared_ptr<TRPropList> list = NewPropertyList();
    list->CopyFrom(CurrentTransformation().Properties.get());
    clipboard.PropList = std::move(list);
    CopyGroupInto(clipboard.TrIn, *FTrIn);
    CopyGroupInto(clipboard.TrOut, *FTrOut);
    CopyVolumeInto(clipboard.AudioV, FAudioV.get());
    CopyGroupInto(clipboard.MediaSpeed, *FMediaSpeed);
    clipboard.MarkerFlag = FMarker ? 1 : 0;
}

void TRObject::PastePropertiesFromClipboard(const TRPropertiesChecked& props) {
    const TRPropertiesClipboard& clipboard = PropertiesClipboard;
    if (!clipboard.PropList || !clipboard.TrIn || !clipboard.TrOut || !clipboard.AudioV ||
        !clipboard.MediaSpeed)
        return;
    CurrentTransformation().Properties->PasteFrom(clipboard.PropList.get(), props);
    PasteGroup(FTrIn.get(), *clipboard.TrIn, props);
    PasteGroup(FTrOut.get(), *clipboard.TrOut, props);
    PasteGroup(FAudioV.get(), *clipboard.AudioV, props);
    PasteGroup(FMediaSpeed.get(), *clipboard.MediaSpeed, props);
    if (props[ptHTMLMarker])
        FMarker = clipboard.MarkerFlag != 0;
    LastIndexShowProperties = -1;
}

// ---- scene painting ----

std::function<void(TRObject&, const platform::render::RectF&)> ObjectTextPainter;
TRTransitionDrawFn TransitionDrawHook = nullptr;

namespace {

using namespace platform::render;

// The outline colours of a multi-selected object: a solid line under white dashes, or one
// red line for a locked or animating object.
const QColor OutlineFront(0, 120, 215);
const QColor OutlineDashes(255, 255, 255);
const QColor OutlineLocked(232, 17, 35);

std::shared_ptr<StrokeStyle> DashedOutlineStyle() {
    StrokeStyleProperties props;
    props.startCap = CapStyle::Flat;
    props.endCap = CapStyle::Flat;
    props.dashCap = CapStyle::Square;
    props.lineJoin = LineJoin::Miter;
    props.miterLimit = 10;
    props.dashStyle = DashStyle::Custom;
    return StrokeStyle::create(props, {5, 5});
}

GeometryPtr PolygonGeometry(const TRTransformedPoints& points) {
    QPainterPath path(points[1]);
    for (int i = 2; i <= 4; ++i)
        path.lineTo(points[i]);
    path.closeSubpath();
    return Geometry::fromPath(path);
}

// The outline of the placement grown by `delta`, relative to its position.
GeometryPtr OutlineGeometry(const TRPlacementSource& placement, float delta) {
    if (placement.Rotated())
        return PolygonGeometry(placement.TransformedPoints(delta));
    return Geometry::rectangle(
        ToRectF(placement.BoundsRect().adjusted(-delta, -delta, delta, delta)));
}

// A bitmap of `size` that can be drawn into, kept while its size stays.
bool EnsureBitmap(BitmapPtr& bitmap, SizeU size) {
    if (bitmap && bitmap->pixelSize() == size)
        return false;
    bitmap = Bitmap::create(
        size, BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    return true;
}

std::uint32_t BitmapSide(double scaled, float border) {
    return std::uint32_t(scaled >= 1 ? std::trunc(scaled + 2 * border)
                                     : std::trunc(2 * border + 1));
}

} // namespace

void TRObject::PaintOnScene(bool, bool) {}

bool TRObject::IsVisibleInScene() const {
    return FTimeStart <= FTimePosition && FTimePosition <= FTimeEnd && FHasPlacement && FVisibility;
}

float TRObject::GetDeltaBorder() {
    if (auto* border = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder)))
        return border->DeltaBorder();
    if (auto* sketch = dynamic_cast<TRStrokeSource*>(GetProperty(ptSketch)))
        return sketch->Thickness() / 2;
    return 0;
}

TRTransformedPoints TRObject::GetTransformedPoints() {
    const float delta = GetDeltaBorder();
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!placement)
        return {};
    TRTransformedPoints points = placement->TransformedPoints(delta);
    for (QPointF& p : points)
        p += placement->Position();
    return points;
}

TRHitScene TRObject::TestHitOnScene(int x, int y, const Matrix3x2* matrix) {
    if (FTimePosition < FTimeStart || FTimePosition > FTimeEnd || !FVisibility)
        return hsNone;
    const float delta = GetDeltaBorder();
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!placement)
        return hsNone;
    return placement->HitsOutline(x, y, matrix, delta) ? hsObject : hsNone;
}

bool TRObject::PaintMultiSelectOnScene() {
    DeviceContext* dc = SceneContext();
    if (!dc || !FMultiSelect || FTimePosition < FTimeStart || FTimePosition > FTimeEnd ||
        !FHasPlacement || !FProject || FProject->SelectedObject == this)
        return false;
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!placement)
        return false;
    const float designScale =
        FProject->InterfaceOptions.DesignScale > 0 ? FProject->InterfaceOptions.DesignScale : 1.0f;
    const float delta = GetDeltaBorder() + 5 / designScale;
    const GeometryPtr outline = OutlineGeometry(*placement, delta);
    const float width = 2 / designScale;
    const Matrix3x2 saved = dc->transform();
    const QPointF at = placement->Position();
    dc->setTransform(Matrix3x2::translation(float(at.x()), float(at.y())) * saved);
    if (placement->Locked() || FInAnimation) {
        dc->drawGeometry(*outline, *SolidBrush(OutlineLocked, 1), width);
    } else {
        dc->drawGeometry(*outline, *SolidBrush(OutlineFront, 1), width);
        static const std::shared_ptr<StrokeStyle> dashes = DashedOutlineStyle();
        dc->drawGeometry(*outline, *SolidBrush(OutlineDashes, 1), width, dashes.get());
    }
    dc->setTransform(saved);
    return true;
}

void TRObject::PaintMouseOverRectangle(const Brush& brush, float strokeWidth) {
    DeviceContext* dc = SceneContext();
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    if (!dc || !placement || (FProject && FProject->SelectedObject == this))
        return;
    dc->drawGeometry(*OutlineGeometry(*placement, GetDeltaBorder() + 2), brush, strokeWidth);
}

float TRObject::CreateBitmaps(bool mediaBitmap) {
    auto* border = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder));
    const float bs = border ? border->BorderSize() : 0.0f;
    SizeU size{std::uint32_t(std::trunc(2 * bs + 100)), std::uint32_t(std::trunc(2 * bs + 100))};
    if (auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement))) {
        const QRectF r = placement->BoundsRect();
        size = {BitmapSide(r.width(), bs), BitmapSide(r.height(), bs)};
    }
    const bool recreated = EnsureBitmap(FBitmap, size);
    if (!FBitmap || bs == 0)
        FBitmapBorder.reset();
    else if (recreated || !FBitmapBorder)
        EnsureBitmap(FBitmapBorder, size);
    if (mediaBitmap)
        EnsureBitmap(FMediaBitmap, size);
    return bs;
}

void TRObject::UpdateBitmapBorder(const QRectF& rect, TRPropBase* shape) {
    DeviceContext* dc = SceneContext();
    TRPropBase* group = GetProperty(ptBackgroundBorder);
    auto* border = dynamic_cast<TRBorderSource*>(group);
    auto* brush = dynamic_cast<TRBrushSource*>(group);
    auto* stroke = dynamic_cast<TRStrokeSource*>(group);
    const float bs = border ? border->BorderSize() : 0.0f;
    if (!dc || !border || !brush || !stroke || !FBitmapBorder || bs == 0)
        return;
    dc->setTarget(FBitmapBorder);
    dc->beginDraw();
    dc->setTransform(Matrix3x2::translation(bs, bs));
    dc->clear(ColorF{0, 0, 0, 0});
    const float inflate = border->Inflate();
    const QRectF r = rect.adjusted(-inflate, -inflate, inflate, inflate);
    auto* outline = dynamic_cast<TRShapeSource*>(shape);
    GeometryPtr geometry = outline && shape->Checked() ? outline->GetGeometry(r, -1) : nullptr;
    if (!geometry)
        geometry = Geometry::rectangle(ToRectF(r));
    const auto style = border->GetStrokeStyle();
    dc->drawGeometry(*geometry, *brush->Brush(float(rect.right()), float(rect.bottom()), false),
                     stroke->Thickness(), style.get());
    dc->endDraw();
}

void TRObject::CreateAndUpdateBitmapBorder() {
    FBitmapBorder.reset();
    DeviceContext* dc = SceneContext();
    auto* border = dynamic_cast<TRBorderSource*>(GetProperty(ptBackgroundBorder));
    auto* placement = dynamic_cast<TRPlacementSource*>(GetProperty(ptPlacement));
    const float bs = border ? border->BorderSize() : 0.0f;
    if (!dc || bs == 0 || !placement)
        return;
    const QSizeF scaled = placement->BoundsRect().size();
    EnsureBitmap(FBitmapBorder, SizeU{std::uint32_t(std::trunc(scaled.width() + 2 * bs)),
                                      std::uint32_t(std::trunc(scaled.height() + 2 * bs))});
    if (!FBitmapBorder)
        return;
    const ContextStateGuard guard(*dc);
    UpdateBitmapBorder(QRectF(QPointF(0, 0), scaled), GetProperty(ptShape));
}

void TRObject::PaintText(const RectF& layoutRect) {
    if (ObjectTextPainter)
        ObjectTextPainter(*this, layoutRect);
}

TRTransitionStep TRObject::ApplyTransitionInOut(const TRTransitionInput& input) {
    TRTransitionStep step;
    step.Output = input.Image;
    const auto run = [&](const TRPropTransition& group, TRPropertyType type, double elapsed) {
        if (TransitionDrawHook)
            TransitionDrawHook(group, type, float(elapsed / group.FDuration), input, step);
    };
    if (FTrIn && FTrIn->Checked() && FTrIn->FDuration > 0 &&
        FTimePosition < FTimeStart + FTrIn->FDuration) {
        run(*FTrIn, ptTrIn, double(FTimePosition) - FTimeStart);
    } else if (FTrOut && FTrOut->Checked() && FTrOut->FDuration > 0 &&
               FTimePosition > FTimeEnd - FTrOut->FDuration) {
        run(*FTrOut, ptTrOut, double(FTimePosition) - (double(FTimeEnd) - FTrOut->FDuration));
    }
    return step;
}

QString TRObject::GetText() const {
    // The look-up only reads the keyframes (and refreshes the interpolated cache).
    TRPropBase* group = const_cast<TRObject*>(this)->GetProperty(ptText);
    const auto* text = dynamic_cast<const TRTextSource*>(group);
    return text && group->Checked() ? text->Text() : QString();
}

namespace {

bool KeyframePosition(const TRTransformations& keyframes, std::int64_t index, QPointF& position) {
    if (index < 0 || index >= std::int64_t(keyframes.size()))
        return false;
    const auto* placement =
        keyframes[std::size_t(index)].Properties->Get<TRPlacementSource>(ptPlacement);
    if (!placement)
        return false;
    position = placement->Position();
    return true;
}

} // namespace

bool TRObject::GetPreviousPosition(QPointF& position) const {
    return KeyframePosition(FTransformations, std::int64_t(FTransformationsIndex) - 1, position);
}

bool TRObject::GetNextPosition(QPointF& position) const {
    return KeyframePosition(FTransformations, std::int64_t(FTransformationsIndex) + 1, position);
}
