#include "objects/kinds/URScreenRecorder.h"

#include "core/URProject.h"
#include "core/URPropMediaSpeed.h"
#include "core/URSettings.h"
#include "core/URUtils.h"
#include "media/UAudioPlayer.h"
#include "media/UCursorReader.h"
#include "media/URAudioExporter.h"
#include "media/UTimeSearch.h"
#include "objects/URPropCursor.h"

#include <QFileInfo>
#include <exception>

using namespace platform::render;

namespace {

// Just over one frame at 30 frames per second: a release this close after the sample in force
// still belongs to the frame being played.
constexpr std::int32_t ClickWindowMs = 34;
// The click player is stopped at its first position report this far into what was heard: a
// stop drops what the sound server has not played yet, and the click, shorter than this, has
// then been played whole. Past the click the player plays silence.
constexpr std::int64_t ClickHoldMs = 100;

TRClick ClickOf(const TCursorRecord& sample) {
    if (sample.Buttons & TCursorReader::LeftButtonUp)
        return TRClick::Left;
    if (sample.Buttons & TCursorReader::RightButtonUp)
        return TRClick::Right;
    return TRClick::None;
}

// The cursor group's switch and volume (percent) of a click's sound; off without a group.
bool ClickSoundOn(const TRPropBase* group, TRClick click, float& volume) {
    const auto* cursor = dynamic_cast<const TRPropCursor*>(group);
    if (!cursor || !cursor->Checked())
        return false;
    const bool left = click == TRClick::Left;
    volume = (left ? cursor->FLSVolume : cursor->FRSVolume) / 100;
    return left ? cursor->FLSChecked : cursor->FRSChecked;
}

void Breadcrumb(const TRProject* project, const QString& step) {
    SaveLastStep(SettingsRecord, project, step);
}

} // namespace

TRPreviewClick PreviewClickAt(const TCursorReader& track, std::int32_t time) {
    const std::vector<TCursorRecord>& samples = track.FCursors;
    const int count = std::min(track.FNrCursors, int(samples.size()));
    const int found =
        FindLastNotAfter(0, count - 1, time, [&](int i) { return samples[size_t(i)].Time; });
    const int k = std::max(found, 0);
    for (int d = k; d < count - 1; ++d) {
        if (const TRClick click = ClickOf(samples[size_t(d)]); click != TRClick::None)
            return {click, d};
        if (samples[size_t(d)].Time - samples[size_t(k)].Time > ClickWindowMs)
            break;
    }
    return {};
}

TRScreenRecorder::TRScreenRecorder(TRProject* project, TRObjectType type) : TRVideo(project, type) {
    FObjectName = QStringLiteral("Screen Recording ") + QString::number(FObjectId);
    const QString click = CursorFolder + QStringLiteral("click.wav");
    if (CursorFolder.isEmpty() || !QFileInfo(click).isFile())
        return;
    FAudioPlayerClick = std::make_unique<TAudioPlayer>();
    FAudioPlayerClick->OnPosition = [](TAudioPlayer* sender, int64_t position) {
        if (position >= ClickHoldMs)
            sender->Stop();
    };
    FAudioPlayerClick->SetFile(click);
}

TRScreenRecorder::~TRScreenRecorder() {
    FCursorBitmap.reset();
    FAudioPlayerClick.reset();
    CursorReader.reset();
}

void TRScreenRecorder::CloseMedia() {
    TRVideo::CloseMedia();
    CursorReader.reset();
    FCursorBitmap.reset();
    FClickTimes.clear();
}

void TRScreenRecorder::OpenCursorTrack() {
    CursorReader.reset();
    FClickTimes.clear();
    FLastClickSample = -1;
    const QString path = FProject->TempFolder + FCursorName;
    if (FCursorName.isEmpty() || !QFileInfo(path).isFile())
        return;
    auto reader = std::make_unique<TCursorReader>();
    if (!reader->OpenFile(path, 0))
        return;
    for (const TCursorRecord& click : reader->FClicks)
        FClickTimes.push_back(click.Time);
    CursorReader = std::move(reader);
    if (!CursorReader->FPointers.empty()) {
        const TPointerShape& shape = CursorReader->FPointers.front();
        try {
            CreateCursorBitmap(int(shape.Width), int(shape.Height));
        } catch (const std::exception&) {
            FCursorBitmap.reset();
        }
    }
}

bool TRScreenRecorder::OpenMedia() {
    if (!TRVideo::OpenMedia())
        return false;
    FCursorBitmap.reset();
    OpenCursorTrack();
    return true;
}

bool TRScreenRecorder::LoadMedia(const QString&, std::int32_t& width, std::int32_t& height,
                                 const QString& audioFileName) {
    if (!FProject)
        return false;
    const QString& folder = FProject->TempFolder;
    const QString screen = QFileInfo(folder + QStringLiteral("screen.tvf")).isFile()
                               ? QStringLiteral("screen.tvf")
                               : QStringLiteral("screen.mp4");
    Breadcrumb(FProject, QStringLiteral("LoadMedia_") + screen);
    if (!QFileInfo(folder + screen).isFile())
        return false;
    std::vector<RecordedTrack> tracks{{screen, &FMediaName}};
    if (QFileInfo(folder + QStringLiteral("screen.tcf")).isFile())
        tracks.push_back({QStringLiteral("screen.tcf"), &FCursorName});
    AddRecordedSound(tracks, audioFileName);
    const bool result = TakeRecordedTracks(tracks) && FMediaBitmap;
    if (result)
        TakeMediaSize(width, height);
    Breadcrumb(FProject, QStringLiteral("OpenMedia_") + FMediaName + QStringLiteral("_End") +
                             QString::number(result ? 1 : 0));
    return result;
}

void TRScreenRecorder::CreateCursorBitmap(int width, int height) {
    if (width <= 0 || height <= 0) {
        FCursorBitmap.reset();
        return;
    }
    const SizeU size{std::uint32_t(width), std::uint32_t(height)};
    if (FCursorBitmap && FCursorBitmap->pixelSize() == size)
        return;
    FCursorBitmap = Bitmap::create(size, {AlphaMode::Premultiplied, 96, 96, BitmapOptions::Target});
}

void TRScreenRecorder::PlayClick(float volume) {
    FAudioPlayerClick->Stop();
    FAudioPlayerClick->SetPosition(0);
    FAudioPlayerClick->SetVolume(volume);
    const TRProjectInterfaceOptions& view = FProject->InterfaceOptions;
    FAudioPlayerClick->Play(view.Timeline_PlaybackSpeed, view.Timeline_PreserverPitch);
}

void TRScreenRecorder::PlayAudio() {
    TRVideo::PlayAudio();
    if (!FAudioPlayerClick || !FProject)
        return;
    const std::int32_t playHead = FProject->TimePosition();
    if (FAudioPlayerClick->Running()) {
        if (FTimeEnd < playHead)
            FAudioPlayerClick->Stop();
        return;
    }
    if (playHead < FTimeStart || playHead > FTimeEnd || !CursorReader)
        return;
    const TRPreviewClick click = PreviewClickAt(*CursorReader, GetMediaTime(FTimePosition));
    if (click.Kind == TRClick::None || click.Sample == FLastClickSample)
        return;
    FLastClickSample = click.Sample;
    float volume = 1;
    if (ClickSoundOn(GetProperty(ptCursor), click.Kind, volume))
        PlayClick(volume);
}

void TRScreenRecorder::StopAudio() {
    TRVideo::StopAudio();
    FLastClickSample = -1;
    if (FAudioPlayerClick)
        FAudioPlayerClick->Stop();
}

std::vector<TRClickSound> TRScreenRecorder::ExportClicks() {
    std::vector<TRClickSound> sounds;
    if (!CursorReader || CursorReader->FNrClicks <= 0)
        return sounds;
    const std::vector<TCursorRecord>& clicks = CursorReader->FClicks;
    const int count = std::min(CursorReader->FNrClicks, int(clicks.size()));
    const int found =
        FindLastNotAfter(0, count - 1, FMediaStart, [&](int i) { return clicks[size_t(i)].Time; });
    const std::int32_t speed = MediaSpeed() ? MediaSpeed()->Speed() : NormalMediaSpeed;
    for (int i = std::max(found, 0); i < count; ++i) {
        const std::int32_t c = clicks[size_t(i)].Time;
        if (c < FMediaStart)
            continue;
        if (c > FMediaEnd)
            break;
        const std::int64_t time = std::int64_t(c - FMediaStart) * 1000 / speed + FTimeStart;
        if (time > FTimeEnd)
            break;
        const TRClick click = ClickOf(clicks[size_t(i)]);
        float volume = 1;
        if (ClickSoundOn(GetCursorPropertyAtTime(std::int32_t(time) - FTimeStart), click, volume))
            sounds.push_back({std::uint32_t(time * 30 / 1000), volume});
    }
    return sounds;
}

void TRScreenRecorder::AddAudioToVideoExporter(TRAudioExporter& exporter) {
    TRVideo::AddAudioToVideoExporter(exporter);
    for (const TRClickSound& click : ExportClicks())
        exporter.AddMouseClickSound(click.Frame, click.Volume);
}

bool LoadRecordedTracks(TRProject& project, const TRRecordedTracks& tracks, std::int32_t& width,
                        std::int32_t& height) {
    TRObject* selected = nullptr;
    return project.AddScreenRecorder(tracks.Screen, tracks.Camera, tracks.Voice, tracks.SystemSound,
                                     width, height, selected);
}
