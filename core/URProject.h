#pragma once
// The project: the document of the editor. It is itself a TRObject of type otProject whose one
// keyframe holds the project's groups (size, background fill, caption style, progress bar,
// multi-selection); it owns the timeline objects in paint order and keeps the export and
// editor-view settings that are saved with it.

#include "core/URObject.h"
#include "core/URUndo.h"

#include <QColor>
#include <QDomDocument>
#include <QSize>
#include <array>
#include <functional>
#include <optional>

struct TRProjectExportOptions {
    std::int32_t Format = 1;
    QString FileName;
    QString FilePath;
    bool Html = false;
    bool Html_Controls = true;
    std::int32_t Html_AtStart_Action = 1;
    std::int32_t Html_AtEnd_Action = 2;
    QString Html_AtEnd_URL = QStringLiteral("https://");
    std::int32_t ExportMode = 0;
    std::int32_t MediaSpeed = 1000;
    std::int32_t ReversedSpeed = 1000;
    bool Selection = false;
    std::int32_t SelTimeStart = 0;
    std::int32_t SelTimeEnd = 0;
    std::int32_t FramePS = 30;
    std::int32_t FramePSGIF = 10;
    std::int32_t FrameMode = 0;
    std::int32_t Quality = 80;
    std::int32_t VideoSize = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool AspectRatio = true;
    std::int32_t Scale = 0;
    TColor Color = 0;
    std::int32_t GifOptimize = 1;
    TColor GifColor = 0xFF00FF00;
    std::int32_t WebPOptimize = 1;
    bool Audio = true;
    std::int32_t AudioBitrate = 3;
    std::int32_t AudioBitrateMP3 = 4;
    bool AudioPitch = true;
    bool AudioPitchReversed = true;
    bool AudioNormalizeLoudness = false;
    float AudioLoudness = 0;
    float AudioVolume = 1.0f;
};

// The export settings of a new project; the loudness fields come from the settings record.
TRProjectExportOptions DefaultExportOptions();

struct TRProjectInterfaceOptions {
    std::int32_t DateCreated = 0; // whole days since 30 December 1899
    float DesignScale = 1.0f;
    std::int32_t Timeline_PlayHead = 0;
    std::int32_t Timeline_StartTime = 0;
    std::int32_t Timeline_PixelPS = 120;
    std::int32_t Timeline_TrackHeight = 28;
    std::int32_t Timeline_PlaybackSpeed = 1000;
    bool Timeline_PreserverPitch = true;
};

// Today as a whole day number counted from 30 December 1899.
std::int32_t TodayDayNumber();

// Colour and opacity of one of the project's solid brushes; the painting builds the brushes.
struct TRSolidBrushData {
    QColor Color;
    float Opacity = 1.0f;
};

// Object codes name an object in lists and saved references.
inline constexpr std::int32_t ObjectCodeBeginning = 0;
inline constexpr std::int32_t ObjectCodeEnd = 1000000;
inline std::int32_t ObjectCode(const TRObject& object) {
    return object.ObjectType() * 1000 + object.ObjectId();
}

// The number of tracks the free-track search considers.
inline constexpr int SearchedTrackCount = 101;

class TRXmlElementStream;

class TRProject;
// Hooks that higher layers install: the constructor of an object kind and the defaults that a
// new project gives to groups defined above the core. The editor's refresh after the modified
// flag or the project end changed goes through the editor services.
using TRObjectCreator = std::unique_ptr<TRObject> (*)(TRProject* project, TRObjectType type);
void RegisterObjectKind(TRObjectType type, TRObjectCreator creator);
using TRProjectHook = void (*)(TRProject& project);
void RegisterNewProjectDefaults(TRProjectHook hook);
// Creates the inspector page of an object type on first use (the properties layer installs it).
using TRPropertiesPageHook = void (*)(TRObjectType type);
extern TRPropertiesPageHook EnsurePropertiesPageHook;

// Renders "project_thumbnail.jpg" for a save (the painting installs it); empty: the save writes
// a small picture of the project's background colour instead.
extern std::function<bool(TRProject& project, const QString& file)> ProjectThumbnailWriter;
// Loads the tracks of an unfinished recording found in the project's folder (the recording
// import installs it); returns true when it added an object and then sets the size of the
// recording. Empty: no track is loaded.
struct TRRecordedTracks {
    bool Screen = false;
    bool Camera = false;
    bool Voice = false;
    bool SystemSound = false;
};
extern std::function<bool(TRProject& project, const TRRecordedTracks& tracks, std::int32_t& width,
                          std::int32_t& height)>
    RecordedTracksLoader;

// A new object of that type, not yet in any list: the registered kind, or the object base with
// that type while its kind is not built; nullptr for otBase, otProject, otEnd and beyond.
std::unique_ptr<TRObject> CreateObjectOfType(TRProject* project, int objectType);

class TRProject : public TRObject {
public:
    TRProject();
    ~TRProject() override;

    const std::vector<std::unique_ptr<TRObject>>& Objects() const { return FObjects; }
    // Appends an object on top of the paint order; the project owns it from now on.
    TRObject* AddObject(std::unique_ptr<TRObject> object);
    // Removes and destroys the object; nothing when it is not in the project.
    void DeleteObject(const TRObject* object);
    TRObject* FindObject(TRObjectType type, std::int32_t id) const;
    // The object with that UniqueID (the project itself included); nullptr when it is gone.
    TRObject* FindObjectByUniqueID(std::int32_t uniqueId);
    // The object's place in the paint order, -1 when it is not in the project.
    std::int32_t IndexOfObject(const TRObject* object) const;
    // Inserts at that place in the paint order (clamped; -1 appends on top).
    TRObject* InsertObject(std::int32_t index, std::unique_ptr<TRObject> object);
    // Moves an object of the project to that place in the paint order (clamped); nothing for
    // an object that is not in the project.
    void MoveObjectTo(const TRObject* object, std::int32_t index);

    // ---- files ----
    // Saves the package; empty on success or cancel, else the error text. A blank name saves
    // to Path + FileName.
    QString SaveToFile(const QString& fileName) override;
    // Writes the project's children into the root element `parent` and returns it.
    QDomElement SaveToXML(QDomNode parent) const override;
    // Fills a fresh project from a package or a recovery folder; empty on success or cancel,
    // else the error text. A failed recovery open never deletes the recovery folder. After an
    // error the project holds what was read before the damage was found: discard it.
    QString OpenFromFile(const QString& fileName) override;
    // Reads the children of the "Project" element.
    void OpenFromXML(const QDomElement& element) override;
    // Writes the recovery copy TempFolder + "project.xml"; a failed write keeps the earlier one,
    // and a project without a folder writes nothing (false).
    bool AutoSave() const;
    // The whole description as a save writes it.
    QDomDocument ProjectDocument(QChar decimal) const;
    // Media named by objects that were missing or could not be opened at the last open.
    QStringList MissingMedia;
    // After a successful save: the media that could not go into the package (they were
    // missing), for the caller to show; empty when everything was saved.
    QString SaveWarning;

    // ---- undo history ----
    TRUndoHistory& History() { return FHistory; }
    void History_AddInsertDelete(const TRObject* object, TUndoType type, TUndoIndex index) {
        FHistory.AddInsertDelete(object, type, index);
    }
    void History_AddModify(const TRObject* object, TUndoType type, TUndoIndex index) {
        FHistory.AddModify(object, type, index);
    }
    void History_Increment() { FHistory.Increment(); }
    void History_Init() { FHistory.Init(); }
    void History_ClearList() { FHistory.ClearList(); }
    bool History_CanUndo() { return FHistory.CanUndo(); }
    bool History_CanRedo() { return FHistory.CanRedo(); }
    void History_Undo() { FHistory.Undo(); }
    void History_Redo() { FHistory.Redo(); }
    QString History_GetLastOperations() const { return FHistory.GetLastOperations(); }

    TRProjectExportOptions& ExportOptions() { return FExportOptions; }
    const TRProjectExportOptions& ExportOptions() const { return FExportOptions; }
    bool Modified() const { return m_Modified; }
    void SetModified(bool value);

    std::int32_t GetNextId(TRObjectType type) const;
    std::int32_t GetNextTrack(std::int32_t startTime, std::int32_t endTime) const;
    TRObject* GetNextObject() const;
    TRObject* GetPreviousObject() const;
    void GetProjectSize(std::int32_t& width, std::int32_t& height) const;
    void SetProjectSize(std::int32_t width, std::int32_t height);
    void SetProjectOriginalSize(std::int32_t width, std::int32_t height);
    std::int32_t GetMaxMediaTime() const;
    // Grows the project end to cover every object.
    void UpdateTimeEnd();
    // Shrinks the project end after objects were removed or shortened, never before the
    // playhead.
    void ShrinkTimeEnd();

    void GetMediaObjectsArray(const TRObject* mediaObject, TRMediaObjectsArray& array) const;
    void GetMarkerObjectsArray(TRMarkerObjectsArray& array) const;
    // The media picture of the first object with that type and id; null when there is none.
    platform::render::BitmapPtr GetMediaObjectBitmap(TRObjectType type, std::int32_t id) const;
    // Makes sure the inspector page of every object's type exists (after an open).
    void CheckObjectProperties() const;
    std::int32_t GetMarkerTime(std::int32_t objectCode) const;

    // Sets the playhead, Progress and every object's time.
    void SetTimePosition(std::int32_t value) override;
    void PlayAudio() override;
    void StopAudio() override;
    void PrepareAudioToPlay(std::int32_t value) override;
    // Every object adds its sound to the export's mix-down.
    void AddAudioToVideoExporter(TRAudioExporter& exporter) override;

    // ---- painting: into SceneContext(); the caller sets the target, the transform from scene
    // coordinates (origin at the frame's centre) and opens the drawing pass ----
    using TRObject::PaintOnScene;
    // The frame at TimePosition on the background fill: the objects in list order up to
    // `zoomArea` (not included); with `paintAll` also the transitions and captions, the
    // progress bar and, outside an export, the area around the frame.
    void PaintOnScene(bool mouseOver, bool paintAll, bool drawBackground, const TRObject* zoomArea);
    // The frame at another time for a transition object; the time is restored afterwards.
    void PaintOnTransition(std::int32_t position, bool drawBackground);
    void PaintBackGroundOnTransition();
    // One frame of a video export at `position` with the export's own progress.
    void PaintOnVideo(std::int32_t position, float progress);
    // The translucent rectangle around the multi-selected objects, or the rubber band.
    bool PaintMultiSelectOnScene() override;
    // Renders the frame at the current time without progress bar into an image file whose
    // type follows the extension; `asThumb` fits it into 240 x 135. Returns an empty string on
    // success, otherwise the error (nothing is written for an unknown extension).
    QString ExportFrame(const QString& fileName, bool asThumb);
    // The pixel size of a frame export: the project size, fitted into 240 x 135 for a
    // thumbnail (never enlarged).
    static QSize ExportFrameSize(std::int32_t width, std::int32_t height, bool asThumb);
    // The scale of a frame export: 1, or for a thumbnail larger than 240 x 135 the largest
    // factor that fits it, in single precision.
    static float ExportFrameScale(std::int32_t width, std::int32_t height, bool asThumb);

    // ---- editing (URProjectEdit.cpp, URProjectSelect.cpp, URProjectAdd.cpp) ----
    // The broken rules of the project model, empty when it is sound: overlapping clips on a
    // track, spans outside 0..end, keyframes out of order, ids used twice.
    QStringList CheckConsistency() const;
    // Adding at the playhead; nullptr when the media cannot be loaded.
    TRObject* AddObjectOfType(TRObjectType type);
    TRObject* AddMedia(TRObjectType type, const QString& fileName, std::int32_t& width,
                       std::int32_t& height);
    TRObject* AddCaption();
    TRObject* ImportScreenshots(const QStringList& fileNames);
    // Paint order: 0 to front, 1 forward, 2 backward, 3 to back; one undo step.
    void Arrange(std::int32_t type);
    void HelperArrange(std::int32_t& pos, std::int32_t& total);
    bool CheckAndResolveOverlap();
    bool TestChangeObjectTrack(const TRObject* object, std::int32_t newTrack) const;
    bool TestMoveObjectTimeline(const TRObject* object, std::int32_t offsetTime) const;
    bool TestExtendLeftObjectTimeline(const TRObject* object, std::int32_t offsetTime) const;
    bool TestExtendRightObjectTimeline(const TRObject* object, std::int32_t offsetTime) const;
    bool TestChangeSpeedObjectTimeline(const TRObject* object, std::int32_t offsetTime,
                                       std::int32_t& newSpeed) const;
    bool TestChangeSpeedObjectProperties(const TRObject* object, std::int32_t newSpeed) const;
    bool TestChangeTTSText(const TRObject* object, std::int32_t newDuration) const;
    // Moves every clip starting at or after `playHead` by `offset`; `group` undoCurrent joins
    // the undo group a former call opened (the steps of one drag).
    void InsertTime(std::int32_t playHead, std::int32_t offset, TUndoIndex group = undoIncrement);
    void SplitObject(TRObject* object, bool freeze) override;
    void SplitAllObjects() override;
    bool CanSplitAll(bool testSelection) const override;
    bool CanTrimEndAll() const override;
    bool CanTrimFrontAll() const override;
    void TrimObject(TRObject* object, bool atEnd) override;
    void TrimProject(bool atEnd) override;
    void SeparateAudioVideo();
    // Deleting (with `ripple` the gap closes) and selecting.
    void DeleteObject(TRObject* object, bool ripple);
    void DeleteMultiSelect(bool ripple);
    // Removes the time range between the timeline's selection marks.
    void DeleteSelection(std::int32_t selectionStart, std::int32_t selectionEnd, bool ripple);
    void DeleteCaptions();
    void SelectAll();
    bool UnSelectAll();
    bool HasObjectToSelectAll() const;
    bool HasMultiSelect() const;
    std::int32_t UpdateMultiSelect();
    void ComputeMultiSelect();
    void ComputeMultiSelectOnTimeline(const QRectF& rect);
    void CopyMultiSelect();
    void MoveMultiSelect(float dx, float dy);
    // Moves the multi-selected clips in time and track when nothing comes to overlap; `group`
    // as for InsertTime.
    bool MoveMultiSelectOnTimeLine(std::int32_t dtime, std::int32_t dtrack,
                                   TUndoIndex group = undoIncrement);
    void AlignMultiSelect(std::uint8_t type, bool alignToSelection);
    // The groups every multi-selected object has (all of them with none selected).
    void ComputeMultiSelectProperties(TRPropertiesChecked& props) const;
    // Pastes the chosen copied groups into every multi-selected object; one undo step.
    void MultiSelectPastePropertiesFromClipboard(const TRPropertiesChecked& props);
    TRObject* PasteObjectsFromClipboard();
    // Recording: the raw tracks of a finished recording in TempFolder become objects at the
    // playhead, one undo step; true when any was added. `width` and `height` receive the
    // picture size, `selected` the object to select.
    bool AddScreenRecorder(bool screen, bool camera, bool mic, bool sound, std::int32_t& width,
                           std::int32_t& height, TRObject*& selected);
    // Snap guides for the editor (URProjectGuides.cpp): of the selected object in the scene,
    // and of the other clips' edges at `time` on the timeline.
    void ComputeSceneHelperLines();
    void ComputeTimeLineHelperLines(std::int32_t time);

    bool CreatedFromRecorder = false;
    TRObject* MouseOverObject = nullptr;
    TRObject* SelectedObject = nullptr;
    std::int32_t StartPlay = 0;
    std::int32_t StopPlay = 0;
    float Progress = 0;
    // The project's own numbered folder below the temporary root, made with the project and
    // deleted with it; empty when none could be made (TempFolderError says why).
    QString TempFolder;
    const QString& TempFolderError() const { return FTempFolderError; }
    QString Path;
    QString FileName;
    bool Exporting = false;
    TRProjectInterfaceOptions InterfaceOptions;

    // The brushes of the scene decorations.
    TRSolidBrushData m_Brush{QColor(0, 0, 0), 0.0f};
    TRSolidBrushData m_BrushOutside{QColor(43, 51, 62), 0.7f};
    TRSolidBrushData m_BrushOutsideOpaque{QColor(43, 51, 62), 1.0f};
    TRSolidBrushData m_LineOutside{QColor(255, 255, 255), 0.3f};
    TRSolidBrushData m_BrushSelection{QColor(255, 255, 255), 0.3f};

private:
    void NotifyView();
    platform::render::RectF FrameRect() const;
    void PaintBackground(platform::render::DeviceContext& dc, const platform::render::RectF& r);
    void ClearToFirstColor(platform::render::DeviceContext& dc);
    void PaintProgressBar(platform::render::DeviceContext& dc, const platform::render::RectF& r);
    void PaintOutside(platform::render::DeviceContext& dc, const platform::render::RectF& r);

    // The decoration brushes and the last area around the frame, built once and reused while
    // the target, zoom and frame stay.
    struct TRSceneCache {
        platform::render::BrushPtr Outside, OutsideOpaque, Line, Selection;
        platform::render::RectF OutsideRect, FrameRect;
        platform::render::GeometryPtr OutsideGeometry;
    };
    TRSceneCache& SceneCache();
    std::unique_ptr<TRSceneCache> FSceneCache;
    void SaveOwnPartsToXML(QDomNode parent) const;
    QByteArray DescriptionBytes() const;
    QString WriteDescription(const QByteArray& bytes) const;
    QString EnsureTempFolder();
    void ForgetInClipboard();
    void TakeTargetName(const QString& fileName);
    QString PackProject(const QString& packageFile);
    QString CopyPackage(const QString& packageFile);
    QString ReadDescription();
    void ReadExportOptions(const QDomElement& element);
    void ReadInterfaceOptions(const QDomElement& element);
    // The object elements of a description one by one (null at the end), and how much of the
    // description has been read (0..1) for the progress.
    struct TRObjectSource {
        // The next object read: null for an element of no known kind, none at the end.
        std::function<std::optional<std::unique_ptr<TRObject>>()> Next;
        std::function<double()> Done;
    };
    std::unique_ptr<TRObject> ReadObject(const QDomElement& element);
    std::optional<std::unique_ptr<TRObject>> ReadStreamedObject(TRXmlElementStream& stream);
    void ReadObjects(const TRObjectSource& objects);
    void ReadParts(const QDomElement& object, const QDomElement& exportOptions,
                   const QDomElement& interface, const TRObjectSource& objects);
    void ReadStream(TRXmlElementStream& stream, qint64 size);
    void NoteReadingId(const TRObject& object);
    TRRecordedTracks RecordedTracks() const;
    QString LoadRecordedTracks();

    std::vector<std::unique_ptr<TRObject>> FObjects;
    // While the objects of a description are read: the next id of each object type, kept up as
    // they are added, so that every new object gets an id (and track 0) in constant time; the
    // stored id and track replace both.
    std::optional<std::array<std::int32_t, ObjectTypeCount>> FReadingIds;
    TRProjectExportOptions FExportOptions;
    bool m_Modified = false;
    QString FTempFolderError;
    TRUndoHistory FHistory{*this};
};
