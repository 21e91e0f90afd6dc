#include "core/URProject.h"

#include "core/UREditorServices.h"
#include "core/URPropProjectSize.h"
#include "core/URSettings.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "platform/imaging/ImageFile.h"
#include "platform/render/ContextState.h"

#include <QDate>
#include <QPolygonF>
#include <algorithm>

namespace {

std::array<TRObjectCreator, ObjectTypeCount>& ObjectCreators() {
    static std::array<TRObjectCreator, ObjectTypeCount> creators{};
    return creators;
}

std::vector<TRProjectHook>& NewProjectDefaults() {
    static std::vector<TRProjectHook> hooks;
    return hooks;
}

constexpr std::int32_t DefaultProjectWidth = 1280;
constexpr std::int32_t DefaultProjectHeight = 720;

bool IsMediaKind(TRObjectType type) {
    return type == otImage || type == otVideo || type == otScreenRecorder;
}

// The id after `id`; a stored id at the integer limit (a damaged file) gets no larger one.
std::int32_t IdAfter(std::int32_t id) {
    return id == INT32_MAX ? id : id + 1;
}

} // namespace

TRPropertiesPageHook EnsurePropertiesPageHook = nullptr;

void RegisterObjectKind(TRObjectType type, TRObjectCreator creator) {
    if (type < ObjectTypeCount)
        ObjectCreators()[type] = creator;
}

void RegisterNewProjectDefaults(TRProjectHook hook) {
    auto& hooks = NewProjectDefaults();
    if (hook && std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
        hooks.push_back(hook);
}

std::unique_ptr<TRObject> CreateObjectOfType(TRProject* project, int objectType) {
    if (objectType <= otProject || objectType >= otEnd)
        return nullptr;
    const auto type = static_cast<TRObjectType>(objectType);
    if (const TRObjectCreator creator = ObjectCreators()[type])
        return creator(project, type);
    return std::make_unique<TRObject>(project, type);
}

TRProjectExportOptions DefaultExportOptions() {
    TRProjectExportOptions options;
    options.AudioNormalizeLoudness = SettingsRecord.NormalizeLoudness != 0;
    options.AudioLoudness = SettingsRecord.TargetLoudness;
    return options;
}

std::int32_t TodayDayNumber() {
    return static_cast<std::int32_t>(QDate(1899, 12, 30).daysTo(QDate::currentDate()));
}

// ---- TRProject ----

TRProject::TRProject()
    : TRObject(this, otProject), SelectedObject(this), FExportOptions(DefaultExportOptions()) {
    FObjectName = QStringLiteral("Untitled Project");
    SetProjectSize(DefaultProjectWidth, DefaultProjectHeight);
    SetProjectOriginalSize(DefaultProjectWidth, DefaultProjectHeight);
    FTimeStart = 0;
    FTimeEnd = SettingsRecord.DefaultObjectDuration * 1000;
    InterfaceOptions.DateCreated = TodayDayNumber();
    if (TRPropBase* fill = GetProperty(ptBackgroundFill))
        fill->SetChecked(true);
    if (TRPropBase* captions = GetProperty(ptClosedCaptioning))
        captions->SetChecked(true);
    for (TRProjectHook hook : NewProjectDefaults())
        hook(*this);
    TempFolder = NewProjectTempFolder(&FTempFolderError);
}

TRProject::~TRProject() {
    ForgetInClipboard();
    FHistory.ClearList();
    MouseOverObject = nullptr;
    SelectedObject = nullptr;
    FObjects.clear();
    // Only a numbered folder of the temporary root goes with the project, never a folder the
    // project merely points at.
    if (IsProjectTempFolder(TempFolder))
        DeleteTempFolder(TempFolder);
    else if (!TempFolder.isEmpty())
        ReleaseTempFolder(TempFolder);
}

// The copy buffer outlives the project: it must not keep pointers to it or its objects.
void TRProject::ForgetInClipboard() {
    TRPropertiesClipboard& clipboard = PropertiesClipboard;
    clipboard.Objects.removeIf(
        [this](const TRObject* object) { return object == this || IndexOfObject(object) >= 0; });
    if (clipboard.SourceProject == this) {
        clipboard.SourceProject = nullptr;
        clipboard.IsCut = 0;
    }
}

TRObject* TRProject::AddObject(std::unique_ptr<TRObject> object) {
    if (!object)
        return nullptr;
    NoteReadingId(*object);
    FObjects.push_back(std::move(object));
    return FObjects.back().get();
}

void TRProject::NoteReadingId(const TRObject& object) {
    if (FReadingIds) {
        std::int32_t& next = (*FReadingIds)[object.ObjectType()];
        next = std::max(next, IdAfter(object.ObjectId()));
    }
}

void TRProject::DeleteObject(const TRObject* object) {
    const auto it = std::find_if(FObjects.begin(), FObjects.end(),
                                 [object](const auto& item) { return item.get() == object; });
    if (it == FObjects.end())
        return;
    if (MouseOverObject == object)
        MouseOverObject = nullptr;
    if (SelectedObject == object)
        SelectedObject = this;
    PropertiesClipboard.Objects.removeAll(object);
    FObjects.erase(it);
}

TRObject* TRProject::FindObjectByUniqueID(std::int32_t uniqueId) {
    if (uniqueId == FUniqueID)
        return this;
    for (const auto& object : FObjects)
        if (object->UniqueID() == uniqueId)
            return object.get();
    return nullptr;
}

std::int32_t TRProject::IndexOfObject(const TRObject* object) const {
    for (std::size_t i = 0; i < FObjects.size(); ++i)
        if (FObjects[i].get() == object)
            return static_cast<std::int32_t>(i);
    return -1;
}

TRObject* TRProject::InsertObject(std::int32_t index, std::unique_ptr<TRObject> object) {
    if (!object)
        return nullptr;
    const auto count = static_cast<std::int32_t>(FObjects.size());
    const std::int32_t at = index < 0 || index > count ? count : index;
    return FObjects.insert(FObjects.begin() + at, std::move(object))->get();
}

void TRProject::MoveObjectTo(const TRObject* object, std::int32_t index) {
    const std::int32_t from = IndexOfObject(object);
    if (from < 0)
        return;
    const auto last = static_cast<std::int32_t>(FObjects.size()) - 1;
    const std::int32_t to = std::clamp(index, 0, last);
    std::unique_ptr<TRObject> moving = std::move(FObjects[from]);
    FObjects.erase(FObjects.begin() + from);
    FObjects.insert(FObjects.begin() + to, std::move(moving));
}

TRObject* TRProject::FindObject(TRObjectType type, std::int32_t id) const {
    for (const auto& object : FObjects)
        if (object->ObjectType() == type && object->ObjectId() == id)
            return object.get();
    return nullptr;
}

void TRProject::NotifyView() {
    EditorServices().ProjectViewChanged(*this);
}

void TRProject::SetModified(bool value) {
    m_Modified = value;
    NotifyView();
}

std::int32_t TRProject::GetNextId(TRObjectType type) const {
    if (FReadingIds)
        return (*FReadingIds)[type];
    std::int32_t largest = 0;
    for (const auto& object : FObjects)
        if (object->ObjectType() == type)
            largest = std::max(largest, object->ObjectId());
    return IdAfter(largest);
}

std::int32_t TRProject::GetNextTrack(std::int32_t startTime, std::int32_t endTime) const {
    if (FReadingIds)
        return 0;
    std::array<bool, SearchedTrackCount> busy{};
    for (const auto& object : FObjects) {
        const std::int32_t s = object->TimeStart();
        const std::int32_t e = object->TimeEnd();
        const std::int32_t track = object->Track();
        const bool overlaps = (s <= startTime && e >= endTime) ||
                              (startTime <= s && s <= endTime) || (startTime <= e && e <= endTime);
        if (overlaps)
            busy[track >= 0 && track < SearchedTrackCount ? track : 0] = true;
    }
    const auto free = std::find(busy.begin(), busy.end(), false);
    return free == busy.end() ? 0 : static_cast<std::int32_t>(free - busy.begin());
}

TRObject* TRProject::GetNextObject() const {
    TRObject* found = nullptr;
    for (const auto& object : FObjects)
        if (object->TimeStart() > FTimePosition &&
            (!found || object->TimeStart() < found->TimeStart()))
            found = object.get();
    return found;
}

TRObject* TRProject::GetPreviousObject() const {
    TRObject* found = nullptr;
    for (const auto& object : FObjects)
        if (object->TimeStart() < FTimePosition &&
            (!found || object->TimeStart() > found->TimeStart()))
            found = object.get();
    return found;
}

void TRProject::GetProjectSize(std::int32_t& width, std::int32_t& height) const {
    width = 640;
    height = 480;
    if (FTransformations.empty())
        return;
    if (const auto* size =
            FTransformations.front().Properties->Get<TRPropProjectSize>(ptProjectSize)) {
        width = size->Width;
        height = size->Height;
    }
}

void TRProject::SetProjectSize(std::int32_t width, std::int32_t height) {
    if (auto* size = Get<TRPropProjectSize>(ptProjectSize, true)) {
        size->Width = width;
        size->Height = height;
    }
}

void TRProject::SetProjectOriginalSize(std::int32_t width, std::int32_t height) {
    if (auto* size = Get<TRPropProjectSize>(ptProjectSize, true)) {
        size->OriginalWidth = width;
        size->OriginalHeight = height;
    }
}

std::int32_t TRProject::GetMaxMediaTime() const {
    std::int32_t largest = 0;
    for (const auto& object : FObjects)
        largest = std::max(largest, object->TimeEnd());
    return largest;
}

void TRProject::UpdateTimeEnd() {
    const std::int32_t largest = GetMaxMediaTime();
    if (FTimeEnd >= largest)
        return;
    FTimeEnd = largest - 1;
    NotifyView();
}

void TRProject::ShrinkTimeEnd() {
    std::int32_t largest = GetMaxMediaTime();
    if (largest >= FTimeEnd - 1)
        return;
    largest = std::max(largest, FTimePosition + 1);
    FTimeEnd = largest - 1;
    NotifyView();
}

void TRProject::GetMediaObjectsArray(const TRObject* mediaObject,
                                     TRMediaObjectsArray& array) const {
    array.clear();
    for (const auto& object : FObjects)
        if (IsMediaKind(object->ObjectType()) && object.get() != mediaObject)
            array.append({object->ObjectName(), ObjectCode(*object), object->ObjectType(),
                          object->ObjectId()});
}

void TRProject::GetMarkerObjectsArray(TRMarkerObjectsArray& array) const {
    array.clear();
    array.append({QStringLiteral("Beginning"), ObjectCodeBeginning, 0});
    for (const auto& object : FObjects)
        if (object->Marker())
            array.append({object->ObjectName(), ObjectCode(*object), object->TimeStart()});
    // The same exchange sort as the lists always had, so equal times keep their known order.
    for (qsizetype j = 1; j + 1 < array.size(); ++j)
        for (qsizetype k = j + 1; k < array.size(); ++k)
            if (array[k].ObjectTime < array[j].ObjectTime)
                std::swap(array[j], array[k]);
    array.append({QStringLiteral("End"), ObjectCodeEnd, FTimeEnd});
}

platform::render::BitmapPtr TRProject::GetMediaObjectBitmap(TRObjectType type,
                                                            std::int32_t id) const {
    const TRObject* object = FindObject(type, id);
    return object ? object->MediaBitmap() : nullptr;
}

void TRProject::CheckObjectProperties() const {
    if (!EnsurePropertiesPageHook)
        return;
    for (const auto& object : FObjects)
        EnsurePropertiesPageHook(object->ObjectType());
}

std::int32_t TRProject::GetMarkerTime(std::int32_t objectCode) const {
    if (objectCode == ObjectCodeBeginning)
        return 0;
    if (objectCode == ObjectCodeEnd)
        return FTimeEnd;
    for (const auto& object : FObjects)
        if (object->Marker() && ObjectCode(*object) == objectCode)
            return object->TimeStart();
    return 0;
}

void TRProject::SetTimePosition(std::int32_t value) {
    FTimePosition = value;
    Progress = FTimeEnd > 0 ? static_cast<float>(double(value) / FTimeEnd) : 0.0f;
    for (const auto& object : FObjects)
        object->SetTimePosition(value);
}

void TRProject::PlayAudio() {
    for (const auto& object : FObjects)
        object->PlayAudio();
}

void TRProject::AddAudioToVideoExporter(TRAudioExporter& exporter) {
    for (const auto& object : FObjects)
        object->AddAudioToVideoExporter(exporter);
}

void TRProject::StopAudio() {
    for (const auto& object : FObjects)
        object->StopAudio();
}

void TRProject::PrepareAudioToPlay(std::int32_t value) {
    for (const auto& object : FObjects)
        object->PrepareAudioToPlay(value);
}

// ---- painting ----

namespace {

using namespace platform::render;

bool IsOverlayKind(const TRObject& object) {
    return object.ObjectType() == otTransition || object.ObjectType() == otCaption;
}

// The scene rectangle that the target shows, grown by one device pixel on every side.
RectF VisibleSceneRect(const DeviceContext& dc, float s) {
    Matrix3x2 inverse;
    if (!dc.transform().invert(inverse))
        return {};
    const SizeF size = dc.size();
    QPolygonF corners;
    for (PointF corner : {PointF{0, 0}, PointF{size.width, 0}, PointF{0, size.height},
                          PointF{size.width, size.height}}) {
        const PointF p = inverse.transformPoint(corner);
        corners << QPointF(p.x, p.y);
    }
    const QRectF shown = corners.boundingRect();
    return ToRectF(shown.adjusted(-1 / s, -1 / s, 1 / s, 1 / s));
}

} // namespace

TRProject::TRSceneCache& TRProject::SceneCache() {
    if (!FSceneCache) {
        FSceneCache = std::make_unique<TRSceneCache>();
        FSceneCache->Outside = SolidBrush(m_BrushOutside.Color, m_BrushOutside.Opacity);
        FSceneCache->OutsideOpaque =
            SolidBrush(m_BrushOutsideOpaque.Color, m_BrushOutsideOpaque.Opacity);
        FSceneCache->Line = SolidBrush(m_LineOutside.Color, m_LineOutside.Opacity);
        FSceneCache->Selection = SolidBrush(m_BrushSelection.Color, m_BrushSelection.Opacity);
    }
    return *FSceneCache;
}

RectF TRProject::FrameRect() const {
    std::int32_t w = 0, h = 0;
    GetProjectSize(w, h);
    return RectF{float(-double(w) / 2), float(-double(h) / 2), float(double(w) / 2),
                 float(double(h) / 2)};
}

void TRProject::PaintBackground(DeviceContext& dc, const RectF& r) {
    TRPropBase* group = GetProperty(ptBackgroundFill);
    auto* fill = dynamic_cast<TRBrushSource*>(group);
    if (fill && group->Checked())
        dc.fillRectangle(r, *fill->Brush(r.width(), r.height(), true));
}

// The first colour at opacity 0: transparent on a target with alpha, but the colour itself on
// the editor's window, which ignores alpha, so the area around the frame is tinted from it.
void TRProject::ClearToFirstColor(DeviceContext& dc) {
    TRPropBase* group = GetProperty(ptBackgroundFill);
    auto* fill = dynamic_cast<TRBrushSource*>(group);
    if (!fill || !group->Checked())
        return;
    const QColor first = fill->FirstColor();
    dc.clear(ColorF{float(first.redF()), float(first.greenF()), float(first.blueF()), 0});
}

void TRProject::PaintProgressBar(DeviceContext& dc, const RectF& r) {
    TRPropBase* group = GetProperty(ptProgressBar);
    auto* bar = dynamic_cast<TRProgressBarSource*>(group);
    auto* brush = dynamic_cast<TRBrushSource*>(group);
    auto* stroke = dynamic_cast<TRStrokeSource*>(group);
    if (Progress <= 0 || !bar || !brush || !stroke || !group->Checked())
        return;
    const GeometryPtr geometry = bar->ProgressGeometry(r.toQRectF(), Progress);
    if (geometry)
        dc.drawGeometry(*geometry, *brush->Brush(r.width(), r.height(), true),
                        2 * stroke->Thickness());
}

void TRProject::PaintOutside(DeviceContext& dc, const RectF& r) {
    const float s = dc.transform().m11;
    if (s <= 0)
        return;
    TRSceneCache& cache = SceneCache();
    const RectF outside = VisibleSceneRect(dc, s);
    if (!cache.OutsideGeometry || !(cache.OutsideRect == outside) || !(cache.FrameRect == r)) {
        cache.OutsideGeometry = Geometry::rectangle(outside)->combined(*Geometry::rectangle(r),
                                                                       CombineMode::Xor, {}, 1.0f);
        cache.OutsideRect = outside;
        cache.FrameRect = r;
    }
    const bool playing = ScenePlaybackActive();
    dc.fillGeometry(*cache.OutsideGeometry, playing ? *cache.OutsideOpaque : *cache.Outside);
    if (!playing) {
        const float px = 1 / s;
        dc.drawRectangle(RectF{r.left - px, r.top - px, r.right + px, r.bottom + px}, *cache.Line,
                         px);
    }
}

void TRProject::PaintOnScene(bool, bool paintAll, bool drawBackground, const TRObject* zoomArea) {
    DeviceContext* dc = SceneContext();
    if (!dc)
        return;
    const RectF r = FrameRect();
    dc->clear(ColorF{0, 0, 0, 0});
    ClearToFirstColor(*dc);
    if (paintAll || drawBackground)
        PaintBackground(*dc, r);
    for (const auto& object : FObjects) {
        if (IsOverlayKind(*object))
            continue;
        if (object.get() == zoomArea)
            break;
        if (object->Visibility())
            object->PaintOnScene(false, true);
    }
    if (!paintAll)
        return;
    for (const auto& object : FObjects) {
        if (IsOverlayKind(*object))
            object->PaintOnScene(false, true);
    }
    PaintProgressBar(*dc, r);
    if (!Exporting)
        PaintOutside(*dc, r);
}

void TRProject::PaintOnTransition(std::int32_t position, bool drawBackground) {
    const std::int32_t saved = FTimePosition;
    SetTimePosition(position);
    Progress = 0;
    PaintOnScene(false, false, drawBackground, nullptr);
    SetTimePosition(saved);
}

void TRProject::PaintBackGroundOnTransition() {
    if (DeviceContext* dc = SceneContext())
        PaintBackground(*dc, FrameRect());
}

void TRProject::PaintOnVideo(std::int32_t position, float progress) {
    SetTimePosition(position);
    Progress = progress;
    PaintOnScene(false, true, true, nullptr);
}

bool TRProject::PaintMultiSelectOnScene() {
    DeviceContext* dc = SceneContext();
    if (!dc || ScenePlaybackActive() || Exporting)
        return false;
    QPolygonF corners;
    for (const auto& object : FObjects) {
        if (!object->PaintMultiSelectOnScene())
            continue;
        const TRTransformedPoints points = object->GetTransformedPoints();
        corners << points[1] << points[2] << points[3] << points[4];
    }
    const float designScale =
        InterfaceOptions.DesignScale > 0 ? InterfaceOptions.DesignScale : 1.0f;
    const double grow = 6 / designScale;
    TRSceneCache& cache = SceneCache();
    if (!corners.isEmpty() && rectMultiSelect.right() == rectMultiSelect.left())
        dc->fillRectangle(ToRectF(corners.boundingRect().adjusted(-grow, -grow, grow, grow)),
                          *cache.Selection);
    else
        dc->fillRectangle(ToRectF(rectMultiSelect), *cache.Selection);
    return true;
}

float TRProject::ExportFrameScale(std::int32_t width, std::int32_t height, bool asThumb) {
    if (!asThumb || (width <= 240 && height <= 135) || width <= 0 || height <= 0)
        return 1;
    return float(std::min(135.0 / height, 240.0 / width));
}

QSize TRProject::ExportFrameSize(std::int32_t width, std::int32_t height, bool asThumb) {
    const double k = ExportFrameScale(width, height, asThumb);
    return QSize(int(std::trunc(width * k)), int(std::trunc(height * k)));
}

namespace {

// Marks the project as exporting, its progress bar at the start, and puts both back when the
// scope ends.
class ExportingScope {
public:
    explicit ExportingScope(TRProject& project) : project_(project), progress_(project.Progress) {
        project_.Exporting = true;
        project_.Progress = 0;
    }
    ~ExportingScope() {
        project_.Progress = progress_;
        project_.Exporting = false;
    }
    ExportingScope(const ExportingScope&) = delete;
    ExportingScope& operator=(const ExportingScope&) = delete;

private:
    TRProject& project_;
    float progress_;
};

} // namespace

QString TRProject::ExportFrame(const QString& fileName, bool asThumb) {
    // Refused before rendering: the writer names the unknown type and writes nothing.
    if (!platform::imaging::formatForFileName(fileName))
        return platform::imaging::writeImage(fileName, QImage());
    DeviceContext* dc = SceneContext();
    if (!dc)
        return QStringLiteral("Cannot export %1: no drawing context.").arg(fileName);
    std::int32_t w = 0, h = 0;
    GetProjectSize(w, h);
    const QSize size = ExportFrameSize(w, h, asThumb);
    const BitmapPtr target = Bitmap::create(
        SizeU{std::uint32_t(std::max(size.width(), 0)), std::uint32_t(std::max(size.height(), 0))},
        BitmapProperties{AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
    if (!target)
        return QStringLiteral("Cannot export %1: no picture of %2 x %3 pixels.")
            .arg(fileName)
            .arg(size.width())
            .arg(size.height());
    // The frame is scaled by k itself, not by the truncated size's ratio, so it covers the
    // bitmap along both sides.
    const float k = ExportFrameScale(w, h, asThumb);
    bool drawn = false;
    {
        const ContextStateGuard guard(*dc);
        const ExportingScope exporting(*this);
        dc->setTarget(target);
        dc->setTransform(Matrix3x2::scale(k, k) *
                         Matrix3x2::translation(float(size.width() / 2), float(size.height() / 2)));
        dc->beginDraw();
        PaintOnScene(false, true, true, nullptr);
        drawn = dc->endDraw();
    }
    if (!drawn)
        return QStringLiteral("Cannot export %1: the frame could not be drawn.").arg(fileName);
    return platform::imaging::writeImage(fileName, target->image());
}
