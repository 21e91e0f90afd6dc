// Putting objects into a project: new objects at the playhead, media files, screenshots, and
// pasting from the object clipboard (also from another project, whose media files are copied).

#include "core/URProject.h"
#include "core/URProjectEdit.h"
#include "core/URUtils.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// True when the object's span meets a clip on its own track.
bool OverlapsOnTrack(const TRProject& project, const TRObject& object) {
    for (const auto& other : project.Objects())
        if (other.get() != &object && other->Track() == object.Track() &&
            std::max(other->TimeStart(), object.TimeStart()) <
                std::min(other->TimeEnd(), object.TimeEnd()))
            return true;
    return false;
}

// Appends the object; a clip that its media made longer than the default length moves to a
// free track instead of running into the next clip.
TRObject* AppendOnFreeTrack(TRProject& project, std::unique_ptr<TRObject> object, TUndoIndex undo) {
    if (OverlapsOnTrack(project, *object))
        object->SetTrack(project.GetNextTrack(object->TimeStart(), object->TimeEnd()));
    TRObject* added = project.AddObject(std::move(object));
    project.History_AddInsertDelete(added, undoInsert, undo);
    return added;
}

// Appends with its own undo group.
TRObject* AppendNew(TRProject& project, std::unique_ptr<TRObject> object) {
    TRObject* added = AppendOnFreeTrack(project, std::move(object), undoIncrement);
    project.UpdateTimeEnd();
    project.SetModified(true);
    return added;
}

} // namespace

TRObject* TRProject::AddObjectOfType(TRObjectType type) {
    std::unique_ptr<TRObject> object = CreateObjectOfType(this, type);
    return object ? AppendNew(*this, std::move(object)) : nullptr;
}

TRObject* TRProject::AddMedia(TRObjectType type, const QString& fileName, std::int32_t& width,
                              std::int32_t& height) {
    std::unique_ptr<TRObject> object = CreateObjectOfType(this, type);
    if (!object || !object->LoadMedia(fileName, width, height, QString()))
        return nullptr;
    return AppendNew(*this, std::move(object));
}

TRObject* TRProject::AddCaption() {
    TRObject* caption = AddObjectOfType(otCaption);
    if (TRPropBase* captions = GetProperty(ptClosedCaptioning, true))
        captions->SetChecked(true);
    return caption;
}

TRObject* TRProject::ImportScreenshots(const QStringList& fileNames) {
    if (fileNames.isEmpty())
        return nullptr;
    History_Increment();
    const std::int32_t t0 = FTimePosition;
    std::int32_t t = t0;
    TRObject* first = nullptr;
    for (const QString& fileName : fileNames) {
        SetTimePosition(t);
        std::unique_ptr<TRObject> image = CreateObjectOfType(this, otImage);
        std::int32_t w = 0, h = 0;
        if (!image || !image->LoadMedia(fileName, w, h, QString()))
            continue;
        TRObject* added = AddObject(std::move(image));
        History_AddInsertDelete(added, undoInsert, undoCurrent);
        t = SnapToFrame(added->TimeEnd() + 33);
        if (!first)
            first = added;
    }
    SetModified(true);
    UpdateTimeEnd();
    SetTimePosition(t0);
    return first;
}

// ---- a finished recording ----

namespace {

// One track of a recording as an object named `name` + its id (the kind's own name when
// `name` is empty); nullptr when its files are missing or cannot be opened.
template <class Load>
TRObject* AddRecorded(TRProject& project, TRObjectType type, const QString& name, Load load) {
    std::unique_ptr<TRObject> object = CreateObjectOfType(&project, type);
    if (!object || !load(*object))
        return nullptr;
    if (!name.isEmpty())
        object->SetObjectName(name + QString::number(object->ObjectId()));
    return AppendOnFreeTrack(project, std::move(object), undoCurrent);
}

} // namespace

bool TRProject::AddScreenRecorder(bool screen, bool camera, bool mic, bool sound,
                                  std::int32_t& width, std::int32_t& height, TRObject*& selected) {
    width = height = 0;
    selected = nullptr;
    History_Increment();
    const QString micFile = TempFolder + QStringLiteral("mic.m4a");
    const QString soundFile = TempFolder + QStringLiteral("sound.m4a");
    bool added = false;
    const auto took = [&](TRObject* object) {
        if (object && !selected)
            selected = object;
        added = added || object;
    };
    if (screen) {
        const QString audio = sound ? soundFile : mic && !camera ? micFile : QString();
        std::int32_t w = 0, h = 0;
        TRObject* recording = AddRecorded(*this, otScreenRecorder, {}, [&](TRObject& o) {
            return o.LoadMedia(QString(), w, h, audio);
        });
        if (recording) {
            width = w;
            height = h;
        }
        took(recording);
    }
    if (camera) {
        const QString audio = mic ? micFile : sound && !screen ? soundFile : QString();
        std::int32_t w = 0, h = 0;
        TRObject* video = AddRecorded(*this, otVideo, QStringLiteral("Camera "), [&](TRObject& o) {
            return o.LoadCamera(w, h, width, height, audio);
        });
        if (video && width == 0) {
            width = w;
            height = h;
        }
        took(video);
    }
    std::int32_t w = 0, h = 0;
    if (mic)
        took(AddRecorded(*this, otAudio, QStringLiteral("Voice "),
                         [&](TRObject& o) { return o.LoadMedia(micFile, w, h, QString()); }));
    if (sound)
        took(AddRecorded(*this, otAudio, QStringLiteral("Sound "),
                         [&](TRObject& o) { return o.LoadMedia(soundFile, w, h, QString()); }));
    if (added) {
        SetModified(true);
        UpdateTimeEnd();
    }
    return added;
}

// ---- the object clipboard ----

namespace {

// Copies a media file of another project under a name of this project, with its cached
// waveform and loudness; `role` keeps the media, cursor and sound copies of one object apart
// (and with them their caches). Returns the new name, or the old one when nothing was copied.
QString CopyMediaFile(const TRProject& source, TRProject& target, const TRObject& object,
                      const QString& name, const QString& role, bool withCaches) {
    const QFileInfo from(source.TempFolder + name);
    qint64 tick = QDateTime::currentMSecsSinceEpoch();
    QString base;
    do {
        base = QStringLiteral("m%1_%2%3").arg(object.ObjectId()).arg(tick++).arg(role);
    } while (QFile::exists(target.TempFolder + base + "." + from.suffix()));
    const QString copied = base + "." + from.suffix();
    QFile::remove(target.TempFolder + copied);
    if (!QFile::copy(from.filePath(), target.TempFolder + copied))
        return name;
    if (withCaches)
        for (const QString& cache : {QStringLiteral("waveform"), QStringLiteral("loudness")}) {
            const QString cached = from.path() + "/" + from.completeBaseName() + "." + cache;
            if (QFile::exists(cached)) {
                QFile::remove(target.TempFolder + base + "." + cache);
                QFile::copy(cached, target.TempFolder + base + "." + cache);
            }
        }
    return copied;
}

void TakeMediaFrom(const TRProject& source, TRProject& target, TRObject& object) {
    if (object.MediaName().trimmed().isEmpty())
        return;
    object.SetMediaName(CopyMediaFile(source, target, object, object.MediaName(), {}, true));
    if (!object.CursorName().trimmed().isEmpty())
        object.SetCursorName(
            CopyMediaFile(source, target, object, object.CursorName(), "c", false));
    if (!object.AudioName().trimmed().isEmpty())
        object.SetAudioName(CopyMediaFile(source, target, object, object.AudioName(), "a", true));
    object.OpenMedia();
}

} // namespace

TRObject* TRProject::PasteObjectsFromClipboard() {
    TRPropertiesClipboard& clip = PropertiesClipboard;
    if (clip.Objects.isEmpty())
        return nullptr;
    History_Increment();
    TRObject* result = nullptr;
    const std::int32_t playhead = FTimePosition;
    for (TRObject* source : std::as_const(clip.Objects)) {
        try {
            const std::int32_t offset = source->TimeStart() - clip.EarliestStart;
            const std::int32_t length = source->TimeEnd() - source->TimeStart();
            std::unique_ptr<TRObject> copy = CopyFromSnapshot(*this, ObjectSnapshot(*source));
            if (!copy)
                continue;
            TRObject* pasted = AddObject(std::move(copy));
            pasted->SetTimeStartField(playhead + offset);
            pasted->SetTimeEnd(pasted->TimeStart() + length);
            pasted->SetTrack(0);
            pasted->SetTrack(GetNextTrack(pasted->TimeStart(), pasted->TimeEnd()));
            if (clip.SourceProject && clip.SourceProject != this)
                TakeMediaFrom(*clip.SourceProject, *this, *pasted);
            pasted->SetTimePosition(playhead);
            if (!result)
                result = pasted;
            History_AddInsertDelete(pasted, undoPaste, undoCurrent);
        } catch (const std::exception&) {
            // An object whose copy cannot be rebuilt is left out.
        }
    }
    if (clip.IsCut == 1) {
        TRProject* owner =
            clip.SourceProject && clip.SourceProject != this ? clip.SourceProject : this;
        if (owner != this)
            owner->History_Increment();
        while (!clip.Objects.isEmpty()) {
            TRObject* cut = clip.Objects.last();
            TRProject* home = cut->Project() ? cut->Project() : owner;
            home->History_AddInsertDelete(cut, undoDelete, undoCurrent);
            SelectObject(*home, nullptr, true);
            home->DeleteObject(static_cast<const TRObject*>(cut));
            clip.Objects.removeAll(cut);
        }
    }
    UpdateTimeEnd();
    return result;
}
